// The version-information grid: the key table's look-ups, moving data in and
// out (with the required flags), adding keys through the input form, and
// required keys that cannot be deleted or typed over.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDEVersionInfo.h"

#include <quorlpak/Screen.h>
#include <runpak/Exceptions.h>
#include <runpak/StringList.h>

#include <memory>
#include <optional>

namespace {

class TTestVerInfoGrid : public TVerInfoStringGrid {
public:
    using TVerInfoStringGrid::Loaded;
    using TVerInfoStringGrid::TVerInfoStringGrid;
};

class VersionInfoGridTest : public ControlsTest {
protected:
    TTestVerInfoGrid* MakeGrid() {
        auto* grid = Place(new TTestVerInfoGrid(Form), 300, 200);
        grid->Loaded();
        return grid;
    }
    // Lines as the host passes them: "key=value" with the required flag as object.
    static void Fill(TStringList& Data,
                     std::initializer_list<std::pair<const char16_t*, bool>> Lines) {
        for (auto& [line, required] : Lines)
            Data.AddObject(line, required ? VIRequiredFlag : nullptr);
    }
    void TearDown() override {
        Application->OnIdle = nullptr;
        ControlsTest::TearDown();
    }
    // Answers the next input form (OK with the text, or Cancel) from inside its modal loop.
    void AnswerInputForm(std::optional<UnicodeString> Answer) {
        auto pending = std::make_shared<bool>(true);
        Application->OnIdle = [this, Answer, pending](TObject*, bool& Done) {
            auto* form = dynamic_cast<TCustomForm*>(Application->FindComponent(u"InputQueryForm"));
            if (!*pending || !form) return;
            *pending = false;
            Asked = form->GetCaption();
            if (Answer) static_cast<TEdit*>(form->FindComponent(u"Edit"))->SetText(*Answer);
            form->SetModalResult(Answer ? mrOk : mrCancel);
            Done = false; // the modal loop looks at the result instead of waiting
        };
    }
    UnicodeString Asked;
};

TEST_F(VersionInfoGridTest, KeyTableLookUps) {
    const TStdFieldRec* fields = StdFields();
    EXPECT_EQ(UnicodeString(fields[0].Name), u"CompanyName");
    EXPECT_EQ(UnicodeString(fields[StdFieldCount - 1].Name), u"NSCameraUsageDescription");
    for (int i = 0; i < StdFieldCount; ++i)
        EXPECT_TRUE(fields[i].Required) << i;

    EXPECT_EQ(VILocalToEnglish(u"Unknown Key"), u"Unknown Key");
    EXPECT_EQ(VILocalToEnglish(u"fileversion"), u"FileVersion");
    EXPECT_EQ(VIEnglishToLocal(u"companyname"), u"CompanyName");
    EXPECT_EQ(VIEnglishToLocal(u"mine"), u"mine");
    ASSERT_NE(VIEnglishToFieldRec(u"PRODUCTVERSION"), nullptr);
    EXPECT_EQ(UnicodeString(VIEnglishToFieldRec(u"PRODUCTVERSION")->Value), u"1.0.0.0");
    EXPECT_EQ(UnicodeString(VIEnglishToFieldRec(u"Comments")->Value), u"");
    EXPECT_EQ(VIEnglishToFieldRec(u"nothing"), nullptr);
}

TEST_F(VersionInfoGridTest, DataRoundTripKeepsFlagsAndDropsSeparators) {
    TTestVerInfoGrid* grid = MakeGrid();
    EXPECT_EQ(grid->GetCells(0, 0), u"Key");
    TStringList in;
    Fill(in, {{u"companyname=Acme", true},
              {u"FileVersion", true},
              {u"Comments=a;b", false},
              {u"Mine=", false},
              {u"Path=x=y", false}});
    grid->FillGridFromData(&in);
    ASSERT_EQ(grid->GetRowCount(), 6);
    struct Row {
        const char16_t *key, *value;
        bool required;
    } rows[] = {{u"CompanyName", u"Acme", true},
                {u"FileVersion", u"", true},
                {u"Comments", u"a;b", false},
                {u"Mine", u"", false},
                {u"Path", u"x=y", false}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(grid->GetCells(0, i + 1), rows[i].key) << i;
        EXPECT_EQ(grid->GetCells(1, i + 1), rows[i].value) << i;
        EXPECT_EQ(grid->IsRequiredRow(i + 1), rows[i].required) << i;
    }
    EXPECT_EQ(grid->GetVerInfoValues(u"COMMENTS"), u"a;b");
    grid->SetVerInfoValues(u"Extra", u"1");
    grid->SetCells(0, 4, u" ;= "); // a key of separators only is dropped

    TStringList out;
    out.Add(u"stale");
    grid->FillDataFromGrid(&out);
    const char16_t* expected[] = {u"CompanyName=Acme", u"FileVersion=", u"Comments=ab", u"Path=x=y",
                                  u"Extra=1"};
    ASSERT_EQ(out.GetCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(out.GetStrings(i), expected[i]) << i;
    EXPECT_EQ(out.GetObjects(0), VIRequiredFlag);
    EXPECT_EQ(out.GetObjects(2), nullptr);

    // An empty list clears the data rows.
    TStringList empty;
    grid->FillGridFromData(&empty);
    EXPECT_EQ(grid->GetRowCount(), 2);
    EXPECT_EQ(grid->GetCells(0, 1), u"");
    EXPECT_FALSE(grid->IsRequiredRow(1));
    EXPECT_EQ(grid->GetCells(0, 0), u"Key");
}

TEST_F(VersionInfoGridTest, AddKeyAsksStripsAndValidates) {
    TTestVerInfoGrid* grid = MakeGrid();
    TStringList in;
    Fill(in, {{u"CompanyName=Acme", true}});
    grid->FillGridFromData(&in);

    AnswerInputForm(u"My=Key;");
    grid->AddKey();
    EXPECT_EQ(Asked, u"New VersionInfo Key");
    ASSERT_EQ(grid->GetRowCount(), 3);
    EXPECT_EQ(grid->GetCells(0, 2), u"MyKey");
    EXPECT_FALSE(grid->IsRequiredRow(2));
    EXPECT_EQ(grid->GetRow(), 2);
    EXPECT_EQ(grid->GetCol(), 1);

    AnswerInputForm(u"mykey");
    try {
        grid->AddKey();
        ADD_FAILURE() << "a key that exists in another case was added";
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"A key with the name of \"mykey\" already exists");
    }
    AnswerInputForm(std::nullopt); // Cancel
    grid->AddKey();
    EXPECT_EQ(grid->GetRowCount(), 3);

    grid->SetAllowAddKey(false);
    grid->AddKey(); // does not ask: no form to answer, the call returns at once
    EXPECT_EQ(grid->GetRowCount(), 3);
}

TEST_F(VersionInfoGridTest, RequiredRowsCannotBeDeletedOrRetyped) {
    TTestVerInfoGrid* grid = MakeGrid();
    TStringList in;
    Fill(in, {{u"CompanyName=Acme", true}, {u"Mine=1", false}, {u"Other=2", false}});
    grid->FillGridFromData(&in);
    try {
        grid->DeleteRow(1);
        ADD_FAILURE() << "a required row was deleted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), u"Cannot delete required key \"CompanyName\"");
    }
    EXPECT_EQ(grid->GetRowCount(), 4);
    EXPECT_EQ(grid->GetCells(0, 1), u"CompanyName");
    EXPECT_FALSE(grid->CanEditValueOrDeleteKey(1));

