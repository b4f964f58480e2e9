// Module resources: finding a registered module's resources by type and name,
// and loading its bitmaps and cursors with the colour mappings callers ask for.
#include <win32/ModuleResources.h>
#include <win32/commctrl.h>
#include <win32/readback.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using win32::ResourceEntry;

void Put16(std::vector<BYTE>& out, unsigned v) {
    out.push_back(BYTE(v));
    out.push_back(BYTE(v >> 8));
}
void Put32(std::vector<BYTE>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutHeader(std::vector<BYTE>& out, int width, int height, int bpp, int colors) {
    Put32(out, 40);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(height));
    Put16(out, 1);
    Put16(out, bpp);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0); // compression, image size, resolution
    Put32(out, uint32_t(colors));
    Put32(out, 0);
}

// A 4 x 2 8-bit bitmap: top row grey 128, grey 192, grey 223, white; bottom
// row the key colour magenta, then black, red, green. Bottom-up, as stored.
std::vector<BYTE> GreyBitmap() {
    std::vector<BYTE> dib;
    PutHeader(dib, 4, 2, 8, 8);
    const COLORREF palette[8] = {RGB(128, 128, 128), RGB(192, 192, 192), RGB(223, 223, 223),
                                 RGB(255, 255, 255), RGB(255, 0, 255),   RGB(0, 0, 0),
                                 RGB(255, 0, 0),     RGB(0, 255, 0)};
    for (COLORREF c : palette)
        Put32(dib, GetBValue(c) | GetGValue(c) << 8 | GetRValue(c) << 16);
    for (BYTE index : {4, 5, 6, 7, 0, 1, 2, 3})
        dib.push_back(index);
    return dib;
}

// A 32 x 32 cursor, hot spot (5, 7): black left half, transparent right half.
std::vector<BYTE> CursorImage() {
    std::vector<BYTE> image;
    Put16(image, 5);
    Put16(image, 7);
    PutHeader(image, 32, 64, 32, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            Put32(image, 0);
    for (int y = 0; y < 32; ++y)
        for (BYTE b : {0x00, 0x00, 0xFF, 0xFF})
            image.push_back(b);
    return image;
}

std::vector<BYTE> CursorGroup(DWORD imageSize, WORD id) {
    std::vector<BYTE> group;
    for (unsigned v : {0u, 2u, 1u, 32u, 64u, 1u, 32u})
        Put16(group, v);
    Put32(group, imageSize);
    Put16(group, id);
    return group;
}

struct TestModule {
    std::vector<BYTE> bitmap = GreyBitmap();
    std::vector<BYTE> cursor = CursorImage();
    std::vector<BYTE> group = CursorGroup(DWORD(cursor.size()), 7);
    std::vector<BYTE> truncated = std::vector<BYTE>(bitmap.begin(), bitmap.end() - 3);
    std::vector<BYTE> badIndex = [this] {
        std::vector<BYTE> b = bitmap;
        b.back() = 200; // past the 8-colour table
        return b;
    }();
    std::vector<ResourceEntry> entries;
    HMODULE module = nullptr;

    TestModule() {
        entries = {
            {RT_BITMAP, u"Greys", bitmap.data(), DWORD(bitmap.size())},
            {RT_BITMAP, MAKEINTRESOURCEW(42), bitmap.data(), DWORD(bitmap.size())},
            {RT_BITMAP, u"TRUNCATED", truncated.data(), DWORD(truncated.size())},
            {RT_BITMAP, u"BADINDEX", badIndex.data(), DWORD(badIndex.size())},
            {RT_CURSOR, MAKEINTRESOURCEW(7), cursor.data(), DWORD(cursor.size())},
            {RT_GROUP_CURSOR, u"HALF", group.data(), DWORD(group.size())},
        };
        module = win32::RegisterModuleResources(u"RESTEST", entries.data(), entries.size());
    }
};

TestModule& Module() {
    static TestModule* m = new TestModule; // entries must outlive the process
    return *m;
}

std::vector<COLORREF> Pixels(HBITMAP bitmap, int width, int height) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::vector<COLORREF> pixels = win32::ReadPixels(dc, RECT{0, 0, width, height});
    SelectObject(dc, old);
    DeleteDC(dc);
    return pixels;
}

TEST(ModuleResourceTest, FindsByTypeAndNameAsWindowsSpellsThem) {
    HMODULE m = Module().module;
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GetModuleHandleW(u"restest.dll"), m);
    HRSRC byName = FindResourceW(m, u"greys", RT_BITMAP);
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(SizeofResource(m, byName), Module().bitmap.size());
    EXPECT_EQ(LockResource(LoadResource(m, byName)), Module().bitmap.data());
    EXPECT_NE(FindResourceW(m, MAKEINTRESOURCEW(42), RT_BITMAP), nullptr);
    EXPECT_EQ(FindResourceW(m, u"#42", RT_BITMAP), FindResourceW(m, MAKEINTRESOURCEW(42), RT_BITMAP));
    EXPECT_EQ(FindResourceExW(m, RT_BITMAP, u"GREYS", 0x0409), byName);

    struct Miss {
        HMODULE module;
        LPCWSTR type, name;
        DWORD error;
    } misses[] = {
        {m, RT_BITMAP, u"NOSUCH", ERROR_RESOURCE_NAME_NOT_FOUND},
        {m, RT_ICON, u"GREYS", ERROR_RESOURCE_TYPE_NOT_FOUND},
        {GetModuleHandleW(u"KERNEL32"), RT_BITMAP, u"GREYS", ERROR_RESOURCE_DATA_NOT_FOUND},
    };
    for (const Miss& miss : misses) {
        SetLastError(0);
        EXPECT_EQ(FindResourceW(miss.module, miss.name, miss.type), nullptr);
        EXPECT_EQ(GetLastError(), miss.error);
    }
    // A handle of one module means nothing to another.
    EXPECT_EQ(SizeofResource(nullptr, byName), 0u);
}

