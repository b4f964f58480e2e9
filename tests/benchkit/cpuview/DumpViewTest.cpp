// The memory dump against a scripted memory: what each scroll fetches, how
// the buffer grows both ways, short reads, element and text columns, the
// selection and the offset range.
#include "CPUViewTestSupport.h"

#include <runpak/Exceptions.h>
#include <runpak/Format.h>

#include <cstring>

namespace {

class DumpViewTest : public CPUViewTest {
protected:
    struct Fetch {
        int64_t offset;
        int32_t count;
        friend bool operator==(const Fetch&, const Fetch&) = default;
    };
    // Memory where each byte is the low byte of its offset, readable from
    // ReadableFrom on; it records every fetch.
    TDumpView* MakeView(int Rows = 4) {
        TForm* form = ShownForm(700, 400);
        auto* view = new TDumpView(form);
        view->SetBorderStyle(bsNone);
        view->OnGetData = [this](TObject*, int64_t Offset, int32_t Count, void* Buffer,
                                 int32_t& BytesInBuffer) {
            Fetches.push_back({Offset, Count});
            auto* bytes = static_cast<uint8_t*>(Buffer);
            BytesInBuffer = 0;
            for (int32_t i = 0; i < Count; ++i) {
                if (Offset + i < ReadableFrom || Offset + i >= ReadableTo) break;
                bytes[i] = Memory.empty() ? static_cast<uint8_t>(Offset + i)
                                          : Memory[static_cast<size_t>(Offset + i) % Memory.size()];
                ++BytesInBuffer;
            }
        };
        Place(view, 600, 100);
        view->SetHeight(view->GetDefaultRowHeight() * Rows + view->GetDefaultRowHeight() / 2);
        Pump();
        Fetches.clear();
        return view;
    }
    std::vector<Fetch> Fetches;
    std::vector<uint8_t> Memory;
    int64_t ReadableFrom = 0;
    int64_t ReadableTo = INT64_MAX;
};

TEST_F(DumpViewTest, WithoutAHostEveryByteIsZeroAndAControlCharacter) {
    TForm* form = ShownForm();
    auto* view = new TDumpView(form);
    Place(view, 400, 100);
    EXPECT_EQ(view->GetDataString(1, 0), u"00");
    EXPECT_EQ(view->GetDataString(9, 1), u"........");
    EXPECT_EQ(view->GetDataString(0, 1), u"00000008");
}

TEST_F(DumpViewTest, ScrollingFetchesOnlyTheBytesItExposes) {
    for (bool descending : {false, true}) {
        TDumpView* view = MakeView(4); // 4 whole rows + 1 partial, of 8 bytes each
        view->SetDescending(descending);
        view->SetTopOffset(0x1000);
        ASSERT_EQ(view->GetDataSize(), 40);
        // The first byte in the buffer for a top offset.
        auto start = [&](int64_t Top) { return descending ? Top + 1 - 40 : Top; };
        struct Case {
            int64_t top;
            Fetch fetch;
        } cases[] = {
            {0x1008, {start(0x1008) + 32, 8}}, // one row further: the new tail
            {0x1000, {start(0x1000), 8}},      // and back: the new head
            {0x1003, {start(0x1003) + 37, 3}}, // three bytes
            {0x2000, {start(0x2000), 40}},     // far away: everything
        };
        for (const Case& c : cases) {
            Fetches.clear();
            view->SetTopOffset(c.top);
            EXPECT_EQ(Fetches, std::vector<Fetch>{c.fetch})
                << descending << " " << std::hex << c.top;
        }
        view->SetTopOffset(0x1FF8);
        const UnicodeString kept = view->GetDataString(9, 2);
        view->RefreshBuffer(); // the bytes kept agree with a fresh fetch
        EXPECT_EQ(view->GetDataString(9, 2), kept);
    }
}

TEST_F(DumpViewTest, TheBufferGrowsAtTheEndItsRowsRunTo) {
    for (bool descending : {false, true}) {
        TDumpView* view = MakeView(4);
        view->SetDescending(descending);
        view->SetTopOffset(0x800);
        Fetches.clear();
        const int h = view->GetDefaultRowHeight();
        view->SetHeight(h * 6 + h / 2);
        Pump();
        ASSERT_EQ(view->GetDataSize(), 56);
        const Fetch expected = descending ? Fetch{0x800 + 1 - 56, 16} : Fetch{0x800 + 40, 16};
        EXPECT_EQ(Fetches, std::vector<Fetch>{expected}) << descending;
        EXPECT_EQ(view->GetDataString(1, 5), descending ? u"d8" : u"28");
    }
}

TEST_F(DumpViewTest, BytesTheHostCouldNotReadShowAsUnreadable) {
    TDumpView* view = MakeView(4);
    view->SetTopOffset(0x100);
    ReadableTo = 0x10C; // a page ends inside row 1
    view->RefreshBuffer();
    struct Case {
        int col, row;
        const char16_t* text;
    } cases[] = {{4, 1, u"0b"}, {5, 1, u"??"}, {9, 1, u"....????"}, {1, 3, u"??"}};
    for (const Case& c : cases)
        EXPECT_EQ(view->GetDataString(c.col, c.row), c.text) << c.col << "," << c.row;
    // Kept bytes stay unreadable until fetched again; never stale memory.
    ReadableTo = INT64_MAX;
    view->SetTopOffset(0x108);
    EXPECT_EQ(view->GetDataString(5, 0), u"??");
    view->RefreshBuffer();
    EXPECT_EQ(view->GetDataString(5, 0), u"0c");
    view->SetViewType(vtWord);
    ReadableTo = 0x10B;
    view->RefreshBuffer();
    EXPECT_EQ(view->GetDataString(1, 0), u"0908");
    EXPECT_EQ(view->GetDataString(2, 0), u"????"); // one of its bytes is missing
}

TEST_F(DumpViewTest, ElementTypesFormatTheirBytes) {
    TDumpView* view = MakeView(4);
    const double d = -2.5;
    const float f = 1.5f;
    Memory.assign(64, 0);
    for (int i = 0; i < 16; ++i)
        Memory[i] = static_cast<uint8_t>(0x10 + i);
    std::memcpy(&Memory[16], &f, 4);
    std::memcpy(&Memory[24], &d, 8);
    view->RefreshBuffer();
    struct Case {
        TViewType type;
        int col, row;
        UnicodeString text;
    } cases[] = {
        {vtByte, 2, 0, u"11"},
        {vtWord, 1, 0, u"1110"},
        {vtLong, 2, 0, u"17161514"},
        {vtQWord, 1, 1, u"1f1e1d1c1b1a1918"},
        {vtDQWord, 1, 0, u"1f1e1d1c1b1a19181716151413121110"},
        {vtSingle, 1, 2, Format(u"%15.8g", 1.5f)},
        {vtDouble, 1, 3, Format(u"%24.14g", -2.5)},
    };
    for (const Case& c : cases) {
        view->SetViewType(c.type);
        EXPECT_EQ(view->GetDataString(c.col, c.row), c.text) << c.type;
    }
}

TEST_F(DumpViewTest, TextColumnsByEncoding) {
    TDumpView* view = MakeView(4);
    Memory.assign(40, 'x');
    const uint8_t head[] = {'A', 0xE2, 0x82, 0xAC, 'b', 0x01, 'c', 'd', 0xC3, 0xA9};
    std::memcpy(Memory.data(), head, sizeof head);
    Memory[39] = 0xE2; // the last byte of the data starts a sequence
    view->SetViewType(vtUTF8);
    struct Case {
        int row;
        const char16_t* text;
    } cases[] = {{0, u"A\u20ACb.cd"}, {1, u"\u00E9xxxxxx"}, {4, u"xxxxxxx."}};
    for (const Case& c : cases)
        EXPECT_EQ(view->GetDataString(9, c.row), c.text) << c.row;

    Memory = {'H', 0, 'i', 0, 0x05, 0, 0xAC, 0x20};
    view->SetViewType(vtUnicode);
    EXPECT_EQ(view->GetDataString(5, 0), u"Hi \u20AC");
    view->SetViewType(vtByte);
    EXPECT_EQ(view->GetDataString(9, 0), u"H.i...\u00AC ");
}

TEST_F(DumpViewTest, ViewTypesBringTheirColumnsAndTheSelectionSnapsToAnElement) {
    TDumpView* view = MakeView(4);
    view->SetViewType(vtLong);
    EXPECT_EQ(view->GetDataColumns(), 2);
    EXPECT_TRUE(view->GetShowTextColumn());
    EXPECT_EQ(view->GetColCount(), 4);
    view->SetViewType(vtDouble);
    EXPECT_FALSE(view->GetShowTextColumn());
    EXPECT_EQ(view->GetColCount(), 2);
    view->SetViewType(vtByte);
    EXPECT_THROW(view->SetDataColumns(1), Exception);
    EXPECT_EQ(view->GetDataColumns(), 8);

    view->SetViewType(vtWord);
    view->SetTopOffset(0x200);
    view->SetSelectedOffset(0x305);
    EXPECT_EQ(view->GetSelectedOffset(), 0x304);
    EXPECT_EQ(view->GetSelectedData(), u"0504");
}

TEST_F(DumpViewTest, TheRangeLimitsScrollingAndBlanksCellsOutside) {
    TDumpView* view = MakeView(4);
    view->SetMinOffset(0x104);
    view->SetMaxOffset(0x13A);
    view->SetTopOffset(0x10);
    EXPECT_EQ(view->GetTopOffset(), 0x104);
    view->SetMinOffset(0x110); // the selection moves into the range
    EXPECT_EQ(view->GetSelectedOffset(), 0x110);
    view->SetTopOffset(0x1000); // the row holding the last offset ends the screen
    EXPECT_EQ(view->GetTopOffset(), 0x138 + 8 - 32);
    EXPECT_EQ(view->GetDataString(3, 3), u"3a");
    EXPECT_EQ(view->GetDataString(4, 3), u"");
    EXPECT_EQ(view->GetDataString(9, 3).substr(3), u"     ");
}

} // namespace
