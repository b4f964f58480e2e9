// The trees' accessible objects and the factory that hands them out.
#include "benchkit/vtree/IDEVTAccessibility.h"
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <runpak/Strings.h>
#include <win32/oleauto.h>
#include <win32/windows.h>

#include <algorithm>

// --- Factory -----------------------------------------------------------------------------------

namespace {

TVTAccessibilityFactory*& Factory() {
    static TVTAccessibilityFactory* factory = nullptr;
    return factory;
}

} // namespace

TVTAccessibilityFactory::~TVTAccessibilityFactory() = default;

InterfacePtr<IAccessible> TVTAccessibilityFactory::CreateIAccessible(TBaseVirtualTree* ATree) {
    InterfacePtr<IAccessible> result;
    if (!ATree) return result;
    if (!ATree->GetAccessible() && !FAccessibleProviders.empty()) {
        result.Attach(FAccessibleProviders.front()->CreateIAccessible(ATree));
        return result;
    }
    if (IAccessible* item = ATree->GetAccessibleItem()) return InterfacePtr<IAccessible>(item);
    if (FAccessibleProviders.empty()) return result;
    // Later providers first; the first provider has the last word.
    for (size_t i = FAccessibleProviders.size() - 1; i >= 1; --i) {
        result.Attach(FAccessibleProviders[i]->CreateIAccessible(ATree));
        if (result) return result;
    }
    result.Attach(FAccessibleProviders.front()->CreateIAccessible(ATree));
    return result;
}

void TVTAccessibilityFactory::RegisterAccessibleProvider(IVTAccessibleProvider* AProvider) {
    if (!AProvider) return;
    for (const auto& p : FAccessibleProviders)
        if (p.Get() == AProvider) return;
    FAccessibleProviders.emplace_back(AProvider);
}

void TVTAccessibilityFactory::UnRegisterAccessibleProvider(IVTAccessibleProvider* AProvider) {
    auto it = std::find_if(FAccessibleProviders.begin(), FAccessibleProviders.end(),
                           [&](const auto& p) { return p.Get() == AProvider; });
    if (it != FAccessibleProviders.end()) FAccessibleProviders.erase(it);
}

TVTAccessibilityFactory* GetAccessibilityFactory() {
    if (!Factory()) Factory() = new TVTAccessibilityFactory();
    return Factory();
}

void InitializeIDEVTAccessibilityFactory() {}

void FinalizeIDEVTAccessibilityFactory() {
    delete Factory();
    Factory() = nullptr;
}

// --- The common part -----------------------------------------------------------------------------

namespace {

bool IsSelf(const VARIANT& Child) {
    return (Child.vt == VT_I4 || Child.vt == VT_INT) && Child.lVal == CHILDID_SELF;
}

void SetI4(VARIANT* Out, LONG Value) {
    VariantInit(Out);
    Out->vt = VT_I4;
    Out->lVal = Value;
}

// Hands out a new reference to Object as IDispatch in Out.
void SetDispatch(VARIANT* Out, IAccessible* Object) {
    VariantInit(Out);
    if (!Object) return;
    Out->vt = VT_DISPATCH;
    Out->pdispVal = static_cast<IDispatch*>(Object);
    Object->AddRef();
}

HRESULT Text(BSTR* Out, const UnicodeString& Value) {
    *Out = Value.empty() ? nullptr
                         : SysAllocStringLen(reinterpret_cast<const OLECHAR*>(Value.c_str()),
                                             UINT(Value.size()));
    return Value.empty() ? S_FALSE : S_OK;
}

// The screen rectangle of R (client coordinates of the tree's window).
void ScreenPlace(TBaseVirtualTree* Tree, RECT R, LONG* Left, LONG* Top, LONG* Width, LONG* Height) {
    POINT origin{0, 0};
    ClientToScreen(Tree->GetHandle(), &origin);
    *Left = R.left + origin.x;
    *Top = R.top + origin.y;
    *Width = R.right - R.left;
    *Height = R.bottom - R.top;
}

} // namespace

HRESULT TVTAccessibleObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IAccessible, IDispatch>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

HRESULT TVTAccessibleObject::GetTypeInfoCount(UINT* pctinfo) noexcept {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT TVTAccessibleObject::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) noexcept {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT TVTAccessibleObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept {
    return E_NOTIMPL;
}

HRESULT TVTAccessibleObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                    UINT*) noexcept {
    return E_NOTIMPL;
}

