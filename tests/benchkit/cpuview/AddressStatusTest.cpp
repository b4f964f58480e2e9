// The address status line's text after each setter, and the palette page of
// the CPU-window controls.
#include "CPUViewTestSupport.h"

#include <functional>

namespace {

class AddressStatusTest : public CPUViewTest {};

TEST_F(AddressStatusTest, TheTextFollowsEverySetter) {
    const std::u16string blanks24(24, u' ');
    struct Case {
        const char* what;
        std::function<void(TAddressStatus*)> act;
        std::u16string text;
    } cases[] = {
        {"nothing yet", [](TAddressStatus*) {}, u""},
        {"thread", [](TAddressStatus* s) { s->SetThreadId(0x1A2B); }, blanks24 + u"0x00001A2B"},
        {"known value",
         [](TAddressStatus* s) {
             s->SetEffective(0x1000);
             s->SetIndirect(0x2A);
         },
         u"[0x1000]=0x2a" + std::u16string(11, u' ') + u"0x00000000"},
        {"unreadable",
         [](TAddressStatus* s) {
             s->SetEffective(0x1000);
             s->SetIndirectError(false);
             s->SetIndirectError(true);
         },
         u"[0x1000]=????" + std::u16string(11, u' ') + u"0x00000000"},
        {"same value clears the error",
         [](TAddressStatus* s) {
             s->SetEffective(0x1000);
             s->SetIndirectError(true);
             s->SetIndirect(0);
         },
         u"[0x1000]=0x0" + std::u16string(12, u' ') + u"0x00000000"},
        {"target hides the effective address",
         [](TAddressStatus* s) {
             s->SetIndirect(5);
             s->SetTarget(0x401000);
         },
         blanks24 + u"0x00000000"},
        {"thread string and 64-bit size",
         [](TAddressStatus* s) {
             s->SetAddressSize(as64);
             s->SetThreadString(u"Thread ");
             s->SetThreadId(7);
         },
         std::u16string(40, u' ') + u"Thread 0x00000007"},
        {"effective address cut to the column",
         [](TAddressStatus* s) {
             s->SetEffective(0x123456789ABCDEF0);
             s->SetIndirect(0x1122334455667788);
         },
         u"[0x9abcdef0]=0x55667788 0x00000000"},
    };
    for (const Case& c : cases) {
        TForm* form = ShownForm();
        auto* status = new TAddressStatus(form);
        status->SetParent(form);
        c.act(status);
        EXPECT_EQ(status->GetText(), c.text) << c.what;
    }
}

TEST_F(AddressStatusTest, ShowingEffectiveAndTargetExcludeEachOther) {
    auto* status = new TAddressStatus(Application);
    EXPECT_FALSE(status->GetShowAnyThing());
    EXPECT_TRUE(status->GetIndirectError());
    status->SetTarget(0x10);
    EXPECT_TRUE(status->GetShowTarget());
    EXPECT_FALSE(status->GetShowEffective());
    status->SetShowEffective(true);
    EXPECT_FALSE(status->GetShowTarget());
    status->SetShowTarget(true);
    EXPECT_FALSE(status->GetShowEffective());
}

TEST(CPURegistration, PutsTheSevenControlsOnThePageCPU) {
    UnicodeString page;
    std::vector<TClass> classes;
    RegisterComponentsProc = [&](const UnicodeString& Page, const std::vector<TClass>& Classes) {
        page = Page;
        classes = Classes;
    };
    Register();
    RegisterComponentsProc = nullptr;
    EXPECT_EQ(page, u"CPU");
    std::vector<UnicodeString> names;
    for (TClass c : classes)
        names.push_back(c->ClassName());
    EXPECT_EQ(names, (std::vector<UnicodeString>{
                         u"TDisassemblerView", u"TRegisterView", u"TFlagsView", u"TFPURegisterView",
                         u"TXMMRegisterView", u"TDumpView", u"TAddressStatus"}));
}

} // namespace