    grid->DeleteRow(2);
    ASSERT_EQ(grid->GetRowCount(), 3);
    EXPECT_EQ(grid->GetCells(0, 2), u"Other");
    EXPECT_EQ(grid->GetRow(), 2);
    EXPECT_EQ(grid->GetCol(), 1);

    // Typing: the required key stays, its value and an ordinary key change.
    grid->SetOptions(grid->GetOptions() + goEditing);
    grid->SetFocus();
    struct Case {
        int col, row;
        const char16_t* after;
    } cases[] = {{0, 1, u"CompanyName"}, {1, 1, u"Z"}, {0, 2, u"Z"}};
    for (const Case& c : cases) {
        grid->SetCol(c.col);
        grid->SetRow(c.row);
        TestSeams::TypeText(u"Z");
        TestSeams::KeyPress(VK_BACK);
        TestSeams::KeyPress(VK_DELETE);
        TestSeams::TypeText(u"Z");
        TestSeams::KeyPress(VK_RETURN);
        Pump();
        EXPECT_EQ(grid->GetCells(c.col, c.row), c.after) << c.col << "," << c.row;
    }
}

TEST_F(VersionInfoGridTest, DownOnTheLastFilledRowAsksForANewKey) {
    TTestVerInfoGrid* grid = MakeGrid();
    TStringList in;
    Fill(in, {{u"Comments=x", false}});
    grid->FillGridFromData(&in);
    grid->SetFocus();
    AnswerInputForm(u"Added");
    TestSeams::KeyPress(VK_DOWN);
    Pump();
    EXPECT_EQ(Asked, u"New VersionInfo Key");
    EXPECT_EQ(grid->GetCells(0, 2), u"Added");
    EXPECT_EQ(grid->GetRow(), 2);
}

} // namespace
