// Views: what a view shows (its model), how (its view manager), where the
// keyboard focus is (its subfocus) and what is selected.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDESelection.h"
#include "benchkit/mvc/IDESubfocus.h"
#include "benchkit/mvc/IDEViewManager.h"

struct IGraphView : virtual IInterface {
    static constexpr InterfaceID<IGraphView> IID_{"{BE4B2031-FEF2-11D0-AE8B-0020AF32BB01}"};
    virtual InterfacePtr<IGraphModel> GetModel() = 0;
    virtual void SetModel(IGraphModel* Model) = 0;
    // The model as writable, nil when it is read-only.
    virtual InterfacePtr<IWritableGraphModel> GetWriteModel() = 0;
    virtual void AddModelListener(IGraphModelListener* Listener) = 0;
    virtual void RemoveModelListener(IGraphModelListener* Listener) = 0;
    virtual bool IsReadOnly() = 0;
    virtual void SetReadOnly(bool ReadOnly) = 0;
    virtual InterfacePtr<IGraphViewManager> GetViewManager() = 0;
    virtual void SetViewManager(IGraphViewManager* ViewManager) = 0;
    virtual InterfacePtr<IGraphLocation> GetSubfocus() = 0;
    virtual void SetSubfocus(IGraphLocation* Location) = 0;
    virtual void AddSubfocusListener(IGraphSubfocusListener* Listener) = 0;
    virtual void RemoveSubfocusListener(IGraphSubfocusListener* Listener) = 0;
    virtual InterfacePtr<IWritableGraphSelection> GetSelection() = 0;
    virtual void SetSelection(IWritableGraphSelection* Selection) = 0;
    virtual void AddSelectionListener(IGraphSelectionListener* Listener) = 0;
    virtual void RemoveSelectionListener(IGraphSelectionListener* Listener) = 0;

protected:
    ~IGraphView() = default;
};

// Declared for views of one item; nothing implements it.
struct ISingletonView : virtual IInterface {
    static constexpr InterfaceID<ISingletonView> IID_{"{AB3EB0C0-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual InterfacePtr<ISingletonModel> GetModel() = 0;
    virtual void SetModel(ISingletonModel* Model) = 0;
    virtual InterfacePtr<IWritableSingletonModel> GetWriteModel() = 0;
    virtual void AddModelListener(ISingletonModelListener* Listener) = 0;
    virtual void RemoveModelListener(ISingletonModelListener* Listener) = 0;
    virtual bool IsReadOnly() = 0;
    virtual void SetReadOnly(bool ReadOnly) = 0;
    virtual InterfacePtr<ISingletonViewManager> GetViewManager() = 0;
    virtual void SetViewManager(ISingletonViewManager* ViewManager) = 0;

protected:
    ~ISingletonView() = default;
};

// Declared for list views; nothing implements it.
struct IVectorView : virtual IInterface {
    static constexpr InterfaceID<IVectorView> IID_{"{EBDF7DD2-F955-11D0-9AD3-0000C0091B45}"};
    virtual InterfacePtr<IVectorModel> GetModel() = 0;
    virtual void SetModel(IVectorModel* Model) = 0;
    virtual InterfacePtr<IWritableVectorModel> GetWriteModel() = 0;
    virtual void AddModelListener(IVectorModelListener* Listener) = 0;
    virtual void RemoveModelListener(IVectorModelListener* Listener) = 0;
    virtual bool IsReadOnly() = 0;
    virtual void SetReadOnly(bool ReadOnly) = 0;
    virtual InterfacePtr<IVectorViewManager> GetViewManager() = 0;
    virtual void SetViewManager(IVectorViewManager* ViewManager) = 0;
    virtual int GetSubfocus() = 0;
    virtual void SetSubfocus(int Location) = 0;
    virtual void AddSubfocusListener(IVectorSubfocusListener* Listener) = 0;
    virtual void RemoveSubfocusListener(IVectorSubfocusListener* Listener) = 0;
    virtual InterfacePtr<IWritableVectorSelection> GetSelection() = 0;
    virtual void SetSelection(IWritableVectorSelection* Selection) = 0;
    virtual void AddSelectionListener(IVectorSelectionListener* Listener) = 0;
    virtual void RemoveSelectionListener(IVectorSelectionListener* Listener) = 0;

protected:
    ~IVectorView() = default;
};

#pragma GCC visibility pop
