// The header and its columns: width limits, auto-size, positions, the
// header stream with older versions, splitters, drops and the layout of a
// caption's image, text and sort glyph.
#include "VirtualTreeTestSupport.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Screen.h>
#include <runpak/Streams.h>

#include <cstring>

namespace {

class Header : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        tree = MakeWindowedTree();
        header = tree->GetHeader();
        columns = header->GetColumns();
        for (const char16_t* text : {u"One", u"Two", u"Three"}) columns->Add()->SetText(text);
    }
    TVirtualTreeColumn* Column(int i) { return columns->GetItem(i); }

    TTestTree* tree = nullptr;
    TVTHeader* header = nullptr;
    TVirtualTreeColumns* columns = nullptr;
};

TEST_F(Header, WidthsStayWithinTheirLimits) {
    TVirtualTreeColumn* c = Column(0);
    c->SetWidth(5);
    EXPECT_EQ(c->GetWidth(), 10);
    c->SetMinWidth(-3);
    EXPECT_EQ(c->GetMinWidth(), 0);
    c->SetMaxWidth(40);
    c->SetWidth(100);
    EXPECT_EQ(c->GetWidth(), 40);
    c->SetMargin(-1);
    EXPECT_EQ(c->GetMargin(), 4);
    // Lefts follow the widths of the visible columns before.
    EXPECT_EQ(Column(1)->GetLeft(), 40);
    EXPECT_EQ(Column(2)->GetLeft(), 90);
}

TEST_F(Header, AnInvalidAutoSizeIndexSizesTheLastColumn) {
    header->SetAutoSizeIndex(-1);
    header->SetOptions(header->GetOptions() + hoAutoResize);
    EXPECT_EQ(Column(2)->GetWidth(), tree->GetClientWidth() - 100);
}

TEST_F(Header, StreamRoundTripKeepsPositionsWidthsAndSortState) {
    Column(0)->SetWidth(70);
    Column(2)->SetPosition(0);
    Column(1)->SetOptions(Column(1)->GetOptions() - coDraggable);
    header->SetSortColumn(1);
    header->SetSortDirection(sdDescending);
    header->SetMainColumn(2);
    TMemoryStream stream;
    header->SaveToStream(&stream);

    TTestTree* other = MakeWindowedTree();
    stream.SetPosition(0);
    other->GetHeader()->LoadFromStream(&stream);
    TVirtualTreeColumns* read = other->GetHeader()->GetColumns();
    ASSERT_EQ(read->GetCount(), 3);
    EXPECT_TRUE(read->Equals(columns));
    EXPECT_EQ(read->GetPositionToIndex(), (std::vector<TColumnIndex>{2, 0, 1}));
    EXPECT_EQ(other->GetHeader()->GetSortColumn(), 1);
    EXPECT_EQ(other->GetHeader()->GetSortDirection(), sdDescending);
    EXPECT_EQ(other->GetHeader()->GetMainColumn(), 2);
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());
}

// A version 1 stream (or one without marker) written field by field.
void WriteOldStream(TStream& S, bool Marker, uint32_t ColumnOptions) {
    auto put = [&S](int32_t v) { S.WriteBuffer(&v, 4); };
    if (Marker) {
        put(-1);
        put(1);
    }
    put(1); // one column
    put(1);
    S.WriteBuffer(u"A", 2);
    put(0); // no hint
    for (int32_t v : {60, 10, 10000, 0, -1, 0, 4, 4, 0}) put(v);
    put(int32_t(ColumnOptions));
    if (Marker) {
        put(7); // tag
        put(0); // alignment
    }
    put(0); // position array
    for (int32_t v : {0, int32_t(clBtnFace), 17, 0, 0, 0, -11}) put(v);
    put(0); // empty font name
    put(0);
    put(0);
    if (Marker)
        for (int32_t v : {0, 0, 0}) put(v);
}

TEST_F(Header, OldColumnOptionsGainTheParentBidiBit) {
    TMemoryStream stream;
    WriteOldStream(stream, true, 0xFF);
    stream.SetPosition(0);
    header->LoadFromStream(&stream);
    ASSERT_EQ(columns->GetCount(), 1);
    EXPECT_EQ(Column(0)->GetOptions().ToInt(), 0xEF);
    EXPECT_EQ(Column(0)->GetTag(), 7);
    EXPECT_EQ(Column(0)->GetWidth(), 60);
}

TEST_F(Header, AStreamWithoutMarkerKeepsMainAndSortColumns) {
    header->SetSortColumn(0);
    TMemoryStream stream;
    WriteOldStream(stream, false, 0xFF);
    stream.SetPosition(0);
    header->LoadFromStream(&stream);
    EXPECT_EQ(columns->GetCount(), 1);
    EXPECT_EQ(header->GetSortColumn(), 0);
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());
}

