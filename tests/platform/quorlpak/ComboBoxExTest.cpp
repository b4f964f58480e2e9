// TComboBoxEx: its items mirrored into the window, selection and the Enter key.
#include "StdControlsTestSupport.h"

#include <quorlpak/ComboBoxEx.h>
#include <win32/comboboxex.h>

#include <string>
#include <vector>

namespace {

class ComboBoxExTest : public StdControlsTest {
protected:
    TComboBoxEx* combo = nullptr;
    std::vector<std::string> log;

    void SetUp() override {
        StdControlsTest::SetUp();
        combo = Make<TComboBoxEx>(10, 10, 180, 21);
        combo->OnSelect = [this](TObject*) { log.push_back("select"); };
        combo->OnClick = [this](TObject*) { log.push_back("click"); };
    }
    // The window's record of item i: caption, image, indent and data.
    std::tuple<std::u16string, int, int, LPARAM> Window(int i) {
        WCHAR text[64] = {};
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_INDENT | CBEIF_LPARAM;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = 64;
        EXPECT_TRUE(SendMessageW(combo->GetHandle(), CBEM_GETITEMW, 0,
                                 reinterpret_cast<LPARAM>(&item)));
        return {text, item.iImage, item.iIndent, item.lParam};
    }
    int WindowCount() {
        return static_cast<int>(SendMessageW(combo->GetHandle(), CB_GETCOUNT, 0, 0));
    }
};

} // namespace

TEST_F(ComboBoxExTest, TheWindowMirrorsTheItems) {
    int data = 0;
    TComboExItems* items = combo->GetItemsEx();
    items->AddItem(u"Root", 3, 3, -1, 0, &data);
    items->AddItem(u"Child", 4, 4, -1, 1);
    items->Insert(1)->SetCaption(u"Between");
    ASSERT_EQ(WindowCount(), 3);
    EXPECT_EQ(Window(0), std::make_tuple(std::u16string(u"Root"), 3, 0,
                                         reinterpret_cast<LPARAM>(&data)));
    EXPECT_EQ(std::get<0>(Window(1)), u"Between");
    items->GetComboItem(2)->SetIndent(2);
    items->GetComboItem(2)->SetImageIndex(7);
    EXPECT_EQ(Window(2), std::make_tuple(std::u16string(u"Child"), 7, 2, LPARAM(0)));
    items->Delete(1);
    EXPECT_EQ(WindowCount(), 2);
    EXPECT_EQ(std::get<0>(Window(1)), u"Child");

    // Locked, the items still reach the window.
    items->BeginUpdate();
    EXPECT_EQ(items->GetUpdateCount(), 1);
    items->Clear();
    items->AddItem(u"Only");
    items->EndUpdate();
    EXPECT_EQ(WindowCount(), 1);

    // Items and selection made without a window appear when it comes.
    auto* late = new TComboBoxEx(form);
    late->GetItemsEx()->AddItem(u"a");
    late->GetItemsEx()->AddItem(u"b");
    late->SetItemIndex(1);
    EXPECT_FALSE(late->HandleAllocated());
    late->SetParent(form);
    EXPECT_EQ(SendMessageW(late->GetHandle(), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(late->GetItemIndex(), 1);
    EXPECT_EQ(late->GetText(), u"b");
}

TEST_F(ComboBoxExTest, ChoosingAnItemClicksAndSelects) {
    combo->SetStyle(csExDropDownList);
    combo->GetItemsEx()->AddItem(u"one");
    combo->GetItemsEx()->AddItem(u"two");
    Focus(combo);
    Key(VK_DOWN);
    EXPECT_EQ(combo->GetItemIndex(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"click", "select"}));
    EXPECT_EQ(combo->GetText(), u"one");
    // Set by the program: no events.
    log.clear();
    combo->SetItemIndex(1);
    EXPECT_TRUE(log.empty());
}

TEST_F(ComboBoxExTest, EnterInTheEditIsTheControlsKey) {
    combo->GetItemsEx()->AddItem(u"alpha");
    std::vector<uint16_t> keys;
    combo->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) { keys.push_back(key); };
    Focus(combo);
    Type(u"al");
    Key(VK_RETURN);
    EXPECT_EQ(keys, std::vector<uint16_t>{VK_RETURN});
    EXPECT_EQ(combo->GetText(), u"al");
}