HRESULT TVTAccessibleObject::get_accDescription(VARIANT, BSTR* pszDescription) noexcept {
    if (!pszDescription) return E_POINTER;
    *pszDescription = nullptr;
    return FVirtualTree ? S_FALSE : E_FAIL;
}

HRESULT TVTAccessibleObject::get_accHelp(VARIANT, BSTR* pszHelp) noexcept {
    if (!pszHelp) return E_POINTER;
    *pszHelp = nullptr;
    return FVirtualTree ? S_FALSE : E_FAIL;
}

HRESULT TVTAccessibleObject::get_accHelpTopic(BSTR* pszHelpFile, VARIANT, LONG* pidTopic) noexcept {
    if (pszHelpFile) *pszHelpFile = nullptr;
    if (pidTopic) *pidTopic = 0;
    return FVirtualTree ? S_FALSE : E_FAIL;
}

HRESULT TVTAccessibleObject::get_accKeyboardShortcut(VARIANT, BSTR* pszKeyboardShortcut) noexcept {
    if (!pszKeyboardShortcut) return E_POINTER;
    *pszKeyboardShortcut = nullptr;
    return FVirtualTree ? S_FALSE : E_FAIL;
}

HRESULT TVTAccessibleObject::get_accSelection(VARIANT* pvarChildren) noexcept {
    if (!pvarChildren) return E_POINTER;
    VariantInit(pvarChildren);
    return FVirtualTree ? S_FALSE : E_FAIL;
}

HRESULT TVTAccessibleObject::get_accDefaultAction(VARIANT, BSTR* pszDefaultAction) noexcept {
    if (!pszDefaultAction) return E_POINTER;
    *pszDefaultAction = nullptr;
    return FVirtualTree ? S_FALSE : E_FAIL;
}

HRESULT TVTAccessibleObject::accSelect(LONG, VARIANT) noexcept {
    return FVirtualTree ? DISP_E_MEMBERNOTFOUND : E_FAIL;
}

HRESULT TVTAccessibleObject::accNavigate(LONG, VARIANT, VARIANT* pvarEndUpAt) noexcept {
    if (pvarEndUpAt) VariantInit(pvarEndUpAt);
    return FVirtualTree ? DISP_E_MEMBERNOTFOUND : E_FAIL;
}

HRESULT TVTAccessibleObject::accDoDefaultAction(VARIANT) noexcept {
    return FVirtualTree ? DISP_E_MEMBERNOTFOUND : E_FAIL;
}

HRESULT TVTAccessibleObject::put_accName(VARIANT, BSTR) noexcept {
    return FVirtualTree ? DISP_E_MEMBERNOTFOUND : E_FAIL;
}

HRESULT TVTAccessibleObject::put_accValue(VARIANT, BSTR) noexcept {
    return FVirtualTree ? DISP_E_MEMBERNOTFOUND : E_FAIL;
}

// --- The tree --------------------------------------------------------------------------------------

HRESULT TVirtualTreeAccessibility::get_accParent(IDispatch** ppdispParent) noexcept {
    if (!ppdispParent) return E_POINTER;
    *ppdispParent = nullptr;
    // The window around the tree has no accessible object in this layer.
    return FVirtualTree ? S_FALSE : E_FAIL;
}

HRESULT TVirtualTreeAccessibility::get_accChildCount(LONG* pcountChildren) noexcept {
    if (!pcountChildren) return E_POINTER;
    *pcountChildren = 0;
    if (!FVirtualTree) return E_FAIL;
    *pcountChildren = FVirtualTree->GetFocusedNode() && FVirtualTree->GetAccessibleItem() ? 1 : 0;
    return S_OK;
}

HRESULT TVirtualTreeAccessibility::get_accChild(VARIANT varChild, IDispatch** ppdispChild) noexcept {
    if (!ppdispChild) return E_POINTER;
    *ppdispChild = nullptr;
    if (!FVirtualTree) return E_FAIL;
    IAccessible* item = FVirtualTree->GetAccessibleItem();
    if (varChild.vt != VT_I4 || varChild.lVal != 1 || !item || !FVirtualTree->GetFocusedNode())
        return E_INVALIDARG;
    *ppdispChild = static_cast<IDispatch*>(item);
    item->AddRef();
    return S_OK;
}

