// The string tree's exports of a three-level, three-column tree, compared
// with the expected files under export/, and the escaping and quoting of
// awkward texts.
#include "VirtualTreeTestSupport.h"

#include <quorlpak/Font.h>
#include <runpak/FormatSettings.h>

#include <filesystem>
#include <iomanip>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// The expected files, found from the working folder upwards (builds live
// inside the source tree) or next to this source.
std::filesystem::path ExportFolder() {
    const std::filesystem::path relative = "tests/benchkit/vtree/export";
    for (auto dir = std::filesystem::current_path(); !dir.empty(); dir = dir.parent_path()) {
        if (std::filesystem::is_directory(dir / relative)) return dir / relative;
        if (dir == dir.parent_path()) break;
    }
    return std::filesystem::path(__FILE__).parent_path() / "export";
}

std::string ReadExpected(const char* Name) {
    std::ifstream in(ExportFolder() / Name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing " << (ExportFolder() / Name);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class Export : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        tree = new TVirtualStringTree(Application);
        tree->GetFont()->SetName(u"DejaVu Sans");
        tree->GetFont()->SetSize(9);
        tree->GetHeader()->GetFont()->SetName(u"DejaVu Sans");
        tree->GetHeader()->GetFont()->SetSize(9);
        tree->GetHeader()->GetFont()->SetStyle(TFontStyles{fsBold});
        tree->OnGetText = [this](TBaseVirtualTree*, PVirtualNode node, TColumnIndex column,
                                 TQOZTextType, UnicodeString& text) {
            text = texts[{Path(node), column}];
        };
    }
    void AddColumns() {
        TVirtualTreeColumns* columns = tree->GetHeader()->GetColumns();
        const std::pair<const char16_t*, int> spec[] = {{u"Name", 150}, {u"Size", 60},
                                                         {u"Note <i>", 120}};
        for (const auto& [text, width] : spec) {
            TVirtualTreeColumn* column = columns->Add();
            column->SetText(text);
            column->SetWidth(width);
        }
        columns->GetItem(1)->SetAlignment(taRightJustify);
        tree->GetHeader()->SetMainColumn(0);
    }
    // Alpha > Beta > Gamma, and Delta at the top; awkward texts on purpose.
    void AddNodes() {
        tree->SetRootNodeCount(2);
        PVirtualNode alpha = NodeAt(tree, {0});
        tree->SetChildCount(alpha, 1);
        tree->SetChildCount(alpha->FirstChild, 1);
        Put({0}, {u"Alpha", u"1", u"first"});
        Put({0, 0}, {u"Beta \"b\"", u"22", u"tab\there"});
        Put({0, 0, 0}, {u"Gamma & <g>", u"333", u"caf\u00e9 {x} \\y"});
        Put({1}, {u"Delta, d", u"4", u"line\r\nbreak"});
    }
    void Put(std::vector<uint32_t> Path, std::vector<UnicodeString> Cells) {
        for (size_t i = 0; i < Cells.size(); ++i)
            texts[{Path, TColumnIndex(i)}] = Cells[i];
        texts[{Path, NoColumn}] = Cells[0];
    }
    std::vector<uint32_t> Path(PVirtualNode Node) const {
        std::vector<uint32_t> path;
        for (; Node != tree->GetRootNode(); Node = Node->Parent)
            path.insert(path.begin(), Node->Index);
        return path;
    }

    TVirtualStringTree* tree = nullptr;
    std::map<std::pair<std::vector<uint32_t>, TColumnIndex>, UnicodeString> texts;
};

std::string Utf8Of(const UnicodeString& S) {
    return UnicodeToUtf8(S);
}

