// The three system image list wrappers.
#include "benchkit/shell/IDEVirtualSystemImageLists.h"
#include "benchkit/shell/IDEVirtualPIDLTools.h"

#include <win32/shellapi.h>

namespace {

VirtualSysImages* lists[3] = {};

VirtualSysImages* Singleton(TSysImageListSize Size) {
    if (!lists[Size]) {
        lists[Size] = new VirtualSysImages(nullptr);
        lists[Size]->SetImageSize(Size);
    }
    return lists[Size];
}

} // namespace

VirtualSysImages::VirtualSysImages(TComponent* AOwner) : TImageList(AOwner) {
    SetShareImages(true);
    SetDrawingStyle(dsTransparent);
    RecreateHandle();
}

void VirtualSysImages::SetImageSize(TSysImageListSize Size) {
    FImageSize = Size;
    RecreateHandle();
}

void VirtualSysImages::Flush() {
    RecreateHandle();
}

// The extra-large list comes from the shell's list-by-size routine; a shell
// without it gives the large list instead.
void VirtualSysImages::RecreateHandle() {
    SetHandle(nullptr);
    FJumboImages = nullptr;
    if (FImageSize == sisExtraLarge) {
        using TSHGetImageList = HRESULT (*)(int, REFIID, void**);
        auto byImageSize = BindRoutine<TSHGetImageList>(GetModuleHandleW(u"shell32.dll"),
                                                        ShellOrdinal(727));
        void* list = nullptr;
        if (byImageSize && SUCCEEDED(byImageSize(SHIL_EXTRALARGE, IID_IImageList, &list)) && list) {
            FJumboImages = list;
            SetHandle(static_cast<HIMAGELIST>(list));
            return;
        }
    }
    PIDLIST_ABSOLUTE desktop = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop)) || !desktop) return;
    SHFILEINFOW info{};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_PIDL | (FImageSize == sisSmall ? SHGFI_SMALLICON : 0);
    auto handle = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(desktop), 0, &info, sizeof info, flags));
    ILFree(desktop);
    if (handle) SetHandle(handle);
}

int VirtualSysImages::GetIconIndex(const UnicodeString& FileName) {
    if (FileName.empty()) return -1;
    SHFILEINFOW info{};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES |
                 (FImageSize == sisSmall ? SHGFI_SMALLICON : 0);
    if (!SHGetFileInfoW(FileName.c_str(), FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_ARCHIVE, &info,
                        sizeof info, flags))
        return -1;
    return info.iIcon;
}

VirtualSysImages* SmallSysImages() {
    return Singleton(sisSmall);
}

VirtualSysImages* LargeSysImages() {
    return Singleton(sisLarge);
}

VirtualSysImages* ExtraLargeSysImages() {
    return Singleton(sisExtraLarge);
}

void FlushImageLists() {
    for (VirtualSysImages* list : lists)
        if (list) list->Flush();
}

void InitializeIDEVirtualSystemImageLists() {}

void FinalizeIDEVirtualSystemImageLists() {
    for (VirtualSysImages*& list : lists) {
        delete list;
        list = nullptr;
    }
}
