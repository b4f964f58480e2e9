// The IDEVTAccessibility unit: the trees' default accessible objects. A
// tree is an outline; its item object stands for the focused node, whatever
// node that is when it is asked. Both answer only while their tree exists.
// The unit's start-up registers their providers with the factory.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/vtree/IDEVTAccessibilityFactory.h"

class TBaseVirtualTree;

// The common part of the two objects: IDispatch without type information,
// and the link to the tree, cut when the tree goes.
class TVTAccessibleObject : public TInterfacedObject, public IAccessible {
public:
    explicit TVTAccessibleObject(TBaseVirtualTree* ATree) : FVirtualTree(ATree) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    TBaseVirtualTree* GetVirtualTree() const { return FVirtualTree; }
    // The tree is going: every later call fails with E_FAIL.
    void Disconnect() { FVirtualTree = nullptr; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID,
                                            DISPID*) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override;

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT varChild, BSTR* pszDescription) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT varChild, BSTR* pszHelp) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild,
                                               LONG* pidTopic) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT varChild,
                                                      BSTR* pszKeyboardShortcut) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* pvarChildren) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT varChild,
                                                   BSTR* pszDefaultAction) noexcept override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flagsSelect, VARIANT varChild) noexcept override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG navDir, VARIANT varStart,
                                          VARIANT* pvarEndUpAt) noexcept override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT varChild) noexcept override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT varChild, BSTR szName) noexcept override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT varChild, BSTR szValue) noexcept override;

protected:
    TBaseVirtualTree* FVirtualTree;
};

// The tree as an outline: its child is the item object.
class TVirtualTreeAccessibility : public TVTAccessibleObject {
public:
    using TVTAccessibleObject::TVTAccessibleObject;
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** ppdispParent) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* pcountChildren) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT varChild, IDispatch** ppdispChild) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT varChild, BSTR* pszName) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT varChild, BSTR* pszValue) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT varChild, VARIANT* pvarRole) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT varChild, VARIANT* pvarState) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* pvarChild) noexcept override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* pxLeft, LONG* pyTop, LONG* pcxWidth,
                                          LONG* pcyHeight, VARIANT varChild) noexcept override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG xLeft, LONG yTop, VARIANT* pvarChild) noexcept override;
};

// The focused node: its text in the focused column, its level as value,
// its selection, expansion and check state.
class TVirtualTreeItemAccessibility : public TVTAccessibleObject {
public:
    using TVTAccessibleObject::TVTAccessibleObject;
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** ppdispParent) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* pcountChildren) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT varChild, IDispatch** ppdispChild) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT varChild, BSTR* pszName) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT varChild, BSTR* pszValue) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT varChild, VARIANT* pvarRole) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT varChild, VARIANT* pvarState) noexcept override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* pvarChild) noexcept override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* pxLeft, LONG* pyTop, LONG* pcxWidth,
                                          LONG* pcyHeight, VARIANT varChild) noexcept override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG xLeft, LONG yTop, VARIANT* pvarChild) noexcept override;
};

// The providers the unit registers: the first makes a tree's own object,
// the second its item object (only once the tree has its own).
class TVTDefaultAccessibleProvider : public TInterfacedObject, public IVTAccessibleProvider {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    IAccessible* CreateIAccessible(TBaseVirtualTree* ATree) override;
};

class TVTDefaultAccessibleItemProvider : public TInterfacedObject, public IVTAccessibleProvider {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    IAccessible* CreateIAccessible(TBaseVirtualTree* ATree) override;
};

void InitializeIDEVTAccessibility();
void FinalizeIDEVTAccessibility();

#pragma GCC visibility pop
