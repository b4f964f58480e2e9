// The property list box over real editors of a form's controls and over
// scripted editors where a case needs a failure or a reference.
#include "benchkit/props/PropBox.h"

#include <quorlpak/Application.h>
#include <quorlpak/Forms.h>
#include <quorlpak/Messages.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Exceptions.h>
#include <runpak/UString.h>
#include <win32/TestSeams.h>
#include <win32/readback.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A scripted editor: a name, attributes, children, and optionally a failure
// after some children or a reference identity.
class TScriptedProperty : public TInterfacedObject, public IProperty {
public:
    TScriptedProperty(UnicodeString name, TPropertyAttributes attrs = 0)
        : Name(std::move(name)), Attrs(attrs) {}
    void Activate() override {}
    bool AllEqual() override { return true; }
    bool AutoFill() override { return true; }
    void Edit() override {}
    TPropertyAttributes GetAttributes() override { return Attrs; }
    int GetEditLimit() override { return -1; }
    bool GetEditValue(UnicodeString& v) override {
        v = Value;
        return true;
    }
    UnicodeString GetName() override { return Name; }
    void GetProperties(const TGetPropProc& Proc) override {
        int given = 0;
        for (auto& child : Children) {
            if (FailAfter >= 0 && given == FailAfter) throw EInvalidOperation(u"boom");
            Proc(child.Get());
            ++given;
        }
        if (FailAfter >= 0 && given == FailAfter) throw EInvalidOperation(u"boom");
    }
    PPropInfo GetPropInfo() override { return nullptr; }
    PTypeInfo GetPropType() override { return nullptr; }
    UnicodeString GetValue() override { return Value; }
    void GetValues(const TGetStrProc&) override {}
    void Revert() override {}
    void SetValue(const UnicodeString& v) override { Value = v; }
    bool ValueAvailable() override { return true; }

    UnicodeString Name, Value;
    TPropertyAttributes Attrs;
    std::vector<InterfacePtr<IProperty>> Children;
    int FailAfter = -1;
};

// A scripted reference to an object known by its identity.
class TScriptedReference : public TScriptedProperty, public IReferenceProperty {
public:
    TScriptedReference(UnicodeString name, uint32_t identity)
        : TScriptedProperty(std::move(name), paSubProperties), Identity(identity) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IProperty, IReferenceProperty>(this, iid, out)) return S_OK;
        return TScriptedProperty::QueryInterface(iid, out);
    }
    uint32_t GetReferenceIdentity() override { return Identity; }
    uint32_t Identity;
};

// An editor that takes the mouse on its value side and writes down what it got.
class TScriptedTracking : public TScriptedProperty, public IPropertyMouseTracking {
public:
    using TScriptedProperty::TScriptedProperty;
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IProperty, IPropertyMouseTracking>(this, iid, out)) return S_OK;
        return TScriptedProperty::QueryInterface(iid, out);
    }
    bool MouseDown(int, uint32_t, const TPoint& pt, const TRect& r, bool inName) override {
        Seen.push_back("down " + Side(r, inName));
        return !inName;
    }
    bool MouseMove(uint32_t, const TPoint&, const TRect& r, bool inName) override {
        Seen.push_back("move " + Side(r, inName));
        return !inName;
    }
    bool MouseUp(int, uint32_t, const TPoint&, const TRect& r, bool inName) override {
        Seen.push_back("up " + Side(r, inName));
        return !inName;
    }
    bool HintShow(THintInfo& info, bool inName, const TRect&) override {
        info.HintStr = u"own hint";
        return !inName;
    }
    // The side the rectangle was cut to, checked against the divider.
    std::string Side(const TRect& r, bool inName) {
        return (inName ? "name:" : "value:") + std::to_string(inName ? r.right : r.left);
    }
    std::vector<std::string> Seen;
};

class TRecordingListBox : public TPropListBox {
public:
    using TPropListBox::TPropListBox;
    std::vector<int> Adjusted;

protected:
    void AfterAdjustItem(int Index) override { Adjusted.push_back(Index); }
};

class PropBoxTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(1000);
        InitializeQuorlpak();
        form = new TForm(Application);
        form->SetClientWidth(300);
        form->SetClientHeight(400);
        button = new TButton(form);
        button->SetParent(form);
        button->SetName(u"Button1");
        box = new TRecordingListBox(form);
        box->SetParent(form);
        box->SetBounds(0, 0, 240, 300);
        form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override {
        delete form;
        TestSeams::ScriptMessageBoxes(nullptr);
        FinalizeQuorlpak();
        TestSeams::UseRealClock();
    }
    std::vector<UnicodeString> Paths() {
        std::vector<UnicodeString> out;
        for (int i = 0; i < box->GetCount(); ++i)
            out.push_back(box->GetPropItem(i)->GetPropPath());
        return out;
    }
    void Show(std::vector<InterfacePtr<IProperty>> props) {
        box->OnGetProperties = [props](TObject*, const TGetPropProc& add) {
            for (auto& p : props)
                add(p.Get());
        };
        box->Reset();
    }

    TForm* form = nullptr;
    TButton* button = nullptr;
    TRecordingListBox* box = nullptr;
};

InterfacePtr<IProperty> Scripted(const char16_t* name, TPropertyAttributes attrs = 0,
                                 std::vector<InterfacePtr<IProperty>> children = {}) {
    auto* p = new TScriptedProperty(name, attrs);
    p->Children = std::move(children);
    return InterfacePtr<IProperty>(p);
}

TEST_F(PropBoxTest, ResetListsTheSelectionAndExpansionInsertsChildrenInPlace) {
    box->SetSelection(CreatePropertySelection({button}).Get());
    ASSERT_GT(box->GetCount(), 5);
    EXPECT_EQ(box->GetItemIndex(), 0);
    const int top = box->GetCount();
    const int font = box->FindItem(u"font");
    ASSERT_GE(font, 0);
    EXPECT_TRUE(box->GetPropItem(font)->GetIsExpandable());

    box->AdjustItem(font);
    EXPECT_TRUE(box->GetPropItem(font)->GetIsExpanded());
    EXPECT_EQ(box->Adjusted, std::vector<int>{font + 1});
    const int size = box->FindItem(u"Font.Size");
    ASSERT_GT(size, font);
    EXPECT_EQ(box->GetPropItem(size)->GetItemLevel(), 1);
    EXPECT_EQ(box->GetPropItem(size)->GetParent(), box->GetPropItem(font));

    // Grandchildren go with their parent's collapse.
    const int style = box->FindItem(u"Font.Style");
    box->AdjustItem(style);
    EXPECT_GE(box->FindItem(u"Font.Style.fsBold"), 0);
    box->AdjustItem(font);
    EXPECT_FALSE(box->GetPropItem(font)->GetIsExpanded());
    EXPECT_EQ(box->GetCount(), top);
    EXPECT_EQ(box->FindItem(u"Font.Size"), -1);
}

TEST_F(PropBoxTest, FilterKeepsMatchingTopLevelNamesOnly) {
    box->SetFilter(u"FONT");
    Show({Scripted(u"Font", paSubProperties, {Scripted(u"Name"), Scripted(u"Size")}),
          Scripted(u"DefaultFont"), Scripted(u"Color")});
    EXPECT_EQ(Paths(), (std::vector<UnicodeString>{u"Font", u"DefaultFont"}));
    box->AdjustItem(0);
    EXPECT_EQ(Paths(),
              (std::vector<UnicodeString>{u"Font", u"Font.Name", u"Font.Size", u"DefaultFont"}));
}

TEST_F(PropBoxTest, FailedExpansionTakesBackItsRowsAndSaysWhy) {
    auto* failing = new TScriptedProperty(u"Items", paSubProperties);
    failing->Children = {Scripted(u"A"), Scripted(u"B"), Scripted(u"C")};
    failing->FailAfter = 2;
    InterfacePtr<IProperty> items(failing);
    Show({items, Scripted(u"Tail")});
    TestSeams::AnswerMessageBoxes({IDOK});

    box->AdjustItem(0);
    EXPECT_EQ(Paths(), (std::vector<UnicodeString>{u"Items", u"Tail"}));
    EXPECT_FALSE(box->GetPropItem(0)->GetIsExpanded());
    EXPECT_TRUE(box->Adjusted.empty());
    auto boxes = TestSeams::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Unable to expand: boom");

    failing->FailAfter = -1;
    box->AdjustItem(0);
    EXPECT_EQ(Paths(),
              (std::vector<UnicodeString>{u"Items", u"Items.A", u"Items.B", u"Items.C", u"Tail"}));
}

