// TNamespace: the shell interfaces an item hands out besides its folders
// (icons, overlays, drop target, info tip, icon extractors, frame options,
// associations, categories, data object), its thumbnail extractor and link
// reader; and TExtractImage, TVirtualShellLink and CreateShellLink.
#include "benchkit/shell/IDEVirtualResources.h"
#include "benchkit/shell/IDEVirtualShellUtilities.h"
#include "NamespaceExtras.h"

#include <quorlpak/Application.h>
#include <quorlpak/Bitmap.h>

#include <win32/combaseapi.h>
#include <win32/winuser.h>

#include <cstring>

namespace {

template <class I> void** Slot(InterfacePtr<I>& p) {
    return reinterpret_cast<void**>(p.Out());
}

// One item's object from its parent folder, else (when allowed) from its own folder.
template <class I>
void UIObject(TNamespace& Item, const IID& Riid, InterfacePtr<I>& Out, bool OwnFolderToo) {
    Out.Reset();
    if (IShellFolder* parent = Item.GetParentShellFolder()) {
        PCUITEMID_CHILD one[1] = {Item.GetRelativePIDL()};
        if (FAILED(parent->GetUIObjectOf(nullptr, 1, one, Riid, nullptr, Slot(Out)))) Out.Reset();
    }
    if (!Out && OwnFolderToo)
        if (IShellFolder* own = Item.GetShellFolder())
            if (FAILED(own->CreateViewObject(nullptr, Riid, Slot(Out)))) Out.Reset();
}

} // namespace


TNamespace::TExtras& TNamespace::Extras() {
    if (!FExtras) FExtras = std::make_unique<TExtras>();
    return *FExtras;
}

void TNamespace::FreeExtraObjects() {
    if (!FExtras) return;
    FExtras->ExtractImage.reset();
    FExtras->ShellLink.reset();
}

void TNamespace::ReleaseExtraInterfaces() {
    if (!FExtras) return;
    FExtras->ShellIcon.Reset();
    FExtras->ShellIconOverlay.Reset();
    FExtras->DropTarget.Reset();
    FExtras->QueryInfo.Reset();
}

IShellIcon* TNamespace::GetShellIconInterface() {
    TExtras& extras = Extras();
    if (!extras.ShellIcon)
        if (IShellFolder* parent = GetParentShellFolder())
            if (FAILED(parent->QueryInterface(IID_IShellIcon, Slot(extras.ShellIcon))))
                extras.ShellIcon.Reset();
    return extras.ShellIcon.Get();
}

IShellIconOverlay* TNamespace::GetShellIconOverlayInterface() {
    TExtras& extras = Extras();
    if (extras.ShellIconOverlay || !FStates.Contains(nsShellOverlaySupported))
        return extras.ShellIconOverlay.Get();
    for (IShellFolder* folder : {GetShellFolder(), GetParentShellFolder()}) {
        if (!folder) continue;
        if (SUCCEEDED(folder->QueryInterface(IID_IShellIconOverlay, Slot(extras.ShellIconOverlay))))
            return extras.ShellIconOverlay.Get();
        extras.ShellIconOverlay.Reset();
    }
    FStates >> nsShellOverlaySupported;
    return nullptr;
}

IDropTarget* TNamespace::GetDropTargetInterface() {
    TExtras& extras = Extras();
    if (!extras.DropTarget) {
        UIObject(*this, IID_IDropTarget, extras.DropTarget, false);
        if (!extras.DropTarget && IsDesktop() && PhysicalDesktopFolder &&
            PhysicalDesktopFolder != this)
            return PhysicalDesktopFolder->GetDropTargetInterface();
    }
    return extras.DropTarget.Get();
}

IQueryInfo* TNamespace::GetQueryInfoInterface() {
    TExtras& extras = Extras();
    if (!extras.QueryInfo) {
        UIObject(*this, IID_IQueryInfo, extras.QueryInfo, true);
        if (!extras.QueryInfo && IsDesktop() && PhysicalDesktopFolder &&
            PhysicalDesktopFolder != this)
            return PhysicalDesktopFolder->GetQueryInfoInterface();
    }
    return extras.QueryInfo.Get();
}

