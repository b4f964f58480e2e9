// TBitmap and its canvas: drawing, pixels, sizes, transparency and the BMP
// file format.
#include <quorlpak/Graphics.h>

#include <runpak/Streams.h>
#include <win32/readback.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

TBitmap* Filled(int w, int h, TColor color, TPixelFormat format = pf32bit) {
    auto* b = new TBitmap;
    b->SetPixelFormat(format);
    b->SetSize(w, h);
    b->GetCanvas()->GetBrush()->SetColor(color);
    b->GetCanvas()->FillRect(Rect(0, 0, w, h));
    return b;
}

TEST(BitmapTest, CanvasDrawsIntoTheImage) {
    std::unique_ptr<TBitmap> b(Filled(20, 10, clWhite));
    TCanvas* c = b->GetCanvas();
    c->GetBrush()->SetColor(clRed);
    c->FillRect(Rect(2, 2, 6, 6));
    c->GetPen()->SetColor(clBlue);
    c->MoveTo(0, 9);
    c->LineTo(20, 9);
    EXPECT_EQ(c->GetPixel(3, 3), clRed);
    EXPECT_EQ(c->GetPixel(6, 6), clWhite);
    EXPECT_EQ(c->GetPixel(10, 9), clBlue);
    c->SetPixel(15, 1, clLime);
    EXPECT_EQ(c->GetPixel(15, 1), clLime);
}

TEST(BitmapTest, ScanLineZeroIsTheTopRow) {
    std::unique_ptr<TBitmap> b(Filled(4, 3, clBlack));
    b->GetCanvas()->SetPixel(1, 0, static_cast<TColor>(0x00332211)); // R=0x11 G=0x22 B=0x33
    auto* row = static_cast<uint8_t*>(b->GetScanLine(0));
    EXPECT_EQ(row[4 + 0], 0x33); // blue first, as DIB pixels are stored
    EXPECT_EQ(row[4 + 1], 0x22);
    EXPECT_EQ(row[4 + 2], 0x11);
    EXPECT_THROW(b->GetScanLine(3), EInvalidGraphicOperation);
}

TEST(BitmapTest, ResizingKeepsWhatFitsAndZeroHeightDiscards) {
    std::unique_ptr<TBitmap> b(Filled(8, 8, clRed));
    b->SetSize(12, 4);
    EXPECT_EQ(b->GetCanvas()->GetPixel(7, 3), clRed);
    EXPECT_EQ(b->GetCanvas()->GetPixel(10, 3), clBlack);
    b->SetHeight(0);
    EXPECT_TRUE(b->GetEmpty());
    b->SetHeight(4);
    EXPECT_EQ(b->GetCanvas()->GetPixel(0, 0), clBlack);
}

TEST(BitmapTest, ChangingPixelFormatKeepsPixels) {
    std::unique_ptr<TBitmap> b(Filled(5, 5, clTeal));
    b->SetPixelFormat(pf24bit);
    EXPECT_EQ(b->GetCanvas()->GetPixel(4, 4), clTeal);
    b->SetPixelFormat(pf32bit);
    EXPECT_EQ(b->GetCanvas()->GetPixel(0, 0), clTeal);
}

TEST(BitmapTest, DrawingOnTheCanvasFiresTheBitmapsChange) {
    std::unique_ptr<TBitmap> b(Filled(4, 4, clWhite));
    int changes = 0;
    b->OnChange = [&](TObject*) { ++changes; };
    b->GetCanvas()->FillRect(Rect(0, 0, 2, 2));
    EXPECT_GE(changes, 1);
}

