// Item editors: the text editor on screen, the expanding one against its
// host's edge, the composite choosing a part, the pair editing a half; and
// the basic view manager that hands them out.
#include "PeerTestSupport.h"

#include "benchkit/mvc/IDEBasicViewManager.h"
#include "benchkit/mvc/IDEItemEditors.h"

#include <quorlpak/Bitmap.h>

namespace {

// A site with a fixed click point and a bitmap to measure on.
class TEditSite : public TInterfacedObject, public IItemEditSite {
public:
    TEditSite() {
        FBitmap.SetSize(10, 10);
    }
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IItemEditSite, IItemPaintSite>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    TColor GetBackground() override { return clYellow; }
    TColor GetForeground() override { return clNavy; }
    TFont* GetFont() override { return nullptr; }
    TAlignmentSet GetAlignment() override { return {}; }
    TInsets* GetItemMargins() override { return new TInsets(0, 0, 0, 0); }
    void EndEdit(bool Post) override {}
    POINT GetEditClickPoint() override { return Click; }
    TCanvas* GetSiteGraphics() override { return FBitmap.GetCanvas(); }
    POINT Click{0, 0};

private:
    TBitmap FBitmap;
};

// Writes down where it was started and answers a fixed value.
class TNoteEditor : public TInterfacedObject, public IItemEditor {
public:
    explicit TNoteEditor(std::string Name, std::vector<std::string>* Log) : FName(std::move(Name)), FLog(Log) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IItemEditor>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    InterfacePtr<IInterface> GetValue() override {
        return InterfacePtr<IInterface>(static_cast<IStringObject*>(new TTextObject(u"new")));
    }
    TKomponent* GetComponent() override { return nullptr; }
    void StartEdit(IInterface*, const TRectangle& B, IItemEditSite*) override {
        FLog->push_back(FName + " at " + std::to_string(B.Left) + "," + std::to_string(B.Top));
    }
    void ChangeBounds(const TRectangle&) override {}
    bool CanPost() override { return true; }
    void EndEdit(bool Posted) override { FLog->push_back(FName + (Posted ? " posted" : " cancelled")); }
    void AddKeyListener(IKeyListener*) override {}
    void RemoveKeyListener(IKeyListener*) override {}

private:
    std::string FName;
    std::vector<std::string>* FLog;
};

class TSizedPainter : public TInterfacedObject, public IItemPainter {
public:
    explicit TSizedPainter(TDimension Size) : FSize(Size) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IItemPainter>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    TDimension GetPreferredSize(IInterface*, TCanvas*, IItemPaintSite*, TItemState) override { return FSize; }
    void Paint(IInterface*, TCanvas*, IItemPaintSite*, TItemState, const TRectangle&) override {}

private:
    TDimension FSize;
};

InterfacePtr<IInterface> Text(const char16_t* s) {
    return InterfacePtr<IInterface>(static_cast<IStringObject*>(new TTextObject(s)));
}

class ItemEditorTest : public PeerTest {};

TEST_F(ItemEditorTest, ExpandingEditorGrowsToTheHostsEdgeAndBack) {
    auto* pane = new TScrollPane(Form);
    pane->SetBorderStyle(bsNone);
    pane->SetBounds(0, 0, 200, 100);
    pane->SetParent(Form);
    InterfacePtr<TExpandingTextItemEditor> editor(new TExpandingTextItemEditor);
    editor->SetVisible(false);
    pane->Add(editor.Get());
    InterfacePtr<TEditSite> site(new TEditSite);
    editor->StartEdit(Text(u"ab").Get(), Rectangle(30, 10, 40, 20), site.Get());
    EXPECT_EQ(editor->GetWidth(), 45);
    EXPECT_EQ(editor->GetSelText(), u"ab");
    EXPECT_EQ(editor->GetColor(), clYellow);
    editor->SetText(std::u16string(60, u'W'));
    editor->ResizeComponent();
    EXPECT_EQ(editor->GetLeft() + editor->GetWidth(), pane->GetClientWidth());
    editor->SetText(u"a");
    editor->ResizeComponent();
    EXPECT_EQ(editor->GetWidth(), 45);
    pane->Remove(editor.Get());
}

TEST_F(ItemEditorTest, TypingIntoTheEditorWidensIt) {
    auto* pane = new TScrollPane(Form);
    pane->SetBounds(0, 0, 280, 100);
    pane->SetParent(Form);
    InterfacePtr<TExpandingTextItemEditor> editor(new TExpandingTextItemEditor);
    pane->Add(editor.Get());
    editor->StartEdit(Text(u"").Get(), Rectangle(5, 5, 20, 20), nullptr);
    editor->SetFocus();
    Pump();
    TestSeams::TypeText(u"a longer text than before");
    TestSeams::KeyPress(VK_END); // the width follows on the next key down
    Pump();
    EXPECT_EQ(editor->GetText(), u"a longer text than before");
    EXPECT_EQ(editor->GetWidth(), editor->GetPreferredSize().Width + 5);
    pane->Remove(editor.Get());
}

TEST_F(ItemEditorTest, TextEditorAnswersItsTextAndRefusesBadFormats) {
    class TStrictFormatter : public TItemFormatter {
    public:
        InterfacePtr<IInterface> Parse(const UnicodeString& Text) override {
            if (Text == u"bad") throw EInvalidFormatException(u"bad");
            return TItemFormatter::Parse(Text);
        }
    } formatter;
    InterfacePtr<TTextItemEditor> editor(
        new TTextItemEditor(TAlignmentSet{aLeft}, new TInsets(0, 0, 0, 0), &formatter));
    editor->StartEdit(Text(u"good").Get(), Rectangle(0, 0, 50, 20), nullptr);
    EXPECT_EQ(InterfaceCast<IStringObject>(editor->GetValue().Get())->GetString(), u"good");
    editor->SetText(u"bad");
    EXPECT_THROW(editor->GetValue(), EInvalidFormatException);
    EXPECT_EQ(editor->GetComponent(), editor.Get());
}

TEST(CompositeItemEditor, ClickChoosesThePartAndTheDefaultCoversAMissingOne) {
    struct Case {
        POINT click;
        bool second;
        std::string started;
        int active;
    } cases[] = {
        {{0, 0}, true, "first at 0,2", 1},    // by keyboard: the first part
        {{30, 5}, true, "second at 20,0", 2}, // on the text
        {{30, 5}, false, "first at 0,2", 1},  // no second editor: the default edits
        {{99, 99}, true, "first at 0,2", 1},  // outside both
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;
        InterfacePtr<TCompositeItemPainter> painter(new TCompositeItemPainter(
            new TSizedPainter(Dimension(16, 16)), new TSizedPainter(Dimension(40, 20))));
        InterfacePtr<TCompositeItemEditor> editor(new TCompositeItemEditor(
            painter.Get(), new TNoteEditor("first", &log),
            c.second ? new TNoteEditor("second", &log) : nullptr));
        InterfacePtr<TEditSite> site(new TEditSite);
        site->Click = c.click;
        editor->StartEdit(Text(u"x").Get(), Rectangle(0, 0, 60, 20), site.Get());
        EXPECT_EQ(log, std::vector<std::string>{c.started});
        EXPECT_EQ(editor->GetActiveEditor(), c.active);
        EXPECT_TRUE(editor->CanPost());
        EXPECT_EQ(InterfaceCast<IStringObject>(editor->GetValue().Get())->GetString(), u"new");
        editor->EndEdit(true);
        EXPECT_EQ(editor->GetActiveEditor(), 0);
        EXPECT_FALSE(editor->CanPost());
    }
    InterfacePtr<TCompositeItemEditor> editor(new TCompositeItemEditor(nullptr, nullptr, nullptr));
    EXPECT_THROW(editor->SetDefaultEditor(3), EIllegalArgumentException);
    EXPECT_EQ(editor->GetDefaultEditor(), 0);
}

TEST(PairItemEditor, EditsOneHalfAndAnswersTheSamePair) {
    std::vector<std::string> log;
    InterfacePtr<IItemEditor> pair(new TPairItemEditor(new TNoteEditor("inner", &log), 1));
    InterfacePtr<TTextIndexObject> data(new TTextIndexObject(u"old", 7));
    pair->StartEdit(static_cast<IPair*>(data.Get()), Rectangle(0, 0, 10, 10), nullptr);
    InterfacePtr<IInterface> value = pair->GetValue();
    EXPECT_EQ(static_cast<void*>(InterfaceCast<IPair>(value.Get()).Get()),
              static_cast<void*>(static_cast<IPair*>(data.Get())));
    EXPECT_EQ(data->GetString(), u"new");
    EXPECT_EQ(data->GetIndex(), 7);
    // Data that is no pair is edited itself.
    pair->StartEdit(Text(u"plain").Get(), Rectangle(0, 0, 10, 10), nullptr);
    EXPECT_EQ(InterfaceCast<IStringObject>(pair->GetValue().Get())->GetString(), u"new");
    InterfacePtr<IItemEditor> empty(new TPairItemEditor(nullptr, 5));
    EXPECT_FALSE(empty->CanPost());
}

TEST(BasicViewManager, AnswersOnePainterAndOneEditorForEverything) {
    std::vector<std::string> log;
    InterfacePtr<IItemPainter> painter(new TSizedPainter(Dimension(1, 1)));
    InterfacePtr<TBasicViewManager> vm(new TBasicViewManager(painter.Get(), nullptr));
    IGraphViewManager* graph = vm.Get();
    IVectorViewManager* vector = vm.Get();
    EXPECT_EQ(graph->GetPainter(nullptr, nullptr, {}), painter);
    EXPECT_EQ(vector->GetPainter(3, nullptr, {}), painter);
    EXPECT_FALSE(graph->GetEditor(nullptr, nullptr, {}));
    InterfacePtr<IItemEditor> editor(new TNoteEditor("e", &log));
    graph->ClearEditor(editor.Get());
    EXPECT_EQ(graph->GetEditor(nullptr, nullptr, {}), editor);
    EXPECT_EQ(vm->GetEditor(1, 2, nullptr, {}), editor);
}

} // namespace