TEST_F(Export, EveryRenderingMatchesItsExpectedFile) {
    AddColumns();
    AddNodes();
    FormatSettings().ListSeparator = u';';
    EXPECT_EQ(tree->ContentToText(tstAll, '\t'), ReadExpected("tree.txt"));
    EXPECT_EQ(Utf8Of(tree->ContentToUnicode(tstAll, u'\t')), ReadExpected("tree-unicode.txt"));
    HGLOBAL csv = tree->ContentToClipboard(CF_CSV, tstAll);
    ASSERT_NE(csv, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(csv))), ReadExpected("tree.csv"));
    GlobalUnlock(csv);
    GlobalFree(csv);
    FormatSettings().ListSeparator = u',';
    EXPECT_EQ(tree->ContentToHTML(tstAll, u"Files & <folders>"), ReadExpected("tree.html"));
    EXPECT_EQ(tree->ContentToRTF(tstAll), ReadExpected("tree.rtf"));
}

TEST_F(Export, WithoutColumnsOnlyLevelsIndent) {
    AddNodes();
    EXPECT_EQ(tree->ContentToText(tstAll, ','),
              "Alpha\r\n,Beta \"b\"\r\n,,Gamma & <g>\r\nDelta, d\r\n");
}

TEST_F(Export, AnEmptyTreeExportsOnlyItsHeader) {
    AddColumns();
    EXPECT_EQ(tree->ContentToText(tstAll, '\t'), "Name\tSize\tNote <i>\r\n");
    const std::string html = tree->ContentToHTML(tstAll, UnicodeString());
    EXPECT_NE(html.find("<th"), std::string::npos);
    EXPECT_EQ(html.find("<td"), std::string::npos);
}

TEST_F(Export, RtfWritesCharactersBeyondAsciiAsUnicodeEscapes) {
    AddNodes();
    texts[{{1}, NoColumn}] = u"\u00e9\ufffd";
    const std::string rtf = tree->ContentToRTF(tstAll);
    EXPECT_NE(rtf.find("\\u233\\'3f\\u-3\\'3f"), std::string::npos);
    EXPECT_NE(rtf.find("Gamma & <g>"), std::string::npos);
}

TEST_F(Export, ClipboardBlocksAreZeroTerminatedAndHtmlIsWrapped) {
    // An empty tree's HTML: the offsets of the wrapper alone.
    const std::string empty = tree->ContentToHTML(tstAll, UnicodeString());
    HGLOBAL html = tree->ContentToClipboard(CF_HTML, tstAll);
    ASSERT_NE(html, nullptr);
    const std::string wrapped(static_cast<const char*>(GlobalLock(html)));
    GlobalUnlock(html);
    const size_t l = empty.size();
    std::ostringstream expected;
    expected << "Version:1.0\r\nStartHTML:00000097\r\nEndHTML:" << std::setw(8)
             << std::setfill('0') << 301 + l << "\r\nStartFragment:00000269\r\nEndFragment:"
             << std::setw(8) << std::setfill('0') << 269 + l << "\r\n";
    EXPECT_EQ(wrapped.substr(0, 97), expected.str());
    EXPECT_EQ(wrapped.substr(269, l), empty);
    EXPECT_EQ(wrapped.size(), 301 + l);
    EXPECT_EQ(GlobalSize(html), wrapped.size() + 1);
    GlobalFree(html);

    AddNodes();
    HGLOBAL unicode = tree->ContentToClipboard(CF_UNICODETEXT, tstAll);
    ASSERT_NE(unicode, nullptr);
    const UnicodeString text = tree->ContentToUnicode(tstAll, u'\t');
    EXPECT_EQ(GlobalSize(unicode), 2 * (text.size() + 1));
    EXPECT_EQ(UnicodeString(static_cast<const char16_t*>(GlobalLock(unicode))), text);
    GlobalUnlock(unicode);
    GlobalFree(unicode);
    EXPECT_EQ(tree->ContentToClipboard(CF_BITMAP, tstAll), nullptr);
}

TEST_F(Export, SourcesPickTheirNodes) {
    AddNodes();
    tree->SetSelected(NodeAt(tree, {1}), true);
    EXPECT_EQ(tree->ContentToText(tstSelected, ','), "Delta, d\r\n");
    // Beta and Gamma wait under a collapsed Alpha.
    EXPECT_EQ(tree->ContentToText(tstVisible, ','), "Alpha\r\nDelta, d\r\n");
}

} // namespace
