// GDI object handles: stock objects, selection, queries and deletion.
#include "GdiTestCanvas.h"

#include <win32/winbase.h>

#include <gtest/gtest.h>

TEST(GdiObjects, StockObjectsHaveTheirTypesAndSurviveDeletion) {
    struct Case {
        int index;
        DWORD type;
    } cases[] = {
        {WHITE_BRUSH, OBJ_BRUSH},    {LTGRAY_BRUSH, OBJ_BRUSH},    {GRAY_BRUSH, OBJ_BRUSH},
        {DKGRAY_BRUSH, OBJ_BRUSH},   {BLACK_BRUSH, OBJ_BRUSH},     {NULL_BRUSH, OBJ_BRUSH},
        {WHITE_PEN, OBJ_PEN},        {BLACK_PEN, OBJ_PEN},         {NULL_PEN, OBJ_PEN},
        {SYSTEM_FONT, OBJ_FONT},     {DEFAULT_GUI_FONT, OBJ_FONT}, {ANSI_VAR_FONT, OBJ_FONT},
        {ANSI_FIXED_FONT, OBJ_FONT}, {DC_BRUSH, OBJ_BRUSH},        {DC_PEN, OBJ_PEN}};
    for (const Case& c : cases) {
        HGDIOBJ obj = GetStockObject(c.index);
        ASSERT_NE(obj, nullptr) << c.index;
        EXPECT_EQ(GetStockObject(c.index), obj) << "stock objects are shared";
        EXPECT_EQ(GetObjectType(obj), c.type) << c.index;
        EXPECT_TRUE(DeleteObject(obj));
        EXPECT_EQ(GetObjectType(obj), c.type) << "a stock object outlives DeleteObject";
    }
    EXPECT_EQ(GetStockObject(9), nullptr);
    LOGBRUSH lb{};
    ASSERT_EQ(GetObjectW(GetStockObject(GRAY_BRUSH), sizeof(lb), &lb),
              static_cast<int>(sizeof(lb)));
    EXPECT_EQ(lb.lbColor, RGB(128, 128, 128));
    ASSERT_EQ(GetObjectW(GetStockObject(NULL_BRUSH), sizeof(lb), &lb),
              static_cast<int>(sizeof(lb)));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_NULL));
}

TEST(GdiObjects, BadHandlesFailCleanly) {
    HGDIOBJ bogus = reinterpret_cast<HGDIOBJ>(0x12345678);
    SetLastError(0);
    EXPECT_FALSE(DeleteObject(bogus));
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_EQ(GetObjectType(bogus), 0u);
    EXPECT_EQ(GetObjectW(bogus, 0, nullptr), 0);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(dc, bogus), nullptr);
    EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(bogus), GetStockObject(BLACK_PEN)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(bogus)));
    // A deleted object's handle is dead.
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(SelectObject(dc, pen), nullptr);
    // A DC is not deleted by DeleteObject, and a kernel-style handle is not a GDI object.
    EXPECT_FALSE(DeleteObject(dc));
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiObjects, SelectObjectReturnsThePreviousObjectOfEachKind) {
    HDC dc = CreateCompatibleDC(nullptr);
    HPEN pen = CreatePen(PS_DASH, 1, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    HFONT font =
        CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
    EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(dc, font), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    HGDIOBJ defaultBitmap = GetCurrentObject(dc, OBJ_BITMAP);
    ASSERT_NE(defaultBitmap, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObjectW(defaultBitmap, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1) << "a new memory DC holds a 1x1 monochrome bitmap";

    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    EXPECT_EQ(SelectObject(dc, bitmap), defaultBitmap);
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_PEN)), pen);
    EXPECT_EQ(SelectObject(dc, defaultBitmap), bitmap);
    DeleteDC(dc);
    for (HGDIOBJ o : {HGDIOBJ(pen), HGDIOBJ(brush), HGDIOBJ(font), HGDIOBJ(bitmap)})
        EXPECT_TRUE(DeleteObject(o));
}

TEST(GdiObjects, SelectedBitmapIsNotDeletedAndBelongsToOneDC) {
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(a, bitmap);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr) << "a bitmap is selected into one DC at a time";
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    SelectObject(a, old);
    EXPECT_NE(SelectObject(b, bitmap), nullptr);
    DeleteDC(b); // deleting the DC releases the bitmap
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(a);
}

