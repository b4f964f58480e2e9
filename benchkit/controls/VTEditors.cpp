#include "VTEditors.h"

#include "benchkit/props/IDEHistoryLists.h"
#include "benchkit/props/IDEPropCtrls.h"

#include <quorlpak/ImgList.h>
#include <quorlpak/UtilWindow.h>
#include <runpak/Component.h>
#include <win32/windows.h>

#include <algorithm>

namespace {

// Controls of released links whose window may still be in the middle of a
// message (the link usually goes while its control handles Enter): they are
// hidden at once and freed from the message loop. A control freed meanwhile
// (with the tree it sits on) is dropped from the list.
class TControlReleaser : public TComponent {
public:
    TControlReleaser() : TComponent(nullptr) {
        FWnd = AllocateHWnd([this](TMessage& Message) {
            if (Message.Msg == WM_USER) FreePending();
        });
    }
    ~TControlReleaser() override {
        FreePending();
        DeallocateHWnd(FWnd);
    }
    void Release(TWinControl* Control) {
        Control->FreeNotification(this);
        FPending.push_back(Control);
        PostMessageW(FWnd, WM_USER, 0, 0);
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove)
            FPending.erase(std::remove(FPending.begin(), FPending.end(), AComponent),
                           FPending.end());
    }

private:
    void FreePending() {
        std::vector<TWinControl*> doomed;
        doomed.swap(FPending);
        for (TWinControl* control : doomed) {
            control->RemoveFreeNotification(this);
            delete control;
        }
    }
    HWND FWnd = nullptr;
    std::vector<TWinControl*> FPending;
};

TControlReleaser* releaser = nullptr;

TControlReleaser* Releaser() {
    if (!releaser) releaser = new TControlReleaser;
    return releaser;
}

bool CtrlDown() {
    return GetKeyState(VK_CONTROL) < 0;
}

} // namespace

void FinalizeVTEditors() {
    delete releaser;
    releaser = nullptr;
}

// --- TTreeLink -------------------------------------------------------------------------------------

TTreeLink::TTreeLink(TCustomVirtualStringTree* Tree, TValidateEvent OnValidate)
    : FTree(Tree), FFont(new TFont), FOnValidate(std::move(OnValidate)) {}

TTreeLink::~TTreeLink() {
    if (FControl) {
        TWinControl* control = FControl;
        FControl = nullptr;
        if (control->HandleAllocated()) {
            ControlDestroying();
            ShowWindow(control->GetHandle(), SW_HIDE);
            Releaser()->Release(control);
        } else {
            delete control;
        }
    }
    delete FFont;
}

void TTreeLink::AfterConstruction() {
    FControl = CreateControl();
    FControl->SetVisible(false);
    FControl->SetParent(FTree);
    FControl->HandleNeeded();
    SetControlProperties();
}

HRESULT TTreeLink::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVTEditLink, ITreeControlLink>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TTreeLink::SetControlProperties() {
    if (FOnSetControlProperties) FOnSetControlProperties(FControl);
}

void TTreeLink::Subclass(HWND Wnd, std::function<void(TMessage&)> Method, WNDPROC& Instance,
                         WNDPROC& Previous) {
    if (!Wnd || Instance) return;
    Instance = MakeObjectInstance(std::move(Method));
    if (!Instance) return;
    Previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Instance)));
}

void TTreeLink::Unsubclass(HWND Wnd, WNDPROC& Instance, WNDPROC& Previous) {
    if (!Instance) return;
    if (Wnd && IsWindow(Wnd) &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC)) == Instance)
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Previous));
    FreeObjectInstance(Instance);
    Instance = nullptr;
}

void TTreeLink::ControlDestroying() {
    Unsubclass(FControlWnd, FControlInstance, FControlWndProc);
}