IBrowserFrameOptions* TNamespace::GetBrowserFrameOptionsInterface() {
    TExtras& extras = Extras();
    if (!extras.BrowserFrameOptions)
        UIObject(*this, IID_IBrowserFrameOptions, extras.BrowserFrameOptions, GetFolder());
    return extras.BrowserFrameOptions.Get();
}

IQueryAssociations* TNamespace::GetQueryAssociationsInterface() {
    TExtras& extras = Extras();
    if (!extras.QueryAssociations)
        UIObject(*this, IID_IQueryAssociations, extras.QueryAssociations, GetFolder());
    return extras.QueryAssociations.Get();
}

ICategoryProvider* TNamespace::GetCategoryProviderInterface() {
    TExtras& extras = Extras();
    if (!extras.CategoryProvider && GetFolder())
        if (IShellFolder* own = GetShellFolder())
            if (FAILED(own->CreateViewObject(nullptr, IID_ICategoryProvider,
                                             Slot(extras.CategoryProvider))))
                extras.CategoryProvider.Reset();
    return extras.CategoryProvider.Get();
}

InterfacePtr<IExtractIconW> TNamespace::GetExtractIconWInterface() {
    InterfacePtr<IExtractIconW> out;
    UIObject(*this, IID_IExtractIconW, out, true);
    return out;
}

InterfacePtr<IExtractIconA> TNamespace::GetExtractIconAInterface() {
    InterfacePtr<IExtractIconA> out;
    UIObject(*this, IID_IExtractIconA, out, true);
    return out;
}

InterfacePtr<IDataObject> TNamespace::DataObjectInterface() {
    InterfacePtr<IDataObject> out;
    UIObject(*this, IID_IDataObject, out, false);
    return out;
}

TExtractImage* TNamespace::GetExtractImage() {
    TExtras& extras = Extras();
    if (!extras.ExtractImage) {
        extras.ExtractImage = std::make_unique<TExtractImage>();
        extras.ExtractImage->SetOwner(this);
    }
    return extras.ExtractImage.get();
}

TVirtualShellLink* TNamespace::GetShellLink() {
    TExtras& extras = Extras();
    if (!extras.ShellLink) extras.ShellLink = std::make_unique<TVirtualShellLink>(nullptr);
    return extras.ShellLink.get();
}

InterfacePtr<ICategorizer> TNamespace::CreateCategory(const GUID& CategoryID) {
    InterfacePtr<ICategorizer> out;
    if (ICategoryProvider* provider = GetCategoryProviderInterface())
        if (FAILED(provider->CreateCategory(&CategoryID, IID_ICategorizer, Slot(out))))
            out.Reset();
    return out;
}

InterfacePtr<ICategorizer> TNamespace::GetCategoryAlphabetical() {
    return CreateCategory(win32::ParseGUID("{3C2654C6-7372-4F6B-B310-55D6128F49D2}"));
}
InterfacePtr<ICategorizer> TNamespace::GetCategoryDriveSize() {
    return CreateCategory(win32::ParseGUID("{94357B53-CA29-4B78-83AE-E8FE7409134F}"));
}
InterfacePtr<ICategorizer> TNamespace::GetCategoryDriveType() {
    return CreateCategory(win32::ParseGUID("{B0A8F3CF-4333-4BAB-8873-1CCB1CADA48B}"));
}
InterfacePtr<ICategorizer> TNamespace::GetCategoryFreeSpace() {
    return CreateCategory(win32::ParseGUID("{B5607793-24AC-44C7-82E2-831726AA6CB7}"));
}
InterfacePtr<ICategorizer> TNamespace::GetCategorySize() {
    return CreateCategory(win32::ParseGUID("{55D7B852-F6D1-42F2-AA75-8728A1B2D264}"));
}
InterfacePtr<ICategorizer> TNamespace::GetCategoryTime() {
    return CreateCategory(win32::ParseGUID("{3BB4118F-DDFD-4D30-A348-9FB5D6BF1AFE}"));
}

// ---- TExtractImage --------------------------------------------------------------------------

TExtractImage::~TExtractImage() = default;