TEST(GdiObjects, PenDeletedWhileSelectedStillDrawsUntilDeselected) {
    GdiTestCanvas canvas(10, 10);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(canvas.dc(), pen);
    EXPECT_TRUE(DeleteObject(pen));
    MoveToEx(canvas.dc(), 0, 5, nullptr);
    LineTo(canvas.dc(), 10, 5);
    EXPECT_EQ(canvas.At(3, 5), RGB(255, 0, 0));
    SelectObject(canvas.dc(), old);
}

TEST(GdiObjects, GetObjectDescribesPensBrushesAndFonts) {
    HPEN pen = CreatePen(PS_DOT, 1, RGB(10, 20, 30));
    LOGPEN lp{};
    EXPECT_EQ(GetObjectW(pen, 0, nullptr), static_cast<int>(sizeof(LOGPEN)));
    ASSERT_EQ(GetObjectW(pen, sizeof(lp), &lp), static_cast<int>(sizeof(lp)));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DOT));
    EXPECT_EQ(lp.lopnWidth.x, 1);
    EXPECT_EQ(lp.lopnColor, RGB(10, 20, 30));

    LOGBRUSH brushSpec{BS_SOLID, RGB(1, 2, 3), 0};
    LOGBRUSH lb{};
    HPEN ext = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, 5, &brushSpec, 0, nullptr);
    ASSERT_NE(ext, nullptr);
    EXPECT_EQ(GetObjectType(ext), static_cast<DWORD>(OBJ_EXTPEN));
    EXTLOGPEN elp{};
    GetObjectW(ext, sizeof(elp), &elp);
    EXPECT_EQ(elp.elpPenStyle, static_cast<DWORD>(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT));
    EXPECT_EQ(elp.elpWidth, 5u);
    EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 3, &brushSpec, 0, nullptr), nullptr)
        << "cosmetic pens are one pixel wide";

    HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(7, 8, 9));
    GetObjectW(hatch, sizeof(lb), &lb);
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_CROSS));
    EXPECT_EQ(CreateHatchBrush(17, 0), nullptr);

    LOGFONTW in{};
    in.lfHeight = -13;
    in.lfWeight = FW_BOLD;
    in.lfItalic = 1;
    std::u16string face = u"Tahoma";
    std::copy(face.begin(), face.end(), in.lfFaceName);
    HFONT font = CreateFontIndirectW(&in);
    LOGFONTW out{};
    ASSERT_EQ(GetObjectW(font, sizeof(out), &out), static_cast<int>(sizeof(out)));
    EXPECT_EQ(out.lfHeight, -13);
    EXPECT_EQ(out.lfWeight, FW_BOLD);
    EXPECT_EQ(std::u16string(out.lfFaceName), face);
    for (HGDIOBJ o : {HGDIOBJ(pen), HGDIOBJ(ext), HGDIOBJ(hatch), HGDIOBJ(font)})
        DeleteObject(o);
}

TEST(GdiObjects, GetObjectDescribesBitmapsAndDibSections) {
    HBITMAP mask = CreateBitmap(17, 3, 1, 1, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObjectW(mask, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, 17);
    EXPECT_EQ(bm.bmHeight, 3);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidthBytes, 4) << "device bitmap rows are padded to 16 bits";
    EXPECT_EQ(bm.bmBits, nullptr);

    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 5, 7, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(dib, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 16) << "DIB rows are padded to 32 bits";
    EXPECT_EQ(ds.dsBmih.biHeight, 7);
    EXPECT_EQ(ds.dsBmih.biBitCount, 24);
    ASSERT_EQ(GetObjectW(dib, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmBits, bits);

    info.bmiHeader.biBitCount = 12;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    DeleteObject(mask);
    DeleteObject(dib);
}

TEST(GdiObjects, CompatibleBitmapOfAFreshMemoryDCIsMonochrome) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(dc, 4, 4);
    BITMAP bm{};
    GetObjectW(mono, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    HBITMAP colour = CreateBitmap(4, 4, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, colour);
    HBITMAP compatible = CreateCompatibleBitmap(dc, 4, 4);
    GetObjectW(compatible, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 4);
    SelectObject(dc, old);
    DeleteDC(dc);
    for (HGDIOBJ o : {HGDIOBJ(mono), HGDIOBJ(colour), HGDIOBJ(compatible)})
        DeleteObject(o);
}
