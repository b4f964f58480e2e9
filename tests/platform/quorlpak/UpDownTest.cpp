// TUpDown over the system up-down: its associate shows and feeds the
// position, the changing events may refuse a step, and clicks report which
// button and where the position went.
#include "StdControlsTestSupport.h"

#include <quorlpak/ComCtrls.h>

namespace {

class UpDownTest : public StdControlsTest {
protected:
    void SetUp() override {
        StdControlsTest::SetUp();
        edit = Make<TEdit>(10, 10, 80, 21);
        updown = new TUpDown(form);
        updown->SetParent(form);
        updown->SetMin(0);
        updown->SetMax(255);
        updown->SetPosition(10);
        updown->SetAssociate(edit);
        updown->OnChanging = [this](TObject*, bool& allow) {
            log.push_back("changing " + std::to_string(updown->GetPosition()));
            allow = !refuse;
        };
        updown->OnChangingEx = [this](TObject*, bool&, int next, TUpDownDirection dir) {
            log.push_back("to " + std::to_string(next) + (dir == updUp ? " up" : " down"));
        };
        updown->OnClick = [this](TObject*, TUDBtnType button) {
            log.push_back(std::string(button == btNext ? "next " : "prev ") +
                          std::to_string(updown->GetPosition()));
        };
        Pump();
    }
    void ClickButton(bool up) {
        const int y = up ? 2 : updown->GetHeight() - 3;
        TestSeams::Click(TestSeams::ClientPoint(updown->GetHandle(), updown->GetWidth() / 2, y));
        Pump();
    }

    TEdit* edit = nullptr;
    TUpDown* updown = nullptr;
    std::vector<std::string> log;
    bool refuse = false;
};

TEST_F(UpDownTest, ButtonsStepThePositionShownInTheAssociate) {
    EXPECT_EQ(edit->GetText(), u"10");
    // The buttons took their place on the edit's right edge.
    EXPECT_EQ(updown->GetLeft() + updown->GetWidth(), 90);
    EXPECT_EQ(updown->GetHeight(), edit->GetHeight());
    ClickButton(true);
    ClickButton(false);
    ClickButton(false);
    EXPECT_EQ(log, (std::vector<std::string>{"changing 10", "to 11 up", "next 11", "changing 11",
                                             "to 10 down", "prev 10", "changing 10", "to 9 down",
                                             "prev 9"}));
    EXPECT_EQ(edit->GetText(), u"9");
    log.clear();
    refuse = true;
    ClickButton(true);
    EXPECT_EQ(log, (std::vector<std::string>{"changing 9"}));
    EXPECT_EQ(updown->GetPosition(), 9);
}

TEST_F(UpDownTest, TypedTextBecomesThePositionAndIncrementSizesTheSteps) {
    Focus(edit);
    edit->SelectAll();
    Type(u"200");
    EXPECT_EQ(updown->GetPosition(), 200);
    updown->SetIncrement(50);
    ClickButton(true);
    EXPECT_EQ(updown->GetPosition(), 250);
    ClickButton(true);
    EXPECT_EQ(updown->GetPosition(), 255); // held at Max
    Key(VK_DOWN);                          // the edit's arrow keys step too
    EXPECT_EQ(updown->GetPosition(), 205);
    EXPECT_EQ(edit->GetText(), u"205");
    // A text that is no number leaves the position where it was.
    edit->SetText(u"lots");
    EXPECT_EQ(updown->GetPosition(), 205);
    // The associate going away leaves the up-down working on its own.
    delete edit;
    edit = nullptr;
    EXPECT_EQ(updown->GetAssociate(), nullptr);
    ClickButton(false);
    EXPECT_EQ(updown->GetPosition(), 155);
}

TEST_F(UpDownTest, RangeAndPositionSurviveANewWindow) {
    updown->SetWrap(true); // makes the window again
    updown->SetPosition(255);
    updown->SetOrientation(udHorizontal);
    EXPECT_EQ(updown->GetPosition(), 255);
    TestSeams::Click(TestSeams::ClientPoint(updown->GetHandle(), updown->GetWidth() - 2, 3));
    Pump();
    EXPECT_EQ(updown->GetPosition(), 0); // wrapped
    EXPECT_EQ(log.back(), "next 0");
    updown->SetMin(20);
    EXPECT_EQ(updown->GetPosition(), 20);
}

} // namespace