IExtractImage* TExtractImage::GetExtractImageInterface() {
    if (!FExtractImageInterface && FOwner) {
        if (IShellFolder* parent = FOwner->GetParentShellFolder()) {
            PCUITEMID_CHILD one[1] = {FOwner->GetRelativePIDL()};
            if (FAILED(parent->GetUIObjectOf(nullptr, 1, one, IID_IExtractImage, nullptr,
                                             Slot(FExtractImageInterface))))
                FExtractImageInterface.Reset();
        }
        if (!FExtractImageInterface)
            if (IShellFolder* own = FOwner->GetShellFolder())
                if (FAILED(own->CreateViewObject(nullptr, IID_IExtractImage,
                                                 Slot(FExtractImageInterface))))
                    FExtractImageInterface.Reset();
    }
    return FExtractImageInterface.Get();
}

IExtractImage2* TExtractImage::GetExtractImage2Interface() {
    if (!FExtractImage2Interface)
        if (IExtractImage* image = GetExtractImageInterface())
            if (FAILED(image->QueryInterface(IID_IExtractImage2, Slot(FExtractImage2Interface))))
                FExtractImage2Interface.Reset();
    return FExtractImage2Interface.Get();
}

UnicodeString TExtractImage::GetImagePath() {
    IExtractImage* image = GetExtractImageInterface();
    if (!image) return {};
    WCHAR path[MAX_PATH] = {};
    SIZE size{LONG(FWidth), LONG(FHeight)};
    DWORD priority = FPriority, flags = FFlags;
    if (FAILED(image->GetLocation(path, MAX_PATH, &priority, &size, FColorDepth, &flags)))
        return {};
    FPriority = priority;
    FFlags = flags;
    FPathExtracted = true;
    path[MAX_PATH - 1] = 0;
    return UnicodeString(path);
}

TBitmap* TExtractImage::GetImage() {
    IExtractImage* image = GetExtractImageInterface();
    HBITMAP handle = nullptr;
    if (!image || FAILED(image->Extract(&handle)) || !handle) return nullptr;
    auto* bitmap = new TBitmap();
    bitmap->SetHandle(handle);
    return bitmap;
}

// ---- TVirtualShellLink ------------------------------------------------------------------------

namespace {

const int kShowCommands[] = {SW_HIDE,          SW_MAXIMIZE,       SW_MINIMIZE,     SW_RESTORE,
                             SW_SHOW,          SW_SHOWDEFAULT,    SW_SHOWMINIMIZED, SW_SHOWMINNOACTIVE,
                             SW_SHOWNA,        SW_SHOWNOACTIVATE, SW_SHOWNORMAL};

TCmdShow ShowOf(int Command) {
    for (int i = 0; i <= int(swShowNormal); ++i)
        if (kShowCommands[i] == Command) return TCmdShow(i);
    return swShowNormal;
}

// The modifier bits of a hot key's high byte.
constexpr uint8_t kShiftBit = 1, kControlBit = 2, kAltBit = 4, kExtendedBit = 8;

UnicodeString Field(IShellLinkW* Link,
                    HRESULT (STDMETHODCALLTYPE IShellLinkW::*Get)(LPWSTR, int) noexcept) {
    WCHAR text[1024] = {};
    if (FAILED((Link->*Get)(text, 1024))) return {};
    text[1023] = 0;
    return UnicodeString(text);
}

} // namespace

TVirtualShellLink::TVirtualShellLink(TComponent* AOwner) : TComponent(AOwner) {}

TVirtualShellLink::~TVirtualShellLink() {
    if (FTargetIDList) CoTaskMemFree(FTargetIDList);
}

void TVirtualShellLink::SetTargetIDList(PItemIDList Value) {
    if (FTargetIDList) CoTaskMemFree(FTargetIDList);
    FTargetIDList = Value ? ILClone(Value) : nullptr;
}

IShellLinkW* TVirtualShellLink::GetShellLinkWInterface() {
    if (!FShellLinkW &&
        FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                Slot(FShellLinkW))))
        FShellLinkW.Reset();
    return FShellLinkW.Get();
}

