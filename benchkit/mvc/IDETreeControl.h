// The tree view made ready for forms: it brings its own tree model, its
// selections, a painter and an editor for text items, and is itself a
// writable graph model that delegates to its model.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDETreeView.h"

class TChangeLink;
class TCustomImageList;
class TStrings;

using TDropFilesEvent = std::function<void(TObject* Sender, TStrings* Files)>;
using THintShowEvent = std::function<void(TObject* Sender, THintInfo& HintInfo, bool& CanShow)>;

class TCustomTreeControl : public TTreeView2, public IWritableGraphModel {
public:
    explicit TCustomTreeControl(TComponent* AOwner);
    ~TCustomTreeControl() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TTreeView2::AddRef(); }
    ULONG Release() noexcept override { return TTreeView2::Release(); }

    // The control's own model interface is refused ("Recursive model").
    void SetModel(IGraphModel* Model) override;
    InterfacePtr<IGraphModel> GetModel() override { return TTreeView2::GetModel(); }
    virtual void SetupViewers();
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* GetStateImages() const { return FStateImages; }
    void SetStateImages(TCustomImageList* Value);
    bool GetEnableDropFiles() const { return FEnableDropFiles; }
    // Files dropped on the window arrive as OnDropFiles.
    void SetEnableDropFiles(bool Value);

    TDropFilesEvent OnDropFiles;
    THintShowEvent OnHintShow;

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
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateWnd() override;
    void WndProc(TMessage& Message) override;
    void WMDropFiles(TMessage& Message);
    // The control keeps its pair editor across edits, so an edit of a
    // text-and-index item keeps the index.
    void RenewEditor() override {}

    TChangeLink* FImageChangeLink;
    TChangeLink* FStateChangeLink;
    TCustomImageList* FImages = nullptr;      // not owned
    TCustomImageList* FStateImages = nullptr; // not owned
    bool FEnableDropFiles = false;
};

class TTreeControl : public TCustomTreeControl {
public:
    using TCustomTreeControl::TCustomTreeControl;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
