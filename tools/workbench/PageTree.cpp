// The tree page: a string tree of a million rows in four columns, with a
// sortable header, check boxes, images and Latin and Japanese text. The rows
// live in a small model here; the tree asks for each cell as it paints, and a
// header click sorts the model and repaints. It is there to be used: click,
// Shift-click, expand, F2 to rename, type to search, tick boxes, and rest the
// mouse on a cut cell for its full text. What the user does is logged on
// standard output ("tree: ..."), where a script driving the page reads it.
#include "WorkbenchPage.h"

#include <benchkit/vtree/IDEVirtualTrees.h>
#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/ImgList.h>
#include <runpak/Strings.h>
#include <win32/TestSeams.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr uint32_t RowCount = 1000000;

const char16_t* const kLatin[] = {u"amber",  u"birch",  u"cobalt", u"delta", u"ember",
                                  u"fjord",  u"garnet", u"harbor", u"iris",  u"juniper",
                                  u"kestrel", u"lumen", u"meadow", u"nectar", u"onyx"};
const char16_t* const kJapanese[] = {u"桜", u"山", u"川", u"空", u"海", u"森", u"花", u"雪",
                                     u"風", u"月", u"星", u"雲", u"光", u"石", u"鳥"};
constexpr uint32_t WordCount = 15;

uint32_t Mix(uint32_t R, uint32_t Salt) {
    uint32_t x = R * 2654435761u + Salt;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    return x;
}

// The rows: row r's cells are derived from r; Order maps a top-level index
// to its row.
struct TTreeModel {
    std::vector<uint32_t> Order;
    TColumnIndex SortColumn = NoColumn;
    TSortDirection Direction = sdAscending;
    // Names the user gave rows (column 0) in place of the made-up ones.
    std::map<uint32_t, UnicodeString> Names;

    TTreeModel() : Order(RowCount) { std::iota(Order.begin(), Order.end(), 0u); }

    static uint32_t Latin(uint32_t R) { return Mix(R, 1) % WordCount; }
    static uint32_t Japanese(uint32_t R) { return Mix(R, 7) % WordCount; }
    static uint32_t Number(uint32_t R) { return Mix(R, 3) % 1000000; }

    UnicodeString Text(uint32_t R, TColumnIndex Column) const {
        switch (Column) {
        case 0:
        {
            if (auto named = Names.find(R); named != Names.end()) return named->second;
            UnicodeString digits = IntToStr(int(R));
            return u"Item " + UnicodeString(7 - std::min<size_t>(7, digits.length()), u'0') + digits;
        }
        case 1:
            return UnicodeString(kLatin[Latin(R)]) + u" " + IntToStr(int(R % 97));
        case 2:
            return UnicodeString(kJapanese[Japanese(R)]) + kJapanese[Japanese(R + 1)] + u"の項目";
        default:
            return IntToStr(int(Number(R)));
        }
    }

    void Sort(TColumnIndex Column, TSortDirection NewDirection) {
        auto key = [Column](uint32_t R) -> uint64_t {
            switch (Column) {
            case 1:
                return (uint64_t(Latin(R)) << 32) | (R % 97) << 24 | (R & 0xFFFFFF);
            case 2:
                return (uint64_t(Japanese(R)) << 32) | R;
            case 3:
                return (uint64_t(Number(R)) << 32) | R;
            default:
                return R;
            }
        };
        std::vector<std::pair<uint64_t, uint32_t>> keyed(Order.size());
        for (size_t i = 0; i < Order.size(); ++i) keyed[i] = {key(Order[i]), Order[i]};
        std::sort(keyed.begin(), keyed.end());
        if (NewDirection == sdDescending) std::reverse(keyed.begin(), keyed.end());
        for (size_t i = 0; i < keyed.size(); ++i) Order[i] = keyed[i].second;
        SortColumn = Column;
        Direction = NewDirection;
    }
};

TTreeModel* Model = nullptr;
TVirtualStringTree* Tree = nullptr;

void Log(const std::string& What, const UnicodeString& Text = UnicodeString()) {
    std::printf("tree: %s%s\n", What.c_str(), UnicodeToUtf8(Text).c_str());
    std::fflush(stdout);
}

UnicodeString NameOf(PVirtualNode Node) {
    return Node ? Tree->GetText(Node, 0) : UnicodeString(u"(none)");
}

// Where the tree lies on the screen, for whoever drives it from outside: its
// client origin, row height, header height and the columns' left edges.
void LogGeometry() {
    const TPoint origin = Tree->ClientToScreen(TPoint(0, 0));
    TVirtualTreeColumns* columns = Tree->GetHeader()->GetColumns();
    std::printf("tree: geometry %d %d %d %d", int(origin.x), int(origin.y),
                int(Tree->GetDefaultNodeHeight()), Tree->GetHeader()->GetHeight());
    for (int i = 0; i < columns->GetCount(); ++i)
        std::printf(" %d", columns->GetItem(i)->GetLeft());
    std::printf("\n");
    std::fflush(stdout);
}