TEST_F(Header, ADamagedPositionArrayIsNotTrusted) {
    TMemoryStream stream;
    header->SaveToStream(&stream);
    // The position array follows the three column records: point it outside.
    const int64_t end = stream.GetSize();
    TMemoryStream damaged;
    stream.SetPosition(0);
    std::vector<char> bytes(static_cast<size_t>(end));
    stream.ReadBuffer(bytes.data(), int(end));
    // Locate the array: three entries 0, 1, 2 in a row.
    const int32_t pattern[3] = {0, 1, 2};
    for (size_t i = 8; i + 12 <= bytes.size(); ++i)
        if (std::memcmp(bytes.data() + i, pattern, 12) == 0) {
            const int32_t bad = 99;
            std::memcpy(bytes.data() + i, &bad, 4);
            break;
        }
    damaged.WriteBuffer(bytes.data(), int(bytes.size()));
    damaged.SetPosition(0);
    header->LoadFromStream(&damaged);
    EXPECT_EQ(columns->GetPositionToIndex(), (std::vector<TColumnIndex>{0, 1, 2}));
}

TEST_F(Header, ASplitterOfAFixedSizeColumnStartsNoTracking) {
    EXPECT_NE(Screen->GetCursors(63), nullptr) << "the splitter cursor is set up with the first tree";
    Column(0)->SetOptions(Column(0)->GetOptions() - coResizable);
    EXPECT_FALSE(header->DetermineSplitterIndex(TPoint{50, 5}));
    EXPECT_TRUE(header->DetermineSplitterIndex(TPoint{101, 5}));
    EXPECT_EQ(columns->FTrackIndex, 1);
    EXPECT_FALSE(header->DetermineSplitterIndex(TPoint{75, 5}));
}

TEST_F(Header, DeletingColumnsMovesTheSortColumn) {
    header->SetSortColumn(2);
    columns->Delete(0);
    EXPECT_EQ(header->GetSortColumn(), 1);
    columns->Delete(1);
    EXPECT_EQ(header->GetSortColumn(), -1);
    EXPECT_EQ(columns->GetPositionToIndex(), (std::vector<TColumnIndex>{0}));
}

TEST_F(Header, AColumnMovedBesideAFixedOneBecomesFixed) {
    Column(0)->SetOptions(Column(0)->GetOptions() + coFixed);
    Column(2)->SetPosition(0);
    EXPECT_TRUE(Column(2)->GetOptions().Contains(coFixed));
    EXPECT_EQ(columns->GetVisibleFixedWidth(), 100);
}

TEST_F(Header, HitTestsFollowPositions) {
    Column(2)->SetPosition(0);
    EXPECT_EQ(columns->ColumnFromPosition(TPoint{10, 5}), 2);
    EXPECT_EQ(columns->ColumnFromPosition(TPoint{60, 5}), 0);
    EXPECT_EQ(columns->ColumnFromPosition(TPoint{-1, 5}), InvalidColumn);
    EXPECT_EQ(columns->ColumnFromPosition(TPoint{151, 5}), InvalidColumn);
    EXPECT_EQ(columns->ColumnFromPosition(TColumnPosition(3)), NoColumn);
}

// --- Layout ---------------------------------------------------------------------------------------

struct LayoutCase {
    const char* Name;
    TAlignment Alignment;
    TVTHeaderColumnLayout Layout;
    TBiDiMode BidiMode;
    bool Image;
    bool SortGlyph;
    TPoint ImagePos;
    TPoint SortPos;
};

// A 100 x 17 button, margin and spacing 4, images and glyphs 16 square, no text.
const LayoutCase kLayouts[] = {
    {"LeftImageThenGlyph", taLeftJustify, blGlyphLeft, bdLeftToRight, true, true, {4, 0}, {24, 0}},
    {"RightGlyphOutermost", taRightJustify, blGlyphLeft, bdLeftToRight, true, true, {60, 0}, {80, 0}},
    {"CentredImage", taCenter, blGlyphLeft, bdLeftToRight, true, false, {42, 0}, {0, 0}},
    {"RightToLeftMirrorsAndPutsTheGlyphInside", taLeftJustify, blGlyphLeft, bdRightToLeft, true, true, {80, 0}, {60, 0}},
    {"GlyphAloneIsCentred", taLeftJustify, blGlyphLeft, bdLeftToRight, false, true, {0, 0}, {42, 0}},
    {"ImageOnTopIsCentred", taLeftJustify, blGlyphTop, bdLeftToRight, true, false, {42, 0}, {0, 0}},
};

class HeaderLayout : public Header, public testing::WithParamInterface<LayoutCase> {};