TEST_F(PropBoxTest, ReferenceToAnObjectOpenAboveDoesNotExpand) {
    auto* inner = new TScriptedReference(u"Owner", 7);
    auto* other = new TScriptedReference(u"Peer", 8);
    auto* none = new TScriptedReference(u"Nothing", 0);
    auto* outer = new TScriptedReference(u"Parent", 7);
    outer->Children = {InterfacePtr<IProperty>(inner), InterfacePtr<IProperty>(other),
                       InterfacePtr<IProperty>(none)};
    Show({InterfacePtr<IProperty>(outer)});
    box->AdjustItem(0);
    ASSERT_EQ(box->GetCount(), 4);
    EXPECT_TRUE(box->GetPropItem(0)->GetReference());
    EXPECT_EQ(box->GetPropItem(1)->GetColor(), box->GetReferenceColor());
    EXPECT_FALSE(box->GetPropItem(1)->GetIsExpandable()); // same object as its parent
    EXPECT_TRUE(box->GetPropItem(2)->GetIsExpandable());
    EXPECT_FALSE(box->GetPropItem(3)->GetIsExpandable()); // refers to nothing
}

TEST_F(PropBoxTest, AllowExpansionCanVeto) {
    Show({Scripted(u"Font", paSubProperties, {Scripted(u"Size")})});
    box->OnAllowExpansion = [](TObject*, IProperty*, bool& result) { result = false; };
    box->AdjustItem(0);
    EXPECT_EQ(box->GetCount(), 1);
}

TEST_F(PropBoxTest, LevelOffsetsAndPaths) {
    struct Case {
        bool indent;
        int level, offset;
    };
    const Case cases[] = {{true, 0, 4},  {true, 1, 14}, {true, 2, 24},
                          {false, 0, 4}, {false, 1, 4}, {false, 2, 14}};
    for (const Case& c : cases) {
        box->SetIndentSecondLevel(c.indent);
        EXPECT_EQ(box->ItemLevelOffset(c.level), c.offset) << c.indent << " " << c.level;
    }
}

TEST_F(PropBoxTest, DividerStartsAtHalfAndKeepsItsProportionWithinBounds) {
    const int w = box->GetClientWidth();
    EXPECT_EQ(box->GetMiddle(), w / 2 - 1 + 4);
    const int h = box->GetItemHeight();
    // A divider set by hand is the proportion the resizes after the next one keep.
    box->SetMiddle(100);
    box->SetWidth(260);
    Application->ProcessMessages();
    EXPECT_EQ(box->GetMiddle(), 100);
    const int base = box->GetClientWidth();
    box->SetWidth(300);
    Application->ProcessMessages();
    const int w2 = box->GetClientWidth();
    EXPECT_EQ(box->GetMiddle(), MulDiv(100, w2, base));
    box->SetMiddle(5);
    EXPECT_EQ(box->CalcNewMiddle(5), 2 * h);
    EXPECT_EQ(box->CalcNewMiddle(w2), w2 - 3 * h);
}

TEST_F(PropBoxTest, SelectedPropertyFollowsNamePriority) {
    Show({Scripted(u"Height"), Scripted(u"Left"), Scripted(u"Width")});
    EXPECT_EQ(box->SetSelectedProperty({u"Width", u"Height"}), 2);
    EXPECT_EQ(box->GetItemIndex(), 2);
    Show({Scripted(u"Height"), Scripted(u"Left")});
    EXPECT_EQ(box->SetSelectedProperty({u"Width", u"Height"}), 0);
    EXPECT_EQ(box->SetSelectedProperty({u"Top"}), -1);
    EXPECT_EQ(box->SetSelectedPropertyPath(u"left"), 1);
}

TEST_F(PropBoxTest, DirtyDataIsAskedForOnceWhilePending) {
    Show({Scripted(u"Left")});
    int asked = 0;
    box->OnUpdateDirtyData = [&](TObject*) { ++asked; };
    box->PostUpdateMsg();
    box->PostUpdateMsg();
    Application->ProcessMessages();
    EXPECT_EQ(asked, 1);
}

TEST_F(PropBoxTest, PaintsRowsWithoutFailing) {
    box->SetSelection(CreatePropertySelection({button}).Get());
    box->AdjustItem(box->FindItem(u"Font"));
    box->Invalidate();
    box->Update();
    EXPECT_GT(box->GetCount(), 0);
}

