// Item editors edit one item in place: a view starts one on an item's data
// inside a rectangle, may move it, asks whether the edit can be posted,
// reads the new value and ends it. A one-line text editor (a peer text
// field), a variant that widens while the user types, an editor over the
// two parts of a composite painter, and one for a half of a pair.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEItemPainters.h"
#include "benchkit/mvc/IDEPeer.h"

class TTextItemEditor : public TTextField, public IItemEditor {
public:
    // Takes Margins over and frees it: an editor has no margins.
    TTextItemEditor(TAlignmentSet Alignment, TInsets* Margins, TItemFormatter* Formatter);
    TTextItemEditor(TAlignmentSet Alignment, TInsets* Margins)
        : TTextItemEditor(Alignment, Margins, nullptr) {}
    explicit TTextItemEditor(TAlignmentSet Alignment)
        : TTextItemEditor(Alignment, new TInsets(1, 1, 1, 1)) {}
    TTextItemEditor() : TTextItemEditor(TAlignmentSet{aLeft}) {}
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG AddRef() noexcept override { return TTextField::AddRef(); }
    ULONG Release() noexcept override { return TTextField::Release(); }

    InterfacePtr<IInterface> GetValue() override;
    TKomponent* GetComponent() override { return this; }
    void StartEdit(IInterface* Value, const TRectangle& Bounds, IItemEditSite* Site) override;
    void ChangeBounds(const TRectangle& Bounds) override;
    bool CanPost() override { return true; }
    void EndEdit(bool Posted) override {}
    void AddKeyListener(IKeyListener* L) override { TTextField::AddKeyListener(L); }
    void RemoveKeyListener(IKeyListener* L) override { TTextField::RemoveKeyListener(L); }

protected:
    TItemFormatter* FItemFormatter; // not owned
    TAlignmentSet FAlignment;
    int32_t FStartPosition = 0;
};

// Grows with its text beyond its starting width, never past the visible
// right edge of its host, and back down to its starting width.
class TExpandingTextItemEditor : public TTextItemEditor {
public:
    using TTextItemEditor::TTextItemEditor;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int32_t GetHMargin() const { return FHMargin; }
    void SetHMargin(int32_t Value) { FHMargin = Value; }
    void StartEdit(IInterface* Value, const TRectangle& Bounds, IItemEditSite* Site) override;
    virtual void ResizeComponent();
    virtual TRectangle GetHostBounds();

protected:
    void ProcessKeyEvent(IKeyEvent* E) override;

    int32_t FHMargin = 5;
    TRectangle FStartRect{};
};

// Two editors over the two rectangles of a composite painter (not owned);
// the click that started the edit chooses the part.
class TCompositeItemEditor : public TInterfacedObject, public IItemEditor {
public:
    TCompositeItemEditor(TCompositeItemPainter* Painter, IItemEditor* FirstEditor,
                         IItemEditor* SecondEditor);
    TCompositeItemEditor(TCompositeItemPainter* Painter, IItemEditor* FirstEditor,
                         IItemEditor* SecondEditor, int32_t DefaultEditor);

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int32_t GetDefaultEditor() const { return FDefaultEditor; }
    // 1 or 2; anything else is EIllegalArgumentException.
    void SetDefaultEditor(int32_t Value);
    int32_t GetActiveEditor() const { return FActiveEditor; }

    InterfacePtr<IInterface> GetValue() override;
    TKomponent* GetComponent() override;
    void StartEdit(IInterface* Value, const TRectangle& Bounds, IItemEditSite* Site) override;
    void ChangeBounds(const TRectangle& Bounds) override;
    bool CanPost() override;
    void EndEdit(bool Posted) override;
    void AddKeyListener(IKeyListener* L) override { FKeyMulticaster->Add(L); }
    void RemoveKeyListener(IKeyListener* L) override { FKeyMulticaster->Remove(L); }
    // 1 when the point lies in Rect1, 2 in Rect2, else 0.
    int32_t HitTest(POINT ClickPoint, const TRectangle& Rect1, const TRectangle& Rect2);

private:
    IItemEditor* Editor(int32_t N) const;
    void Rects(const TRectangle& Bounds, TRectangle& R1, TRectangle& R2);

    TCompositeItemPainter* FPainter;
    InterfacePtr<IItemEditor> FEditor1, FEditor2;
    InterfacePtr<TKeyMulticaster> FKeyMulticaster;
    int32_t FDefaultEditor = 0;
    int32_t FActiveEditor = 0;
    InterfacePtr<IInterface> FData;
    InterfacePtr<IItemEditSite> FSite;
};

// Edits one half of pair-shaped data (PairItem 1 the first, 2 the second).
class TPairItemEditor : public TInterfacedObject, public IItemEditor {
public:
    TPairItemEditor(IItemEditor* Editor, int32_t PairItem);

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    InterfacePtr<IItemEditor> GetEditor() const { return FEditor; }
    InterfacePtr<IInterface> GetValue() override;
    TKomponent* GetComponent() override { return FEditor ? FEditor->GetComponent() : nullptr; }
    void StartEdit(IInterface* Value, const TRectangle& Bounds, IItemEditSite* Site) override;
    void ChangeBounds(const TRectangle& Bounds) override {
        if (FEditor) FEditor->ChangeBounds(Bounds);
    }
    bool CanPost() override { return FEditor && FEditor->CanPost(); }
    void EndEdit(bool Posted) override;
    void AddKeyListener(IKeyListener* L) override {
        if (FEditor) FEditor->AddKeyListener(L);
    }
    void RemoveKeyListener(IKeyListener* L) override {
        if (FEditor) FEditor->RemoveKeyListener(L);
    }

private:
    InterfacePtr<IItemEditor> FEditor;
    int32_t FPairItem;
    InterfacePtr<IPair> FPair;
};

#pragma GCC visibility pop