HRESULT TVirtualTreeAccessibility::get_accName(VARIANT varChild, BSTR* pszName) noexcept {
    if (!pszName) return E_POINTER;
    *pszName = nullptr;
    if (!FVirtualTree) return E_FAIL;
    if (!IsSelf(varChild)) return E_INVALIDARG;
    return Text(pszName, FVirtualTree->GetName());
}

HRESULT TVirtualTreeAccessibility::get_accValue(VARIANT varChild, BSTR* pszValue) noexcept {
    if (!pszValue) return E_POINTER;
    *pszValue = nullptr;
    if (!FVirtualTree) return E_FAIL;
    return IsSelf(varChild) ? S_FALSE : E_INVALIDARG;
}

HRESULT TVirtualTreeAccessibility::get_accRole(VARIANT varChild, VARIANT* pvarRole) noexcept {
    if (!pvarRole) return E_POINTER;
    VariantInit(pvarRole);
    if (!FVirtualTree) return E_FAIL;
    if (!IsSelf(varChild)) return E_INVALIDARG;
    SetI4(pvarRole, ROLE_SYSTEM_OUTLINE);
    return S_OK;
}

HRESULT TVirtualTreeAccessibility::get_accState(VARIANT varChild, VARIANT* pvarState) noexcept {
    if (!pvarState) return E_POINTER;
    VariantInit(pvarState);
    if (!FVirtualTree) return E_FAIL;
    if (!IsSelf(varChild)) return E_INVALIDARG;
    LONG state = STATE_SYSTEM_FOCUSABLE;
    if (FVirtualTree->Focused()) state |= STATE_SYSTEM_FOCUSED;
    if (!FVirtualTree->GetEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
    if (!static_cast<TControl*>(FVirtualTree)->GetVisible()) state |= STATE_SYSTEM_INVISIBLE;
    if (FVirtualTree->GetTreeOptions()->GetSelectionOptions().Contains(toMultiSelect))
        state |= STATE_SYSTEM_MULTISELECTABLE;
    SetI4(pvarState, state);
    return S_OK;
}

HRESULT TVirtualTreeAccessibility::get_accFocus(VARIANT* pvarChild) noexcept {
    if (!pvarChild) return E_POINTER;
    VariantInit(pvarChild);
    if (!FVirtualTree) return E_FAIL;
    if (!FVirtualTree->Focused()) return S_FALSE;
    if (FVirtualTree->GetFocusedNode() && FVirtualTree->GetAccessibleItem())
        SetDispatch(pvarChild, FVirtualTree->GetAccessibleItem());
    else
        SetI4(pvarChild, CHILDID_SELF);
    return S_OK;
}

HRESULT TVirtualTreeAccessibility::accLocation(LONG* pxLeft, LONG* pyTop, LONG* pcxWidth,
                                               LONG* pcyHeight, VARIANT varChild) noexcept {
    if (!pxLeft || !pyTop || !pcxWidth || !pcyHeight) return E_POINTER;
    if (!FVirtualTree) return E_FAIL;
    if (!IsSelf(varChild)) return E_INVALIDARG;
    if (!FVirtualTree->HandleAllocated()) return S_FALSE;
    ScreenPlace(FVirtualTree, FVirtualTree->GetClientRect(), pxLeft, pyTop, pcxWidth, pcyHeight);
    return S_OK;
}

HRESULT TVirtualTreeAccessibility::accHitTest(LONG xLeft, LONG yTop, VARIANT* pvarChild) noexcept {
    if (!pvarChild) return E_POINTER;
    VariantInit(pvarChild);
    if (!FVirtualTree) return E_FAIL;
    if (!FVirtualTree->HandleAllocated()) return S_FALSE;
    POINT p{xLeft, yTop};
    ScreenToClient(FVirtualTree->GetHandle(), &p);
    const TRect client = FVirtualTree->GetClientRect();
    if (!PtInRect(&client, p)) return S_FALSE;
    // Over the focused node: its item object; elsewhere the tree.
    PVirtualNode focused = FVirtualTree->GetFocusedNode();
    IAccessible* item = FVirtualTree->GetAccessibleItem();
    if (focused && item) {
        const TRect row = FVirtualTree->GetDisplayRect(focused, NoColumn, false);
        if (PtInRect(&row, p)) {
            SetDispatch(pvarChild, item);
            return S_OK;
        }
    }
    SetI4(pvarChild, CHILDID_SELF);
    return S_OK;
}

// --- The focused node ---------------------------------------------------------------------------------

HRESULT TVirtualTreeItemAccessibility::get_accParent(IDispatch** ppdispParent) noexcept {
    if (!ppdispParent) return E_POINTER;
    *ppdispParent = nullptr;
    if (!FVirtualTree) return E_FAIL;
    IAccessible* tree = FVirtualTree->GetAccessible();
    if (!tree) return S_FALSE;
    *ppdispParent = static_cast<IDispatch*>(tree);
    tree->AddRef();
    return S_OK;
}

HRESULT TVirtualTreeItemAccessibility::get_accChildCount(LONG* pcountChildren) noexcept {
    if (!pcountChildren) return E_POINTER;
    *pcountChildren = 0;
    return FVirtualTree ? S_OK : E_FAIL;
}

HRESULT TVirtualTreeItemAccessibility::get_accChild(VARIANT, IDispatch** ppdispChild) noexcept {
    if (!ppdispChild) return E_POINTER;
    *ppdispChild = nullptr;
    return FVirtualTree ? E_INVALIDARG : E_FAIL;
}

HRESULT TVirtualTreeItemAccessibility::get_accName(VARIANT varChild, BSTR* pszName) noexcept {
    if (!pszName) return E_POINTER;
    *pszName = nullptr;
    if (!FVirtualTree) return E_FAIL;
    if (!IsSelf(varChild)) return E_INVALIDARG;
    PVirtualNode node = FVirtualTree->GetFocusedNode();
    if (!node) return S_FALSE;
    try {
        TRect r;
        UnicodeString text;
        FVirtualTree->GetTextInfo(node, FVirtualTree->GetFocusedColumn(), nullptr, r, text);
        return Text(pszName, text);
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVirtualTreeItemAccessibility::get_accValue(VARIANT varChild, BSTR* pszValue) noexcept {
    if (!pszValue) return E_POINTER;
    *pszValue = nullptr;
    if (!FVirtualTree) return E_FAIL;
    if (!IsSelf(varChild)) return E_INVALIDARG;
    PVirtualNode node = FVirtualTree->GetFocusedNode();
    if (!node) return S_FALSE;
    // An outline item's value is its level.
    return Text(pszValue, IntToStr(int(FVirtualTree->GetNodeLevel(node))));
}

HRESULT TVirtualTreeItemAccessibility::get_accRole(VARIANT varChild, VARIANT* pvarRole) noexcept {
    if (!pvarRole) return E_POINTER;
    VariantInit(pvarRole);
    if (!FVirtualTree) return E_FAIL;
    if (!IsSelf(varChild)) return E_INVALIDARG;
    SetI4(pvarRole, ROLE_SYSTEM_OUTLINEITEM);
    return S_OK;
}

HRESULT TVirtualTreeItemAccessibility::get_accState(VARIANT varChild, VARIANT* pvarState) noexcept {
    if (!pvarState) return E_POINTER;
    VariantInit(pvarState);
    if (!FVirtualTree) return E_FAIL;
    if (!IsSelf(varChild)) return E_INVALIDARG;
    PVirtualNode node = FVirtualTree->GetFocusedNode();
    if (!node) {
        SetI4(pvarState, STATE_SYSTEM_INVISIBLE);
        return S_OK;
    }
    LONG state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (FVirtualTree->Focused()) state |= STATE_SYSTEM_FOCUSED;
    if (node->States.Contains(vsSelected)) state |= STATE_SYSTEM_SELECTED;
    if (node->States.Contains(vsDisabled)) state |= STATE_SYSTEM_UNAVAILABLE;
    if (node->States.Contains(vsHasChildren))
        state |= node->States.Contains(vsExpanded) ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    switch (FVirtualTree->GetCheckState(node)) {
    case csCheckedNormal:
    case csCheckedPressed:
        state |= STATE_SYSTEM_CHECKED;
        break;
    case csMixedNormal:
    case csMixedPressed:
        state |= STATE_SYSTEM_MIXED;
        break;
    default:
        break;
    }
    if (!FVirtualTree->GetFullyVisible(node)) state |= STATE_SYSTEM_INVISIBLE;
    SetI4(pvarState, state);
    return S_OK;
}

HRESULT TVirtualTreeItemAccessibility::get_accFocus(VARIANT* pvarChild) noexcept {
    if (!pvarChild) return E_POINTER;
    VariantInit(pvarChild);
    if (!FVirtualTree) return E_FAIL;
    if (!FVirtualTree->Focused() || !FVirtualTree->GetFocusedNode()) return S_FALSE;
    SetI4(pvarChild, CHILDID_SELF);
    return S_OK;
}

HRESULT TVirtualTreeItemAccessibility::accLocation(LONG* pxLeft, LONG* pyTop, LONG* pcxWidth,
                                                   LONG* pcyHeight, VARIANT varChild) noexcept {
    if (!pxLeft || !pyTop || !pcxWidth || !pcyHeight) return E_POINTER;
    if (!FVirtualTree) return E_FAIL;
    if (!IsSelf(varChild)) return E_INVALIDARG;
    PVirtualNode node = FVirtualTree->GetFocusedNode();
    if (!node || !FVirtualTree->HandleAllocated()) return S_FALSE;
    try {
        const TRect row = FVirtualTree->GetDisplayRect(node, NoColumn, false);
        ScreenPlace(FVirtualTree, row, pxLeft, pyTop, pcxWidth, pcyHeight);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TVirtualTreeItemAccessibility::accHitTest(LONG xLeft, LONG yTop, VARIANT* pvarChild) noexcept {
    if (!pvarChild) return E_POINTER;
    VariantInit(pvarChild);
    if (!FVirtualTree) return E_FAIL;
    LONG left = 0, top = 0, width = 0, height = 0;
    VARIANT self;
    SetI4(&self, CHILDID_SELF);
    if (accLocation(&left, &top, &width, &height, self) != S_OK) return S_FALSE;
    if (xLeft < left || xLeft >= left + width || yTop < top || yTop >= top + height) return S_FALSE;
    SetI4(pvarChild, CHILDID_SELF);
    return S_OK;
}

// --- Providers --------------------------------------------------------------------------------------

HRESULT TVTDefaultAccessibleProvider::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVTAccessibleProvider>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

IAccessible* TVTDefaultAccessibleProvider::CreateIAccessible(TBaseVirtualTree* ATree) {
    if (!ATree) return nullptr;
    IAccessible* made = new TVirtualTreeAccessibility(ATree);
    made->AddRef();
    return made;
}

HRESULT TVTDefaultAccessibleItemProvider::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IVTAccessibleProvider>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

IAccessible* TVTDefaultAccessibleItemProvider::CreateIAccessible(TBaseVirtualTree* ATree) {
    if (!ATree || !ATree->GetAccessible()) return nullptr;
    IAccessible* made = new TVirtualTreeItemAccessibility(ATree);
    made->AddRef();
    return made;
}

// --- Unit ------------------------------------------------------------------------------------------------

namespace {

struct TDefaultProviders {
    InterfacePtr<IVTAccessibleProvider> Tree, Item;
};

TDefaultProviders& Defaults() {
    static TDefaultProviders providers;
    return providers;
}

} // namespace

void InitializeIDEVTAccessibility() {
    TDefaultProviders& d = Defaults();
    if (!d.Tree) d.Tree = InterfacePtr<IVTAccessibleProvider>(new TVTDefaultAccessibleProvider);
    if (!d.Item) d.Item = InterfacePtr<IVTAccessibleProvider>(new TVTDefaultAccessibleItemProvider);
    GetAccessibilityFactory()->RegisterAccessibleProvider(d.Tree.Get());
    GetAccessibilityFactory()->RegisterAccessibleProvider(d.Item.Get());
}

void FinalizeIDEVTAccessibility() {
    TDefaultProviders& d = Defaults();
    if (Factory()) {
        Factory()->UnRegisterAccessibleProvider(d.Tree.Get());
        Factory()->UnRegisterAccessibleProvider(d.Item.Get());
    }
    d.Tree.Reset();
    d.Item.Reset();
}
