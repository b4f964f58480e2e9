// The extended combo box: items with images and indentation, its
// notifications, its edit, and how it draws.
#include "ControlTestSupport.h"

#include <win32/comboboxex.h>
#include <win32/commctrl.h>

namespace {

struct Note {
    UINT code;
    INT_PTR item;
    LPARAM lParam;
    int why;
    int newSelection;
    std::u16string text;
};

class ComboBoxExControl : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        Hook() = [this](HWND hwnd, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
            if (hwnd != parent || msg != WM_NOTIFY) return false;
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            Note note{header->code, -1, 0, 0, 0, {}};
            if (header->code == CBEN_INSERTITEM || header->code == CBEN_DELETEITEM) {
                auto* item = reinterpret_cast<NMCOMBOBOXEXW*>(lParam);
                note.item = item->ceItem.iItem;
                note.lParam = item->ceItem.lParam;
            } else if (header->code == CBEN_ENDEDITW) {
                auto* edit = reinterpret_cast<NMCBEENDEDITW*>(lParam);
                note.why = edit->iWhy;
                note.newSelection = edit->iNewSelection;
                note.text = edit->szText;
            }
            notes.push_back(note);
            result = 0;
            return true;
        };
    }
    void TearDown() override {
        if (images) ImageList_Destroy(images);
        ControlTest::TearDown();
    }

    HWND MakeComboEx(DWORD style) {
        return Make(WC_COMBOBOXEX, nullptr, WS_TABSTOP | style, 10, 10, 200, 150, 9);
    }
    static int Insert(HWND combo, INT_PTR at, const char16_t* text, int image, int indent,
                      LPARAM data) {
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT | CBEIF_LPARAM;
        item.iItem = at;
        item.pszText = const_cast<LPWSTR>(text);
        item.iImage = item.iSelectedImage = image;
        item.iIndent = indent;
        item.lParam = data;
        return static_cast<int>(Send(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    static COMBOBOXEXITEMW Get(HWND combo, int index, std::u16string& text) {
        static WCHAR buffer[64];
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_INDENT | CBEIF_LPARAM;
        item.iItem = index;
        item.pszText = buffer;
        item.cchTextMax = 64;
        EXPECT_TRUE(Send(combo, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        text = buffer;
        return item;
    }
    // A list of one solid red 16 x 16 image.
    HIMAGELIST RedImages() {
        images = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, 16, 16};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &all, red);
        DeleteObject(red);
        SelectObject(dc, old);
        DeleteDC(dc);
        ImageList_Add(images, bitmap, nullptr);
        DeleteObject(bitmap);
        return images;
    }
    static bool Red(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 60; }

    std::vector<Note> notes;
    HIMAGELIST images = nullptr;
};

} // namespace

TEST_F(ComboBoxExControl, ItemsKeepTheirImagesIndentsAndData) {
    HWND combo = MakeComboEx(CBS_DROPDOWNLIST);
    ASSERT_NE(combo, nullptr);
    EXPECT_NE(Send(combo, CBEM_GETCOMBOCONTROL), 0);
    EXPECT_EQ(Send(combo, CBEM_GETEDITCONTROL), 0); // no edit for a drop-down list
    EXPECT_EQ(Insert(combo, -1, u"Desktop", 0, 0, 100), 0);
    EXPECT_EQ(Insert(combo, -1, u"Drive", 1, 2, 300), 1);
    EXPECT_EQ(Insert(combo, 1, u"Computer", 2, 1, 200), 1); // between the two
    EXPECT_EQ(Send(combo, CB_GETCOUNT), 3);

    struct Row {
        const char16_t* text;
        int image, indent;
        LPARAM data;
    } rows[] = {{u"Desktop", 0, 0, 100}, {u"Computer", 2, 1, 200}, {u"Drive", 1, 2, 300}};
    for (int i = 0; i < 3; ++i) {
        std::u16string text;
        COMBOBOXEXITEMW item = Get(combo, i, text);
        EXPECT_EQ(text, rows[i].text);
        EXPECT_EQ(item.iImage, rows[i].image);
        EXPECT_EQ(item.iIndent, rows[i].indent);
        EXPECT_EQ(item.lParam, rows[i].data);
        EXPECT_EQ(Send(combo, CB_GETITEMDATA, static_cast<WPARAM>(i)), rows[i].data);
    }

    // Changing one field leaves the others.
    COMBOBOXEXITEMW change{};
    change.mask = CBEIF_INDENT;
    change.iItem = 2;
    change.iIndent = 5;
    EXPECT_TRUE(Send(combo, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change)));
    std::u16string text;
    EXPECT_EQ(Get(combo, 2, text).iIndent, 5);
    EXPECT_EQ(text, u"Drive");

    // Selection, text and removal.
    Send(combo, CB_SETCURSEL, 1);
    EXPECT_EQ(Text(combo), u"Computer");
    EXPECT_EQ(Send(combo, CB_DELETESTRING, 0), 2);
    Send(combo, CB_RESETCONTENT);
    EXPECT_EQ(Send(combo, CB_GETCOUNT), 0);

    // Every insertion and deletion was announced, in order, with its data.
    std::vector<std::tuple<UINT, INT_PTR, LPARAM>> seen;
    for (const Note& n : notes) seen.emplace_back(n.code, n.item, n.lParam);
    std::vector<std::tuple<UINT, INT_PTR, LPARAM>> expected = {
        {CBEN_INSERTITEM, 0, 100}, {CBEN_INSERTITEM, 1, 300}, {CBEN_INSERTITEM, 1, 200},
        {CBEN_DELETEITEM, 0, 100}, {CBEN_DELETEITEM, 1, 300}, {CBEN_DELETEITEM, 0, 200}};
    EXPECT_EQ(seen, expected);
}