bool TTreeLink::PrepareEdit(TBaseVirtualTree* Tree, PVirtualNode Node, TColumnIndex Column) {
    if (!FControl) return false;
    FControlWnd = FControl->GetHandle();
    Subclass(FControlWnd, [this](TMessage& Message) { ControlWndProc(Message); },
             FControlInstance, FControlWndProc);
    FNode = Node;
    FColumn = Column;
    UnicodeString text;
    TRect r;
    FTree->GetTextInfo(Node, Column, FFont, r, text);
    FControl->SetFont(FFont);
    SetValue(text);
    FInitialValue = text;
    TVirtualTreeColumns* columns = FTree->GetHeader()->GetColumns();
    if (Column >= 0 && columns->IsValidColumn(Column))
        FAlignment = columns->GetItem(Column)->GetAlignment();
    else
        FAlignment = FTree->GetAlignment();
    (void)Tree;
    return true;
}

TRect TTreeLink::CellRect() {
    return FTree->GetDisplayRect(FNode, FColumn, false);
}

bool TTreeLink::BeginEdit() {
    if (!FControl) return false;
    FControl->SetBoundsRect(CellRect());
    FControl->Show();
    FControl->SetFocus();
    return true;
}

bool TTreeLink::EndEdit() {
    if (!ValueModified()) return true;
    const bool accepted = DoValidate(FTree, FNode, FColumn);
    if (accepted) FTree->SetText(FNode, FColumn, GetValue());
    return accepted;
}

bool TTreeLink::CancelEdit() {
    return true;
}

TRect TTreeLink::GetBounds() {
    return CellRect();
}

void TTreeLink::SetBounds(TRect) {
    if (FControl && FNode) FControl->SetBoundsRect(CellRect());
}

void TTreeLink::ProcessMessage(TMessage& Message) {
    if (FControl) FControl->GetWindowProc()(Message);
}

UnicodeString TTreeLink::GetValue() {
    return DoGetValue();
}

UnicodeString TTreeLink::DoGetValue() {
    if (!FControl || !FControl->HandleAllocated()) return {};
    return FControl->GetText();
}

void TTreeLink::SetValue(const UnicodeString& Value) {
    DoSetValue(Value);
}

void TTreeLink::DoSetValue(const UnicodeString& Value) {
    if (!FControl || !FControl->HandleAllocated()) return;
    if (FControl->GetText() != Value) FControl->SetText(Value);
}

bool TTreeLink::ValueModified() {
    // A change of letter case is a change: the user's edit is written.
    return GetValue() != FInitialValue;
}

bool TTreeLink::DoValidate(TBaseVirtualTree* Tree, PVirtualNode Node, TColumnIndex Column) {
    bool accept = true;
    UnicodeString text = GetValue();
    if (FOnValidate) FOnValidate(Tree, Node, Column, text, accept);
    SetValue(accept ? text : FInitialValue);
    return accept;
}

void TTreeLink::ReleaseControl() {
    if (FControl && FControl->HandleAllocated())
        PostMessageW(FControl->GetHandle(), CM_RELEASE, 0, 0);
}

IVTEditLink* TTreeLink::KeepAlive() {
    // A link on its way out (its last reference gone) is not revived.
    return GetRefCount() > 0 ? this : nullptr;
}

void TTreeLink::PassOn(TMessage& Message, HWND Wnd, WNDPROC Previous) {
    if (Previous)
        Message.Result = CallWindowProcW(Previous, Wnd, Message.Msg, Message.WParam, Message.LParam);
    else
        Message.Result = DefWindowProcW(Wnd, Message.Msg, Message.WParam, Message.LParam);
}

void TTreeLink::ControlWndProc(TMessage& Message) {
    // The tree may drop its reference while a key is handled here.
    InterfacePtr<IVTEditLink> keep(KeepAlive());
    const HWND wnd = FControlWnd;
    const WNDPROC previous = FControlWndProc;
    switch (Message.Msg) {
    case WM_DESTROY:
        ControlDestroying();
        PassOn(Message, wnd, previous);
        break;
    case WM_GETDLGCODE:
        break; // answered here; the control is not asked
    case WM_KEYDOWN:
        WMKeyDown(Message, wnd, previous);
        break;
    case WM_CHAR:
        WMChar(Message, wnd, previous);
        break;
    case CN_KEYDOWN:
        CNKeyDown(Message, wnd, previous);
        break;
    default:
        PassOn(Message, wnd, previous);
        break;
    }
}

