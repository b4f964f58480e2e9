// The tree's artwork from the library's resources: check strips of every
// drawn kind, the header glyphs and the header-split cursor.
#include "VirtualTreeTestSupport.h"

#include "benchkit/BenchkitInstance.h"
#include "benchkit/vtree/VirtualTreeShared.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Colors.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Screen.h>

namespace {

class Artwork : public VirtualTreeTest {
protected:
    // Image Index of the list drawn transparently on fuchsia; the colour at (X, Y).
    COLORREF DrawnAt(TCustomImageList* List, int Index, int X, int Y) {
        TBitmap target;
        target.SetPixelFormat(pf32bit);
        target.SetSize(16, 16);
        target.GetCanvas()->GetBrush()->SetColor(clFuchsia);
        target.GetCanvas()->FillRect(TRect{0, 0, 16, 16});
        ImageList_Draw(List->GetHandle(), Index, target.GetCanvas()->GetHandle(), 0, 0,
                       ILD_TRANSPARENT);
        return ColorToRGB(target.GetCanvas()->GetPixel(X, Y));
    }
};

TEST_F(Artwork, EachDrawnKindHasItsStripWithTheImagesAtTheirIndexes) {
    TTestTree* tree = MakeTree();
    const COLORREF window = ColorToRGB(clWindow), fuchsia = ColorToRGB(clFuchsia);
    struct Case {
        TCheckImageKind kind;
        COLORREF face; // inside an unchecked box: white follows clWindow except on XP
    } cases[] = {
        {ckLightCheck, window}, {ckDarkCheck, window},          {ckLightTick, window},
        {ckDarkTick, window},   {ckFlat, window},               {ckXP, RGB(0xF4, 0xF4, 0xF0)},
    };
    TCustomImageList* seen = nullptr;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        tree->SetCheckImageKind(c.kind);
        TCustomImageList* list = tree->GetCheckImages();
        ASSERT_NE(list, nullptr);
        EXPECT_NE(list, seen); // a strip of its own
        seen = list;
        EXPECT_EQ(list->GetCount(), 25);
        EXPECT_EQ(list->GetWidth(), 16);
        EXPECT_EQ(list->GetHeight(), 16);
        // Image 0 is empty; outside the box every image is transparent.
        EXPECT_EQ(DrawnAt(list, 0, 8, 8), fuchsia);
        EXPECT_EQ(DrawnAt(list, 9, 0, 0), fuchsia);
        EXPECT_EQ(DrawnAt(list, 9, 7, 7), c.face);
        // A checked box has its mark where the unchecked one is plain.
        EXPECT_NE(DrawnAt(list, 13, 8, 8), DrawnAt(list, 9, 8, 8));
        EXPECT_NE(DrawnAt(list, 5, 7, 7), DrawnAt(list, 1, 7, 7)); // the radio's dot
    }
    // The same kind is the same shared strip for every tree.
    TTestTree* other = MakeTree();
    other->SetCheckImageKind(ckXP);
    EXPECT_EQ(other->GetCheckImages(), seen);
}

// Every pixel of an image drawn on fuchsia, the list's image centred in Size.
std::vector<COLORREF> Pixels(TCustomImageList* List, int Index, int Size) {
    TBitmap target;
    target.SetPixelFormat(pf32bit);
    target.SetSize(Size, Size);
    target.GetCanvas()->GetBrush()->SetColor(clFuchsia);
    target.GetCanvas()->FillRect(TRect{0, 0, Size, Size});
    ImageList_Draw(List->GetHandle(), Index, target.GetCanvas()->GetHandle(),
                   (Size - List->GetWidth()) / 2, (Size - List->GetHeight()) / 2, ILD_TRANSPARENT);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) pixels.push_back(ColorToRGB(target.GetCanvas()->GetPixel(x, y)));
    return pixels;
}

TEST_F(Artwork, SystemStripsShowThePushButtonsOfTheDrawnStrips) {
    TTestTree* tree = MakeTree();
    struct Case {
        TCheckImageKind system, drawn;
    } cases[] = {{ckSystem, ckLightCheck}, {ckSystemFlat, ckFlat}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.system));
        tree->SetCheckImageKind(c.drawn);
        TCustomImageList* drawn = tree->GetCheckImages();
        tree->SetCheckImageKind(c.system);
        TCustomImageList* system = tree->GetCheckImages();
        ASSERT_EQ(system->GetCount(), 25);
        const int size = std::max(system->GetWidth(), drawn->GetWidth());
        for (int i = 21; i <= 24; ++i) {
            const std::vector<COLORREF> pixels = Pixels(system, i, size);
            EXPECT_EQ(pixels, Pixels(drawn, i, size)) << "image " << i;
            EXPECT_NE(pixels, Pixels(system, 0, size)) << "image " << i << " is not empty";
        }
    }
}

TEST_F(Artwork, ASystemColourChangeReloadsTheStripsWhereTheTreesHoldThem) {
    TTestTree* tree = MakeWindowedTree();
    TCustomImageList* list = tree->GetCheckImages();
    const std::vector<COLORREF> before = Pixels(list, 13, 16);
    const int glyphs = vtree::UtilityImages()->GetCount();
    ASSERT_GT(glyphs, 0);
    tree->Perform(CM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(tree->GetCheckImages(), list);
    ASSERT_EQ(list->GetCount(), 25);
    EXPECT_EQ(Pixels(list, 13, 16), before);
    EXPECT_EQ(vtree::UtilityImages()->GetCount(), glyphs);
}

TEST_F(Artwork, HeaderGlyphsAndTheSplitCursorComeFromTheLibrary) {
    MakeTree();
    int w = 0, h = 0;
    UtilityImageSize(w, h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);
    HCURSOR split = LoadCursorW(BenchkitInstance(), u"VT_HEADERSPLIT");
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(Screen->GetCursors(63), split);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(split, &info));
    EXPECT_EQ(info.xHotspot, 16u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
}

} // namespace