TEST_P(HeaderLayout, PlacesImageAndSortGlyph) {
    const LayoutCase& c = GetParam();
    TCustomImageList images(16, 16);
    header->SetImages(&images);
    TVirtualTreeColumn* column = Column(0);
    column->SetText(u"");
    column->SetImageIndex(0);
    column->SetAlignment(c.Alignment);
    column->SetLayout(c.Layout);
    column->SetBiDiMode(c.BidiMode);
    TBitmap bitmap;
    bitmap.SetSize(100, 17);
    TPoint image{}, sort{};
    TRect text{};
    column->ComputeHeaderLayout(bitmap.GetCanvas()->GetHandle(), TRect{0, 0, 100, 17}, c.Image,
                                c.SortGlyph, image, sort, text);
    if (c.Image) {
        EXPECT_EQ(image.x, c.ImagePos.x);
        EXPECT_EQ(image.y, c.ImagePos.y);
    }
    if (c.SortGlyph) {
        EXPECT_EQ(sort.x, c.SortPos.x);
        EXPECT_EQ(sort.y, c.SortPos.y);
    }
    header->SetImages(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, HeaderLayout, testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(Header, TextSitsBetweenImageAndSortGlyphWithinTheMargins) {
    TCustomImageList images(16, 16);
    header->SetImages(&images);
    TVirtualTreeColumn* column = Column(0);
    column->SetText(u"Name");
    column->SetImageIndex(0);
    TBitmap bitmap;
    bitmap.SetSize(200, 17);
    HDC dc = bitmap.GetCanvas()->GetHandle();
    SIZE extent{};
    GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(u"Name"), 4, &extent);
    TPoint image{}, sort{};
    TRect text{};
    column->ComputeHeaderLayout(dc, TRect{10, 0, 210, 17}, true, true, image, sort, text);
    EXPECT_EQ(image.x, 14);
    EXPECT_EQ(text.left, 34);
    EXPECT_EQ(text.right, 34 + extent.cx + 2);
    EXPECT_EQ(sort.x, text.right + 4);
    // A narrow button cuts the text at the glyph.
    column->ComputeHeaderLayout(dc, TRect{0, 0, 50, 17}, true, true, image, sort, text);
    EXPECT_EQ(sort.x, 30);
    EXPECT_LE(text.right, sort.x - 4);
    header->SetImages(nullptr);
}

// --- Clicks on the header ---------------------------------------------------------------------

TEST_F(Header, AClickOnACaptionReachesTheTreeWithTheHeaderAsSender) {
    header->SetOptions(header->GetOptions() + hoVisible);
    Pump();
    TColumnIndex clicked = NoColumn;
    TVTHeader* sender = nullptr;
    tree->OnHeaderClick = [&](TVTHeader* Sender, TColumnIndex Column, TMouseButton, TShiftState,
                              int, int) {
        clicked = Column;
        sender = Sender;
    };
    POINT p{60, -header->GetHeight() / 2};
    ClientToScreen(tree->GetHandle(), &p);
    const LPARAM at = MAKELPARAM(p.x, p.y);
    SendMessageW(tree->GetHandle(), WM_NCLBUTTONDOWN, HTBORDER, at);
    SendMessageW(tree->GetHandle(), WM_NCLBUTTONUP, HTBORDER, at);
    EXPECT_EQ(clicked, 1);
    EXPECT_EQ(sender, header);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Header, ADraggedColumnsPictureFollowsTheMouseAlongTheHeader) {
    const bool mmx = MMXAvailable;
    MMXAvailable = true;
    header->SetOptions(header->GetOptions() + hoVisible + hoRestrictDrag);
    Pump();
    POINT down{60, -header->GetHeight() / 2}; // in column 1 ("Two", 50..100)
    ClientToScreen(tree->GetHandle(), &down);
    SendMessageW(tree->GetHandle(), WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(down.x, down.y));
    auto moveTo = [&](int X, int Y) { // client coordinates, as under capture
        SendMessageW(tree->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(X, Y));
    };
    moveTo(70, -header->GetHeight() / 2);
    ASSERT_TRUE(header->GetStates().Contains(hsDragging));
    TVTDragImage* image = header->GetDragImage();
    ASSERT_TRUE(image->Visible());
    POINT column{50, -header->GetHeight()};
    ClientToScreen(tree->GetHandle(), &column);
    EXPECT_EQ(image->GetImagePosition(), (TPoint{column.x, column.y}));
    const TRect r = image->GetDragImageRect();
    EXPECT_EQ(r.right - r.left, 50);
    EXPECT_EQ(r.bottom - r.top, header->GetHeight());
    // Restricted to the header's line: only the horizontal part of a move counts.
    moveTo(90, 30);
    EXPECT_EQ(image->GetImagePosition(), (TPoint{column.x + 20, column.y}));

    moveTo(130, -header->GetHeight() / 2); // the right half of Three
    SendMessageW(tree->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(130, -header->GetHeight() / 2));
    EXPECT_FALSE(image->Visible());
    EXPECT_TRUE(image->GetStates().Empty());
    EXPECT_EQ(Column(1)->GetPosition(), 2u) << "dropped after Three";
    MMXAvailable = mmx;
}

} // namespace