bool TVirtualShellLink::ReadLink(const UnicodeString& LinkFileName) {
    FileName = LinkFileName;
    IShellLinkW* link = GetShellLinkWInterface();
    InterfacePtr<IPersistFile> file;
    if (!link || FAILED(link->QueryInterface(IID_IPersistFile, Slot(file))) ||
        FAILED(file->Load(LinkFileName.c_str(), STGM_READWRITE))) {
        FileName.clear();
        return false;
    }
    WCHAR path[MAX_PATH] = {};
    TargetPath = SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))
                     ? UnicodeString(path)
                     : UnicodeString();
    Arguments = Field(link, &IShellLinkW::GetArguments);
    Description = Field(link, &IShellLinkW::GetDescription);
    WorkingDirectory = Field(link, &IShellLinkW::GetWorkingDirectory);
    WCHAR icon[1024] = {};
    int iconIndex = 0;
    IconLocation = SUCCEEDED(link->GetIconLocation(icon, 1024, &iconIndex)) ? UnicodeString(icon)
                                                                            : UnicodeString();
    IconIndex = iconIndex;
    PIDLIST_ABSOLUTE list = nullptr;
    if (FTargetIDList) CoTaskMemFree(FTargetIDList);
    FTargetIDList = SUCCEEDED(link->GetIDList(&list)) ? list : nullptr;
    WORD key = 0;
    link->GetHotkey(&key);
    HotKey = key & 0xFF;
    const uint8_t modifiers = uint8_t(key >> 8);
    HotKeyModifiers.Clear();
    if (modifiers & kAltBit) HotKeyModifiers << hkmAlt;
    if (modifiers & kControlBit) HotKeyModifiers << hkmControl;
    if (modifiers & kExtendedBit) HotKeyModifiers << hkmExtendedKey;
    if (modifiers & kShiftBit) HotKeyModifiers << hkmShift;
    int show = SW_SHOWNORMAL;
    link->GetShowCmd(&show);
    ShowCmd = ShowOf(show);
    return true;
}

bool TVirtualShellLink::WriteLink(const UnicodeString& LinkFileName) {
    if (TargetPath.empty() && !FTargetIDList && !SilentWrite) {
        ShowWideMessage(Application ? Application->GetHandle() : nullptr, UnicodeString(_S_ERROR),
                        u"No target application defined");
        return false;
    }
    FileName = LinkFileName;
    IShellLinkW* link = GetShellLinkWInterface();
    InterfacePtr<IPersistFile> file;
    if (!link || FAILED(link->QueryInterface(IID_IPersistFile, Slot(file)))) return false;
    link->SetPath(TargetPath.c_str());
    link->SetArguments(Arguments.c_str());
    link->SetDescription(Description.c_str());
    link->SetWorkingDirectory(WorkingDirectory.c_str());
    link->SetIconLocation(IconLocation.c_str(), IconIndex);
    if (FTargetIDList) link->SetIDList(FTargetIDList);
    uint8_t modifiers = 0;
    if (HotKeyModifiers.Contains(hkmAlt)) modifiers |= kAltBit;
    if (HotKeyModifiers.Contains(hkmControl)) modifiers |= kControlBit;
    if (HotKeyModifiers.Contains(hkmExtendedKey)) modifiers |= kExtendedBit;
    if (HotKeyModifiers.Contains(hkmShift)) modifiers |= kShiftBit;
    link->SetHotkey(WORD((HotKey & 0xFF) | (modifiers << 8)));
    link->SetShowCmd(kShowCommands[ShowCmd]);
    return SUCCEEDED(file->Save(LinkFileName.c_str(), TRUE));
}

bool CreateShellLink(const UnicodeString& LinkFileName, const UnicodeString& AssociatedFile,
                     const UnicodeString& Parameters, const UnicodeString& WorkingDir,
                     const UnicodeString& Description, TCmdShow ShowCmd, uint16_t HotKey,
                     THotKeyModifiers HotKeyModifiers, const UnicodeString& IconFile,
                     int IconIndex) {
    TVirtualShellLink link(nullptr);
    link.TargetPath = AssociatedFile;
    if (!Parameters.empty()) link.Arguments = Parameters;
    if (!WorkingDir.empty()) link.WorkingDirectory = WorkingDir;
    if (!Description.empty()) link.Description = Description;
    if (!IconFile.empty()) link.IconLocation = IconFile;
    if (ShowCmd != swShowNormal) link.ShowCmd = ShowCmd;
    if (HotKey) link.HotKey = HotKey;
    if (!HotKeyModifiers.Empty()) link.HotKeyModifiers = HotKeyModifiers;
    if (IconIndex) link.IconIndex = IconIndex;
    return link.WriteLink(LinkFileName);
}