TEST(ModuleResourceTest, EnumeratesNamesOfAType) {
    std::vector<std::u16string> names;
    auto collect = [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
        auto* list = reinterpret_cast<std::vector<std::u16string>*>(param);
        list->push_back(IS_INTRESOURCE(name) ? u"#" : name);
        return list->size() < 2;
    };
    EXPECT_FALSE(EnumResourceNamesW(Module().module, RT_BITMAP, collect, LONG_PTR(&names)));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Greys", u"#"}));
    names.clear();
    EXPECT_TRUE(EnumResourceNamesW(Module().module, RT_GROUP_CURSOR, collect, LONG_PTR(&names)));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"HALF"}));
}

TEST(ModuleResourceTest, BitmapsLoadWithTheColourMappingAsked) {
    const COLORREF g128 = RGB(128, 128, 128), g192 = RGB(192, 192, 192),
                   g223 = RGB(223, 223, 223), white = RGB(255, 255, 255),
                   key = RGB(255, 0, 255), black = 0, red = RGB(255, 0, 0), green = RGB(0, 255, 0);
    COLORMAP treeMap[] = {{white, RGB(1, 2, 3)}, {g192, RGB(4, 5, 6)}, {g128, RGB(7, 8, 9)}};
    struct Case {
        const char* what;
        HBITMAP bitmap;
        std::vector<COLORREF> expected;
    } cases[] = {
        {"plain", LoadBitmapW(Module().module, u"GREYS"),
         {g128, g192, g223, white, key, black, red, green}},
        {"3D colours",
         HBITMAP(LoadImageW(Module().module, u"GREYS", IMAGE_BITMAP, 0, 0,
                            LR_LOADMAP3DCOLORS | LR_CREATEDIBSECTION)),
         {GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DFACE), GetSysColor(COLOR_3DLIGHT),
          white, key, black, red, green}},
        {"first pixel transparent",
         HBITMAP(LoadImageW(Module().module, MAKEINTRESOURCEW(42), IMAGE_BITMAP, 0, 0,
                            LR_LOADTRANSPARENT)),
         {GetSysColor(COLOR_WINDOW), g192, g223, white, key, black, red, green}},
        {"mapped",
         CreateMappedBitmap(Module().module, INT_PTR(u"GREYS"), 0, treeMap, 3),
         {RGB(7, 8, 9), RGB(4, 5, 6), g223, RGB(1, 2, 3), key, black, red, green}},
        {"mapped by default",
         CreateMappedBitmap(Module().module, 42, 0, nullptr, 0),
         {GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE), g223,
          GetSysColor(COLOR_BTNHIGHLIGHT), key, GetSysColor(COLOR_BTNTEXT), red, green}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.bitmap, nullptr);
        BITMAP bm{};
        GetObjectW(c.bitmap, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, 4);
        EXPECT_EQ(bm.bmHeight, 2);
        EXPECT_EQ(Pixels(c.bitmap, 4, 2), c.expected);
        DeleteObject(c.bitmap);
    }
}

TEST(ModuleResourceTest, DamagedOrMissingBitmapsFailWithoutReadingPastTheData) {
    for (LPCWSTR name : {u"TRUNCATED", u"BADINDEX"}) {
        SetLastError(0);
        EXPECT_EQ(LoadBitmapW(Module().module, name), nullptr);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DATA));
    }
    EXPECT_EQ(LoadBitmapW(Module().module, u"NOSUCH"), nullptr);
    EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(32738)), nullptr);
    EXPECT_EQ(LoadImageW(Module().module, u"GREYS", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
}

TEST(ModuleResourceTest, CursorsKeepHotSpotAndMaskAndLoadCursorSharesThem) {
    HCURSOR shared = LoadCursorW(Module().module, u"half");
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(LoadCursorW(Module().module, u"HALF"), shared);
    EXPECT_TRUE(DestroyCursor(shared)); // shared: still there afterwards
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(shared, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 7u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);

    // Drawn on white: the black half shows, the transparent half leaves white.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateBitmap(32, 1, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    RECT row{0, 0, 32, 1};
    FillRect(dc, &row, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_TRUE(DrawIconEx(dc, 0, 0, shared, 0, 0, 0, nullptr, DI_NORMAL));
    std::vector<COLORREF> pixels = win32::ReadPixels(dc, row);
    EXPECT_EQ(pixels[0], RGB(0, 0, 0));
    EXPECT_EQ(pixels[15], RGB(0, 0, 0));
    EXPECT_EQ(pixels[16], RGB(255, 255, 255));
    EXPECT_EQ(pixels[31], RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);

    // Without LR_SHARED each load is the caller's to destroy, once.
    HANDLE own = LoadImageW(Module().module, u"HALF", IMAGE_CURSOR, 0, 0, 0);
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, shared);
    EXPECT_TRUE(DestroyCursor(HCURSOR(own)));
    EXPECT_FALSE(DestroyCursor(HCURSOR(own)));
    EXPECT_EQ(LoadCursorW(Module().module, u"GREYS"), nullptr);
}

} // namespace
