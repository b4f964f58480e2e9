#include "ControlTestSupport.h"
#include <win32/readback.h>
class Scratch : public ControlTest {};
TEST_F(Scratch, Png) {
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, u"MS Shell Dlg");
    auto set = [&](HWND h) { SendMessageW(h, WM_SETFONT, (WPARAM)font, TRUE); return h; };
    set(Make(u"Static", u"&Name:", SS_LEFT, 10, 14, 60, 20, 1));
    HWND e = set(Make(u"Edit", u"Hello world", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 80, 10, 150, 22, 2));
    set(Make(u"Button", u"&OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 250, 10, 75, 25, 3));
    set(Make(u"Button", u"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 250, 40, 75, 25, 4));
    set(Make(u"Button", u"Options", BS_GROUPBOX, 10, 45, 220, 100, 5));
    HWND cb = set(Make(u"Button", u"&Verbose output", BS_AUTOCHECKBOX | WS_TABSTOP, 20, 65, 150, 20, 6));
    Send(cb, BM_SETCHECK, 1);
    HWND r1 = set(Make(u"Button", u"Radio one", BS_AUTORADIOBUTTON | WS_GROUP, 20, 90, 150, 20, 7));
    set(Make(u"Button", u"Radio two", BS_AUTORADIOBUTTON, 20, 112, 150, 20, 8));
    Send(r1, BM_SETCHECK, 1);
    HWND lb = set(Make(u"ListBox", nullptr, WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 10, 155, 120, 80, 9));
    for (auto s : {u"alpha", u"beta", u"gamma", u"delta", u"epsilon", u"zeta"}) Send(lb, LB_ADDSTRING, 0, (LPARAM)s);
    Send(lb, LB_SETCURSEL, 1);
    HWND combo = set(Make(u"ComboBox", nullptr, CBS_DROPDOWNLIST | WS_TABSTOP, 150, 155, 150, 120, 10));
    for (auto s : {u"red", u"green", u"blue"}) Send(combo, CB_ADDSTRING, 0, (LPARAM)s);
    Send(combo, CB_SETCURSEL, 1);
    HWND combo2 = set(Make(u"ComboBox", nullptr, CBS_DROPDOWN | WS_TABSTOP, 150, 190, 150, 120, 11));
    SetWindowTextW(combo2, u"typed");
    set(Make(u"Static", u"日本語のラベル", SS_LEFT, 10, 245, 200, 20, 12));
    set(Make(u"Static", u"", SS_ETCHEDHORZ, 10, 270, 300, 2, 13));
    SetFocus(e);
    Send(e, EM_SETSEL, 0, 5);
    Pump();
    UpdateWindow(parent);
    RedrawWindow(parent, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetWindowDC(parent);
    win32::SaveDCAsPng(dc, "/tmp/sysctl_form.png");
    ReleaseDC(parent, dc);
    Send(combo, CB_SHOWDROPDOWN, TRUE);
    Pump();
    HWND list = nullptr; COMBOBOXINFO info{sizeof info}; GetComboBoxInfo(combo, &info); list = info.hwndList;
    UpdateWindow(list);
    dc = GetWindowDC(list);
    win32::SaveDCAsPng(dc, "/tmp/sysctl_list.png");
    ReleaseDC(list, dc);
    DeleteObject(font);
}
