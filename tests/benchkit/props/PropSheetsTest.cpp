// Property sheets: area paths, the class registry, broadcasts through the
// control, and pages that follow the collection of sheet names.
#include "benchkit/props/IDEPropSheets.h"

#include <quorlpak/Application.h>
#include <quorlpak/Forms.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Exceptions.h>
#include <runpak/Filer.h>
#include <runpak/UString.h>
#include <win32/TestSeams.h>

#include <gtest/gtest.h>

namespace {

TEST(ExtractSheetAreaTest, SplitsOffTheFirstAreaHonouringEscapedDots) {
    struct Case {
        const char16_t* path;
        const char16_t* area;
        const char16_t* rest;
    };
    const Case cases[] = {
        {u"a.b.c", u"a", u"b.c"}, {u"a\\.b.c", u"a.b", u"c"}, {u"abc", u"abc", u""},
        {u".abc", u".abc", u""},  {u"ab.", u"ab.", u""},      {u"a.b\\.c", u"a", u"b\\.c"},
        {u"", u"", u""},
    };
    for (const Case& c : cases) {
        UnicodeString path = c.path;
        EXPECT_EQ(ExtractSheetArea(path), c.area) << UnicodeToUtf8(c.path);
        EXPECT_EQ(path, c.rest) << UnicodeToUtf8(c.path);
    }
}

class TSheetOne : public TPropertySheet {
public:
    using TPropertySheet::TPropertySheet;
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TSheetOne>(u"TSheetOne", TPropertySheet::StaticClass()));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }
};

class TSheetTwo : public TPropertySheet {
public:
    using TPropertySheet::TPropertySheet;
    static TClass StaticClass() {
        static const TMetaClass meta(
            TClassBuilder<TSheetTwo>(u"TSheetTwo", TPropertySheet::StaticClass()));
        return &meta;
    }
    TClass ClassType() const override { return StaticClass(); }
};

class PropSheetsTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(1000);
        InitializeQuorlpak();
        RegisterPropertySheetClass(TSheetOne::StaticClass());
        RegisterPropertySheetClass(TSheetTwo::StaticClass());
        RegisterComponentText(u"TSheetOne", uR"(
            TSheetOne SheetOne {
                TLabel Designed { Caption = "designed" }
            }
        )");
        RegisterComponentText(u"TSheetTwo", u"TSheetTwo SheetTwo { }");
        form = new TForm(Application);
        control = new TPropertySheetControl(form);
        control->SetParent(form);
    }
    void TearDown() override {
        delete form;
        UnregisterPropertySheetClass(TSheetOne::StaticClass());
        UnregisterPropertySheetClass(TSheetTwo::StaticClass());
        UnRegisterComponentText(u"TSheetOne");
        UnRegisterComponentText(u"TSheetTwo");
        FinalizeQuorlpak();
        TestSeams::UseRealClock();
    }
    TPropertySheetItem* AddSheet(const char16_t* name) {
        TPropertySheetItem* item = control->GetPropertySheets()->Add();
        item->SetPropertySheetClassName(name);
        return item;
    }
    TForm* form = nullptr;
    TPropertySheetControl* control = nullptr;
};

TEST_F(PropSheetsTest, RegistryFindsByNameInAnyCaseAndCountsRegistrations) {
    EXPECT_EQ(FindPropertySheetClass(u"tsheetone"), TSheetOne::StaticClass());
    EXPECT_EQ(FindPropertySheetClass(u"TSheetThree"), nullptr);
    RegisterPropertySheetClass(TSheetOne::StaticClass());
    UnregisterPropertySheetClass(TSheetOne::StaticClass());
    EXPECT_EQ(FindPropertySheetClass(u"TSheetOne"), TSheetOne::StaticClass());
}

TEST_F(PropSheetsTest, PagesFollowTheItemsAndUnknownNamesMakeNone) {
    TPropertySheetItem* one = AddSheet(u"TSheetOne");
    AddSheet(u"TSheetNobody");
    TPropertySheetItem* two = AddSheet(u"TSheetTwo");
    ASSERT_EQ(control->GetPageCount(), 2);
    EXPECT_EQ(control->GetPages(0), one->GetSheet());
    EXPECT_EQ(control->GetPages(1), two->GetSheet());
    EXPECT_EQ(control->GetActivePageIndex(), 0);
    EXPECT_FALSE(one->GetSheet()->GetTabVisible());
    EXPECT_EQ(control->GetPropertySheets()->FindPropertySheetClass(u"TSheetTwo"), two);
    EXPECT_EQ(control->GetPropertySheets()->FindPropertySheetClass(u"tsheettwo"), nullptr);
}

TEST_F(PropSheetsTest, BroadcastVisitsLastPageFirstAndKeepsTheResultAPageLeaves) {
    EXPECT_EQ(control->Broadcast(0x400, 1, 2), 0);
    TPropertySheetItem* one = AddSheet(u"TSheetOne");
    TPropertySheetItem* two = AddSheet(u"TSheetTwo");
    std::vector<int> order;
    one->GetSheet()->OnBroadcast = [&](TObject*, TMessage& m) {
        order.push_back(1);
        EXPECT_EQ(m.Msg, 0x400u);
        EXPECT_EQ(m.WParam, 1u);
    };
    two->GetSheet()->OnBroadcast = [&](TObject*, TMessage& m) {
        order.push_back(2);
        m.Result = 42;
    };
    EXPECT_EQ(one->GetSheet()->ParentBroadcast(0x400, 1, 2), 42);
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_EQ(one->GetSheet()->Broadcast(0x400, 1, 2), 0);
}

TEST_F(PropSheetsTest, VetoedPageStaysAndNoPageIsMadeInItsPlace) {
    TPropertySheetItem* item = AddSheet(u"TSheetOne");
    TPropertySheet* first = item->GetSheet();
    int offered = 0;
    control->OnFreePage = [&](TObject*, TTabSheet*, bool& allow) {
        ++offered;
        allow = false;
    };
    item->SetPropertySheetClassName(u"TSheetTwo");
    EXPECT_EQ(offered, 1);
    ASSERT_EQ(control->GetPageCount(), 1);
    EXPECT_EQ(control->GetPages(0), first);

    control->OnFreePage = nullptr;
    item->SetPropertySheetClassName(u"TSheetOne");
    ASSERT_EQ(control->GetPageCount(), 1);
    EXPECT_EQ(control->GetPages(0)->ClassType(), TSheetOne::StaticClass());
    EXPECT_EQ(item->GetSheet(), control->GetPages(0));
}

TEST_F(PropSheetsTest, PagesCarryTheirClassesDesignedContentAndAClassWithoutOneIsRefused) {
    AddSheet(u"TSheetOne");
    AddSheet(u"TSheetOne");
    ASSERT_EQ(control->GetPageCount(), 2);
    for (int i = 0; i < 2; ++i) {
        auto* label = dynamic_cast<TLabel*>(control->GetPages(i)->FindComponent(u"Designed"));
        ASSERT_NE(label, nullptr) << i;
        EXPECT_EQ(label->GetCaption(), u"designed");
        EXPECT_EQ(label->GetParent(), control->GetPages(i));
    }
    UnRegisterComponentText(u"TSheetTwo");
    EXPECT_THROW(AddSheet(u"TSheetTwo"), EResNotFound);
    EXPECT_EQ(control->GetPageCount(), 2);
}

} // namespace