TEST(BitmapTest, TransparentDrawLeavesTheKeyColourOut) {
    std::unique_ptr<TBitmap> dest(Filled(10, 10, clWhite));
    std::unique_ptr<TBitmap> sprite(Filled(4, 4, clFuchsia));
    sprite->GetCanvas()->SetPixel(1, 1, clNavy);
    sprite->SetTransparent(true);
    EXPECT_EQ(sprite->GetTransparentColor(), clFuchsia); // the bottom-left pixel
    dest->GetCanvas()->Draw(3, 3, sprite.get());
    EXPECT_EQ(dest->GetCanvas()->GetPixel(4, 4), clNavy);
    EXPECT_EQ(dest->GetCanvas()->GetPixel(3, 3), clWhite);

    sprite->SetTransparentColor(clNavy);
    EXPECT_EQ(sprite->GetTransparentMode(), tmFixed);
    std::unique_ptr<TBitmap> second(Filled(10, 10, clWhite));
    second->GetCanvas()->Draw(0, 0, sprite.get());
    EXPECT_EQ(second->GetCanvas()->GetPixel(1, 1), clWhite);
    EXPECT_EQ(second->GetCanvas()->GetPixel(0, 0), clFuchsia);
}

TEST(BitmapTest, MaskIsWhiteWhereTheKeyColourIs) {
    std::unique_ptr<TBitmap> b(Filled(3, 2, clRed));
    b->GetCanvas()->SetPixel(0, 0, clLime);
    b->SetTransparentColor(clRed);
    HBITMAP mask = b->GetMaskHandle();
    ASSERT_NE(mask, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mask);
    EXPECT_EQ(GetPixel(dc, 0, 0), 0x000000u);
    EXPECT_EQ(GetPixel(dc, 2, 1), 0xFFFFFFu);
    SelectObject(dc, old);
    DeleteDC(dc);
}

TEST(BitmapTest, CopyRectStretchesWithTheCopyMode) {
    std::unique_ptr<TBitmap> src(Filled(2, 2, clYellow));
    std::unique_ptr<TBitmap> dst(Filled(8, 8, clBlack));
    dst->GetCanvas()->CopyRect(Rect(0, 0, 8, 8), src->GetCanvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(dst->GetCanvas()->GetPixel(7, 7), clYellow);
    dst->GetCanvas()->SetCopyMode(cmNotSrcCopy);
    dst->GetCanvas()->CopyRect(Rect(0, 0, 4, 4), src->GetCanvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(dst->GetCanvas()->GetPixel(0, 0), clBlue); // not yellow
}

TEST(BitmapTest, AssignCopiesPixelsNotTheHandle) {
    std::unique_ptr<TBitmap> a(Filled(6, 3, clMaroon));
    TBitmap b;
    b.Assign(a.get());
    EXPECT_NE(b.GetHandle(), a->GetHandle());
    EXPECT_EQ(b.GetWidth(), 6);
    EXPECT_EQ(b.GetCanvas()->GetPixel(5, 2), clMaroon);
    a->GetCanvas()->SetPixel(0, 0, clWhite);
    EXPECT_EQ(b.GetCanvas()->GetPixel(0, 0), clMaroon);
}

// --- BMP files ------------------------------------------------------------------------------

class BmpRoundTrip : public testing::TestWithParam<TPixelFormat> {};

TEST_P(BmpRoundTrip, PixelsAndSizeSurvive) {
    std::unique_ptr<TBitmap> b(Filled(7, 5, clWhite, GetParam()));
    b->GetCanvas()->SetPixel(0, 0, clRed);
    b->GetCanvas()->SetPixel(6, 4, clBlue);
    b->GetCanvas()->SetPixel(3, 2, static_cast<TColor>(0x00123456));
    TMemoryStream stream;
    b->SaveToStream(&stream);
    const auto* bytes = static_cast<const uint8_t*>(stream.GetMemory());
    ASSERT_GE(stream.GetSize(), 54);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(bytes[28], GetParam() == pf24bit ? 24 : 32);

    stream.SetPosition(0);
    TBitmap loaded;
    loaded.LoadFromStream(&stream);
    EXPECT_EQ(loaded.GetWidth(), 7);
    EXPECT_EQ(loaded.GetHeight(), 5);
    EXPECT_EQ(loaded.GetPixelFormat(), GetParam());
    EXPECT_EQ(loaded.GetCanvas()->GetPixel(0, 0), clRed);
    EXPECT_EQ(loaded.GetCanvas()->GetPixel(6, 4), clBlue);
    EXPECT_EQ(loaded.GetCanvas()->GetPixel(3, 2), 0x00123456);
    EXPECT_EQ(loaded.GetCanvas()->GetPixel(1, 1), clWhite);
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());
}

INSTANTIATE_TEST_SUITE_P(Formats, BmpRoundTrip, testing::Values(pf24bit, pf32bit),
                         [](const testing::TestParamInfo<TPixelFormat>& info) {
                             return info.param == pf24bit ? "pf24bit" : "pf32bit";
                         });

// A 3x2 8-bit palette BMP written by hand, bottom-up, rows padded to 4 bytes.
std::vector<uint8_t> EightBitBmp() {
    std::vector<uint8_t> d = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54 + 8, 0, 0, 0, 40, 0, 0, 0,
                              3,   0,   0, 0, 2, 0, 0, 0, 1, 0, 8,      0, 0, 0, 0,  0, 0, 0,
                              0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 2,      0, 0, 0, 0,  0, 0, 0};
    // palette: 0 = red, 1 = green (BGRX)
    for (uint8_t v : {0, 0, 255, 0, 0, 255, 0, 0})
        d.push_back(v);
    for (uint8_t v : {0, 0, 1, 0})
        d.push_back(v); // bottom row: red red green
    for (uint8_t v : {1, 1, 0, 0})
        d.push_back(v); // top row: green green red
    return d;
}

