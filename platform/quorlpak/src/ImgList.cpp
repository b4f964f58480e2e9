// TCustomImageList: the component face of a system image list.
#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/ImgList.h>
#include <runpak/TypeInfo.h>

#include <algorithm>

COLORREF ImageListColor(TColor Color) {
    if (Color == clNone) return CLR_NONE;
    if (Color == clDefault) return CLR_DEFAULT;
    return ColorToRGB(Color);
}

TChangeLink::~TChangeLink() {
    if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (OnChange) OnChange(FSender);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(int AWidth, int AHeight)
    : TComponent(nullptr), FWidth(AWidth), FHeight(AHeight) {}

TCustomImageList::~TCustomImageList() {
    // Users drop their change links in their notices; the client list must
    // still be there for that.
    Destroying();
    RemoveFreeNotifications();
    for (TChangeLink* link : FClients) link->SetSender(nullptr);
    if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
    if (Value == FHandle) return;
    if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
    FHandle = Value;
    int cx = 0, cy = 0;
    if (FHandle && ImageList_GetIconSize(FHandle, &cx, &cy)) {
        FWidth = cx;
        FHeight = cy;
    }
    Change();
}

TClass TCustomImageList::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomImageList>(u"TCustomImageList", TComponent::StaticClass()));
    return &meta;
}

TClass TImageList::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TImageList>(u"TImageList", TCustomImageList::StaticClass()));
    return &meta;
}

void TCustomImageList::CreateList() {
    if (FHandle) return;
    FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | (FMasked ? ILC_MASK : 0), 4, 4);
    ImageList_SetBkColor(FHandle, ImageListColor(FBkColor));
}

HIMAGELIST TCustomImageList::GetHandle() {
    CreateList();
    return FHandle;
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
    if (!Image) return -1;
    CreateList();
    const int index = ImageList_Add(FHandle, Image->GetHandle(), Mask ? Mask->GetHandle() : nullptr);
    Change();
    return index;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image) return -1;
    CreateList();
    const int index = FMasked ? ImageList_AddMasked(FHandle, Image->GetHandle(), ColorToRGB(MaskColor))
                              : ImageList_Add(FHandle, Image->GetHandle(), nullptr);
    Change();
    return index;
}

void TCustomImageList::Clear() {
    if (FHandle) ImageList_Remove(FHandle, -1);
    Change();
}

void TCustomImageList::Delete(int Index) {
    if (FHandle && ImageList_Remove(FHandle, Index)) Change();
}

int TCustomImageList::GetCount() const {
    return FHandle ? ImageList_GetImageCount(FHandle) : 0;
}

void TCustomImageList::SetSize(int AWidth, int AHeight) {
    if (AWidth == FWidth && AHeight == FHeight) return;
    FWidth = std::max(1, AWidth);
    FHeight = std::max(1, AHeight);
    // A new size drops every image, as the system list does.
    if (FHandle) {
        if (!FShareImages) ImageList_Destroy(FHandle);
        FHandle = nullptr;
    }
    Change();
}

void TCustomImageList::SetWidth(int Value) {
    SetSize(Value, FHeight);
}

void TCustomImageList::SetHeight(int Value) {
    SetSize(FWidth, Value);
}

void TCustomImageList::SetBkColor(TColor Value) {
    FBkColor = Value;
    if (FHandle) ImageList_SetBkColor(FHandle, ImageListColor(Value));
    Change();
}

bool TCustomImageList::Overlay(int ImageIndex, int OverlayIndex) {
    return FHandle && ImageList_SetOverlayImage(FHandle, ImageIndex, OverlayIndex + 1);
}

void TCustomImageList::DrawEx(HDC DC, int X, int Y, int Index, COLORREF Background,
                              COLORREF Foreground, UINT Style) const {
    if (!FHandle) return;
    ImageList_DrawEx(FHandle, Index, DC, X, Y, 0, 0, Background, Foreground, Style);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
    Draw(Canvas, X, Y, Index, FDrawingStyle, itImage, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
    if (!FHandle || !Canvas) return;
    UINT style = ILD_NORMAL;
    switch (ADrawingStyle) {
    case dsFocus:
        style = ILD_FOCUS;
        break;
    case dsSelected:
        style = ILD_SELECTED;
        break;
    case dsTransparent:
        style = ILD_TRANSPARENT;
        break;
    case dsNormal:
        break;
    }
    if (AImageType == itMask) style |= ILD_MASK;
    COLORREF foreground = ImageListColor(FBlendColor);
    if (!Enabled) {
        // Disabled images fade halfway into the face colour.
        style |= ILD_BLEND50;
        foreground = ColorToRGB(clBtnFace);
    }
    DrawEx(Canvas->GetHandle(), X, Y, Index, ImageListColor(FBkColor), foreground, style);
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
    if (!Value) return;
    Value->SetSender(this);
    if (std::find(FClients.begin(), FClients.end(), Value) == FClients.end())
        FClients.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
    auto it = std::find(FClients.begin(), FClients.end(), Value);
    if (it == FClients.end()) return;
    FClients.erase(it);
    Value->SetSender(nullptr);
}

void TCustomImageList::Change() {
    for (TChangeLink* link : std::vector<TChangeLink*>(FClients)) link->Change();
    if (OnChange) OnChange(this);
}
