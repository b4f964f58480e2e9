// TMemo: its lines read from and written to the edit's text, typed line
// breaks, and Tab left to the dialog unless the memo wants it.
#include "StdControlsTestSupport.h"

#include <quorlpak/Memo.h>

namespace {

TEST_F(StdControlsTest, MemoLinesAreItsTextLineByLine) {
    auto* memo = Make<TMemo>(10, 10, 200, 100);
    struct Case {
        const char16_t* set;  // through Lines->SetText
        const char16_t* text; // what the memo holds
        std::vector<std::u16string> lines;
    } cases[] = {
        {u"", u"", {}},
        {u"one", u"one", {u"one"}},
        {u"one\ntwo\rthree", u"one\r\ntwo\r\nthree", {u"one", u"two", u"three"}},
        {u"a\r\n\r\nb\r\n", u"a\r\n\r\nb\r\n", {u"a", u"", u"b"}},
    };
    for (const Case& c : cases) {
        memo->GetLines()->SetText(c.set);
        EXPECT_EQ(memo->GetText(), c.text);
        std::vector<std::u16string> lines;
        for (int i = 0; i < memo->GetLines()->GetCount(); ++i)
            lines.push_back(memo->GetLines()->Get(i));
        EXPECT_EQ(lines, c.lines);
    }
    memo->GetLines()->SetText(u"one\r\ntwo");
    memo->GetLines()->Insert(1, u"middle");
    memo->GetLines()->Put(0, u"first");
    memo->GetLines()->Delete(2);
    EXPECT_EQ(memo->GetText(), u"first\r\nmiddle");
    EXPECT_THROW(memo->GetLines()->Get(2), EStringListError);
    EXPECT_THROW(memo->GetLines()->Delete(-1), EStringListError);
    EXPECT_EQ(memo->GetLines()->GetText(), u"first\r\nmiddle\r\n");
}

TEST_F(StdControlsTest, MemoTakesTypedLineBreaksAndLetsTabMoveOn) {
    auto* memo = Make<TMemo>(10, 10, 200, 100);
    auto* after = Make<TEdit>(10, 120, 100, 21);
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    Focus(memo);
    Type(u"ab\rcd");
    EXPECT_EQ(memo->GetLines()->GetCount(), 2);
    EXPECT_EQ(memo->GetLines()->Get(1), u"cd");
    EXPECT_EQ(changes, 5);
    Key(VK_TAB);
    EXPECT_TRUE(after->Focused());
}

} // namespace
