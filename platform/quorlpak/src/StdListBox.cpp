// TListBox over the system "ListBox" class.
#include <quorlpak/StdCtrls.h>

#include "PublishControls.h"

#include <quorlpak/Canvas.h>
#include <runpak/ScopeGuard.h>

#include <runpak/Exceptions.h>

namespace {

TClassBuilder<TListBox> ListBoxDescription() {
    using T = TListBox;
    TClassBuilder<T> b(u"TListBox", TCustomListBox::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"BorderStyle", TypeInfo_TBorderStyle, &T::GetBorderStyle, &T::SetBorderStyle)
        .Default(bsSingle)
        .Property(u"ExtendedSelect", BooleanTypeInfo, &T::GetExtendedSelect, &T::SetExtendedSelect)
        .Default(1)
        .Property(u"MultiSelect", BooleanTypeInfo, &T::GetMultiSelect, &T::SetMultiSelect)
        .Default(0)
        .Property(u"Sorted", BooleanTypeInfo, &T::GetSorted, &T::SetSorted)
        .Default(0)
        .Property(u"Items", ClassTypeInfo<TStrings>, &T::GetItems, &T::SetItems)
        .Property(u"ItemIndex", IntegerTypeInfo, &T::GetItemIndex, &T::SetItemIndex)
        .Default(-1);
    return b;
}

} // namespace

TClass TCustomListBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomListBox>(u"TCustomListBox", TWinControl::StaticClass()));
    return &meta;
}

TClass TListBox::StaticClass() {
    static const TMetaClass meta(ListBoxDescription());
    return &meta;
}

// The list box's items: data objects and removals go through the list box,
// except while the list moves its own items around.
class TListBoxItems : public TItemStrings {
public:
    explicit TListBoxItems(TCustomListBox* ListBox) : FListBox(ListBox) {}