void WireLog(TVirtualStringTree* tree) {
    tree->OnAfterPaint = [](TBaseVirtualTree*, TCanvas*) {
        static bool logged = false;
        if (logged) return;
        logged = true;
        LogGeometry();
    };
    tree->OnFocusChanged = [](TBaseVirtualTree*, PVirtualNode Node, TColumnIndex) {
        Log("focus ", NameOf(Node));
    };
    tree->OnChange = [](TBaseVirtualTree* Sender, PVirtualNode) {
        Log("selected " + std::to_string(Sender->GetSelectedCount()));
    };
    tree->OnExpanded = [](TBaseVirtualTree*, PVirtualNode Node) { Log("expanded ", NameOf(Node)); };
    tree->OnCollapsed = [](TBaseVirtualTree*, PVirtualNode Node) { Log("collapsed ", NameOf(Node)); };
    tree->OnChecked = [](TBaseVirtualTree* Sender, PVirtualNode Node) {
        Log(Sender->GetCheckState(Node) == csCheckedNormal ? "checked " : "unchecked ", NameOf(Node));
    };
    tree->OnStateChange = [](TBaseVirtualTree* Sender, TVirtualTreeStates Enter, TVirtualTreeStates) {
        if (Enter.Contains(tsEditing)) Log("editing ", NameOf(Sender->GetFocusedNode()));
        if (Enter.Contains(tsHint)) {
            const TVTHintData& hint = Sender->GetHintData();
            if (hint.Node) Log("hint in column " + std::to_string(hint.Column) + " over ", NameOf(hint.Node));
        }
    };
}

// Four small pictures drawn here: a folder, a page, a star and a gear-ish disc.
TImageList* MakeImages(TComponent* Owner) {
    auto* images = new TImageList(Owner);
    images->SetSize(16, 16);
    TBitmap strip;
    strip.SetPixelFormat(pf32bit);
    strip.SetSize(64, 16);
    TCanvas* c = strip.GetCanvas();
    c->GetBrush()->SetColor(clFuchsia);
    c->FillRect(TRect{0, 0, 64, 16});
    c->GetPen()->SetColor(TColor(0x00306090));
    c->GetBrush()->SetColor(TColor(0x0040C0F0));
    c->Rectangle(1, 4, 15, 14);
    c->Rectangle(1, 2, 7, 5);
    c->GetPen()->SetColor(clGray);
    c->GetBrush()->SetColor(clWhite);
    c->Rectangle(19, 1, 29, 15);
    c->MoveTo(21, 5);
    c->LineTo(27, 5);
    c->MoveTo(21, 8);
    c->LineTo(27, 8);
    c->GetPen()->SetColor(TColor(0x0000A0E0));
    c->GetBrush()->SetColor(TColor(0x0000D0FF));
    c->Polygon({{40, 1}, {43, 6}, {47, 6}, {44, 9}, {45, 14}, {40, 11}, {35, 14}, {36, 9},
                {33, 6}, {37, 6}});
    c->GetPen()->SetColor(TColor(0x00804020));
    c->GetBrush()->SetColor(TColor(0x00C08040));
    c->Ellipse(50, 2, 62, 14);
    c->GetBrush()->SetColor(clWhite);
    c->Ellipse(54, 6, 58, 10);
    images->AddMasked(&strip, clFuchsia);
    return images;
}

