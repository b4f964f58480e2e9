// TComboBox over the system "ComboBox" class.
#include <quorlpak/StdCtrls.h>

#include <quorlpak/UtilWindow.h>

#include "PublishControls.h"
#include "StdSupport.h"

namespace {

TClassBuilder<TComboBox> ComboBoxDescription() {
    using T = TComboBox;
    TClassBuilder<T> b(u"TComboBox", TCustomComboBox::StaticClass());
    quorlpak::PublishWinControl(b);
    b.Property(u"DropDownCount", IntegerTypeInfo, &T::GetDropDownCount, &T::SetDropDownCount)
        .Default(8)
        .Property(u"MaxLength", IntegerTypeInfo, &T::GetMaxLength, &T::SetMaxLength)
        .Default(0)
        .Property(u"Sorted", BooleanTypeInfo, &T::GetSorted, &T::SetSorted)
        .Default(0)
        .Property(u"Style", TypeInfo_TComboBoxStyle, &T::GetStyle, &T::SetStyle)
        .Default(csDropDown)
        .Property(u"Items", ClassTypeInfo<TStrings>, &T::GetItems, &T::SetItems)
        // After the items, so that reading it finds them.
        .Property(u"ItemIndex", IntegerTypeInfo, &T::GetItemIndex, &T::SetItemIndex)
        .Default(-1)
        .Property(u"Text", UnicodeStringTypeInfo, &T::GetText, &T::SetText)
        .Event(u"OnChange", static_cast<TNotifyEvent T::*>(&TCustomComboBox::OnChange))
        .Event(u"OnCloseUp", static_cast<TNotifyEvent T::*>(&TCustomComboBox::OnCloseUp))
        .Event(u"OnDropDown", static_cast<TNotifyEvent T::*>(&TCustomComboBox::OnDropDown))
        .Event(u"OnSelect", static_cast<TNotifyEvent T::*>(&TCustomComboBox::OnSelect));
    return b;
}

} // namespace

TClass TCustomComboBox::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TCustomComboBox>(u"TCustomComboBox", TWinControl::StaticClass()));
    return &meta;
}

TClass TComboBox::StaticClass() {
    static const TMetaClass meta(ComboBoxDescription());
    return &meta;
}

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(new TItemStrings) {
    FControlStyle = {csSetCaption, csDoubleClicks, csFixedHeight};
    FWidth = 145;
    FHeight = 21;
    FTabStop = true;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(clWindow);
    FItems->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomComboBox::~TCustomComboBox() {
    FItems->OnChange = nullptr;
    delete FItems;
    // The edit field may outlive this part of the control by a moment.
    UnsubclassEdit();
    if (FEditInstance) FreeObjectInstance(FEditInstance);
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, u"ComboBox");
    // The list scrolls itself; a scroll bar style here would show on the field.
    Params.Style |= CBS_AUTOHSCROLL;
    switch (FStyle) {
    case csDropDownList:
        Params.Style |= CBS_DROPDOWNLIST;
        break;
    case csSimple:
        Params.Style |= CBS_SIMPLE;
        break;
    default:
        Params.Style |= CBS_DROPDOWN;
        break;
    }
    // The window's height holds the dropped-down list too.
    if (FStyle != csSimple) Params.Height += FDropDownCount * (quorlpak::FontHeight(FFont) + 2) + 2;
}

void TCustomComboBox::CreateWnd() {
    UnicodeString text = FText;
    TWinControl::CreateWnd();
    for (int i = 0; i < FItems->GetCount(); ++i)
        SendMessageW(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FItems->Get(i).c_str()));
    SendMessageW(FHandle, CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    if (FItemIndex >= FItems->GetCount()) FItemIndex = -1;
    if (FItemIndex >= 0)
        SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    else if (FStyle != csDropDownList)
        SendMessageW(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SubclassEdit();
}

void TCustomComboBox::SubclassEdit() {
    if (!HandleAllocated() || FEditHandle || FStyle == csDropDownList) return;
    if (!FAutoComplete && !FAutoDropDown) return;
    HWND edit = GetWindow(FHandle, GW_CHILD);
    if (!edit) return;
    if (!FEditInstance)
        FEditInstance = MakeObjectInstance([this](TMessage& Message) { EditWndProc(Message); });
    if (!FEditInstance) return; // typing goes on without completion
    FEditHandle = edit;
    FDefEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FEditInstance)));
}

