// Bitmaps from a module's resources, plain or with colours mapped.
#include <quorlpak/Bitmap.h>
#include <quorlpak/Colors.h>

#include <runpak/Exceptions.h>
#include <runpak/Strings.h>
#include <win32/commctrl.h>
#include <win32/winuser.h>

#include <string>
#include <vector>

namespace {

[[noreturn]] void ResourceMissing(const char16_t* ResName) {
    UnicodeString name = IS_INTRESOURCE(ResName)
                             ? UnicodeString(u"#") + IntToStr(LOWORD(ULONG_PTR(ResName)))
                             : UnicodeString(ResName);
    throw EResNotFound(u"Resource %s not found", {name});
}

} // namespace

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const UnicodeString& ResName) {
    HBITMAP loaded = static_cast<HBITMAP>(
        LoadImageW(Instance, ResName.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!loaded) ResourceMissing(ResName.c_str());
    SetHandle(loaded);
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID) {
    const char16_t* name = MAKEINTRESOURCEW(ResID);
    HBITMAP loaded =
        static_cast<HBITMAP>(LoadImageW(Instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!loaded) ResourceMissing(name);
    SetHandle(loaded);
}

HBITMAP CreateMappedRes(HINSTANCE Instance, const char16_t* ResName, const TColor* OldColors,
                        const TColor* NewColors, int Count) {
    std::vector<COLORMAP> map;
    for (int i = 0; i < Count; ++i)
        map.push_back({ColorToRGB(OldColors[i]), ColorToRGB(NewColors[i])});
    HBITMAP bitmap = CreateMappedBitmap(Instance, INT_PTR(ResName), 0, map.data(), Count);
    if (!bitmap) ResourceMissing(ResName);
    return bitmap;
}

HBITMAP CreateGrayMappedRes(HINSTANCE Instance, const char16_t* ResName) {
    const TColor from[] = {clSilver, clGray, clWhite};
    const TColor to[] = {clBtnFace, clBtnShadow, clBtnHighlight};
    return CreateMappedRes(Instance, ResName, from, to, 3);
}
