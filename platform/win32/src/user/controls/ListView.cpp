// The list view (WC_LISTVIEW): items with sub-items shown as large icons,
// small icons, a list or a report under a header control. The window's
// procedure, the item and column messages, and the item states with their
// notifications. With LVS_OWNERDATA the control keeps only the item count,
// the focus and the selection (as ranges): everything else is asked of the
// owner (LVN_GETDISPINFO), so a million items cost what the window shows.
#include "ListView.h"

#include <algorithm>
#include <numeric>

namespace win32::controls::listview {

// --- Notifications -------------------------------------------------------------------

LRESULT NotifyParent(Data& d, NMHDR& hdr, UINT code) {
    hdr.hwndFrom = d.hwnd;
    hdr.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(d.hwnd, GWLP_ID));
    hdr.code = code;
    HWND parent = GetParent(d.hwnd);
    if (!parent) return 0;
    return SendMessageW(parent, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

LRESULT NotifyItem(Data& d, UINT code, int item, int subItem, UINT newState, UINT oldState,
                   UINT changed, POINT pt, LPARAM param) {
    NMLISTVIEW n{};
    n.iItem = item;
    n.iSubItem = subItem;
    n.uNewState = newState;
    n.uOldState = oldState;
    n.uChanged = changed;
    n.ptAction = pt;
    n.lParam = param;
    return NotifyParent(d, n.hdr, code);
}

// --- Owner-data selection ranges -------------------------------------------------------

namespace {

bool InRanges(const Data& d, int item) {
    auto it = std::upper_bound(d.selRanges.begin(), d.selRanges.end(), item,
                               [](int v, const std::pair<int, int>& r) { return v < r.first; });
    if (it == d.selRanges.begin()) return false;
    --it;
    return item <= it->second;
}

void AddRange(Data& d, int first, int last) {
    std::vector<std::pair<int, int>> out;
    for (const auto& r : d.selRanges) {
        if (r.second + 1 < first || r.first > last + 1) {
            out.push_back(r);
            continue;
        }
        first = std::min(first, r.first);
        last = std::max(last, r.second);
    }
    out.emplace_back(first, last);
    std::sort(out.begin(), out.end());
    d.selRanges = std::move(out);
}

void RemoveRange(Data& d, int first, int last) {
    std::vector<std::pair<int, int>> out;
    for (const auto& r : d.selRanges) {
        if (r.second < first || r.first > last) {
            out.push_back(r);
            continue;
        }
        if (r.first < first) out.emplace_back(r.first, first - 1);
        if (r.second > last) out.emplace_back(last + 1, r.second);
    }
    d.selRanges = std::move(out);
}

// Indexes at or after `at` move by `delta` (an insert or a delete).
void ShiftIndex(int& index, int at, int delta) {
    if (index < 0) return;
    if (delta < 0 && index == at)
        index = -1;
    else if (index >= at)
        index += delta;
}

LPARAM ParamOf(const Data& d, int item) {
    return d.ownerData ? 0 : d.items[static_cast<size_t>(item)].param;
}

bool Valid(const Data& d, int item) {
    return item >= 0 && item < d.Count();
}

void AfterCountChange(Data& d) {
    d.hintFrom = d.hintTo = -1;
    UpdateScrollBars(d);
    ScrollTo(d, d.top, d.xOffset);
    InvalidateRect(d.hwnd, nullptr, TRUE);
}

} // namespace

// --- States ------------------------------------------------------------------------------

UINT StateOf(const Data& d, int item, UINT mask) {
    if (!Valid(d, item)) return 0;
    UINT state = 0;
    if (d.ownerData) {
        if (InRanges(d, item)) state |= LVIS_SELECTED;
    } else {
        state = d.items[static_cast<size_t>(item)].state & ~LVIS_FOCUSED;
    }
    if (item == d.focused) state |= LVIS_FOCUSED;
    return state & mask;
}

namespace {

// Stores states without telling anyone.
void StoreState(Data& d, int item, UINT state, UINT mask) {
    if (mask & LVIS_FOCUSED) {
        if (state & LVIS_FOCUSED)
            d.focused = item;
        else if (d.focused == item)
            d.focused = -1;
    }
    if (d.ownerData) {
        if (mask & LVIS_SELECTED) {
            if (state & LVIS_SELECTED)
                AddRange(d, item, item);
            else
                RemoveRange(d, item, item);
        }
        return;
    }
    Item& it = d.items[static_cast<size_t>(item)];
    it.state = (it.state & ~mask) | (state & mask & ~LVIS_FOCUSED);
}

bool SetOne(Data& d, int item, UINT state, UINT mask) {
    const UINT old = StateOf(d, item, 0xFFFF);
    const UINT now = (old & ~mask) | (state & mask);
    if (now == old) return true;
    HWND hwnd = d.hwnd;
    const LPARAM param = ParamOf(d, item);
    if (NotifyItem(d, LVN_ITEMCHANGING, item, 0, now, old, LVIF_STATE, {}, param) != 0 ||
        !IsWindow(hwnd))
        return false;
    if (!Valid(d, item)) return false;
    // The focus leaves its old item first, which hears of it in its own right.
    if (((now ^ old) & LVIS_FOCUSED) && (now & LVIS_FOCUSED) && d.focused >= 0 &&
        d.focused != item) {
        SetOne(d, d.focused, 0, LVIS_FOCUSED);
        if (!IsWindow(hwnd) || !Valid(d, item)) return false;
    }
    StoreState(d, item, now, mask);
    InvalidateItem(d, item);
    NotifyItem(d, LVN_ITEMCHANGED, item, 0, now, old, LVIF_STATE, {}, param);
    return true;
}

} // namespace

bool SetState(Data& d, int item, UINT state, UINT mask) {
    if (item >= 0) {
        if (!Valid(d, item)) return false;
        if ((state & mask & LVIS_SELECTED) && (d.Style() & LVS_SINGLESEL)) {
            // One selected item at most: the others go first.
            std::vector<int> others;
            for (int i = static_cast<int>(
                     SendMessageW(d.hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
                 i >= 0 && others.size() < 2;
                 i = static_cast<int>(
                     SendMessageW(d.hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED)))
                if (i != item) others.push_back(i);
            for (int other : others)
                SetOne(d, other, 0, LVIS_SELECTED);
        }
        return SetOne(d, item, state, mask);
    }
    // Every item.
    if (!d.ownerData) {
        bool all = true;
        for (int i = 0; i < d.Count(); ++i) {
            if ((state & mask & LVIS_FOCUSED) && i != d.Count() - 1) continue; // one focus
            all = SetOne(d, i, state, mask) && all;
            if (!IsWindow(d.hwnd)) return false;
        }
        return all;
    }
    // Owner data: one notice for all, as the owner cannot be told item by item.
    UINT oldAny = 0;
    if (!d.selRanges.empty()) oldAny |= LVIS_SELECTED;
    if (d.focused >= 0) oldAny |= LVIS_FOCUSED;
    if (mask & LVIS_SELECTED) {
        d.selRanges.clear();
        if ((state & LVIS_SELECTED) && d.count > 0) d.selRanges.emplace_back(0, d.count - 1);
    }
    if ((mask & LVIS_FOCUSED) && !(state & LVIS_FOCUSED)) d.focused = -1;
    InvalidateRect(d.hwnd, nullptr, TRUE);
    NotifyItem(d, LVN_ITEMCHANGED, -1, 0, state & mask, oldAny & mask, LVIF_STATE);
    return true;
}

void SelectOnly(Data& d, int item) {
    if (!Valid(d, item)) return;
    HWND hwnd = d.hwnd;
    if (d.ownerData) {
        const bool others = !d.selRanges.empty() &&
                            !(d.selRanges.size() == 1 && d.selRanges[0] == std::pair{item, item});
        if (others) {
            const bool had = InRanges(d, item);
            d.selRanges.clear();
            if (had) d.selRanges.emplace_back(item, item);
            InvalidateRect(hwnd, nullptr, TRUE);
            NotifyItem(d, LVN_ITEMCHANGED, -1, 0, 0, LVIS_SELECTED, LVIF_STATE);
            if (!IsWindow(hwnd)) return;
        }
    } else {
        for (int i = 0; i < d.Count(); ++i) {
            if (i == item || !(d.items[static_cast<size_t>(i)].state & LVIS_SELECTED)) continue;
            SetOne(d, i, 0, LVIS_SELECTED);
            if (!IsWindow(hwnd) || !Valid(d, item)) return;
        }
    }
    SetOne(d, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    d.mark = item;
}

void SelectRange(Data& d, int first, int last, int focus, bool keepOthers) {
    if (first > last) std::swap(first, last);
    first = std::max(first, 0);
    last = std::min(last, d.Count() - 1);
    if (first > last) return;
    HWND hwnd = d.hwnd;
    if (d.ownerData) {
        if (!keepOthers) d.selRanges.clear();
        AddRange(d, first, last);
        InvalidateRect(hwnd, nullptr, TRUE);
        NMLVODSTATECHANGE n{};
        n.iFrom = first;
        n.iTo = last;
        n.uNewState = LVIS_SELECTED;
        n.uOldState = 0;
        NotifyParent(d, n.hdr, LVN_ODSTATECHANGED);
    } else {
        for (int i = 0; i < d.Count() && IsWindow(hwnd); ++i) {
            const bool inside = i >= first && i <= last;
            if (inside)
                SetOne(d, i, LVIS_SELECTED, LVIS_SELECTED);
            else if (!keepOthers)
                SetOne(d, i, 0, LVIS_SELECTED);
        }
    }
    if (IsWindow(hwnd) && Valid(d, focus)) SetOne(d, focus, LVIS_FOCUSED, LVIS_FOCUSED);
}

int SelectedCount(const Data& d) {
    if (d.ownerData) {
        int n = 0;
        for (const auto& r : d.selRanges)
            n += r.second - r.first + 1;
        return n;
    }
    return static_cast<int>(std::count_if(d.items.begin(), d.items.end(),
                                          [](const Item& i) { return i.state & LVIS_SELECTED; }));
}

// --- What an item shows ----------------------------------------------------------------

Shown Fetch(Data& d, int item, int subItem, UINT mask) {
    Shown s;
    if (!Valid(d, item)) return s;
    UINT ask = 0;
    if (d.ownerData) {
        ask = mask & (LVIF_TEXT | LVIF_IMAGE | LVIF_INDENT | LVIF_PARAM);
        if (subItem > 0) ask &= LVIF_TEXT | LVIF_IMAGE;
    } else {
        const Item& it = d.items[static_cast<size_t>(item)];
        s.param = it.param;
        s.indent = it.indent;
        if (subItem == 0) {
            s.text = it.text;
            s.image = it.image;
            if (it.callback) ask |= mask & LVIF_TEXT;
            if (it.image == I_IMAGECALLBACK) ask |= mask & LVIF_IMAGE;
        } else if (subItem - 1 < static_cast<int>(it.subs.size())) {
            const SubItem& sub = it.subs[static_cast<size_t>(subItem - 1)];
            s.text = sub.text;
            s.image = sub.image;
            if (sub.callback) ask |= mask & LVIF_TEXT;
            if (sub.image == I_IMAGECALLBACK) ask |= mask & LVIF_IMAGE;
        }
    }
    s.state = StateOf(d, item, 0xFFFF);
    if ((mask & LVIF_STATE) && d.callbackMask && subItem == 0) ask |= LVIF_STATE;
    if (!ask) return s;
    char16_t buffer[261] = {};
    NMLVDISPINFOW di{};
    di.item.mask = ask;
    di.item.iItem = item;
    di.item.iSubItem = subItem;
    di.item.pszText = buffer;
    di.item.cchTextMax = 260;
    di.item.stateMask = d.callbackMask;
    di.item.lParam = s.param;
    di.item.iImage = s.image;
    di.item.iIndent = s.indent;
    NotifyParent(d, di.hdr, LVN_GETDISPINFOW);
    if (!IsWindow(d.hwnd)) return s;
    if (ask & LVIF_TEXT) {
        const LPWSTR text = di.item.pszText;
        s.text = (text && text != LPSTR_TEXTCALLBACKW) ? std::u16string(text) : std::u16string();
    }
    if (ask & LVIF_IMAGE) s.image = di.item.iImage;
    if (ask & LVIF_INDENT) s.indent = di.item.iIndent;
    if (ask & LVIF_PARAM) s.param = di.item.lParam;
    if (ask & LVIF_STATE) s.state = (s.state & ~d.callbackMask) | (di.item.state & d.callbackMask);
    // The owner may ask us to keep what it gave.
    if ((di.item.mask & LVIF_DI_SETITEM) && !d.ownerData && Valid(d, item)) {
        Item& it = d.items[static_cast<size_t>(item)];
        if (subItem == 0) {
            if (ask & LVIF_TEXT) it.text = s.text, it.callback = false;
            if (ask & LVIF_IMAGE) it.image = s.image;
        }
    }
    return s;
}

int FindItem(Data& d, int start, const LVFINDINFOW& info) {
    const int count = d.Count();
    if (count == 0) return -1;
    if (d.ownerData) {
        // The owner hears where to begin: the item after `start`, the top after the last.
        NMLVFINDITEMW n{};
        n.iStart = start + 1 >= count ? 0 : std::max(0, start + 1);
        n.lvfi = info;
        const LRESULT found = NotifyParent(d, n.hdr, LVN_ODFINDITEMW);
        return Valid(d, static_cast<int>(found)) ? static_cast<int>(found) : -1;
    }
    const std::u16string_view wanted = info.psz ? std::u16string_view(info.psz) : u"";
    auto matches = [&](int i) {
        const Item& it = d.items[static_cast<size_t>(i)];
        if (info.flags & LVFI_PARAM) return it.param == info.lParam;
        const std::u16string text = Fetch(d, i, 0, LVIF_TEXT).text;
        if (info.flags & (LVFI_PARTIAL | LVFI_SUBSTRING)) return StartsWithNoCase(text, wanted);
        return CompareNoCase(text, wanted) == 0;
    };
    // From the item after `start` to the end, then from the top when wrapping.
    const int from = std::clamp(start + 1, 0, count);
    for (int i = from; i < count; ++i)
        if (matches(i)) return i;
    if (info.flags & LVFI_WRAP)
        for (int i = 0; i < from; ++i)
            if (matches(i)) return i;
    return -1;
}

namespace {

// --- Item messages ------------------------------------------------------------------------

void CopyText(const std::u16string& text, LPWSTR out, int size) {
    if (!out || size <= 0 || out == LPSTR_TEXTCALLBACKW) return;
    const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::copy_n(text.begin(), n, out);
    out[n] = 0;
}

int SortedPosition(Data& d, const std::u16string& text) {
    const DWORD style = d.Style();
    const bool down = style & LVS_SORTDESCENDING;
    int i = 0;
    for (; i < d.Count(); ++i) {
        const int c = CompareNoCase(text, d.items[static_cast<size_t>(i)].text);
        if (down ? c > 0 : c < 0) break;
    }
    return i;
}

void SetSubItem(Item& it, int subItem, const LVITEMW& info) {
    if (static_cast<int>(it.subs.size()) < subItem) it.subs.resize(static_cast<size_t>(subItem));
    SubItem& sub = it.subs[static_cast<size_t>(subItem - 1)];
    if (info.mask & LVIF_TEXT) {
        sub.callback = info.pszText == LPSTR_TEXTCALLBACKW;
        sub.text = (!sub.callback && info.pszText) ? info.pszText : u"";
    }
    if (info.mask & LVIF_IMAGE) sub.image = info.iImage;
}

LRESULT InsertItem(Data& d, const LVITEMW* info) {
    if (!info || d.ownerData || info->iSubItem != 0 || info->iItem < 0) return -1;
    Item it;
    if (info->mask & LVIF_TEXT) {
        it.callback = info->pszText == LPSTR_TEXTCALLBACKW;
        if (!it.callback && info->pszText) it.text = info->pszText;
    }
    if (info->mask & LVIF_IMAGE) it.image = info->iImage;
    if (info->mask & LVIF_PARAM) it.param = info->lParam;
    if (info->mask & LVIF_INDENT) it.indent = info->iIndent;
    if (info->mask & LVIF_STATE) it.state = info->state & info->stateMask & ~LVIS_FOCUSED;
    int at = std::min(info->iItem, d.Count());
    if (d.Style() & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) at = SortedPosition(d, it.text);
    d.items.insert(d.items.begin() + at, std::move(it));
    ShiftIndex(d.focused, at, 1);
    ShiftIndex(d.mark, at, 1);
    if ((info->mask & LVIF_STATE) && (info->state & info->stateMask & LVIS_FOCUSED)) d.focused = at;
    AfterCountChange(d);
    NotifyItem(d, LVN_INSERTITEM, at, 0, 0, 0, 0, {}, d.items[static_cast<size_t>(at)].param);
    return at;
}

LRESULT SetItem(Data& d, const LVITEMW* info) {
    if (!info || !Valid(d, info->iItem)) return FALSE;
    if (info->mask & LVIF_STATE)
        if (!SetState(d, info->iItem, info->state, info->stateMask)) return FALSE;
    if (d.ownerData || !Valid(d, info->iItem)) return TRUE;
    Item& it = d.items[static_cast<size_t>(info->iItem)];
    if (info->iSubItem > 0) {
        if (info->iSubItem >= static_cast<int>(std::max<size_t>(d.columns.size(), 1)) &&
            d.columns.size() > 0)
            return FALSE;
        SetSubItem(it, info->iSubItem, *info);
    } else if (info->iSubItem == 0) {
        if (info->mask & LVIF_TEXT) {
            it.callback = info->pszText == LPSTR_TEXTCALLBACKW;
            it.text = (!it.callback && info->pszText) ? info->pszText : u"";
        }
        if (info->mask & LVIF_IMAGE) it.image = info->iImage;
        if (info->mask & LVIF_PARAM) it.param = info->lParam;
        if (info->mask & LVIF_INDENT) it.indent = info->iIndent;
    } else {
        return FALSE;
    }
    InvalidateItem(d, info->iItem);
    return TRUE;
}

LRESULT GetItem(Data& d, LVITEMW* info) {
    if (!info || !Valid(d, info->iItem)) return FALSE;
    const Shown s = Fetch(d, info->iItem, info->iSubItem, info->mask);
    if (info->mask & LVIF_TEXT) CopyText(s.text, info->pszText, info->cchTextMax);
    if (info->mask & LVIF_IMAGE) info->iImage = s.image;
    if (info->mask & LVIF_PARAM) info->lParam = s.param;
    if (info->mask & LVIF_INDENT) info->iIndent = s.indent;
    if (info->mask & LVIF_STATE) info->state = s.state & info->stateMask;
    return TRUE;
}

LRESULT DeleteItem(Data& d, int item) {
    if (!Valid(d, item)) return FALSE;
    EndEdit(d, false);
    HWND hwnd = d.hwnd;
    if (!d.ownerData) {
        NotifyItem(d, LVN_DELETEITEM, item, 0, 0, 0, 0, {}, ParamOf(d, item));
        if (!IsWindow(hwnd) || !Valid(d, item)) return FALSE;
        d.items.erase(d.items.begin() + item);
    } else {
        RemoveRange(d, item, item);
        for (auto& r : d.selRanges) {
            if (r.first > item) --r.first;
            if (r.second > item) --r.second;
        }
        --d.count;
    }
    ShiftIndex(d.focused, item, -1);
    ShiftIndex(d.mark, item, -1);
    AfterCountChange(d);
    return TRUE;
}

LRESULT DeleteAll(Data& d) {
    EndEdit(d, false);
    HWND hwnd = d.hwnd;
    if (!d.ownerData && !d.items.empty()) {
        // The owner may say it needs no notice per item.
        const bool quiet = NotifyItem(d, LVN_DELETEALLITEMS, -1) != 0;
        if (!IsWindow(hwnd)) return FALSE;
        if (!quiet)
            for (size_t i = 0; i < d.items.size(); ++i) {
                NotifyItem(d, LVN_DELETEITEM, static_cast<int>(i), 0, 0, 0, 0, {},
                           d.items[i].param);
                if (!IsWindow(hwnd)) return FALSE;
            }
    }
    d.items.clear();
    d.count = 0;
    d.selRanges.clear();
    d.focused = d.mark = -1;
    d.top = 0;
    d.xOffset = 0;
    AfterCountChange(d);
    return TRUE;
}

LRESULT GetNextItem(Data& d, int start, UINT flags) {
    const int count = d.Count();
    if (flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT)) {
        UINT vk = VK_DOWN;
        if (flags & LVNI_ABOVE) vk = VK_UP;
        if (flags & LVNI_TOLEFT) vk = VK_LEFT;
        if (flags & LVNI_TORIGHT) vk = VK_RIGHT;
        const int next = Neighbour(d, start, vk);
        return next == start ? -1 : next;
    }
    const UINT want = flags & (LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED);
    if (want == LVNI_FOCUSED) return d.focused > start ? d.focused : -1;
    if (d.ownerData && want == LVNI_SELECTED) {
        for (const auto& r : d.selRanges)
            if (r.second > start) return std::max(r.first, start + 1);
        return -1;
    }
    for (int i = std::max(start + 1, 0); i < count; ++i)
        if ((StateOf(d, i, want) & want) == want) return i;
    return -1;
}

struct SortEntry {
    Item item;
    bool focused;
    bool mark;
};

LRESULT SortItems(Data& d, LPARAM sortParam, PFNLVCOMPARE compare) {
    if (d.ownerData || !compare) return FALSE;
    std::vector<SortEntry> entries;
    entries.reserve(d.items.size());
    for (size_t i = 0; i < d.items.size(); ++i)
        entries.push_back({std::move(d.items[i]), static_cast<int>(i) == d.focused,
                           static_cast<int>(i) == d.mark});
    std::stable_sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
        return compare(a.item.param, b.item.param, sortParam) < 0;
    });
    d.items.clear();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].focused) d.focused = static_cast<int>(i);
        if (entries[i].mark) d.mark = static_cast<int>(i);
        d.items.push_back(std::move(entries[i].item));
    }
    InvalidateRect(d.hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT SetItemCount(Data& d, int count, LPARAM flags) {
    if (count < 0) return FALSE;
    if (!d.ownerData) {
        d.items.reserve(static_cast<size_t>(count));
        return TRUE;
    }
    EndEdit(d, false);
    d.count = count;
    if (count > 0)
        RemoveRange(d, count, INT_MAX);
    else
        d.selRanges.clear();
    if (d.focused >= count) d.focused = -1;
    if (d.mark >= count) d.mark = -1;
    d.hintFrom = d.hintTo = -1;
    UpdateScrollBars(d);
    if (!(flags & LVSICF_NOSCROLL)) ScrollTo(d, d.top, d.xOffset);
    if (!(flags & LVSICF_NOINVALIDATEALL)) InvalidateRect(d.hwnd, nullptr, TRUE);
    return TRUE;
}

// --- Columns ---------------------------------------------------------------------------------

void HeaderItemFrom(const Column& c, HDITEMW& h, UINT lvMask) {
    h.mask = 0;
    if (lvMask & LVCF_WIDTH) h.mask |= HDI_WIDTH, h.cxy = c.width;
    if (lvMask & LVCF_TEXT) h.mask |= HDI_TEXT, h.pszText = const_cast<LPWSTR>(c.text.c_str());
    if (lvMask & (LVCF_FMT | LVCF_IMAGE)) {
        h.mask |= HDI_FORMAT;
        h.fmt = HDF_STRING | (c.fmt & LVCFMT_JUSTIFYMASK);
        if ((c.fmt & LVCFMT_IMAGE) && c.image >= 0) h.fmt |= HDF_IMAGE;
    }
    if (lvMask & LVCF_IMAGE) h.mask |= HDI_IMAGE, h.iImage = c.image;
}

void FillColumn(Column& c, const LVCOLUMNW& info) {
    if (info.mask & LVCF_FMT) c.fmt = info.fmt;
    if (info.mask & LVCF_WIDTH) c.width = std::max(0, info.cx);
    if ((info.mask & LVCF_TEXT) && info.pszText) c.text = info.pszText;
    if (info.mask & LVCF_SUBITEM) c.subItem = info.iSubItem;
    if (info.mask & LVCF_IMAGE) c.image = info.iImage;
}

LRESULT InsertColumn(Data& d, int index, const LVCOLUMNW* info) {
    if (!info || index < 0) return -1;
    const int at = std::min(index, static_cast<int>(d.columns.size()));
    Column c;
    c.subItem = at;
    FillColumn(c, *info);
    // The first column is always left-aligned, as the item's label is.
    if (d.columns.empty() || at == 0) c.fmt &= ~LVCFMT_JUSTIFYMASK;
    d.columns.insert(d.columns.begin() + at, c);
    HDITEMW h{};
    HeaderItemFrom(c, h, LVCF_WIDTH | LVCF_TEXT | LVCF_FMT | LVCF_IMAGE);
    if (info->mask & LVCF_ORDER) h.mask |= HDI_ORDER, h.iOrder = info->iOrder;
    SendMessageW(d.header, HDM_INSERTITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&h));
    UpdateScrollBars(d);
    InvalidateRect(d.hwnd, nullptr, TRUE);
    return at;
}

LRESULT SetColumn(Data& d, int index, const LVCOLUMNW* info) {
    if (!info || index < 0 || index >= static_cast<int>(d.columns.size())) return FALSE;
    Column& c = d.columns[static_cast<size_t>(index)];
    FillColumn(c, *info);
    HDITEMW h{};
    HeaderItemFrom(c, h, info->mask);
    if (info->mask & LVCF_ORDER) h.mask |= HDI_ORDER, h.iOrder = info->iOrder;
    SendMessageW(d.header, HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&h));
    UpdateScrollBars(d);
    InvalidateRect(d.hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT GetColumn(Data& d, int index, LVCOLUMNW* info) {
    if (!info || index < 0 || index >= static_cast<int>(d.columns.size())) return FALSE;
    const Column& c = d.columns[static_cast<size_t>(index)];
    if (info->mask & LVCF_FMT) info->fmt = c.fmt;
    if (info->mask & LVCF_WIDTH) info->cx = c.width;
    if (info->mask & LVCF_TEXT) CopyText(c.text, info->pszText, info->cchTextMax);
    if (info->mask & LVCF_SUBITEM) info->iSubItem = c.subItem;
    if (info->mask & LVCF_IMAGE) info->iImage = c.image;
    if (info->mask & LVCF_ORDER) {
        const std::vector<int> order = ColumnOrder(d);
        info->iOrder =
            static_cast<int>(std::find(order.begin(), order.end(), index) - order.begin());
    }
    return TRUE;
}

LRESULT DeleteColumn(Data& d, int index) {
    if (index < 0 || index >= static_cast<int>(d.columns.size())) return FALSE;
    const int subItem = d.columns[static_cast<size_t>(index)].subItem;
    d.columns.erase(d.columns.begin() + index);
    SendMessageW(d.header, HDM_DELETEITEM, static_cast<WPARAM>(index), 0);
    // The sub-item goes with its column, so that the next one does not take its place.
    if (subItem > 0)
        for (Item& it : d.items)
            if (static_cast<int>(it.subs.size()) >= subItem)
                it.subs.erase(it.subs.begin() + (subItem - 1));
    for (Column& c : d.columns)
        if (c.subItem > subItem) --c.subItem;
    UpdateScrollBars(d);
    InvalidateRect(d.hwnd, nullptr, TRUE);
    return TRUE;
}

int AutoWidth(Data& d, int index, bool useHeader) {
    const Column& c = d.columns[static_cast<size_t>(index)];
    MeasureDC m(FontOrSystem(d.font));
    int width = 0;
    int first = 0, last = -1;
    // Owner data: what is on screen, as measuring a million items is no answer.
    if (d.ownerData)
        VisibleRange(d, first, last);
    else
        last = d.Count() - 1;
    for (int i = first; i <= last; ++i)
        width = std::max(width, m.Width(Fetch(d, i, c.subItem, LVIF_TEXT).text));
    width += 12;
    if (c.subItem == 0) {
        int cx = 0, cy = 0;
        ImageSize(d, LVSIL_SMALL, cx, cy);
        if (cx) width += cx + 2;
    }
    if (useHeader) width = std::max(width, m.Width(c.text) + 12);
    return width;
}

LRESULT SetColumnWidth(Data& d, int index, int width) {
    if (d.View() == LVS_LIST) {
        if (width <= 0) return FALSE;
        d.listColumnWidth = width;
        UpdateScrollBars(d);
        InvalidateRect(d.hwnd, nullptr, TRUE);
        return TRUE;
    }
    if (index < 0 || index >= static_cast<int>(d.columns.size())) return FALSE;
    if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER)
        width = AutoWidth(d, index, width == LVSCW_AUTOSIZE_USEHEADER);
    LVCOLUMNW info{};
    info.mask = LVCF_WIDTH;
    info.cx = width;
    return SetColumn(d, index, &info);
}

// --- Header notices ----------------------------------------------------------------------------

LRESULT HeaderNotify(Data& d, NMHDR* hdr) {
    auto* n = reinterpret_cast<NMHEADERW*>(hdr);
    switch (hdr->code) {
    case HDN_ITEMCLICKW:
        if (!(d.Style() & LVS_NOSORTHEADER)) NotifyItem(d, LVN_COLUMNCLICK, -1, n->iItem);
        return 0;
    case HDN_ITEMCHANGEDW:
        if (n->pitem && (n->pitem->mask & HDI_WIDTH) && n->iItem >= 0 &&
            n->iItem < static_cast<int>(d.columns.size())) {
            d.columns[static_cast<size_t>(n->iItem)].width = n->pitem->cxy;
            UpdateScrollBars(d);
            InvalidateRect(d.hwnd, nullptr, TRUE);
        }
        if (n->pitem && (n->pitem->mask & HDI_ORDER)) InvalidateRect(d.hwnd, nullptr, TRUE);
        return 0;
    case HDN_DIVIDERDBLCLICKW:
        if (n->iItem >= 0 && n->iItem < static_cast<int>(d.columns.size()))
            SetColumnWidth(d, n->iItem, LVSCW_AUTOSIZE_USEHEADER);
        return 0;
    }
    return 0;
}

void ViewChanged(Data& d) {
    EndEdit(d, false);
    d.top = 0;
    d.xOffset = 0;
    d.hintFrom = d.hintTo = -1;
    LayoutHeader(d);
    UpdateScrollBars(d);
    if (d.focused >= 0) EnsureVisible(d, d.focused, false);
    InvalidateRect(d.hwnd, nullptr, TRUE);
}

LRESULT Create(Data& d) {
    d.ownerData = d.Style() & LVS_OWNERDATA;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(d.hwnd, GWLP_HINSTANCE));
    d.header = CreateWindowExW(0, WC_HEADERW, u"", WS_CHILD | HDS_BUTTONS | HDS_FULLDRAG, 0, 0, 0,
                               0, d.hwnd, nullptr, instance, nullptr);
    if (!d.header) return -1;
    LayoutHeader(d);
    UpdateScrollBars(d);
    return 0;
}