TEST(BmpFileTest, ReadsPaletteImages) {
    std::vector<uint8_t> file = EightBitBmp();
    TBytesStream stream(file);
    TBitmap b;
    b.LoadFromStream(&stream);
    ASSERT_EQ(b.GetWidth(), 3);
    ASSERT_EQ(b.GetHeight(), 2);
    EXPECT_EQ(b.GetPixelFormat(), pf8bit);
    EXPECT_EQ(b.GetCanvas()->GetPixel(0, 0), clLime);
    EXPECT_EQ(b.GetCanvas()->GetPixel(2, 0), clRed);
    EXPECT_EQ(b.GetCanvas()->GetPixel(2, 1), clLime);
}

TEST(BmpFileTest, RejectsDamagedFiles) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> truncated = EightBitBmp();
    truncated.resize(truncated.size() - 3);
    std::vector<uint8_t> huge = EightBitBmp();
    huge[18] = 0xFF;
    huge[19] = 0xFF;
    huge[20] = 0xFF;
    std::vector<uint8_t> rle = EightBitBmp();
    rle[30] = 1;
    for (const Case& c : {Case{"not a bmp", {'P', 'N', 'G', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                          Case{"truncated pixels", truncated}, Case{"absurd width", huge},
                          Case{"run-length coded", rle}}) {
        TBytesStream stream(c.bytes);
        TBitmap b;
        EXPECT_THROW(b.LoadFromStream(&stream), EInvalidGraphic) << c.what;
    }
}

TEST(PictureTest, LoadsByExtensionAndRejectsUnknownOnes) {
    auto dir = std::filesystem::temp_directory_path() / ("qpic" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::unique_ptr<TBitmap> b(Filled(3, 3, clGreen));
    UnicodeString path = Utf8ToUnicode("C:" + (dir / "image.bmp").string());
    b->SaveToFile(path);

    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    picture.LoadFromFile(path);
    EXPECT_GE(changes, 1);
    ASSERT_NE(dynamic_cast<TBitmap*>(picture.GetGraphic()), nullptr);
    EXPECT_EQ(picture.GetWidth(), 3);
    EXPECT_EQ(picture.GetBitmap()->GetCanvas()->GetPixel(1, 1), clGreen);
    EXPECT_THROW(picture.LoadFromFile(u"C:\\nowhere\\image.xyz"), EInvalidGraphic);
    EXPECT_THROW(picture.LoadFromFile(u"C:\\nowhere\\image.bmp"), EFOpenError);
    std::filesystem::remove_all(dir);
}

} // namespace
