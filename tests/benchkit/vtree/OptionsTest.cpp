// Option sets and their setter effects, colours, scroll-bar options and the
// clipboard format list.
#include "VirtualTreeTestSupport.h"

#include <runpak/TypeInfo.h>

#include <functional>

namespace {

class Options : public VirtualTreeTest {};

TEST_F(Options, DefaultsAreTheDocumentedMasks) {
    TTestTree* tree = MakeTree();
    TCustomVirtualTreeOptions* o = tree->GetTreeOptions();
    EXPECT_EQ(o->GetPaintOptions().ToInt(), 7008u);
    EXPECT_EQ(o->GetAnimationOptions().ToInt(), 0u);
    EXPECT_EQ(o->GetAutoOptions().ToInt(), 329u);
    EXPECT_EQ(o->GetSelectionOptions().ToInt(), 0u);
    EXPECT_EQ(o->GetMiscOptions().ToInt(), 425u);
    EXPECT_EQ(DefaultStringOptions.ToInt(), 5u);
    EXPECT_EQ(sizeof(TVTPaintOptions), 4u);
    EXPECT_EQ(sizeof(TVTAnimationOptions), 1u);
    EXPECT_EQ(sizeof(TVTMiscOptions), 2u);
    EXPECT_EQ(o->GetTree(), tree);
    EXPECT_EQ(o->GetOwner(), tree);
}

// What a setter did to a tree with a window.
struct TEffects {
    bool Invalidated = false;
    int WindowsMade = 0;
    int Registrations = 0;
    int Revocations = 0;
    int BitmapPreparations = 0;
    friend bool operator==(const TEffects&, const TEffects&) = default;
};

void PrintTo(const TEffects& e, std::ostream* os) {
    *os << "{invalidated " << e.Invalidated << ", windows " << e.WindowsMade << ", registered "
        << e.Registrations << ", revoked " << e.Revocations << ", bitmaps " << e.BitmapPreparations
        << "}";
}

struct TSetterCase {
    const char* Name;
    std::function<void(TCustomVirtualTreeOptions*)> Change;
    TEffects Expected;
};

void PrintTo(const TSetterCase& c, std::ostream* os) {
    *os << c.Name;
}

const TSetterCase SetterCases[] = {
    {"SamePaintSet", [](auto* o) { o->SetPaintOptions(o->GetPaintOptions()); }, {}},
    {"PaintGridLines",
     [](auto* o) { o->SetPaintOptions(o->GetPaintOptions() + toShowHorzGridLines); },
     {true, 0, 0, 0, 0}},
    {"PaintThemeAware",
     [](auto* o) { o->SetPaintOptions(o->GetPaintOptions() - TVTPaintOptions{toThemeAware}); },
     {true, 0, 0, 0, 1}},
    {"Animation", [](auto* o) { o->SetAnimationOptions({toAnimatedToggle}); }, {}},
    {"AutoSpanColumns",
     [](auto* o) { o->SetAutoOptions(o->GetAutoOptions() + toAutoSpanColumns); },
     {true, 0, 0, 0, 0}},
    {"AutoSort", [](auto* o) { o->SetAutoOptions(o->GetAutoOptions() + toAutoSort); }, {}},
    {"MiscCheckSupport",
     [](auto* o) { o->SetMiscOptions(o->GetMiscOptions() + toCheckSupport); },
     {true, 0, 0, 0, 0}},
    {"MiscFullRepaint",
     [](auto* o) {
         o->SetMiscOptions(o->GetMiscOptions() - TVTMiscOptions{toFullRepaintOnResize});
     },
     {true, 1, 1, 1, 1}},
    {"MiscDropOff",
     [](auto* o) { o->SetMiscOptions(o->GetMiscOptions() - TVTMiscOptions{toAcceptOLEDrop}); },
     {false, 0, 0, 1, 0}},
    {"MiscDropOffAndOn",
     [](auto* o) {
         o->SetMiscOptions(o->GetMiscOptions() - TVTMiscOptions{toAcceptOLEDrop});
         o->SetMiscOptions(o->GetMiscOptions() + toAcceptOLEDrop);
     },
     {false, 0, 1, 1, 0}},
    {"MiscSameSet", [](auto* o) { o->SetMiscOptions(o->GetMiscOptions()); }, {}},
};

class OptionSetter : public Options, public testing::WithParamInterface<TSetterCase> {};

TEST_P(OptionSetter, AppliesItsEffectToTheTree) {
    TTestTree* tree = MakeWindowedTree();
    Pump();
    tree->TakeInvalidation();
    tree->WindowsMade = tree->DropTargetRegistrations = tree->DropTargetRevocations = 0;
    tree->BitmapPreparations = 0;
    GetParam().Change(tree->GetTreeOptions());
    TEffects seen{tree->TakeInvalidation(), tree->WindowsMade, tree->DropTargetRegistrations,
                  tree->DropTargetRevocations, tree->BitmapPreparations};
    EXPECT_EQ(seen, GetParam().Expected);
}

TEST_P(OptionSetter, OnlyStoresWithoutAWindow) {
    TTestTree* tree = MakeTree();
    GetParam().Change(tree->GetTreeOptions());
    EXPECT_FALSE(tree->HandleAllocated());
    EXPECT_EQ(tree->DropTargetRegistrations + tree->DropTargetRevocations, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, OptionSetter, testing::ValuesIn(SetterCases),
                         [](const testing::TestParamInfo<TSetterCase>& info) {
                             return info.param.Name;
                         });

TEST_F(Options, TheWindowRegistersAsDropTargetWhenItIsMade) {
    TTestTree* tree = MakeWindowedTree();
    EXPECT_EQ(tree->DropTargetRegistrations, 1);
    DestroyWindow(tree->GetHandle());
    EXPECT_EQ(tree->DropTargetRevocations, 1);
}

TEST_F(Options, SelectionModeChangesClearTheSelection) {
    TTestTree* tree = MakeTree();
    tree->SetRootNodeCount(3);
    auto select = [&] {
        tree->InternalAddToSelection(NodeAt(tree, {0}), false);
        tree->InternalAddToSelection(NodeAt(tree, {2}), false);
    };
    TCustomVirtualTreeOptions* o = tree->GetTreeOptions();
    select();
    o->SetSelectionOptions(o->GetSelectionOptions() + toFullRowSelect);
    EXPECT_EQ(tree->GetSelectedCount(), 2u);
    o->SetSelectionOptions(o->GetSelectionOptions() + toMultiSelect);
    EXPECT_EQ(tree->GetSelectedCount(), 0u);
    EXPECT_FALSE(NodeAt(tree, {0})->States.Contains(vsSelected));
    select();
    o->SetSelectionOptions(o->GetSelectionOptions() + toSiblingSelectConstraint);
    EXPECT_EQ(tree->GetSelectedCount(), 0u);
    select();
    o->SetSelectionOptions(o->GetSelectionOptions() -
                           TVTSelectionOptions{toSiblingSelectConstraint});
    EXPECT_EQ(tree->GetSelectedCount(), 2u); // turning a constraint off keeps the selection
}

TEST_F(Options, AssigningOptionsRunsTheDestinationsSetters) {
    TTestTree* source = MakeTree();
    TTestTree* dest = MakeTree();
    dest->SetRootNodeCount(2);
    dest->InternalAddToSelection(NodeAt(dest, {1}), false);
    source->GetTreeOptions()->SetSelectionOptions({toMultiSelect});
    source->GetTreeOptions()->SetMiscOptions({toReadOnly});
    dest->SetTreeOptions(source->GetTreeOptions());
    EXPECT_EQ(dest->GetSelectedCount(), 0u);
    EXPECT_EQ(dest->GetTreeOptions()->GetMiscOptions(), TVTMiscOptions{toReadOnly});
    EXPECT_EQ(dest->GetTreeOptions()->GetSelectionOptions(), TVTSelectionOptions{toMultiSelect});
}

TEST_F(Options, WithoutExtendedFocusTheMainColumnHasTheFocus) {
    TTestTree* tree = MakeTree();
    TCustomVirtualTreeOptions* o = tree->GetTreeOptions();
    o->SetSelectionOptions({toExtendedFocus});
    o->SetSelectionOptions({});
    EXPECT_EQ(tree->GetFocusedColumn(), NoColumn);
}

// --- Colours ---------------------------------------------------------------------------------

TEST_F(Options, ColoursStartAtTheirSystemColours) {
    TTestTree* tree = MakeTree();
    TVTColors* c = tree->GetColors();
    EXPECT_EQ(c->GetColor(TVTColors::DisabledColorIndex), clBtnShadow);
    EXPECT_EQ(c->GetColor(TVTColors::HotColorIndex), clWindowText);
    EXPECT_EQ(c->GetColor(TVTColors::UnfocusedSelectionBorderColorIndex), clBtnFace);
    EXPECT_EQ(c->GetColor(TVTColors::HeaderHotColorIndex), clBtnShadow);
    EXPECT_EQ(c->GetBorderColor(), clBtnFace);
}

TEST_F(Options, AColourChangeRepaintsWhatShowsIt) {
    TTestTree* tree = MakeWindowedTree();
    Pump();
    tree->TakeInvalidation();
    TVTColors* c = tree->GetColors();
    c->SetBorderColor(c->GetBorderColor()); // unchanged: nothing
    EXPECT_FALSE(tree->TakeInvalidation());
    tree->BitmapPreparations = 0;
    c->SetTreeLineColor(clRed);
    EXPECT_EQ(tree->BitmapPreparations, 1);
    EXPECT_TRUE(tree->TakeInvalidation());
    c->SetColor(TVTColors::GridLineColorIndex, clBlue);
    EXPECT_TRUE(tree->TakeInvalidation());
    c->SetColor(99, clBlue); // no such colour
    EXPECT_FALSE(tree->TakeInvalidation());
}

TEST_F(Options, AssigningColoursCopiesAllFifteen) {
    TTestTree* a = MakeTree();
    TTestTree* b = MakeTree();
    for (int i = 0; i < TVTColors::ColorCount; ++i)
        a->GetColors()->SetColor(i, TColor(i + 1));
    b->SetColors(a->GetColors());
    for (int i = 0; i < TVTColors::ColorCount; ++i)
        EXPECT_EQ(b->GetColors()->GetColor(i), TColor(i + 1));
}

// --- Scroll bars -----------------------------------------------------------------------------

TEST_F(Options, ScrollBarChoicesRemakeTheWindowAndTheRestIsStored) {
    TTestTree* tree = MakeWindowedTree();
    TScrollBarOptions* s = tree->GetScrollBarOptions();
    EXPECT_EQ(s->GetScrollBars(), TScrollStyle::ssBoth);
    EXPECT_EQ(s->GetVerticalIncrement(), 20);
    tree->WindowsMade = 0;
    s->SetScrollBars(TScrollStyle::ssVertical);
    EXPECT_EQ(tree->WindowsMade, 1);
    EXPECT_EQ(GetWindowLongW(tree->GetHandle(), GWL_STYLE) & WS_HSCROLL, 0);
    s->SetAlwaysVisible(true);
    EXPECT_EQ(tree->WindowsMade, 2);
    s->SetAlwaysVisible(true);
    s->SetScrollBarStyle(sbmFlat);
    s->SetHorizontalIncrement(0);
    s->SetVerticalIncrement(20000);
    EXPECT_EQ(tree->WindowsMade, 2);
    EXPECT_EQ(s->GetHorizontalIncrement(), 1);
    EXPECT_EQ(s->GetVerticalIncrement(), 10000);
    TTestTree* other = MakeTree();
    other->SetScrollBarOptions(s);
    EXPECT_EQ(other->GetScrollBarOptions()->GetScrollBars(), TScrollStyle::ssVertical);
    EXPECT_EQ(other->GetScrollBarOptions()->GetScrollBarStyle(), sbmFlat);
    EXPECT_TRUE(other->GetScrollBarOptions()->GetAlwaysVisible());
}

// --- Published properties -------------------------------------------------------------------

TEST_F(Options, TheSetsColoursAndScrollBarsArePublished) {
    TTestTree* tree = MakeTree();
    TCustomVirtualTreeOptions* o = tree->GetTreeOptions();
    EXPECT_EQ(GetOrdProp(o, u"PaintOptions"), 7008);
    EXPECT_EQ(GetOrdProp(o, u"MiscOptions"), 425);
    SetOrdProp(o, u"SelectionOptions", TVTSelectionOptions{toMultiSelect}.ToInt());
    EXPECT_TRUE(o->GetSelectionOptions().Contains(toMultiSelect));

    TVTColors* c = tree->GetColors();
    EXPECT_EQ(GetPropList(c).size(), size_t(TVTColors::ColorCount));
    EXPECT_EQ(GetOrdProp(c, u"HotColor"), clWindowText);
    SetOrdProp(c, u"GridLineColor", clRed);
    EXPECT_EQ(c->GetColor(TVTColors::GridLineColorIndex), clRed);

    TScrollBarOptions* s = tree->GetScrollBarOptions();
    EXPECT_EQ(GetEnumProp(s, u"ScrollBars"), UnicodeString(u"ssBoth"));
    SetEnumProp(s, u"ScrollBarStyle", u"sbm3D");
    EXPECT_EQ(s->GetScrollBarStyle(), sbm3D);
    EXPECT_EQ(GetOrdProp(s, u"VerticalIncrement"), 20);
}

// --- Clipboard formats -------------------------------------------------------------------------

class TTextTree : public TTestTree {
public:
    using TTestTree::TTestTree;
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TTextTree>(u"TTextTree", TBaseVirtualTree::StaticClass()));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }
};

TEST_F(Options, FormatsAreAcceptedOnlyForTreesThatRenderThem) {
    TTestTree* plain = MakeTree();
    RegisterVTClipboardFormat(u"CSV", TTextTree::StaticClass(), 90);
    auto* text = new TTextTree(Application);
    EXPECT_EQ(plain->GetClipboardFormats()->Add(u"CSV"), -1);
    EXPECT_GE(text->GetClipboardFormats()->Add(u"CSV"), 0);
    EXPECT_EQ(plain->GetClipboardFormats()->Add(u"Unknown format"), -1);
    EXPECT_GE(plain->GetClipboardFormats()->Add(u"Virtual Tree Data"), 0);
    EXPECT_GE(text->GetClipboardFormats()->Add(u"Virtual Tree Data"), 0);
    text->GetClipboardFormats()->Add(u"CSV");
    EXPECT_EQ(text->GetClipboardFormats()->GetCount(), 2);
    EXPECT_EQ(plain->GetClipboardFormats()->GetCount(), 1);
    EXPECT_EQ(text->GetClipboardFormats()->GetStrings(0), UnicodeString(u"CSV")); // sorted
}

} // namespace
