// The hot-command panel's paragraph layout, label recycling and hot
// tracking, and the description pane.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDEDescriptionPane.h"
#include "benchkit/controls/IDEHotCommands.h"

namespace {

using HotCommandsTest = ControlsTest;

TEST_F(HotCommandsTest, LabelsWrapLikeWords) {
    auto* panel = Place(new THotCommands(Form), 200, 100);
    panel->GetCommands()->SetText(u"Open project\r\nNew form\r\nClose all\r\n");
    ASSERT_EQ(panel->GetControlCount(), 3);
    TLabel* a = panel->CommandLabel(0);
    TLabel* b = panel->CommandLabel(1);
    TLabel* c = panel->CommandLabel(2);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->GetCaption(), u"Open project");
    EXPECT_EQ(a->GetLeft(), 1);
    EXPECT_EQ(a->GetTop(), 1);
    EXPECT_EQ(b->GetLeft(), 1 + a->GetWidth() + 5);
    EXPECT_EQ(b->GetTop(), 1);
    EXPECT_EQ(a->GetCursor(), crHandPoint);

    // Narrow enough that the second label no longer fits: it and the third move down.
    const int narrow = b->GetLeft() + b->GetWidth() - 1;
    panel->SetWidth(narrow + (panel->GetWidth() - panel->GetClientWidth()));
    Pump();
    EXPECT_EQ(b->GetLeft(), 1);
    EXPECT_EQ(b->GetTop(), 1 + b->GetHeight() + 1);
    EXPECT_GT(c->GetTop(), 1);
}

TEST_F(HotCommandsTest, SurplusLabelsAreKeptAndReused) {
    auto* panel = Place(new THotCommands(Form), 300, 100);
    panel->GetCommands()->SetText(u"a\r\nb\r\nc\r\nd\r\ne\r\n");
    std::vector<TLabel*> first;
    for (int i = 0; i < 5; ++i) first.push_back(panel->CommandLabel(i));

    panel->GetCommands()->SetText(u"x\r\ny\r\n");
    EXPECT_EQ(panel->GetControlCount(), 2);
    EXPECT_EQ(panel->FreeLabelCount(), 3);
    EXPECT_EQ(panel->CommandLabel(0), first[0]);
    EXPECT_EQ(panel->CommandLabel(1)->GetCaption(), u"y");

    panel->GetCommands()->SetText(u"p\r\nq\r\nr\r\ns\r\n");
    EXPECT_EQ(panel->GetControlCount(), 4);
    EXPECT_EQ(panel->FreeLabelCount(), 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(std::find(first.begin(), first.end(), panel->CommandLabel(i)), first.end());
        EXPECT_EQ(panel->CommandLabel(i)->GetParent(), panel);
    }
}

TEST_F(HotCommandsTest, HotTrackingClicksAndDisabling) {
    auto* panel = Place(new THotCommands(Form), 300, 100);
    panel->GetCommands()->SetText(u"First\r\nSecond\r\n");
    std::vector<int> clicked;
    panel->OnHotCommandClick = [&](TObject* Sender, int Index) {
        EXPECT_EQ(Sender, panel);
        clicked.push_back(Index);
    };
    TLabel* second = panel->CommandLabel(1);
    const POINT inside =
        TestSeams::ClientPoint(panel->GetHandle(), second->GetLeft() + 3, second->GetTop() + 3);
    TestSeams::MouseMove(inside);
    Pump();
    EXPECT_EQ(second->GetFont()->GetColor(), clHotLight);
    EXPECT_TRUE(second->GetFont()->GetStyle().Contains(fsUnderline));

    ClickAt(panel, second->GetLeft() + 3, second->GetTop() + 3);
    EXPECT_EQ(clicked, std::vector<int>{1});

    // Disabling the hot command shows it cold at once.
    panel->SetCommandState(1, false);
    EXPECT_FALSE(panel->GetCommandState(1));
    EXPECT_EQ(second->GetFont()->GetColor(), clWindowText);
    EXPECT_FALSE(second->GetFont()->GetStyle().Contains(fsUnderline));
    EXPECT_FALSE(panel->GetCommandState(7));

    TestSeams::MouseMove(TestSeams::ClientPoint(panel->GetHandle(), 250, 90));
    Pump();
    EXPECT_EQ(panel->CommandLabel(0)->GetFont()->GetColor(), clWindowText);
}

TEST_F(HotCommandsTest, DescriptionPaneTextHintAndFont) {
    auto* pane = Place(new TDescriptionPane(Form), 200, 80);
    pane->SetSubjectText(u"Subject");
    pane->SetDescriptionText(u"A longer description that wraps over the lines of the pane.");
    EXPECT_EQ(pane->GetDescriptionText(),
              u"A longer description that wraps over the lines of the pane.");
    EXPECT_EQ(pane->GetDescriptionLabel()->GetHint(), pane->GetDescriptionText());
    EXPECT_TRUE(pane->GetDescriptionLabel()->GetWordWrap());
    EXPECT_EQ(pane->GetSubjectLabel()->GetAlign(), alTop);
    EXPECT_EQ(pane->GetDescriptionLabel()->GetAlign(), alClient);

    TFont font;
    font.SetHeight(-20);
    pane->SetDescriptionFont(&font);
    EXPECT_EQ(pane->GetDescriptionFont()->GetHeight(), -20);

    // A label freed from outside is forgotten; the pane answers without it.
    delete pane->GetDescriptionLabel();
    EXPECT_EQ(pane->GetDescriptionLabel(), nullptr);
    EXPECT_EQ(pane->GetDescriptionText(), u"");
    pane->SetDescriptionText(u"ignored");
    EXPECT_EQ(pane->GetDescriptionFont(), pane->GetFont());
}

} // namespace