    TObject* GetObject(int index) const override {
        return FMoving ? TItemStrings::GetObject(index) : FListBox->GetItemData(index);
    }
    void PutObject(int index, TObject* object) override {
        if (FMoving)
            TItemStrings::PutObject(index, object);
        else
            FListBox->SetItemData(index, object);
    }
    void Delete(int index) override {
        if (!FMoving && index >= 0 && index < GetCount()) FListBox->DeleteString(index);
        TItemStrings::Delete(index);
    }
    void Clear() override {
        if (GetCount() > 0) FListBox->ResetContent();
        TItemStrings::Clear();
    }
    void Exchange(int index1, int index2) override {
        FMoving = true;
        auto moved = runpak::ScopeExit([this] { FMoving = false; });
        TItemStrings::Exchange(index1, index2);
    }
    void Move(int curIndex, int newIndex) override {
        FMoving = true;
        auto moved = runpak::ScopeExit([this] { FMoving = false; });
        TItemStrings::Move(curIndex, newIndex);
    }
    TObject* RawObject(int index) const { return TItemStrings::GetObject(index); }
    void PutRawObject(int index, TObject* object) { TItemStrings::PutObject(index, object); }

protected:
    // A new item's object is item data like any other.
    void InsertItem(int index, const UnicodeString& s, TObject* object) override {
        TItemStrings::InsertItem(index, s, FMoving ? object : nullptr);
        if (object && !FMoving) FListBox->SetItemData(index, object);
    }

private:
    TCustomListBox* FListBox;
    bool FMoving = false;
};

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(new TListBoxItems(this)) {
    FControlStyle = {csDoubleClicks};
    FWidth = 121;
    FHeight = 97;
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(clWindow);
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomListBox::~TCustomListBox() {
    FItems->OnChange = nullptr;
    delete FItems;
    delete FCanvas;
}

TObject* TCustomListBox::InternalGetItemData(int Index) const {
    return static_cast<TListBoxItems*>(FItems)->RawObject(Index);
}

void TCustomListBox::InternalSetItemData(int Index, TObject* AData) {
    static_cast<TListBoxItems*>(FItems)->PutRawObject(Index, AData);
}

TObject* TCustomListBox::GetItemData(int Index) {
    return InternalGetItemData(Index);
}

void TCustomListBox::SetItemData(int Index, TObject* AData) {
    InternalSetItemData(Index, AData);
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    if (FHandle) RecreateWnd();
}

void TCustomListBox::SetItemHeight(int Value) {
    if (Value <= 0) return;
    FItemHeight = Value;
    if (FHandle) {
        SendMessageW(FHandle, LB_SETITEMHEIGHT, 0, Value);
        InvalidateRect(FHandle, nullptr, TRUE);
    }
}

TCanvas* TCustomListBox::GetCanvas() {
    if (!FCanvas) {
        FCanvas = new TControlCanvas;
        FCanvas->SetControl(this);
    }
    return FCanvas;
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    TCanvas* canvas = GetCanvas();
    canvas->FillRect(Rect);
    if (IsVirtual()) {
        UnicodeString text;
        if (OnData && Index >= 0 && Index < FCount) OnData(this, Index, text);
        canvas->TextOut(Rect.left + 2, Rect.top, text);
    } else if (Index >= 0 && Index < FItems->GetCount()) {
        canvas->TextOut(Rect.left + 2, Rect.top, FItems->Get(Index));
    }
}

void TCustomListBox::CNDrawItem(TMessage& Message) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    Message.Result = 1;
    if (!dis) return;
    TOwnerDrawState state;
    if (dis->itemState & ODS_SELECTED) state.Include(odSelected);
    if (dis->itemState & ODS_FOCUS) state.Include(odFocused);
    if (dis->itemState & ODS_DISABLED) state.Include(odDisabled);
    if (dis->itemState & ODS_GRAYED) state.Include(odGrayed);
    if (dis->itemState & ODS_CHECKED) state.Include(odChecked);
    TCanvas* canvas = GetCanvas();
    canvas->SetHandle(dis->hDC);
    canvas->SetFont(GetFont());
    canvas->GetBrush()->Assign(GetBrush());
    if (state.Contains(odSelected)) {
        canvas->GetBrush()->SetColor(clHighlight);
        canvas->GetFont()->SetColor(clHighlightText);
    }
    const TRect rect(dis->rcItem);
    if (int(dis->itemID) >= 0)
        DrawItem(int(dis->itemID), rect, state);
    else
        canvas->FillRect(rect);
    if (state.Contains(odFocused)) canvas->DrawFocusRect(rect);
    canvas->SetHandle(nullptr);
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, u"ListBox");
    // Sorting is the item list's business; the window shows it in its order.
    Params.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
    if (FStyle == lbOwnerDrawFixed) Params.Style |= LBS_OWNERDRAWFIXED;
    // A virtual list keeps no items in its window, only their count.
    if (IsVirtual()) {
        Params.Style |= LBS_OWNERDRAWFIXED | LBS_NODATA;
        Params.Style &= ~DWORD(LBS_HASSTRINGS);
    }
    if (FStyle == lbOwnerDrawVariable) Params.Style |= LBS_OWNERDRAWVARIABLE;
    if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TCustomListBox::CreateWnd() {
    TWinControl::CreateWnd();
    if (FStyle != lbStandard) SendMessageW(FHandle, LB_SETITEMHEIGHT, 0, FItemHeight);
    if (IsVirtual())
        SendMessageW(FHandle, LB_SETCOUNT, WPARAM(FCount), 0);
    else
        for (int i = 0; i < FItems->GetCount(); ++i)
            AddWindowItem(i);
    const int count = GetCount();
    if (FItemIndex >= count) FItemIndex = -1;
    if (FMultiSelect) {
        for (size_t i = 0; i < FSaveSelection.size() && int(i) < count; ++i)
            if (FSaveSelection[i]) SendMessageW(FHandle, LB_SETSEL, TRUE, LPARAM(i));
        if (FItemIndex >= 0) SendMessageW(FHandle, LB_SETCARETINDEX, WPARAM(FItemIndex), 0);
    } else if (FItemIndex >= 0) {
        SendMessageW(FHandle, LB_SETCURSEL, WPARAM(FItemIndex), 0);
    }
    if (FTopIndex > 0) SendMessageW(FHandle, LB_SETTOPINDEX, WPARAM(FTopIndex), 0);
    FSaveSelection.clear();
}

void TCustomListBox::DestroyWnd() {
    FItemIndex = GetItemIndex();
    FTopIndex = GetTopIndex();
    FSaveSelection.clear();
    if (FMultiSelect)
        for (int i = 0; i < FItems->GetCount(); ++i)
            FSaveSelection.push_back(SendMessageW(FHandle, LB_GETSEL, WPARAM(i), 0) > 0);
    TWinControl::DestroyWnd();
}

void TCustomListBox::Loaded() {
    TWinControl::Loaded();
    if (FItemIndex < -1 || FItemIndex >= GetCount()) FItemIndex = -1;
    if (FHandle && FItemIndex >= 0) SetItemIndex(FItemIndex);
}