void TTreeLink::WMKeyDown(TMessage& Message, HWND Wnd, WNDPROC Previous) {
    const bool multiLine = FNode && FNode->States.Contains(vsMultiline);
    switch (Message.WParam) {
    case VK_RETURN:
        if (!multiLine || CtrlDown()) {
            FTree->InvalidateNode(FNode);
            FTree->EndEditNode();
            if (FTree->CanFocus()) FTree->SetFocus();
            Message.Result = 0;
        }
        return; // never the control's
    case VK_ESCAPE:
        if (ValueModified()) SetValue(FInitialValue);
        if (FTree->CancelEditNode()) {
            if (FTree->CanFocus()) FTree->SetFocus();
            return;
        }
        PassOn(Message, Wnd, Previous);
        return;
    case VK_UP:
    case VK_DOWN: {
        if (multiLine) {
            PassOn(Message, Wnd, Previous);
            return;
        }
        PVirtualNode next = Message.WParam == VK_DOWN ? FTree->GetNextVisible(FNode)
                                                      : FTree->GetPreviousVisible(FNode);
        if (!next || !DoValidate(FTree, FNode, FColumn)) return;
        TCustomVirtualStringTree* tree = FTree;
        const WPARAM key = Message.WParam;
        const LPARAM data = Message.LParam;
        if (!tree->EndEditNode()) return;
        if (tree->CanFocus()) tree->SetFocus();
        SendMessageW(tree->GetHandle(), WM_KEYDOWN, key, data);
        return;
    }
    default:
        PassOn(Message, Wnd, Previous);
        return;
    }
}

void TTreeLink::WMChar(TMessage& Message, HWND Wnd, WNDPROC Previous) {
    if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && ValueModified()) {
        Message.Result = 0;
        return;
    }
    PassOn(Message, Wnd, Previous);
}

void TTreeLink::CNKeyDown(TMessage& Message, HWND Wnd, WNDPROC Previous) {
    if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && ValueModified()) {
        Message.Result = 0;
        return;
    }
    PassOn(Message, Wnd, Previous);
}

// --- TTreeEditLink ---------------------------------------------------------------------------------

HRESULT TTreeEditLink::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<ITreeEditLink>(this, iid, out)) return S_OK;
    return TTreeLink::QueryInterface(iid, out);
}

TWinControl* TTreeEditLink::CreateControl() {
    return new TEdit(nullptr);
}

bool TTreeEditLink::GetReadOnly() {
    return GetEdit()->GetReadOnly();
}

void TTreeEditLink::SetReadOnly(bool Value) {
    GetEdit()->SetReadOnly(Value);
}

void TTreeEditLink::DoSetValue(const UnicodeString& Value) {
    TTreeLink::DoSetValue(Value);
    if (FControl && FControl->HandleAllocated()) GetEdit()->SelectAll();
}

// --- TTreeButtonedEditLink -------------------------------------------------------------------------

HRESULT TTreeButtonedEditLink::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<ITreeButtonedEditLink>(this, iid, out)) return S_OK;
    return TTreeEditLink::QueryInterface(iid, out);
}

TWinControl* TTreeButtonedEditLink::CreateControl() {
    return new TButtonedEdit(nullptr);
}

void TTreeButtonedEditLink::SetControlProperties() {
    TTreeEditLink::SetControlProperties();
    TCustomButtonedEdit* edit = GetButtonedEdit();
    edit->GetRightButton()->SetVisible(true);
    edit->OnRightButtonClick = [this](TObject*) { ButtonClick(); };
}

TCustomImageList* TTreeButtonedEditLink::GetImages() {
    return GetButtonedEdit()->GetImages();
}

void TTreeButtonedEditLink::SetImages(TCustomImageList* Value) {
    GetButtonedEdit()->SetImages(Value);
}