TEST_F(ComboBoxExControl, TheListDrawsImagesIndentedTheFieldDoesNot) {
    HWND combo = MakeComboEx(CBS_DROPDOWNLIST);
    Send(combo, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(RedImages()));
    EXPECT_EQ(Send(combo, CBEM_GETIMAGELIST), reinterpret_cast<LRESULT>(images));
    Insert(combo, -1, u"deep", 0, 3, 0);
    Insert(combo, -1, u"flat", 0, 0, 0);
    Insert(combo, -1, u"none", -1, 0, 0);
    Send(combo, CB_SETCURSEL, 1);
    Pump();
    HWND inner = reinterpret_cast<HWND>(Send(combo, CBEM_GETCOMBOCONTROL));
    RedrawWindow(inner, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT field;
    GetClientRect(inner, &field);
    int middle = field.bottom / 2;
    // The field: the selected item's image right at the start.
    EXPECT_TRUE(Red(Pixel(inner, 2 + 2 + 8, middle)));

    // The open list: each image after its item's steps of indentation; an
    // item without an image draws none.
    Send(combo, CB_SHOWDROPDOWN, TRUE);
    Pump();
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(inner, &info));
    RedrawWindow(info.hwndList, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    auto rowMiddle = [&](int index) {
        RECT item;
        SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        return (item.top + item.bottom) / 2;
    };
    EXPECT_FALSE(Red(Pixel(info.hwndList, 2 + 8, rowMiddle(0))));
    EXPECT_TRUE(Red(Pixel(info.hwndList, 2 + 3 * CBE_INDENT + 8, rowMiddle(0))));
    EXPECT_FALSE(Red(Pixel(info.hwndList, 2 + 8, rowMiddle(2))));
    Send(combo, CB_SHOWDROPDOWN, FALSE);
}

TEST_F(ComboBoxExControl, TheEditEndsWithReturnAndChoosesTheItemTyped) {
    HWND combo = MakeComboEx(CBS_DROPDOWN);
    HWND edit = reinterpret_cast<HWND>(Send(combo, CBEM_GETEDITCONTROL));
    ASSERT_NE(edit, nullptr);
    Insert(combo, -1, u"alpha", -1, 0, 0);
    Insert(combo, -1, u"beta", -1, 0, 0);
    Send(combo, CB_SETCURSEL, 0);
    EXPECT_EQ(Text(edit), u"alpha");
    EXPECT_FALSE(Send(combo, CBEM_HASEDITCHANGED));
    notes.clear();
    Log().clear();

    SetFocus(combo);
    Pump();
    EXPECT_EQ(GetFocus(), edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    Type(u"beta");
    EXPECT_TRUE(Send(combo, CBEM_HASEDITCHANGED));
    Press(VK_RETURN);

    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].code, CBEN_BEGINEDIT);
    EXPECT_EQ(notes[1].code, CBEN_ENDEDITW);
    EXPECT_EQ(notes[1].why, CBENF_RETURN);
    EXPECT_EQ(notes[1].text, u"beta");
    EXPECT_EQ(notes[1].newSelection, 1);
    EXPECT_EQ(Send(combo, CB_GETCURSEL), 1);
    // The parent hears the edit and the new selection as the control's own.
    std::vector<int> codes = Codes(combo);
    EXPECT_NE(std::find(codes.begin(), codes.end(), CBN_EDITCHANGE), codes.end());
    EXPECT_EQ(codes.back(), CBN_SELCHANGE);
    EXPECT_FALSE(Send(combo, CBEM_HASEDITCHANGED));
}