int TCustomListBox::GetItemIndex() {
    if (!FHandle) return FItemIndex;
    return static_cast<int>(
        SendMessageW(FHandle, FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int Value) {
    if (GetComponentState().Contains(csLoading) && !FHandle) {
        FItemIndex = Value;
        return;
    }
    if (Value < -1 || Value >= GetCount()) Value = -1;
    if (!FHandle) {
        FItemIndex = Value;
        if (FMultiSelect) {
            FSaveSelection.assign(size_t(GetCount()), false);
            if (Value >= 0) FSaveSelection[size_t(Value)] = true;
        }
        return;
    }
    if (FMultiSelect) {
        // The item becomes the focused and only selected one.
        SendMessageW(FHandle, LB_SETSEL, FALSE, -1);
        if (Value >= 0) {
            SendMessageW(FHandle, LB_SETSEL, TRUE, Value);
            SendMessageW(FHandle, LB_SETCARETINDEX, WPARAM(Value), 0);
        }
    } else {
        SendMessageW(FHandle, LB_SETCURSEL, WPARAM(Value), 0);
    }
}

void TCustomListBox::SetMultiSelect(bool Value) {
    if (FMultiSelect == Value) return;
    FMultiSelect = Value;
    RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
    if (FExtendedSelect == Value) return;
    FExtendedSelect = Value;
    RecreateWnd();
}

void TCustomListBox::SetSorted(bool Value) {
    FItems->SetSorted(Value);
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
    if (FBorderStyle == Value) return;
    FBorderStyle = Value;
    RecreateWnd();
}

bool TCustomListBox::GetSelected(int Index) {
    if (Index < 0 || Index >= GetCount())
        throw EListError(u"List index out of bounds (%d)", {Index});
    if (!FMultiSelect) return GetItemIndex() == Index;
    if (!FHandle) return size_t(Index) < FSaveSelection.size() && FSaveSelection[size_t(Index)];
    return SendMessageW(FHandle, LB_GETSEL, WPARAM(Index), 0) > 0;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
    if (Index < 0 || Index >= GetCount())
        throw EListError(u"List index out of bounds (%d)", {Index});
    if (!FMultiSelect) {
        if (Value)
            SetItemIndex(Index);
        else if (GetItemIndex() == Index)
            SetItemIndex(-1);
        return;
    }
    if (!FHandle) {
        FSaveSelection.resize(size_t(GetCount()), false);
        FSaveSelection[size_t(Index)] = Value;
        return;
    }
    SendMessageW(FHandle, LB_SETSEL, Value ? TRUE : FALSE, Index);
}

int TCustomListBox::GetSelCount() {
    if (!FMultiSelect) return GetItemIndex() >= 0 ? 1 : 0;
    if (!FHandle) return int(std::count(FSaveSelection.begin(), FSaveSelection.end(), true));
    return static_cast<int>(SendMessageW(FHandle, LB_GETSELCOUNT, 0, 0));
}

int TCustomListBox::GetTopIndex() {
    if (!FHandle) return FTopIndex;
    return static_cast<int>(SendMessageW(FHandle, LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int Value) {
    FTopIndex = Value;
    if (FHandle) SendMessageW(FHandle, LB_SETTOPINDEX, WPARAM(Value), 0);
}

int TCustomListBox::GetItemHeight() {
    return static_cast<int>(SendMessageW(GetHandle(), LB_GETITEMHEIGHT, 0, 0));
}

int TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) {
    const int count = GetCount();
    for (int i = GetTopIndex(); i < count; ++i) {
        TRect r = ItemRect(i);
        if (r.top > Pos.y) break;
        if (Pos.y >= r.top && Pos.y < r.bottom) return i;
    }
    return Existing ? -1 : count;
}

TRect TCustomListBox::ItemRect(int Index) {
    RECT r{};
    if (SendMessageW(GetHandle(), LB_GETITEMRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&r)) ==
        LB_ERR)
        return TRect();
    return TRect(r);
}

void TCustomListBox::Clear() {
    FItems->Clear();
}

void TCustomListBox::ClearSelection() {
    if (!FMultiSelect) {
        SetItemIndex(-1);
        return;
    }
    if (FHandle)
        SendMessageW(FHandle, LB_SETSEL, FALSE, -1);
    else
        FSaveSelection.clear();
}

void TCustomListBox::SelectAll() {
    if (!FMultiSelect) return;
    if (FHandle)
        SendMessageW(FHandle, LB_SETSEL, TRUE, -1);
    else
        FSaveSelection.assign(size_t(GetCount()), true);
}

bool TCustomListBox::HasWindowTexts() const {
    return FHandle && (GetWindowLongW(FHandle, GWL_STYLE) & LBS_HASSTRINGS) != 0;
}

void TCustomListBox::AddWindowItem(int Index) {
    // A window without strings keeps what it is given as the item's data: the
    // item's object, never a pointer into a passing string.
    if (HasWindowTexts()) {
        const UnicodeString text = FItems->Get(Index);
        SendMessageW(FHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return;
    }
    SendMessageW(FHandle, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(static_cast<TListBoxItems*>(FItems)->RawObject(Index)));
}

int TCustomListBox::GetCount() const {
    return IsVirtual() ? FCount : FItems->GetCount();
}

void TCustomListBox::SetCount(int Value) {
    if (!IsVirtual()) return;
    FCount = std::max(Value, 0);
    if (!FHandle) return;
    // The selection and the top row stay where they still can.
    const int index = GetItemIndex();
    const int top = GetTopIndex();
    SendMessageW(FHandle, LB_SETCOUNT, WPARAM(FCount), 0);
    if (top < FCount) SendMessageW(FHandle, LB_SETTOPINDEX, WPARAM(top), 0);
    if (index >= 0 && index < FCount && !FMultiSelect)
        SendMessageW(FHandle, LB_SETCURSEL, WPARAM(index), 0);
}

void TCustomListBox::ItemsChanged() {
    if (!FHandle || IsVirtual()) return;
    // The window mirrors the list: fill it again, keeping the selection of
    // items that are still where they were. A window without strings (an
    // owner-drawn descendant's) holds each item's object instead of its text,
    // and its items are told apart by that.
    const bool texts = HasWindowTexts();
    const int count = int(SendMessageW(FHandle, LB_GETCOUNT, 0, 0));
    std::vector<UnicodeString> oldItems;
    std::vector<LRESULT> oldData;
    std::vector<bool> oldSelected;
    for (int i = 0; i < count; ++i) {
        if (texts) {
            int len = static_cast<int>(SendMessageW(FHandle, LB_GETTEXTLEN, WPARAM(i), 0));
            UnicodeString text(size_t(std::max(len, 0)) + 1, u'\0');
            SendMessageW(FHandle, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
            text.resize(size_t(std::max(len, 0)));
            oldItems.push_back(text);
        } else {
            oldData.push_back(SendMessageW(FHandle, LB_GETITEMDATA, WPARAM(i), 0));
        }
        oldSelected.push_back(SendMessageW(FHandle, LB_GETSEL, WPARAM(i), 0) > 0);
    }
    const int oldIndex = GetItemIndex();
    const int top = GetTopIndex();
    SendMessageW(FHandle, WM_SETREDRAW, FALSE, 0);
    SendMessageW(FHandle, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < FItems->GetCount(); ++i)
        AddWindowItem(i);
    auto data = [this](int i) {
        return reinterpret_cast<LRESULT>(static_cast<TListBoxItems*>(FItems)->RawObject(i));
    };
    auto same = [&](int i) {
        if (i >= FItems->GetCount() || i >= count) return false;
        return texts ? FItems->Get(i) == oldItems[size_t(i)] : data(i) == oldData[size_t(i)];
    };
    // Where an item that is no longer in its place went, or -1.
    auto moved = [&](int i) {
        if (texts) return FItems->IndexOf(oldItems[size_t(i)]);
        if (oldData[size_t(i)] == 0) return -1; // items without objects look all alike
        for (int j = 0; j < FItems->GetCount(); ++j)
            if (data(j) == oldData[size_t(i)]) return j;
        return -1;
    };
    if (FMultiSelect) {
        for (int i = 0; i < count; ++i)
            if (oldSelected[size_t(i)] && same(i)) SendMessageW(FHandle, LB_SETSEL, TRUE, i);
        if (oldIndex >= 0 && same(oldIndex))
            SendMessageW(FHandle, LB_SETCARETINDEX, WPARAM(oldIndex), 0);
    } else if (oldIndex >= 0) {
        int index = same(oldIndex) ? oldIndex : moved(oldIndex);
        if (index >= 0) SendMessageW(FHandle, LB_SETCURSEL, WPARAM(index), 0);
    }
    if (top > 0 && top < FItems->GetCount()) SendMessageW(FHandle, LB_SETTOPINDEX, WPARAM(top), 0);
    SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomListBox::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_DRAWITEM) {
        CNDrawItem(Message);
        return;
    }
    if (Message.Msg == CN_MEASUREITEM) {
        // Owner-drawn items, and those of descendants that draw a standard list, are ItemHeight
        // tall.
        if (auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam))
            mis->itemHeight = static_cast<UINT>(FItemHeight);
        Message.Result = 1;
        return;
    }
    if (Message.Msg == CN_COMMAND) {
        switch (HIWORD(Message.WParam)) {
        case LBN_SELCHANGE:
            Click();
            break;
        case LBN_DBLCLK:
            DblClick();
            break;
        default:
            break;
        }
        return;
    }
    TWinControl::Dispatch(Message);
}