TEST_F(PropBoxTest, TheRowsEditorTakesTheMouseBeforeTheList) {
    auto* tracking = new TScriptedTracking(u"Shape");
    Show({InterfacePtr<IProperty>(static_cast<IProperty*>(tracking))});
    int listPresses = 0;
    box->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++listPresses; };
    const int middle = box->GetMiddle();
    const std::string value = "value:" + std::to_string(middle);
    const std::string name = "name:" + std::to_string(middle);
    const POINT onValue = TestSeams::ClientPoint(box->GetHandle(), middle + 10, 3);
    TestSeams::MouseDown(onValue);
    Application->ProcessMessages();
    // (The form's button covers the box's top left corner.)
    TestSeams::MouseMove(TestSeams::ClientPoint(box->GetHandle(), middle - 10, 3));
    Application->ProcessMessages();
    TestSeams::MouseUp(onValue);
    Application->ProcessMessages();
    // Captured by its press, the row keeps the mouse even over its name.
    EXPECT_EQ(tracking->Seen,
              (std::vector<std::string>{"down " + value, "move " + name, "up " + value}));
    EXPECT_EQ(listPresses, 0);
    TestSeams::Click(TestSeams::ClientPoint(box->GetHandle(), middle - 10, 3));
    Application->ProcessMessages();
    EXPECT_EQ(listPresses, 1);

    THintInfo info;
    info.CursorPos = TPoint(middle + 10, 3);
    box->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.HintStr, u"own hint");
}

TEST_F(PropBoxTest, SelectionStaysOnItsRowWhileRowsOpenAndCloseAbove) {
    box->SetSelection(CreatePropertySelection({button}).Get());
    const auto selected = [&] { return box->GetPropItem(box->GetItemIndex())->GetPropPath(); };
    const int font = box->FindItem(u"Font");
    box->SetItemIndex(box->FindItem(u"Height"));
    box->AdjustItem(font);
    EXPECT_EQ(selected(), u"Height");
    box->AdjustItem(font);
    EXPECT_EQ(selected(), u"Height");
    box->AdjustItem(font);
    box->SetItemIndex(box->FindItem(u"Font.Size"));
    box->AdjustItem(font); // the selected child goes: its parent takes the selection
    EXPECT_EQ(selected(), u"Font");
}

TEST_F(PropBoxTest, VirtualListKeepsTheRowsAndTheWindowOnlyTheirCount) {
    box->SetUseVirtualList(true);
    box->SetSelection(CreatePropertySelection({button}).Get());
    const auto windowCount = [&] { return int(SendMessageW(box->GetHandle(), LB_GETCOUNT, 0, 0)); };
    const auto selected = [&] { return box->GetPropItem(box->GetItemIndex())->GetPropPath(); };
    ASSERT_GT(box->GetCount(), 5);
    EXPECT_TRUE(GetWindowLongW(box->GetHandle(), GWL_STYLE) & LBS_NODATA);
    EXPECT_EQ(windowCount(), box->GetCount());
    EXPECT_EQ(box->GetItemIndex(), 0);
    // Rows open and close above the selection; the window follows the count.
    const int font = box->FindItem(u"Font");
    box->SetItemIndex(box->FindItem(u"Height"));
    box->AdjustItem(font);
    EXPECT_EQ(windowCount(), box->GetCount());
    EXPECT_EQ(selected(), u"Height");
    EXPECT_GE(box->FindItem(u"Font.Size"), 0);
    box->AdjustItem(font);
    EXPECT_EQ(windowCount(), box->GetCount());
    EXPECT_EQ(selected(), u"Height");
    // The rows are drawn from the control's list.
    box->Invalidate();
    box->Update();
    const TRect first = box->ItemRect(0);
    HDC dc = GetDC(box->GetHandle());
    const std::vector<COLORREF> pixels = win32::ReadPixels(dc, first);
    ReleaseDC(box->GetHandle(), dc);
    int dark = 0;
    for (COLORREF c : pixels)
        if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 384) ++dark;
    EXPECT_GT(dark, 0);
    // Back to the list's own items, listed afresh.
    const int count = box->GetCount();
    box->SetUseVirtualList(false);
    EXPECT_FALSE(GetWindowLongW(box->GetHandle(), GWL_STYLE) & LBS_NODATA);
    EXPECT_EQ(box->GetCount(), count);
    EXPECT_EQ(windowCount(), count);
    EXPECT_EQ(box->GetItems()->GetCount(), count);
}

} // namespace