int TTreeButtonedEditLink::GetRBIndex() {
    return GetButtonedEdit()->GetRightButton()->GetImageIndex();
}

void TTreeButtonedEditLink::SetRBIndex(int Value) {
    GetButtonedEdit()->GetRightButton()->SetImageIndex(Value);
}

void TTreeButtonedEditLink::ButtonClick() {
    if (!FOnButtonClick) return;
    InterfacePtr<IVTEditLink> keep(KeepAlive());
    UnicodeString text = GetValue();
    bool accept = false;
    FButtonClicked = true;
    try {
        FOnButtonClick(FTree, FNode, FColumn, text, accept);
    } catch (...) {
        FButtonClicked = false;
        throw;
    }
    FButtonClicked = false;
    if (accept) SetValue(text);
}

void TTreeButtonedEditLink::ControlWndProc(TMessage& Message) {
    InterfacePtr<IVTEditLink> keep(KeepAlive());
    TTreeEditLink::ControlWndProc(Message);
    // Leaving the edit ends editing, except for a dialog the button opened.
    if (Message.Msg == WM_KILLFOCUS && !FButtonClicked && FTree) {
        HWND to = reinterpret_cast<HWND>(Message.WParam);
        if (!to || !IsChild(FControlWnd, to)) FTree->EndEditNode();
    }
}

// --- Combo box links -------------------------------------------------------------------------------

TTreeCustomComboBoxLink::TTreeCustomComboBoxLink(TCustomVirtualStringTree* Tree,
                                                 TCustomComboBoxClass ComboClass,
                                                 TValidateEvent OnValidate)
    : TTreeLink(Tree, std::move(OnValidate)), FComboClass(std::move(ComboClass)) {}

TTreeCustomComboBoxLink::~TTreeCustomComboBoxLink() {
    // The inner edit first, then (in the base) the combo itself.
    Unsubclass(FEditWnd, FEditInstance, FEditWndProc);
}

HRESULT TTreeCustomComboBoxLink::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<ITreeComboBoxLink>(this, iid, out)) return S_OK;
    return TTreeLink::QueryInterface(iid, out);
}

TWinControl* TTreeCustomComboBoxLink::CreateControl() {
    return FComboClass ? FComboClass(nullptr) : new TComboBox(nullptr);
}

void TTreeCustomComboBoxLink::SetControlProperties() {
    TTreeLink::SetControlProperties();
    // Bound to the link; they have nothing to do.
    GetComboBox()->OnChange = [](TObject*) {};
    GetComboBox()->OnCloseUp = [](TObject*) {};
}

bool TTreeCustomComboBoxLink::PrepareEdit(TBaseVirtualTree* Tree, PVirtualNode Node,
                                          TColumnIndex Column) {
    if (!TTreeLink::PrepareEdit(Tree, Node, Column)) return false;
    if (GetEditable()) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        SendMessageW(FControlWnd, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&info));
        FEditWnd = info.hwndItem;
        Subclass(FEditWnd, [this](TMessage& Message) { EditWndProc(Message); }, FEditInstance,
                 FEditWndProc);
    }
    return true;
}

void TTreeCustomComboBoxLink::ControlDestroying() {
    Unsubclass(FEditWnd, FEditInstance, FEditWndProc);
    TTreeLink::ControlDestroying();
}

bool TTreeCustomComboBoxLink::GetEditable() {
    return GetComboBox()->GetStyle() == csDropDown;
}

void TTreeCustomComboBoxLink::SetEditable(bool Value) {
    GetComboBox()->SetStyle(Value ? csDropDown : csDropDownList);
}

TStrings* TTreeCustomComboBoxLink::GetValues() {
    return GetComboBox()->GetItems();
}

void TTreeCustomComboBoxLink::DoSetValue(const UnicodeString& Value) {
    TCustomComboBox* combo = GetComboBox();
    if (!combo || !combo->HandleAllocated()) return;
    if (GetEditable() && combo->GetText() != Value) combo->SetText(Value);
    const int index = combo->GetItems()->IndexOf(Value);
    if (index >= 0 && combo->GetItems()->Get(index) == Value) combo->SetItemIndex(index);
}