void Build(TWinControl* Sheet) {
    Model = new TTreeModel();
    auto* tree = new TVirtualStringTree(Sheet);
    Tree = tree;
    tree->SetParent(Sheet);
    tree->SetAlign(alClient);
    tree->SetImages(MakeImages(Sheet));
    TCustomVirtualTreeOptions* options = tree->GetTreeOptions();
    options->SetMiscOptions(options->GetMiscOptions() + toCheckSupport + toEditable);
    options->SetPaintOptions(options->GetPaintOptions() + toShowHorzGridLines +
                             toShowVertGridLines + toHotTrack);
    options->SetSelectionOptions(options->GetSelectionOptions() + toFullRowSelect + toMultiSelect);
    // A rubber band or a drag resting at an edge scrolls the rows.
    options->SetAutoOptions(options->GetAutoOptions() + toAutoScroll);
    TVTHeader* header = tree->GetHeader();
    header->SetOptions(header->GetOptions() + hoVisible + hoShowSortGlyphs + hoHotTrack +
                       hoDblClickResize);
    header->SetHeight(20);
    struct {
        const char16_t* Text;
        int Width;
        TAlignment Alignment;
    } columns[] = {{u"Name", 260, taLeftJustify},
                   {u"Word", 200, taLeftJustify},
                   {u"日本語", 64, taLeftJustify}, // narrow: its text is cut, and shown in full as a tooltip
                   {u"Number", 120, taRightJustify}};
    for (const auto& c : columns) {
        TVirtualTreeColumn* column = header->GetColumns()->Add();
        column->SetText(c.Text);
        column->SetWidth(c.Width);
        column->SetAlignment(c.Alignment);
    }
    header->SetMainColumn(0);
    tree->SetIncrementalSearch(isVisibleOnly);
    tree->SetShowHint(true);
    tree->SetHintMode(hmTooltip);
    WireLog(tree);

    tree->OnInitNode = [](TBaseVirtualTree* Sender, PVirtualNode Parent, PVirtualNode Node,
                          TVirtualNodeInitStates& States) {
        if (Parent) return;
        if (Node->Index % 10 == 0) States.Include(ivsHasChildren);
        Sender->SetCheckType(Node, ctCheckBox);
        // Ticked from the start: not the user's doing, so not logged.
        if (Model->Order[Node->Index] % 3 == 0) {
            auto log = std::move(Tree->OnChecked);
            Sender->SetCheckState(Node, csCheckedNormal);
            Tree->OnChecked = std::move(log);
        }
    };
    tree->OnInitChildren = [](TBaseVirtualTree*, PVirtualNode, uint32_t& Count) { Count = 3; };
    tree->OnGetText = [](TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column,
                         TQOZTextType, UnicodeString& Text) {
        PVirtualNode parent = Sender->GetNodeParent(Node);
        if (parent) {
            Text = Column == 0 ? u"Detail " + IntToStr(int(Node->Index + 1))
                               : Model->Text(Model->Order[parent->Index], Column);
            return;
        }
        Text = Model->Text(Model->Order[Node->Index], Column);
    };
    tree->OnNewText = [](TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column,
                         const UnicodeString& Text) {
        if (Column != 0 || Sender->GetNodeParent(Node)) return;
        Model->Names[Model->Order[Node->Index]] = Text;
        Log("renamed to ", Text);
    };
    tree->OnGetImageIndex = [](TBaseVirtualTree* Sender, PVirtualNode Node, TVTImageKind Kind,
                               TColumnIndex Column, bool&, int& Index) {
        if (Column != 0 || Kind == ikState || Kind == ikOverlay) return;
        Index = Sender->GetNodeParent(Node) ? 1 : (Node->Index % 10 == 0 ? 0 : 2 + Node->Index % 2);
    };
    tree->OnHeaderClick = [](TVTHeader* Sender, TColumnIndex Column, TMouseButton Button,
                             TShiftState, int, int) {
        if (Button != mbLeft || Column < 0) return;
        TSortDirection direction = sdAscending;
        if (Sender->GetSortColumn() == Column && Sender->GetSortDirection() == sdAscending)
            direction = sdDescending;
        Model->Sort(Column, direction);
        Sender->SetSortColumn(Column);
        Sender->SetSortDirection(direction);
        // Rows keep their nodes; what they show changed.
        Tree->ResetNodeWidths(nullptr, true);
        Tree->Invalidate();
    };
    tree->SetRootNodeCount(RowCount);
}

POINT HeaderPoint(TColumnIndex Column) {
    TVirtualTreeColumn* column = Tree->GetHeader()->GetColumns()->GetItem(Column);
    POINT p{column->GetLeft() + column->GetWidth() / 2, -Tree->GetHeader()->GetHeight() / 2};
    ClientToScreen(Tree->GetHandle(), &p);
    return p;
}

void Exercise(TWinControl*) {
    // Open the first node, scroll a little, select a row, then sort by the word column.
    PVirtualNode first = Tree->GetFirst();
    Tree->SetExpanded(first, true);
    Tree->SetOffsetY(-2 * int(Tree->GetDefaultNodeHeight()));
    PumpWorkbench();
    PVirtualNode row = Tree->GetNextVisible(Tree->GetNextVisible(Tree->GetTopNode()));
    Tree->SetSelected(row, true);
    Tree->SetFocusedNode(row);
    PumpWorkbench();
    TestSeams::Click(HeaderPoint(1));
    PumpWorkbench();
    const UnicodeString top = Tree->GetText(Tree->GetFirst(), 1);
    std::printf("tree: %u rows, sorted by column %d, first row: %s\n", RowCount,
                Tree->GetHeader()->GetSortColumn(), UnicodeToUtf8(top).c_str());
    std::fflush(stdout);
}

} // namespace

extern const TWorkbenchPage TreePage = {"tree", u"Tree", Build, Exercise};
