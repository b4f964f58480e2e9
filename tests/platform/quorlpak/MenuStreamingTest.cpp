// Form descriptions with a menu bar, a pop-up menu, pages and file dialogs:
// read into a form that then works, and written back the same way.
#include "QuorlpakTestSupport.h"

#include <quorlpak/ComCtrls.h>
#include <quorlpak/Dialogs.h>
#include <quorlpak/Menus.h>

#include <runpak/Filer.h>

namespace {

// A form of the kind the servo panel has, with a published handler.
class TMenuTestForm : public TForm {
public:
    using TForm::TForm;
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TMenuTestForm>(u"TMenuTestForm", TForm::StaticClass())
                .Method(u"Load1Click", &TMenuTestForm::Load1Click));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }
    void Load1Click(TObject* Sender) { Loads.push_back(Sender); }
    std::vector<TObject*> Loads;
};

class TTestPanel : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TTestPanel>(u"TTestPanel", TCustomControl::StaticClass()));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }
};

const char16_t kDescription[] = uR"(
TMenuTestForm MainForm {
    Caption = "Servo"
    Menu = MainMenu1
    PopupMenu = PopupMenu1
    TMainMenu MainMenu1 {
        TMenuItem File1 {
            Caption = "&File"
            TMenuItem Load1 { Caption = "Load"  ShortCut = 16460  OnClick = Load1Click }
            TMenuItem Save1 { Caption = "Save"  Enabled = false }
            TMenuItem N1 { Caption = "-" }
            TMenuItem LoadProg1 { Caption = "Load Prog" }
            TMenuItem SaveProg1 { Caption = "Save Prog" }
        }
        TMenuItem About1 {
            Caption = "About"
            TMenuItem Ver1501 { Caption = "Ver150"  Checked = true }
        }
    }
    TPopupMenu PopupMenu1 {
        TMenuItem Copy1 { Caption = "&Copy" }
    }
    TOpenDialog OpenDialog1 {
        DefaultExt = "txt"
        Filter = "Text|*.txt|All|*.*"
        Options = [ofHideReadOnly, ofFileMustExist, ofEnableSizing]
        Title = "Load parameters"
    }
    TSaveDialog SaveDialog1 {
        Options = [ofOverwritePrompt, ofHideReadOnly, ofEnableSizing]
    }
    TPageControl PageControl1 {
        Left = 8
        Top = 8
        Width = 300
        Height = 180
        ActivePage = TabSheet2
        TTabSheet TabSheet1 {
            Caption = "Page1"
            TTestPanel Panel1 { Left = 10  Top = 10  Width = 50  Height = 20 }
        }
        TTabSheet TabSheet2 {
            Caption = "Page2"
            TabVisible = true
        }
    }
}
)";

class MenuStreamingTest : public QuorlpakTest {
protected:
    void SetUp() override {
        QuorlpakTest::SetUp();
        RegisterClasses({TMenuTestForm::StaticClass(), TTestPanel::StaticClass()});
        RegisterMenuClasses();
        RegisterComCtrlClasses();
        RegisterDialogClasses();
    }
    void TearDown() override {
        TestSeams::ScriptPopupMenus(nullptr);
        QuorlpakTest::TearDown();
    }
    TMenuTestForm* Read(const UnicodeString& Text) {
        auto* form = new TMenuTestForm(Application);
        LoadComponentFromText(form, Text);
        form->AfterConstruction();
        return form;
    }
    template <class C> static C* Find(TComponent* Root, const char16_t* Name) {
        auto* found = dynamic_cast<C*>(Root->FindComponent(Name));
        EXPECT_NE(found, nullptr) << UnicodeToUtf8(Name);
        return found;
    }
};

} // namespace