void TTreeCustomComboBoxLink::WMKeyDown(TMessage& Message, HWND Wnd, WNDPROC Previous) {
    TCustomComboBox* combo = GetComboBox();
    if (combo && combo->GetDroppedDown()) {
        if (Message.WParam == VK_RETURN) {
            PassOn(Message, Wnd, Previous); // the list takes its choice and closes
            if (combo->GetDroppedDown()) combo->SetDroppedDown(false);
            return;
        }
        PassOn(Message, Wnd, Previous);
        return;
    }
    TTreeLink::WMKeyDown(Message, Wnd, Previous);
}

void TTreeCustomComboBoxLink::CNKeyDown(TMessage& Message, HWND Wnd, WNDPROC Previous) {
    TCustomComboBox* combo = GetComboBox();
    if (combo && combo->GetDroppedDown()) {
        PassOn(Message, Wnd, Previous);
        return;
    }
    TTreeLink::CNKeyDown(Message, Wnd, Previous);
}

void TTreeCustomComboBoxLink::EditWndProc(TMessage& Message) {
    InterfacePtr<IVTEditLink> keep(KeepAlive());
    const HWND wnd = FEditWnd;
    const WNDPROC previous = FEditWndProc;
    switch (Message.Msg) {
    case WM_DESTROY:
        Unsubclass(FEditWnd, FEditInstance, FEditWndProc);
        PassOn(Message, wnd, previous);
        break;
    case WM_KEYDOWN:
        WMKeyDown(Message, wnd, previous);
        break;
    case WM_CHAR:
        WMChar(Message, wnd, previous);
        break;
    case CN_KEYDOWN:
        CNKeyDown(Message, wnd, previous);
        break;
    default:
        PassOn(Message, wnd, previous);
        break;
    }
}

TTreeComboBoxLink::TTreeComboBoxLink(TCustomVirtualStringTree* Tree,
                                     std::vector<UnicodeString> Strings, TValidateEvent OnValidate)
    : TTreeCustomComboBoxLink(Tree, nullptr, std::move(OnValidate)), FStrings(std::move(Strings)) {}

void TTreeComboBoxLink::SetControlProperties() {
    TTreeCustomComboBoxLink::SetControlProperties();
    TStrings* items = GetComboBox()->GetItems();
    items->BeginUpdate();
    for (const UnicodeString& s : FStrings) items->Add(s);
    items->EndUpdate();
    FStrings.clear();
}

TTreeHistoryPropComboBoxLink::TTreeHistoryPropComboBoxLink(TCustomVirtualStringTree* Tree,
                                                           TCustomHistoryManager* HistoryManager,
                                                           const UnicodeString& HistoryList,
                                                           TValidateEvent OnValidate)
    : TTreeCustomComboBoxLink(
          Tree, [](TComponent* AOwner) { return new THistoryPropComboBox(AOwner); },
          std::move(OnValidate)),
      FHistoryMgr(HistoryManager), FHistoryList(HistoryList) {}

TTreeHistoryPropComboBoxLink::~TTreeHistoryPropComboBoxLink() {
    // Each control of the manager merges its text into its list; without a
    // manager (or once it is gone) there is nothing to update.
    // The windows answer on their own from here: the link is going.
    ControlDestroying();
    auto* combo = dynamic_cast<THistoryPropComboBox*>(FControl);
    if (combo && combo->GetHistoryManager()) combo->GetHistoryManager()->UpdateHistoryLists(false);
}

void TTreeHistoryPropComboBoxLink::SetControlProperties() {
    TTreeCustomComboBoxLink::SetControlProperties();
    auto* combo = static_cast<THistoryPropComboBox*>(FControl);
    combo->SetHistoryManager(FHistoryMgr);
    combo->SetHistoryList(FHistoryList);
}