void Destroy(Data& d) {
    d.destroying = true;
    if (d.edit) {
        HWND edit = d.edit;
        d.edit = nullptr;
        d.editItem = -1;
        DestroyWindow(edit);
    }
    if (!d.ownerData && !d.items.empty()) {
        // The owner frees what its items point to.
        HWND hwnd = d.hwnd;
        if (NotifyItem(d, LVN_DELETEALLITEMS, -1) == 0 && IsWindow(hwnd))
            for (size_t i = 0; i < d.items.size(); ++i)
                NotifyItem(d, LVN_DELETEITEM, static_cast<int>(i), 0, 0, 0, 0, {},
                           d.items[i].param);
    }
    if (!(d.Style() & LVS_SHAREIMAGELISTS))
        for (HIMAGELIST& list : d.images)
            if (list) ImageList_Destroy(list), list = nullptr;
}

LRESULT Messages(Data& d, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = d.hwnd;
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_CREATE:
        return Create(d);
    case WM_DESTROY:
        Destroy(d);
        return 0;
    case WM_SIZE:
        LayoutHeader(d);
        UpdateScrollBars(d);
        ScrollTo(d, d.top, d.xOffset);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_STYLECHANGED:
        if (wParam == static_cast<WPARAM>(GWL_STYLE)) {
            auto* s = reinterpret_cast<STYLESTRUCT*>(lParam);
            if (((s->styleOld ^ s->styleNew) & (LVS_TYPEMASK | LVS_NOCOLUMNHEADER)) != 0)
                ViewChanged(d);
            else
                InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_PAINT:
        Paint(d, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        d.font = reinterpret_cast<HFONT>(wParam);
        SendMessageW(d.header, WM_SETFONT, wParam, lParam);
        LayoutHeader(d);
        UpdateScrollBars(d);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(d.font);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        NMHDR n{};
        NotifyParent(d, n, msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS);
        if (IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
        const bool vertical = msg == WM_VSCROLL;
        const int bar = vertical ? SB_VERT : SB_HORZ;
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        GetScrollInfo(hwnd, bar, &si);
        // Report rows scroll by one; the report's columns by some pixels.
        const bool pixels = !vertical && d.View() == LVS_REPORT;
        const int line = pixels ? 16 : 1;
        const int page = std::max(1, static_cast<int>(si.nPage));
        int pos = si.nPos;
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            pos -= line;
            break;
        case SB_LINEDOWN:
            pos += line;
            break;
        case SB_PAGEUP:
            pos -= page;
            break;
        case SB_PAGEDOWN:
            pos += page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            pos = si.nTrackPos;
            break;
        case SB_TOP:
            pos = si.nMin;
            break;
        case SB_BOTTOM:
            pos = si.nMax;
            break;
        default:
            return 0;
        }
        const bool scrollsItems = vertical ? d.View() != LVS_LIST : d.View() == LVS_LIST;
        if (scrollsItems)
            ScrollTo(d, pos, d.xOffset);
        else if (pixels)
            ScrollTo(d, d.top, pos);
        return 0;
    }
    case WM_MOUSEWHEEL: {
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        if (d.View() == LVS_LIST)
            ScrollTo(d, d.top - notches, d.xOffset);
        else
            ScrollTo(d, d.top - notches * (d.View() == LVS_REPORT ? 3 : 1), d.xOffset);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(d, p, msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK,
                  msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK, wParam);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(d, p, wParam);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        MouseUp(d, p);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) d.pressItem = -1;
        return 0;
    case WM_KEYDOWN:
        KeyDown(d, wParam);
        return 0;
    case WM_CHAR:
        Char(d, static_cast<char16_t>(wParam));
        return 0;
    case WM_TIMER:
        Timer(d, wParam);
        return 0;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr && hdr->hwndFrom == d.header) return HeaderNotify(d, hdr);
        return 0;
    }
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == d.edit && d.edit && HIWORD(wParam) == EN_KILLFOCUS)
            EndEdit(d, true);
        return 0;

    // --- Items ---
    case LVM_GETITEMCOUNT:
        return d.Count();
    case LVM_SETITEMCOUNT:
        return SetItemCount(d, static_cast<int>(wParam), lParam);
    case LVM_INSERTITEMW:
        return InsertItem(d, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_SETITEMW:
        return SetItem(d, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMW:
        return GetItem(d, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_SETITEMTEXTW: {
        auto* info = reinterpret_cast<LVITEMW*>(lParam);
        if (!info) return FALSE;
        LVITEMW copy = *info;
        copy.iItem = static_cast<int>(wParam);
        copy.mask = LVIF_TEXT;
        return SetItem(d, &copy);
    }
    case LVM_GETITEMTEXTW: {
        auto* info = reinterpret_cast<LVITEMW*>(lParam);
        if (!info || !Valid(d, static_cast<int>(wParam))) return 0;
        const Shown s = Fetch(d, static_cast<int>(wParam), info->iSubItem, LVIF_TEXT);
        CopyText(s.text, info->pszText, info->cchTextMax);
        return static_cast<LRESULT>(
            std::min(s.text.size(), static_cast<size_t>(std::max(info->cchTextMax - 1, 0))));
    }
    case LVM_SETITEMSTATE: {
        auto* info = reinterpret_cast<LVITEMW*>(lParam);
        if (!info) return FALSE;
        return SetState(d, static_cast<int>(wParam), info->state, info->stateMask) ? TRUE : FALSE;
    }
    case LVM_GETITEMSTATE:
        return StateOf(d, static_cast<int>(wParam), static_cast<UINT>(lParam));
    case LVM_DELETEITEM:
        return DeleteItem(d, static_cast<int>(wParam));
    case LVM_DELETEALLITEMS:
        return DeleteAll(d);
    case LVM_GETNEXTITEM:
        return GetNextItem(d, static_cast<int>(wParam), static_cast<UINT>(LOWORD(lParam)));
    case LVM_GETSELECTEDCOUNT:
        return SelectedCount(d);
    case LVM_GETSELECTIONMARK:
        return d.mark;
    case LVM_SETSELECTIONMARK: {
        const int old = d.mark;
        d.mark = Valid(d, static_cast<int>(lParam)) ? static_cast<int>(lParam) : -1;
        return old;
    }
    case LVM_SORTITEMS:
        return SortItems(d, static_cast<LPARAM>(wParam), reinterpret_cast<PFNLVCOMPARE>(lParam));
    case LVM_FINDITEMW: {
        auto* info = reinterpret_cast<const LVFINDINFOW*>(lParam);
        return info ? FindItem(d, static_cast<int>(wParam), *info) : -1;
    }
    case LVM_SETCALLBACKMASK:
        d.callbackMask = static_cast<UINT>(wParam);
        return TRUE;
    case LVM_GETCALLBACKMASK:
        return d.callbackMask;
    case LVM_EDITLABELW:
        if (static_cast<int>(wParam) < 0) { // -1 cancels an edit
            EndEdit(d, false);
            return 0;
        }
        return reinterpret_cast<LRESULT>(EditLabel(d, static_cast<int>(wParam)));
    case LVM_GETEDITCONTROL:
        return reinterpret_cast<LRESULT>(d.edit);

    // --- Geometry ---
    case LVM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || !Valid(d, static_cast<int>(wParam))) return FALSE;
        *r = ItemRect(d, static_cast<int>(wParam), r->left);
        return TRUE;
    }
    case LVM_GETSUBITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || !Valid(d, static_cast<int>(wParam)) || d.View() != LVS_REPORT) return FALSE;
        if (r->top < 0 || r->top >= std::max<int>(1, static_cast<int>(d.columns.size())))
            return FALSE;
        *r = SubItemRect(d, static_cast<int>(wParam), r->top, r->left);
        return TRUE;
    }
    case LVM_GETITEMPOSITION: {
        auto* pt = reinterpret_cast<POINT*>(lParam);
        if (!pt || !Valid(d, static_cast<int>(wParam))) return FALSE;
        const RECT r = ItemRect(d, static_cast<int>(wParam), LVIR_BOUNDS);
        *pt = POINT{r.left, r.top};
        return TRUE;
    }
    case LVM_SETITEMPOSITION: // items stay on their grid
        return FALSE;
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
        auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
        if (!info) return -1;
        int sub = 0;
        info->iItem = HitTest(d, info->pt, &info->flags, &sub);
        if (msg == LVM_SUBITEMHITTEST) info->iSubItem = info->iItem >= 0 ? sub : 0;
        return info->iItem;
    }
    case LVM_ENSUREVISIBLE:
        if (!Valid(d, static_cast<int>(wParam))) return FALSE;
        EnsureVisible(d, static_cast<int>(wParam), lParam != 0);
        return TRUE;
    case LVM_SCROLL: {
        const int dx = static_cast<int>(wParam), dy = static_cast<int>(lParam);
        switch (d.View()) {
        case LVS_REPORT:
            ScrollTo(d, d.top + dy / RowHeight(d), d.xOffset + dx);
            break;
        case LVS_LIST:
            ScrollTo(d, d.top + dx / ListColumnWidth(d), 0);
            break;
        default:
            ScrollTo(d, d.top + dy / CellSize(d).cy, 0);
            break;
        }
        return TRUE;
    }
    case LVM_GETTOPINDEX:
        if (d.View() == LVS_REPORT) return d.top;
        if (d.View() == LVS_LIST) return d.top * CellsPerLine(d);
        return 0;
    case LVM_GETCOUNTPERPAGE: {
        if (d.View() == LVS_REPORT) return RowsPerPage(d);
        const RECT area = ClientArea(d);
        if (d.View() == LVS_LIST)
            return CellsPerLine(d) * std::max(1, (area.right - area.left) / ListColumnWidth(d));
        return d.Count();
    }
    case LVM_GETORIGIN: {
        auto* pt = reinterpret_cast<POINT*>(lParam);
        if (!pt) return FALSE;
        if (d.View() == LVS_REPORT || d.View() == LVS_LIST) return FALSE;
        *pt = POINT{0, d.top * CellSize(d).cy};
        return TRUE;
    }
    case LVM_GETVIEWRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r) return FALSE;
        *r = RECT{};
        for (int i : {0, d.Count() - 1})
            if (Valid(d, i)) {
                RECT b = ItemRect(d, i, LVIR_BOUNDS);
                UnionRect(r, r, &b);
            }
        return TRUE;
    }
    case LVM_GETITEMSPACING: {
        const SIZE cell = CellSize(d);
        return MAKELONG(cell.cx, cell.cy);
    }
    case LVM_GETSTRINGWIDTHW: {
        auto* text = reinterpret_cast<LPCWSTR>(lParam);
        if (!text) return 0;
        MeasureDC m(FontOrSystem(d.font));
        return m.Width(text);
    }
    case LVM_REDRAWITEMS:
        for (int i = std::max(0, static_cast<int>(wParam));
             i <= std::min(static_cast<int>(lParam), d.Count() - 1); ++i)
            InvalidateItem(d, i);
        return TRUE;
    case LVM_UPDATE:
        if (!Valid(d, static_cast<int>(wParam))) return FALSE;
        InvalidateItem(d, static_cast<int>(wParam));
        return TRUE;
    case LVM_ARRANGE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;

    // --- Looks ---
    case LVM_SETIMAGELIST: {
        if (wParam > LVSIL_STATE) return 0;
        HIMAGELIST old = d.images[wParam];
        d.images[wParam] = reinterpret_cast<HIMAGELIST>(lParam);
        if (wParam == LVSIL_SMALL) SendMessageW(d.header, HDM_SETIMAGELIST, 0, lParam);
        UpdateScrollBars(d);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST:
        return wParam <= LVSIL_STATE ? reinterpret_cast<LRESULT>(d.images[wParam]) : 0;
    case LVM_SETBKCOLOR:
    case LVM_SETTEXTCOLOR:
    case LVM_SETTEXTBKCOLOR: {
        COLORREF& c = msg == LVM_SETBKCOLOR     ? d.bkColor
                      : msg == LVM_SETTEXTCOLOR ? d.textColor
                                                : d.textBkColor;
        c = static_cast<COLORREF>(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case LVM_GETBKCOLOR:
        return d.bkColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : d.bkColor;
    case LVM_GETTEXTCOLOR:
        return d.textColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : d.textColor;
    case LVM_GETTEXTBKCOLOR:
        return d.textBkColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : d.textBkColor;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        const DWORD old = d.exStyle;
        const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
        d.exStyle = (d.exStyle & ~mask) | (static_cast<DWORD>(lParam) & mask);
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return d.exStyle;

    // --- Columns ---
    case LVM_INSERTCOLUMNW:
        return InsertColumn(d, static_cast<int>(wParam),
                            reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_SETCOLUMNW:
        return SetColumn(d, static_cast<int>(wParam), reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_GETCOLUMNW:
        return GetColumn(d, static_cast<int>(wParam), reinterpret_cast<LVCOLUMNW*>(lParam));
    case LVM_DELETECOLUMN:
        return DeleteColumn(d, static_cast<int>(wParam));
    case LVM_GETCOLUMNWIDTH:
        if (d.View() == LVS_LIST) return ListColumnWidth(d);
        if (wParam >= d.columns.size()) return 0;
        return d.columns[wParam].width;
    case LVM_SETCOLUMNWIDTH:
        return SetColumnWidth(d, static_cast<int>(wParam), static_cast<short>(LOWORD(lParam)));
    case LVM_GETHEADER:
        return reinterpret_cast<LRESULT>(d.header);
    case LVM_SETCOLUMNORDERARRAY:
        if (!SendMessageW(d.header, HDM_SETORDERARRAY, wParam, lParam)) return FALSE;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case LVM_GETCOLUMNORDERARRAY:
        return SendMessageW(d.header, HDM_GETORDERARRAY, wParam, lParam);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

} // namespace win32::controls::listview

namespace win32::controls {

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto data = std::make_shared<listview::Data>();
        data->hwnd = hwnd;
        AttachData(hwnd, data);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto data = Data<listview::Data>(hwnd);
    if (!data) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        DetachData(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return listview::Messages(*data, msg, wParam, lParam);
}

} // namespace win32::controls