void TCustomComboBox::UnsubclassEdit() {
    if (FEditHandle && IsWindow(FEditHandle) &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(FEditHandle, GWLP_WNDPROC)) == FEditInstance)
        SetWindowLongPtrW(FEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefEditProc));
    FEditHandle = nullptr;
    FDefEditProc = nullptr;
}

void TCustomComboBox::SetAutoComplete(bool Value) {
    FAutoComplete = Value;
    SubclassEdit();
}

void TCustomComboBox::SetAutoDropDown(bool Value) {
    FAutoDropDown = Value;
    SubclassEdit();
}

void TCustomComboBox::EditWndProc(TMessage& Message) {
    const HWND edit = FEditHandle;
    const WNDPROC previous = FDefEditProc;
    if (Message.Msg == WM_CHAR && DoKeyPress(Message)) {
        Message.Result = 0; // taken here: the edit does not see the key
        return;
    }
    if (Message.Msg == WM_NCDESTROY) UnsubclassEdit();
    Message.Result =
        previous ? CallWindowProcW(previous, edit, Message.Msg, Message.WParam, Message.LParam)
                 : DefWindowProcW(edit, Message.Msg, Message.WParam, Message.LParam);
}

bool TCustomComboBox::SelectItem(const UnicodeString& Prefix) {
    if (Prefix.empty()) return false;
    const LRESULT found = SendMessageW(FHandle, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(Prefix.c_str()));
    if (found == CB_ERR) return false;
    const bool changed = GetItemIndex() != static_cast<int>(found) || GetText() != FItems->Get(int(found));
    SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    if (FStyle != csDropDownList) {
        // The part the user did not type stays selected, to be typed over.
        const int typed = static_cast<int>(Prefix.size());
        SendMessageW(FHandle, CB_SETEDITSEL, 0, MAKELPARAM(typed, 0xFFFF));
    }
    if (FAutoCloseUp && GetDroppedDown()) SetDroppedDown(false);
    if (changed) {
        Click();
        Select();
    }
    return true;
}

