// The tree's artwork from the library's resources: the check strips, the
// header's utility glyphs, the shaded node buttons and the header-split
// cursor.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include "benchkit/BenchkitInstance.h"
#include "benchkit/vtree/VirtualTreeShared.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Colors.h>
#include <quorlpak/ImgList.h>

#include <win32/commctrl.h>
#include <win32/windows.h>

#include <memory>

namespace vtree {

const char16_t* CheckResourceName(TCheckImageKind Kind) {
    switch (Kind) {
    case ckLightCheck: return u"VT_CHECK_LIGHT";
    case ckDarkCheck: return u"VT_CHECK_DARK";
    case ckLightTick: return u"VT_TICK_LIGHT";
    case ckDarkTick: return u"VT_TICK_DARK";
    case ckFlat: return u"VT_FLAT";
    case ckXP: return u"VT_XP";
    default: return nullptr;
    }
}

// The classic artwork's white, silver and grey follow the system's window,
// face and shadow colours, so the boxes match the control around them.
void LoadCheckImages(TCustomImageList* List, const char16_t* ResName, bool MapColors) {
    HINSTANCE instance = BenchkitInstance();
    HBITMAP handle = nullptr;
    if (MapColors) {
        COLORMAP map[] = {{RGB(255, 255, 255), ColorToRGB(clWindow)},
                          {RGB(192, 192, 192), ColorToRGB(clBtnFace)},
                          {RGB(128, 128, 128), ColorToRGB(clBtnShadow)}};
        handle = CreateMappedBitmap(instance, INT_PTR(ResName), 0, map, 3);
    } else {
        handle = LoadBitmapW(instance, ResName);
    }
    // Artwork that is part of the library cannot be missing; a list without
    // images then draws nothing rather than failing every paint.
    List->Clear();
    if (!handle) return;
    TBitmap strip;
    strip.SetHandle(handle);
    const int size = strip.GetHeight();
    List->SetSize(size, size);
    List->AddMasked(&strip, strip.GetCanvas()->GetPixel(0, 0));
}

namespace {
std::unique_ptr<TCustomImageList> utilityImages;
} // namespace

TCustomImageList* UtilityImages() {
    if (!utilityImages) {
        utilityImages = std::make_unique<TCustomImageList>(nullptr);
        LoadCheckImages(utilityImages.get(), u"VT_UTILITIES", true);
    }
    return utilityImages.get();
}

void ReloadUtilityImages() {
    if (utilityImages) LoadCheckImages(utilityImages.get(), u"VT_UTILITIES", true);
}

void FreeUtilityImages() {
    utilityImages.reset();
}

HCURSOR HeaderSplitCursor() {
    return LoadCursorW(BenchkitInstance(), u"VT_HEADERSPLIT");
}

void LoadShadedButton(TBitmap* Bitmap, bool Plus) {
    Bitmap->LoadFromResourceName(BenchkitInstance(),
                                 Plus ? u"VT_XPBUTTONPLUS" : u"VT_XPBUTTONMINUS");
}

} // namespace vtree
