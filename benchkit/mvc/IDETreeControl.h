// The tree view made ready for forms: it brings its own tree model, its
// selections, a painter and an editor for text items, and is itself a
// writable graph model that delegates to its model.
#pragma once

#include "benchkit/mvc/IDETreeView.h"

class TCustomTreeControl : public TTreeView2, public IWritableGraphModel {
public:
    explicit TCustomTreeControl(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TTreeView2::AddRef(); }
    ULONG Release() noexcept override { return TTreeView2::Release(); }

    // The control's own model interface is refused ("Recursive model").
    void SetModel(IGraphModel* Model) override;
    InterfacePtr<IGraphModel> GetModel() override { return TTreeView2::GetModel(); }
    virtual void SetupViewers();

    // --- The model interface, delegated (nil answers without a model or
    // while read-only) ---
    InterfacePtr<IGraphLocation> GetRoot() override;
    InterfacePtr<IInterface> Get(IGraphLocation* Location) override;
    InterfacePtr<IGraphLocation> Find(IInterface* Data) override;
    void AddModelListener(IGraphModelListener* L) override { TTreeView2::AddModelListener(L); }
    void RemoveModelListener(IGraphModelListener* L) override {
        TTreeView2::RemoveModelListener(L);
    }
    InterfacePtr<IGraphLocation> SetRoot(IInterface* Data) override;
    bool CanModify(IGraphLocation* Location) override;
    void Put(IGraphLocation* Location, IInterface* Data) override;
    void Touched(IGraphLocation* Location) override;
    bool IsVariableSize() override;
    InterfacePtr<IGraphLocation> AddChild(IGraphLocation* Parent, IInterface* Data) override;
    InterfacePtr<IGraphLocation> InsertChild(IGraphLocation* Parent, IGraphLocation* AheadOf,
                                             IInterface* Data) override;
    void RemoveChildren(IGraphLocation* Parent) override;
    void Remove(IGraphLocation* Location) override;
    void RemoveAll() override;
    void EnableModelEvents(bool Enable) override;

protected:
    // The control keeps its pair editor across edits, so an edit of a
    // text-and-index item keeps the index.
    void RenewEditor() override {}
};

class TTreeControl : public TCustomTreeControl {
public:
    using TCustomTreeControl::TCustomTreeControl;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};