void TCustomComboBox::KeyPress(char16_t& Key) {
    TWinControl::KeyPress(Key);
    if (Key == 0 || !HandleAllocated()) return;
    if (FAutoDropDown) {
        if (Key == VK_TAB) {
            if (GetDroppedDown()) SetDroppedDown(false);
        } else if (Key >= 0x20 && !GetDroppedDown()) {
            SetDroppedDown(true);
        }
    }
    if (!FAutoComplete || Key < 0x20 || FStyle == csSimple) return;
    UnicodeString filter;
    if (FStyle == csDropDownList) {
        const DWORD now = GetTickCount();
        if (now - FLastTime >= 500) FFilter.clear();
        FLastTime = now;
        filter = FFilter + Key;
    } else {
        // What stays of the text when the key replaces the selection, plus the key.
        DWORD start = 0;
        SendMessageW(FHandle, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
        filter = GetText().substr(0, start) + Key;
    }
    if (SelectItem(filter)) {
        Key = 0;
        if (FStyle == csDropDownList) FFilter = filter;
    } else if (FStyle == csDropDownList) {
        FFilter.clear(); // the list's own key search takes over
    }
}

void TCustomComboBox::DestroyWnd() {
    UnsubclassEdit();
    FItemIndex = static_cast<int>(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
    TWinControl::DestroyWnd(); // keeps the text in FText
    // A text typed over the chosen item is what the next window shows.
    if (FStyle != csDropDownList && FItemIndex >= 0 && FItemIndex < FItems->GetCount() &&
        FItems->Get(FItemIndex) != FText)
        FItemIndex = -1;
}

void TCustomComboBox::Loaded() {
    TWinControl::Loaded();
    // A drop-down list read with a Text but no ItemIndex shows that item.
    if (FStyle == csDropDownList && FItemIndex < 0 && !FText.empty())
        FItemIndex = FItems->IndexOf(FText);
    if (FItemIndex >= FItems->GetCount()) FItemIndex = -1;
    if (FHandle) {
        if (FItemIndex >= 0)
            SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    }
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    RecreateWnd();
}

int TCustomComboBox::GetItemIndex() {
    if (!FHandle) return FItemIndex;
    return static_cast<int>(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int Value) {
    if (GetComponentState().Contains(csLoading) && !FHandle) {
        FItemIndex = Value;
        return;
    }
    if (Value < -1 || Value >= FItems->GetCount()) Value = -1;
    if (!FHandle) {
        FItemIndex = Value;
        if (Value >= 0) FText = FItems->Get(Value);
        return;
    }
    if (GetItemIndex() == Value) return;
    SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TCustomComboBox::SetMaxLength(int Value) {
    if (Value < 0) Value = 0;
    FMaxLength = Value;
    if (FHandle) SendMessageW(FHandle, CB_LIMITTEXT, static_cast<WPARAM>(Value), 0);
}

void TCustomComboBox::SetSorted(bool Value) {
    FItems->SetSorted(Value);
}

bool TCustomComboBox::GetDroppedDown() {
    return FHandle && SendMessageW(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) {
    SendMessageW(GetHandle(), CB_SHOWDROPDOWN, Value ? 1 : 0, 0);
}

UnicodeString TCustomComboBox::GetText() {
    if (FHandle) return TWinControl::GetText();
    if (FStyle == csDropDownList)
        return FItemIndex >= 0 && FItemIndex < FItems->GetCount() ? FItems->Get(FItemIndex)
                                                                  : UnicodeString();
    return FText;
}

void TCustomComboBox::SetText(const UnicodeString& Value) {
    if (FStyle == csDropDownList) {
        if (GetComponentState().Contains(csLoading)) {
            FText = Value;
            return;
        }
        SetItemIndex(Value.empty() ? -1 : FItems->IndexOf(Value));
        return;
    }
    if (!FHandle) {
        FText = Value;
        return;
    }
    TWinControl::SetText(Value);
}

void TCustomComboBox::Clear() {
    FItems->Clear();
    SetText(u"");
}

void TCustomComboBox::ItemsChanged() {
    if (!FHandle) return;
    // The window mirrors the list: fill it again and keep what was chosen.
    const int oldIndex = GetItemIndex();
    UnicodeString oldItem;
    if (oldIndex >= 0) {
        int len = static_cast<int>(SendMessageW(FHandle, CB_GETLBTEXTLEN, oldIndex, 0));
        oldItem.resize(size_t(std::max(len, 0)) + 1);
        SendMessageW(FHandle, CB_GETLBTEXT, oldIndex, reinterpret_cast<LPARAM>(oldItem.data()));
        oldItem.resize(size_t(std::max(len, 0)));
    }
    UnicodeString text = TWinControl::GetText();
    SendMessageW(FHandle, WM_SETREDRAW, FALSE, 0);
    SendMessageW(FHandle, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < FItems->GetCount(); ++i)
        SendMessageW(FHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FItems->Get(i).c_str()));
    int index = -1;
    if (oldIndex >= 0) {
        if (oldIndex < FItems->GetCount() && FItems->Get(oldIndex) == oldItem)
            index = oldIndex;
        else
            index = FItems->IndexOf(oldItem);
    }
    if (index >= 0)
        SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    else if (FStyle != csDropDownList)
        SendMessageW(FHandle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FHandle, nullptr, TRUE);
}

void TCustomComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::Dispatch(TMessage& Message) {
    if (Message.Msg != CN_COMMAND) {
        TWinControl::Dispatch(Message);
        return;
    }
    switch (HIWORD(Message.WParam)) {
    case CBN_SELCHANGE:
        Click();
        Select();
        break;
    case CBN_EDITCHANGE:
        Change();
        break;
    case CBN_DROPDOWN:
        if (OnDropDown) OnDropDown(this);
        break;
    case CBN_CLOSEUP:
        if (OnCloseUp) OnCloseUp(this);
        break;
    default:
        break;
    }
}