TEST_F(MenuStreamingTest, AFormDescriptionBuildsAWorkingMenuBar) {
    TMenuTestForm* form = Read(kDescription);
    auto* menu = Find<TMainMenu>(form, u"MainMenu1");
    auto* file = Find<TMenuItem>(form, u"File1");
    auto* load = Find<TMenuItem>(form, u"Load1");
    ASSERT_TRUE(menu && file && load);
    EXPECT_EQ(form->GetMenu(), menu);
    ASSERT_EQ(menu->GetItems()->GetCount(), 2);
    EXPECT_EQ(menu->GetItems()->GetItems(0), file);
    ASSERT_EQ(file->GetCount(), 5);
    EXPECT_EQ(file->GetItems(0), load);
    EXPECT_TRUE(file->GetItems(2)->IsLine());
    EXPECT_FALSE(Find<TMenuItem>(form, u"Save1")->GetEnabled());
    EXPECT_TRUE(Find<TMenuItem>(form, u"Ver1501")->GetChecked());
    EXPECT_EQ(load->GetShortCut(), ShortCut('L', {ssCtrl}));

    form->Show();
    Pump();
    HMENU bar = GetMenu(form->GetHandle());
    ASSERT_EQ(bar, menu->GetHandle());
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 0)), 5);

    // The streamed handler runs when the item is chosen from the bar.
    TestSeams::ScriptPopupMenus([&](const TestSeams::PopupMenuRecord&) {
        return TestSeams::PopupMenuAnswer{load->GetCommand(), false};
    });
    RECT r{};
    ASSERT_TRUE(GetMenuItemRect(form->GetHandle(), bar, 0, &r));
    TestSeams::Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    Pump();
    ASSERT_EQ(form->Loads.size(), 1u);
    EXPECT_EQ(form->Loads[0], load);
}

TEST_F(MenuStreamingTest, PagesAndTheirControlsComeAsChildren) {
    TMenuTestForm* form = Read(kDescription);
    auto* pages = Find<TPageControl>(form, u"PageControl1");
    auto* sheet1 = Find<TTabSheet>(form, u"TabSheet1");
    auto* sheet2 = Find<TTabSheet>(form, u"TabSheet2");
    auto* panel = Find<TTestPanel>(form, u"Panel1");
    ASSERT_TRUE(pages && sheet1 && sheet2 && panel);
    EXPECT_EQ(pages->GetParent(), form);
    ASSERT_EQ(pages->GetPageCount(), 2);
    EXPECT_EQ(pages->GetPages(0), sheet1);
    EXPECT_EQ(sheet1->GetCaption(), u"Page1");
    EXPECT_EQ(panel->GetParent(), sheet1);
    EXPECT_EQ(pages->GetActivePage(), sheet2);
    form->Show();
    Pump();
    EXPECT_FALSE(IsWindowVisible(panel->GetHandle()));
    pages->SetActivePage(sheet1);
    EXPECT_TRUE(IsWindowVisible(panel->GetHandle()));
    EXPECT_EQ(form->GetPopupMenu(), Find<TPopupMenu>(form, u"PopupMenu1"));
}

TEST_F(MenuStreamingTest, DialogsKeepTheirSettings) {
    TMenuTestForm* form = Read(kDescription);
    auto* open = Find<TOpenDialog>(form, u"OpenDialog1");
    auto* save = Find<TSaveDialog>(form, u"SaveDialog1");
    ASSERT_TRUE(open && save);
    EXPECT_FALSE(open->IsSaveDialog());
    EXPECT_TRUE(save->IsSaveDialog());
    EXPECT_EQ(open->GetFilter(), u"Text|*.txt|All|*.*");
    EXPECT_EQ(open->GetDefaultExt(), u"txt");
    EXPECT_EQ(open->GetTitle(), u"Load parameters");
    EXPECT_EQ(open->GetOptions(), (TOpenOptions{ofHideReadOnly, ofFileMustExist, ofEnableSizing}));
    EXPECT_TRUE(save->GetOptions().Contains(ofOverwritePrompt));
}

TEST_F(MenuStreamingTest, WritingAndReadingBackGivesTheSameDescription) {
    TMenuTestForm* form = Read(kDescription);
    const UnicodeString written = ComponentToObjectText(form);
    for (const char16_t* expected :
         {u"Menu = MainMenu1", u"TMainMenu MainMenu1", u"TMenuItem Load1", u"OnClick = Load1Click",
          u"ActivePage = TabSheet2", u"TTabSheet TabSheet1", u"TTestPanel Panel1",
          u"TOpenDialog OpenDialog1", u"ofFileMustExist", u"ShortCut = 16460"})
        EXPECT_NE(written.find(expected), UnicodeString::npos) << UnicodeToUtf8(expected);
    // Sub-items nest in their item, not beside it.
    EXPECT_LT(written.find(u"TMenuItem File1"), written.find(u"TMenuItem Load1"));
    EXPECT_LT(written.find(u"TMenuItem Load1"), written.find(u"TMenuItem About1"));

    delete form;
    TMenuTestForm* again = Read(written);
    EXPECT_EQ(ComponentToObjectText(again), written);
    auto* pages = Find<TPageControl>(again, u"PageControl1");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->GetActivePage(), Find<TTabSheet>(again, u"TabSheet2"));
    EXPECT_EQ(Find<TMenuItem>(again, u"N1")->GetParent(), Find<TMenuItem>(again, u"File1"));
}
