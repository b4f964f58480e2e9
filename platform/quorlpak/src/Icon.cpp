#include <quorlpak/Canvas.h>
#include <quorlpak/Icon.h>
#include <runpak/TypeInfo.h>

TClass TIcon::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TIcon>(u"TIcon", TGraphic::StaticClass()));
    return &meta;
}

TIcon::~TIcon() {
    if (FHandle) DestroyIcon(FHandle);
}

void TIcon::SetWidth(int Value) {
    if (Value != FWidth) throw EInvalidGraphicOperation(u"Cannot change the size of an icon");
}

void TIcon::SetHeight(int Value) {
    if (Value != FHeight) throw EInvalidGraphicOperation(u"Cannot change the size of an icon");
}

void TIcon::SetHandle(HICON Value) {
    if (Value == FHandle) return;
    if (FHandle) DestroyIcon(FHandle);
    FHandle = Value;
    FWidth = FHeight = 0;
    ICONINFO info{};
    if (Value && GetIconInfo(Value, &info)) {
        BITMAP bm{};
        if (HBITMAP image = info.hbmColor ? info.hbmColor : info.hbmMask;
            image && GetObjectW(image, sizeof(bm), &bm)) {
            FWidth = bm.bmWidth;
            FHeight = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
        } else {
            FWidth = GetSystemMetrics(SM_CXICON);
            FHeight = GetSystemMetrics(SM_CYICON);
        }
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    Changed();
}

HICON TIcon::ReleaseHandle() {
    HICON handle = FHandle;
    FHandle = nullptr;
    FWidth = FHeight = 0;
    return handle;
}

void TIcon::Assign(TPersistent* Source) {
    if (!Source) {
        SetHandle(nullptr);
        return;
    }
    if (auto* icon = dynamic_cast<TIcon*>(Source)) {
        if (icon != this) SetHandle(icon->FHandle ? CopyIcon(icon->FHandle) : nullptr);
        return;
    }
    TGraphic::Assign(Source);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
    if (!FHandle) return;
    DrawIconEx(ACanvas->GetHandle(), Rect.left, Rect.top, FHandle, Rect.Width(), Rect.Height(), 0,
               nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream*) {
    throw EInvalidGraphic(u"Icon image is not valid");
}

void TIcon::SaveToStream(TStream*) {
    throw EInvalidGraphicOperation(u"Icons cannot be saved");
}
