// The "ComboBoxEx32" class: a combo box whose items carry images and an
// indentation. It keeps the items itself and owns an owner-drawn drop-down
// list combo box that it draws; the CBS_DROPDOWN style lays an edit over the
// selection field, right of the selected item's image.
#include "Controls.h"

#include <win32/comboboxex.h>
#include <win32/commctrl.h>

#include <algorithm>
#include <cstring>

namespace win32::controls {

namespace {

constexpr int kComboExComboId = 1001;
constexpr int kComboExEditId = 1002;

struct ComboExItem {
    std::u16string text;
    bool textCallback = false;
    int image = -1;
    int selectedImage = -1;
    int overlay = -1;
    int indent = 0;
    LPARAM lParam = 0;
};

struct ComboExData : ControlData {
    HWND hwnd = nullptr;
    HWND combo = nullptr;
    HWND edit = nullptr;
    HIMAGELIST images = nullptr;
    HFONT font = nullptr;
    DWORD exStyle = 0;
    bool editChanged = false;
    bool quietEdit = false; // the control sets its edit's text itself
    int fieldHeight = 22;
    int droppedHeight = 100;
    std::vector<ComboExItem> items;

    DWORD Type() const { return StyleOf(hwnd) & 3; }
    bool Simple() const { return Type() == CBS_SIMPLE; }
};

LRESULT ToCombo(const ComboExData& c, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    return c.combo ? SendMessageW(c.combo, msg, wParam, lParam) : CB_ERR;
}

int CurSel(const ComboExData& c) {
    return static_cast<int>(ToCombo(c, CB_GETCURSEL));
}

bool ValidIndex(const ComboExData& c, INT_PTR index) {
    return index >= 0 && index < static_cast<INT_PTR>(c.items.size());
}

LRESULT SendNotify(const ComboExData& c, NMHDR& header, UINT code) {
    header.hwndFrom = c.hwnd;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(c.hwnd));
    header.code = code;
    HWND parent = GetParent(c.hwnd);
    return parent ? SendMessageW(parent, WM_NOTIFY, header.idFrom,
                                 reinterpret_cast<LPARAM>(&header))
                  : 0;
}

// The record of an item as the notifications and CBEM_GETITEMW give it.
void FillRecord(const ComboExItem& item, INT_PTR index, COMBOBOXEXITEMW& out, UINT mask) {
    out.iItem = index;
    if (mask & CBEIF_IMAGE) out.iImage = item.image;
    if (mask & CBEIF_SELECTEDIMAGE) out.iSelectedImage = item.selectedImage;
    if (mask & CBEIF_OVERLAY) out.iOverlay = item.overlay;
    if (mask & CBEIF_INDENT) out.iIndent = item.indent;
    if (mask & CBEIF_LPARAM) out.lParam = item.lParam;
}

// Takes the fields a record names into an item.
void TakeRecord(ComboExItem& item, const COMBOBOXEXITEMW& in) {
    if (in.mask & CBEIF_TEXT) {
        item.textCallback = in.pszText == LPSTR_TEXTCALLBACKW;
        item.text = item.textCallback || !in.pszText ? std::u16string() : std::u16string(in.pszText);
    }
    if (in.mask & CBEIF_IMAGE) item.image = in.iImage;
    if (in.mask & CBEIF_SELECTEDIMAGE) item.selectedImage = in.iSelectedImage;
    if (in.mask & CBEIF_OVERLAY) item.overlay = in.iOverlay;
    if (in.mask & CBEIF_INDENT) item.indent = in.iIndent;
    if (in.mask & CBEIF_LPARAM) item.lParam = in.lParam;
}

// An item's text, image and selected image, asking the parent for callbacks.
struct Shown {
    std::u16string text;
    int image = -1, selectedImage = -1, overlay = -1;
};

Shown ShownItem(ComboExData& c, int index) {
    Shown shown;
    if (!ValidIndex(c, index)) return shown;
    ComboExItem& item = c.items[static_cast<size_t>(index)];
    shown = {item.text, item.image, item.selectedImage, item.overlay};
    // Only texts are asked for: an image index below 0 means no image.
    UINT ask = item.textCallback ? CBEIF_TEXT : 0;
    if (!ask) return shown;
    NMCOMBOBOXEXW info{};
    WCHAR buffer[CBEMAXSTRLEN] = {};
    info.ceItem.mask = ask;
    info.ceItem.iItem = index;
    info.ceItem.pszText = buffer;
    info.ceItem.cchTextMax = CBEMAXSTRLEN;
    info.ceItem.lParam = item.lParam;
    SendNotify(c, info.hdr, CBEN_GETDISPINFOW);
    if (ask & CBEIF_TEXT) shown.text = info.ceItem.pszText ? info.ceItem.pszText : u"";
    if (ask & CBEIF_IMAGE) shown.image = info.ceItem.iImage;
    if (ask & CBEIF_SELECTEDIMAGE) shown.selectedImage = info.ceItem.iSelectedImage;
    if (ask & CBEIF_OVERLAY) shown.overlay = info.ceItem.iOverlay;
    if ((info.ceItem.mask & CBEIF_DI_SETITEM) && ValidIndex(c, index)) {
        ComboExItem& kept = c.items[static_cast<size_t>(index)];
        if (ask & CBEIF_TEXT) {
            kept.text = shown.text;
            kept.textCallback = false;
        }
        if (ask & CBEIF_IMAGE) kept.image = shown.image;
        if (ask & CBEIF_SELECTEDIMAGE) kept.selectedImage = shown.selectedImage;
        if (ask & CBEIF_OVERLAY) kept.overlay = shown.overlay;
    }
    return shown;
}

SIZE ImageSize(const ComboExData& c) {
    int cx = 0, cy = 0;
    if (c.images) ImageList_GetIconSize(c.images, &cx, &cy);
    return {cx, cy};
}

bool FieldShowsImage(const ComboExData& c) {
    return c.images && !(c.exStyle & CBES_EX_NOEDITIMAGE);
}

int ItemHeight(const ComboExData& c) {
    MeasureDC m(c.font);
    return std::max<int>(m.LineHeight(), ImageSize(c).cy) + 2;
}

// The edit lies over the selection field, right of the image.
void PlaceEdit(ComboExData& c) {
    if (!c.edit || !c.combo) return;
    RECT field;
    GetClientRect(c.combo, &field);
    field.bottom = std::min<LONG>(field.bottom, c.fieldHeight);
    int left = 3 + (FieldShowsImage(c) ? ImageSize(c).cx + 4 : 0);
    int right = field.right - 2 - (c.Simple() ? 0 : GetSystemMetrics(SM_CXVSCROLL));
    MoveWindow(c.edit, left, 3, std::max(0, right - left), std::max<LONG>(0, field.bottom - 6),
               TRUE);
    SetWindowPos(c.edit, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Remeasure(ComboExData& c) {
    int height = ItemHeight(c);
    ToCombo(c, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    ToCombo(c, CB_SETITEMHEIGHT, 0, height);
    RECT rc;
    GetWindowRect(c.combo, &rc);
    c.fieldHeight = c.Simple() ? c.fieldHeight : static_cast<int>(rc.bottom - rc.top);
    if (!c.Simple()) {
        RECT self;
        GetWindowRect(c.hwnd, &self);
        SetWindowPos(c.hwnd, nullptr, 0, 0, self.right - self.left, c.fieldHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PlaceEdit(c);
    InvalidateRect(c.combo, nullptr, TRUE);
}

void ShowSelectionInEdit(ComboExData& c) {
    if (!c.edit) return;
    int index = CurSel(c);
    std::u16string text = index >= 0 ? ShownItem(c, index).text : std::u16string();
    c.quietEdit = true;
    SetWindowTextW(c.edit, text.c_str());
    c.quietEdit = false;
    c.editChanged = false;
}

void DrawItem(ComboExData& c, const DRAWITEMSTRUCT& dis) {
    HDC dc = dis.hDC;
    RECT rc = dis.rcItem;
    const bool field = (dis.itemState & ODS_COMBOBOXEDIT) != 0;
    const bool selected = (dis.itemState & ODS_SELECTED) != 0 && !(field && c.edit);
    const bool enabled = !(dis.itemState & ODS_DISABLED);
    FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int index = static_cast<int>(dis.itemID);
    if (!ValidIndex(c, index)) return;
    Shown shown = ShownItem(c, index);
    int x = rc.left + 2;
    // The field shows the chosen item without its indentation.
    if (!field) x += c.items[static_cast<size_t>(index)].indent * CBE_INDENT;
    if (c.images && (!field || FieldShowsImage(c))) {
        SIZE size = ImageSize(c);
        int image = selected || (field && CurSel(c) == index) ? shown.selectedImage : shown.image;
        if (image < 0) image = shown.image;
        if (image >= 0) {
            UINT style = ILD_TRANSPARENT | (selected ? ILD_SELECTED : 0);
            if (shown.overlay > 0) style |= INDEXTOOVERLAYMASK(shown.overlay);
            ImageList_Draw(c.images, image, dc, x, rc.top + (rc.bottom - rc.top - size.cy) / 2,
                           style);
        }
        x += size.cx + 4;
    }
    if (field && c.edit) return; // the edit shows the text
    HFONT old = static_cast<HFONT>(SelectObject(dc, FontOrSystem(c.font)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !enabled   ? GetSysColor(COLOR_GRAYTEXT)
                     : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                : GetSysColor(COLOR_WINDOWTEXT));
    RECT text{x, rc.top, rc.right - 2, rc.bottom};
    DrawTextW(dc, shown.text.c_str(), static_cast<int>(shown.text.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    if ((dis.itemState & ODS_FOCUS) && selected) DrawFocusRect(dc, &rc);
}

LRESULT InsertItem(ComboExData& c, const COMBOBOXEXITEMW* in) {
    if (!in) return -1;
    INT_PTR index = in->iItem;
    if (index < 0 || index > static_cast<INT_PTR>(c.items.size()))
        index = static_cast<INT_PTR>(c.items.size());
    ComboExItem item;
    TakeRecord(item, *in);
    c.items.insert(c.items.begin() + index, item);
    ToCombo(c, CB_INSERTSTRING, static_cast<WPARAM>(index),
            reinterpret_cast<LPARAM>(item.text.c_str()));
    NMCOMBOBOXEXW note{};
    note.ceItem = *in;
    note.ceItem.iItem = index;
    SendNotify(c, note.hdr, CBEN_INSERTITEM);
    return index;
}

LRESULT DeleteItem(ComboExData& c, INT_PTR index) {
    if (!ValidIndex(c, index)) return CB_ERR;
    NMCOMBOBOXEXW note{};
    note.ceItem.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_OVERLAY | CBEIF_INDENT |
                       CBEIF_LPARAM;
    FillRecord(c.items[static_cast<size_t>(index)], index, note.ceItem, note.ceItem.mask);
    c.items.erase(c.items.begin() + index);
    ToCombo(c, CB_DELETESTRING, static_cast<WPARAM>(index));
    SendNotify(c, note.hdr, CBEN_DELETEITEM);
    return static_cast<LRESULT>(c.items.size());
}

void DeleteAll(ComboExData& c) {
    while (!c.items.empty() && IsWindow(c.hwnd))
        DeleteItem(c, static_cast<INT_PTR>(c.items.size()) - 1);
    ToCombo(c, CB_RESETCONTENT);
    ShowSelectionInEdit(c);
}

void Create(ComboExData& c, const CREATESTRUCTW& cs) {
    const DWORD type = cs.style & 3;
    // The child clips the edit that lies over its field; its list scrolls itself.
    DWORD comboStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS |
                       (type == CBS_SIMPLE ? CBS_SIMPLE : CBS_DROPDOWNLIST) |
                       (cs.style & (CBS_NOINTEGRALHEIGHT | CBS_DISABLENOSCROLL));
    c.combo = CreateWindowExW(0, u"ComboBox", u"", comboStyle, 0, 0, cs.cx, std::max(cs.cy, 24),
                              c.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboExComboId)),
                              cs.hInstance, nullptr);
    if (type == CBS_DROPDOWN)
        c.edit = CreateWindowExW(0, u"Edit", u"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 0,
                                 0, c.hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboExEditId)),
                                 cs.hInstance, nullptr);
    RECT rc;
    GetWindowRect(c.combo, &rc);
    c.fieldHeight = rc.bottom - rc.top;
    c.droppedHeight = std::max(0, cs.cy - c.fieldHeight);
    Remeasure(c);
}

// Enter, Escape and the loss of focus end an edit; the parent hears why.
void EndEdit(ComboExData& c, int why) {
    NMCBEENDEDITW note{};
    note.fChanged = c.editChanged;
    note.iWhy = why;
    std::u16string text = WindowText(c.edit);
    size_t count = std::min<size_t>(text.size(), CBEMAXSTRLEN - 1);
    std::memcpy(note.szText, text.data(), count * sizeof(WCHAR));
    note.iNewSelection = static_cast<int>(
        ToCombo(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                reinterpret_cast<LPARAM>(text.c_str())));
    HWND self = c.hwnd;
    if (SendNotify(c, note.hdr, CBEN_ENDEDITW) || !IsWindow(self)) return;
    if (why == CBENF_ESCAPE) {
        ShowSelectionInEdit(c);
    } else if (why == CBENF_RETURN && c.editChanged && note.iNewSelection >= 0 &&
               note.iNewSelection != CurSel(c)) {
        ToCombo(c, CB_SETCURSEL, static_cast<WPARAM>(note.iNewSelection));
        if (HWND parent = GetParent(c.hwnd)) Notify(c.hwnd, CBN_SELCHANGE, parent);
    }
    if (IsWindow(self)) c.editChanged = false;
}

// The edit's keys: Enter and Escape end the edit, the arrows and F4 move
// through and open the list.
LRESULT CALLBACK EditKeysProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND owner = GetParent(edit);
    auto c = Data<ComboExData>(owner);
    WNDPROC base = reinterpret_cast<WNDPROC>(GetPropW(edit, u"ComboExEditProc"));
    if (c && msg == WM_KEYDOWN) {
        switch (wParam) {
        case VK_RETURN:
        case VK_ESCAPE:
            // An open list takes the key first: Enter chooses, Escape cancels.
            if (ToCombo(*c, CB_GETDROPPEDSTATE)) {
                SendMessageW(c->combo, msg, wParam, lParam);
                if (wParam == VK_ESCAPE || !IsWindow(owner)) return 0;
            }
            EndEdit(*c, wParam == VK_RETURN ? CBENF_RETURN : CBENF_ESCAPE);
            return 0;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_F4:
            return SendMessageW(c->combo, msg, wParam, lParam);
        default:
            break;
        }
    }
    if (c && msg == WM_CHAR && (wParam == u'\r' || wParam == 27)) return 0;
    if (c && msg == WM_KILLFOCUS && c->editChanged) {
        HWND to = reinterpret_cast<HWND>(wParam);
        if (to != c->combo && to != owner) EndEdit(*c, CBENF_KILLFOCUS);
    }
    if (msg == WM_NCDESTROY) RemovePropW(edit, u"ComboExEditProc");
    return base ? CallWindowProcW(base, edit, msg, wParam, lParam)
                : DefWindowProcW(edit, msg, wParam, lParam);
}

} // namespace

LRESULT CALLBACK ComboBoxExProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto data = std::make_shared<ComboExData>();
        data->hwnd = hwnd;
        AttachData(hwnd, data);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto held = Data<ComboExData>(hwnd);
    if (!held) return DefWindowProcW(hwnd, msg, wParam, lParam);
    ComboExData& c = *held;

    switch (msg) {
    case WM_CREATE:
        Create(c, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
        if (c.edit)
            SetPropW(c.edit, u"ComboExEditProc",
                     reinterpret_cast<HANDLE>(SetWindowLongPtrW(
                         c.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditKeysProc))));
        return 0;
    case WM_WINDOWPOSCHANGING: {
        // As high as the field; the rest of a height given goes to the list.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (c.Simple() || (pos->flags & SWP_NOSIZE) || !c.combo) return 0;
        if (pos->cy != c.fieldHeight) {
            c.droppedHeight = std::max(0, pos->cy - c.fieldHeight);
            pos->cy = c.fieldHeight;
        }
        return 0;
    }
    case WM_SIZE:
        if (c.combo)
            MoveWindow(c.combo, 0, 0, LOWORD(lParam),
                       c.Simple() ? HIWORD(lParam) : c.fieldHeight + c.droppedHeight, TRUE);
        PlaceEdit(c);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        // The arrows and characters belong to the list and the edit.
        return DLGC_WANTARROWS | DLGC_WANTCHARS | (c.edit ? DLGC_HASSETSEL : 0);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETFONT:
        c.font = reinterpret_cast<HFONT>(wParam);
        ToCombo(c, WM_SETFONT, wParam, lParam);
        if (c.edit) SendMessageW(c.edit, WM_SETFONT, wParam, lParam);
        Remeasure(c);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(c.font);
    case WM_SETFOCUS:
        SetFocus(c.edit ? c.edit : c.combo);
        return 0;
    case WM_ENABLE:
        if (c.combo) EnableWindow(c.combo, static_cast<BOOL>(wParam));
        if (c.edit) EnableWindow(c.edit, static_cast<BOOL>(wParam));
        return 0;
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        mis->itemHeight = static_cast<UINT>(ItemHeight(c));
        return TRUE;
    }
    case WM_DRAWITEM:
        DrawItem(c, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND: {
        HWND from = reinterpret_cast<HWND>(lParam);
        UINT code = HIWORD(wParam);
        if (from == c.edit && from) {
            if (code == EN_CHANGE && !c.quietEdit) {
                if (!c.editChanged) {
                    c.editChanged = true;
                    NMHDR begin{};
                    SendNotify(c, begin, CBEN_BEGINEDIT);
                }
                if (HWND parent = GetParent(hwnd)) Notify(hwnd, CBN_EDITCHANGE, parent);
            }
            return 0;
        }
        if (from == c.combo && from) {
            if (code == CBN_SELCHANGE || code == CBN_SELENDOK) ShowSelectionInEdit(c);
            if (code == CBN_DROPDOWN && c.edit && c.editChanged) EndEdit(c, CBENF_DROPDOWN);
            if (code == CBN_SETFOCUS || code == CBN_KILLFOCUS) return 0;
            if (HWND parent = GetParent(hwnd)) Notify(hwnd, code, parent);
        }
        return 0;
    }
    case CBEM_SETIMAGELIST: {
        HIMAGELIST old = c.images;
        c.images = reinterpret_cast<HIMAGELIST>(lParam);
        Remeasure(c);
        return reinterpret_cast<LRESULT>(old);
    }
    case CBEM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(c.images);
    case CBEM_GETCOMBOCONTROL:
        return reinterpret_cast<LRESULT>(c.combo);
    case CBEM_GETEDITCONTROL:
        return reinterpret_cast<LRESULT>(c.edit);
    case CBEM_SETEXSTYLE:
    case CBEM_SETEXTENDEDSTYLE: {
        DWORD old = c.exStyle;
        DWORD mask = msg == CBEM_SETEXTENDEDSTYLE && wParam ? static_cast<DWORD>(wParam) : ~0u;
        c.exStyle = (c.exStyle & ~mask) | (static_cast<DWORD>(lParam) & mask);
        PlaceEdit(c);
        InvalidateRect(c.combo, nullptr, TRUE);
        return old;
    }
    case CBEM_GETEXTENDEDSTYLE:
        return c.exStyle;
    case CBEM_HASEDITCHANGED:
        return c.editChanged;
    case CBEM_INSERTITEMW:
        return InsertItem(c, reinterpret_cast<const COMBOBOXEXITEMW*>(lParam));
    case CBEM_SETITEMW: {
        auto* in = reinterpret_cast<const COMBOBOXEXITEMW*>(lParam);
        if (!in) return FALSE;
        INT_PTR index = in->iItem == -1 ? CurSel(c) : in->iItem;
        if (!ValidIndex(c, index)) return FALSE;
        ComboExItem& item = c.items[static_cast<size_t>(index)];
        TakeRecord(item, *in);
        if (in->mask & CBEIF_TEXT) {
            // The child holds the texts for its keyboard search.
            int selected = CurSel(c);
            ToCombo(c, CB_DELETESTRING, static_cast<WPARAM>(index));
            ToCombo(c, CB_INSERTSTRING, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(item.text.c_str()));
            if (selected == index) {
                ToCombo(c, CB_SETCURSEL, static_cast<WPARAM>(index));
                ShowSelectionInEdit(c);
            }
        }
        InvalidateRect(c.combo, nullptr, TRUE);
        return TRUE;
    }
    case CBEM_GETITEMW: {
        auto* out = reinterpret_cast<COMBOBOXEXITEMW*>(lParam);
        if (!out) return FALSE;
        INT_PTR index = out->iItem == -1 ? CurSel(c) : out->iItem;
        if (!ValidIndex(c, index)) return FALSE;
        const ComboExItem& item = c.items[static_cast<size_t>(index)];
        FillRecord(item, out->iItem, *out, out->mask);
        if ((out->mask & CBEIF_TEXT) && out->pszText && out->cchTextMax > 0) {
            if (item.textCallback) {
                out->pszText = LPSTR_TEXTCALLBACKW;
            } else {
                size_t count = std::min<size_t>(item.text.size(),
                                                static_cast<size_t>(out->cchTextMax) - 1);
                std::memcpy(out->pszText, item.text.data(), count * sizeof(WCHAR));
                out->pszText[count] = 0;
            }
        }
        return TRUE;
    }
    case CB_DELETESTRING:
        return DeleteItem(c, static_cast<INT_PTR>(wParam));
    case CB_RESETCONTENT:
        DeleteAll(c);
        return CB_OKAY;
    case CB_GETITEMDATA:
        return ValidIndex(c, static_cast<INT_PTR>(wParam)) ? c.items[wParam].lParam : CB_ERR;
    case CB_SETITEMDATA:
        if (!ValidIndex(c, static_cast<INT_PTR>(wParam))) return CB_ERR;
        c.items[wParam].lParam = lParam;
        return TRUE;
    case CB_SETCURSEL: {
        LRESULT result = ToCombo(c, msg, wParam, lParam);
        ShowSelectionInEdit(c);
        return result;
    }
    case CB_GETCURSEL:
    case CB_GETCOUNT:
    case CB_SHOWDROPDOWN:
    case CB_GETDROPPEDSTATE:
    case CB_SETDROPPEDWIDTH:
    case CB_GETDROPPEDWIDTH:
    case CB_GETDROPPEDCONTROLRECT:
    case CB_GETLBTEXT:
    case CB_GETLBTEXTLEN:
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
    case CB_SETITEMHEIGHT:
    case CB_GETITEMHEIGHT:
    case CB_SETEXTENDEDUI:
    case CB_GETEXTENDEDUI:
    case CB_GETTOPINDEX:
    case CB_SETTOPINDEX:
        return ToCombo(c, msg, wParam, lParam);
    case CB_LIMITTEXT:
        if (c.edit) SendMessageW(c.edit, EM_LIMITTEXT, wParam, 0);
        return TRUE;
    case CB_GETEDITSEL:
    case CB_SETEDITSEL:
        return c.edit ? SendMessageW(c.edit, msg == CB_GETEDITSEL ? EM_GETSEL : EM_SETSEL,
                                     msg == CB_GETEDITSEL ? wParam : LOWORD(lParam),
                                     msg == CB_GETEDITSEL ? lParam : HIWORD(lParam))
                      : CB_ERR;
    case WM_SETTEXT:
        if (c.edit) {
            c.quietEdit = true;
            SetWindowTextW(c.edit, reinterpret_cast<LPCWSTR>(lParam));
            c.quietEdit = false;
            return TRUE;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        std::u16string text = c.edit ? WindowText(c.edit) : ShownItem(c, CurSel(c)).text;
        if (msg == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
        if (!lParam || wParam == 0) return 0;
        size_t count = std::min<size_t>(text.size(), wParam - 1);
        std::memcpy(reinterpret_cast<WCHAR*>(lParam), text.data(), count * sizeof(WCHAR));
        reinterpret_cast<WCHAR*>(lParam)[count] = 0;
        return static_cast<LRESULT>(count);
    }
    case WM_DESTROY:
        DeleteAll(c);
        return 0;
    case WM_NCDESTROY:
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace win32::controls
