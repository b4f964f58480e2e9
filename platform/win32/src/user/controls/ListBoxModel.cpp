// The list box's items and selection: inserting (sorted or not), deleting
// with WM_DELETEITEM, searching, and the single and multiple selection models.
#include "ListBox.h"

#include <algorithm>

namespace win32::controls {

HWND ListBoxData::NotifyTarget() const {
    return combo ? combo : GetParent(hwnd);
}

HWND ListBoxData::OwnerTarget() const {
    return combo ? GetParent(combo) : GetParent(hwnd);
}

void ListBoxData::FillOwnerFields(UINT& type, UINT& id, HWND& item) const {
    type = combo ? ODT_COMBOBOX : ODT_LISTBOX;
    item = combo ? combo : hwnd;
    id = static_cast<UINT>(GetDlgCtrlID(item));
}

void ListBoxData::NotifyCode(int code) const {
    if (Style() & LBS_NOTIFY) Notify(hwnd, static_cast<UINT>(code), NotifyTarget());
}

std::u16string ListBoxData::GetText(int index) const {
    return Valid(index) ? items[static_cast<size_t>(index)].text : std::u16string();
}

void ListBoxData::MeasureItem(int index) {
    if (!Variable() || !Valid(index)) return;
    MEASUREITEMSTRUCT mis{};
    HWND item = nullptr;
    FillOwnerFields(mis.CtlType, mis.CtlID, item);
    mis.itemData = items[static_cast<size_t>(index)].data;
    mis.itemID = static_cast<UINT>(index);
    RECT rc;
    GetClientRect(hwnd, &rc);
    mis.itemWidth = static_cast<UINT>(rc.right);
    mis.itemHeight = static_cast<UINT>(itemHeight);
    if (HWND owner = OwnerTarget())
        SendMessageW(owner, WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
    items[static_cast<size_t>(index)].height = std::max(1, static_cast<int>(mis.itemHeight));
}

int ListBoxData::Insert(int index, LPCWSTR text, LPARAM lParam) {
    if (index < -1 || index > Count()) return LB_ERR;
    if (index == -1) index = Count();
    ListItem item;
    if (HasStrings())
        item.text = text ? text : u"";
    else
        item.data = static_cast<ULONG_PTR>(lParam);
    item.height = itemHeight;
    items.insert(items.begin() + index, std::move(item));
    if (selected >= index) ++selected;
    if (caretIndex >= index && Count() > 1) ++caretIndex;
    if (anchorIndex >= index && Count() > 1) ++anchorIndex;
    MeasureItem(index);
    UpdateScrollBars();
    Invalidate();
    return index;
}

int ListBoxData::Add(LPCWSTR text, LPARAM lParam) {
    if (!(Style() & LBS_SORT)) return Insert(-1, text, lParam);
    int at = 0;
    if (HasStrings()) {
        const std::u16string_view value = text ? text : u"";
        // After the equal items: items added in order keep it.
        while (at < Count() && CompareNoCase(items[static_cast<size_t>(at)].text, value) <= 0)
            ++at;
    } else {
        HWND owner = OwnerTarget();
        while (at < Count()) {
            COMPAREITEMSTRUCT cis{};
            UINT type = 0;
            FillOwnerFields(type, cis.CtlID, cis.hwndItem);
            cis.CtlType = type;
            cis.itemID1 = static_cast<UINT>(at);
            cis.itemData1 = items[static_cast<size_t>(at)].data;
            cis.itemID2 = static_cast<UINT>(-1);
            cis.itemData2 = static_cast<ULONG_PTR>(lParam);
            const LRESULT order = owner ? SendMessageW(owner, WM_COMPAREITEM, cis.CtlID,
                                                       reinterpret_cast<LPARAM>(&cis))
                                        : 0;
            if (order > 0) break;
            ++at;
        }
    }
    return Insert(at, text, lParam);
}

int ListBoxData::Delete(int index) {
    if (!Valid(index)) return LB_ERR;
    const ListItem item = items[static_cast<size_t>(index)];
    // The owner frees what it attached: owner-drawn items and items with data.
    if (OwnerDraw() || item.data) {
        DELETEITEMSTRUCT dis{};
        FillOwnerFields(dis.CtlType, dis.CtlID, dis.hwndItem);
        dis.itemID = static_cast<UINT>(index);
        dis.itemData = item.data;
        if (HWND owner = OwnerTarget())
            SendMessageW(owner, WM_DELETEITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    }
    if (!Valid(index)) return LB_ERR; // the owner changed the list meanwhile
    items.erase(items.begin() + index);
    if (selected == index)
        selected = -1;
    else if (selected > index)
        --selected;
    if (caretIndex > index || caretIndex >= Count()) caretIndex = std::max(0, caretIndex - 1);
    if (anchorIndex > index || anchorIndex >= Count()) anchorIndex = std::max(0, anchorIndex - 1);
    top = std::clamp(top, 0, std::max(0, Count() - 1));
    UpdateScrollBars();
    Invalidate();
    return Count();
}

void ListBoxData::Reset() {
    while (!items.empty())
        Delete(Count() - 1);
    selected = -1;
    caretIndex = anchorIndex = top = 0;
    UpdateScrollBars();
    Invalidate();
}

int ListBoxData::Find(int start, LPCWSTR text, LPARAM lParam, bool exact) const {
    const int count = Count();
    if (count == 0) return LB_ERR;
    if (start < -1 || start >= count) start = -1;
    const std::u16string_view value = text ? text : u"";
    for (int step = 1; step <= count; ++step) {
        const int i = (start + step) % count;
        const ListItem& item = items[static_cast<size_t>(i)];
        const bool match = !HasStrings() ? item.data == static_cast<ULONG_PTR>(lParam)
                           : exact       ? CompareNoCase(item.text, value) == 0
                                         : StartsWithNoCase(item.text, value);
        if (match) return i;
    }
    return LB_ERR;
}

bool ListBoxData::IsSelected(int index) const {
    if (!Valid(index)) return false;
    return Multiple() ? items[static_cast<size_t>(index)].selected : index == selected;
}

bool ListBoxData::SetSelection(int index) {
    if (!Valid(index)) index = -1;
    if (index == selected) return false;
    selected = index;
    if (index >= 0) caretIndex = index;
    Invalidate();
    return true;
}

bool ListBoxData::SelectRange(int from, int to, bool on) {
    if (Count() == 0) return false;
    if (from > to) std::swap(from, to);
    from = std::max(from, 0);
    to = std::min(to, Count() - 1);
    bool changed = false;
    for (int i = from; i <= to; ++i) {
        ListItem& item = items[static_cast<size_t>(i)];
        if (item.selected != on) {
            item.selected = on;
            changed = true;
        }
    }
    if (changed) Invalidate();
    return changed;
}

bool ListBoxData::SelectOnly(int index) {
    bool changed = false;
    for (int i = 0; i < Count(); ++i) {
        ListItem& item = items[static_cast<size_t>(i)];
        const bool on = i == index;
        if (item.selected != on) {
            item.selected = on;
            changed = true;
        }
    }
    if (changed) Invalidate();
    return changed;
}

int ListBoxData::SelectedCount() const {
    int n = 0;
    for (const ListItem& item : items)
        n += item.selected ? 1 : 0;
    return n;
}

} // namespace win32::controls
