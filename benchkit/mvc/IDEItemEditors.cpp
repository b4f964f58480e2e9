#include "benchkit/mvc/IDEItemEditors.h"

#include <quorlpak/Font.h>
#include <runpak/TypeInfo.h>

#include <algorithm>

// --- TTextItemEditor --------------------------------------------------------------------------

TTextItemEditor::TTextItemEditor(TAlignmentSet Alignment, TInsets* Margins,
                                 TItemFormatter* Formatter)
    : TTextField(nullptr), FItemFormatter(Formatter), FAlignment(Alignment) {
    delete Margins;
    SetParentCtl3D(false);
}

TClass TTextItemEditor::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTextItemEditor>(u"TTextItemEditor", TTextField::StaticClass()));
    return &meta;
}

HRESULT TTextItemEditor::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IItemEditor>(this, iid, out)) return S_OK;
    return TTextField::QueryInterface(iid, out);
}

void TTextItemEditor::StartEdit(IInterface* Value, const TRectangle& Bounds,
                                IItemEditSite* Site) {
    UnicodeString text;
    if (Value) {
        try {
            if (FItemFormatter) text = FItemFormatter->Format(Value);
            else if (InterfacePtr<IEditStringObject> edit; Supports(Value, edit))
                text = edit->GetEditString();
            else
                text = InterfaceCast<IStringObject>(Value)->GetString();
        } catch (const EInvalidFormatException&) {
            SetText(UnicodeString());
            throw;
        }
    }
    SetText(text);
    if (Site) {
        SetColor(Site->GetBackground());
        if (TFont* font = Site->GetFont()) GetFont()->Assign(font);
        GetFont()->SetColor(Site->GetForeground());
        Site->GetEditClickPoint();
    }
    SetBounds(Bounds.Left, Bounds.Top, Bounds.Width, Bounds.Height);
    SetVisible(true);
    if (!text.empty()) SelectAll();
    // A field that is not on screen yet cannot take the focus; the view
    // passes it on once it shows the field.
    if (CanFocus()) RequestFocus();
    FStartPosition = int32_t(text.length());
}

void TTextItemEditor::ChangeBounds(const TRectangle& Bounds) {
    SetBounds(Bounds.Left, Bounds.Top, Bounds.Width, Bounds.Height);
}

InterfacePtr<IInterface> TTextItemEditor::GetValue() {
    if (!FItemFormatter)
        return InterfacePtr<IInterface>(static_cast<IStringObject*>(new TTextObject(GetText())));
    return FItemFormatter->Parse(GetText());
}

// --- TExpandingTextItemEditor -----------------------------------------------------------------

TClass TExpandingTextItemEditor::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TExpandingTextItemEditor>(
        u"TExpandingTextItemEditor", TTextItemEditor::StaticClass()));
    return &meta;
}

void TExpandingTextItemEditor::StartEdit(IInterface* Value, const TRectangle& Bounds,
                                         IItemEditSite* Site) {
    TRectangle widened = Bounds;
    widened.Width += FHMargin;
    FStartRect = widened;
    TTextItemEditor::StartEdit(Value, widened, Site);
    ResizeComponent();
    Select(0, FStartPosition);
}

void TExpandingTextItemEditor::ProcessKeyEvent(IKeyEvent* E) {
    TTextItemEditor::ProcessKeyEvent(E);
    if (E->GetID() == KEY_PRESSED) ResizeComponent();
}

void TExpandingTextItemEditor::ResizeComponent() {
    if (!HandleAllocated()) return;
    TDimension p = GetPreferredSize();
    int target = FStartRect.Width;
    if (p.Width > FStartRect.Width) {
        TRectangle host = GetHostBounds();
        target = std::min(p.Width + FHMargin, host.Left + host.Width - GetLeft());
        target = std::max(target, FStartRect.Width);
    }
    if (target == GetWidth()) return;
    SetWidth(target);
    Invalidate();
}

TRectangle TExpandingTextItemEditor::GetHostBounds() {
    TWinControl* parent = GetParent();
    if (!parent) return Rectangle(0, 0, 0, 0);
    if (parent->ClassType() == TScrollPane::StaticClass()) {
        auto* pane = static_cast<TScrollPane*>(parent);
        POINT at = pane->GetScrollPosition();
        TDimension view = pane->GetViewportSize();
        return Rectangle(at.x, at.y, view.Width, view.Height);
    }
    return Rectangle(0, 0, parent->GetWidth(), parent->GetHeight());
}

// --- TCompositeItemEditor ---------------------------------------------------------------------

TCompositeItemEditor::TCompositeItemEditor(TCompositeItemPainter* Painter,
                                           IItemEditor* FirstEditor, IItemEditor* SecondEditor)
    : FPainter(Painter), FEditor1(FirstEditor), FEditor2(SecondEditor),
      FKeyMulticaster(new TKeyMulticaster) {
    if (FEditor1) FEditor1->AddKeyListener(FKeyMulticaster.Get());
    if (FEditor2) FEditor2->AddKeyListener(FKeyMulticaster.Get());
    FDefaultEditor = FEditor1 ? 1 : FEditor2 ? 2 : 0;
}

TCompositeItemEditor::TCompositeItemEditor(TCompositeItemPainter* Painter,
                                           IItemEditor* FirstEditor, IItemEditor* SecondEditor,
                                           int32_t DefaultEditor)
    : TCompositeItemEditor(Painter, FirstEditor, SecondEditor) {
    FDefaultEditor = DefaultEditor;
}

HRESULT TCompositeItemEditor::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IItemEditor>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TCompositeItemEditor::SetDefaultEditor(int32_t Value) {
    if (Value < 1 || Value > 2) throw EIllegalArgumentException(u"");
    FDefaultEditor = Value;
}

IItemEditor* TCompositeItemEditor::Editor(int32_t N) const {
    return N == 1 ? FEditor1.Get() : N == 2 ? FEditor2.Get() : nullptr;
}

int32_t TCompositeItemEditor::HitTest(POINT P, const TRectangle& R1, const TRectangle& R2) {
    auto in = [&](const TRectangle& r) {
        return P.x >= r.Left && P.x < r.Left + r.Width && P.y >= r.Top && P.y < r.Top + r.Height;
    };
    return in(R1) ? 1 : in(R2) ? 2 : 0;
}

void TCompositeItemEditor::Rects(const TRectangle& Bounds, TRectangle& R1, TRectangle& R2) {
    if (!FSite || !FPainter) {
        R1 = R2 = Bounds;
        return;
    }
    FPainter->CalculateRects(FData.Get(), FSite->GetSiteGraphics(), Bounds, FSite.Get(), {}, R1,
                             R2);
}

void TCompositeItemEditor::StartEdit(IInterface* Value, const TRectangle& Bounds,
                                     IItemEditSite* Site) {
    FData = Value;
    FSite = Site;
    TRectangle r1{}, r2{};
    Rects(Bounds, r1, r2);
    int32_t part = Site ? HitTest(Site->GetEditClickPoint(), r1, r2) : 0;
    if (part == 0) part = FEditor1 ? 1 : 2;
    // The part without an editor is edited by the default one, which then
    // answers for the edit: otherwise an edit on screen could never post.
    if (!Editor(part)) part = FDefaultEditor;
    FActiveEditor = Editor(part) ? part : 0;
    if (IItemEditor* e = Editor(FActiveEditor)) e->StartEdit(Value, part == 1 ? r1 : r2, Site);
}

void TCompositeItemEditor::ChangeBounds(const TRectangle& Bounds) {
    TRectangle r1{}, r2{};
    Rects(Bounds, r1, r2);
    if (IItemEditor* e = Editor(FActiveEditor)) e->ChangeBounds(FActiveEditor == 1 ? r1 : r2);
}

InterfacePtr<IInterface> TCompositeItemEditor::GetValue() {
    IItemEditor* e = Editor(FActiveEditor);
    return e ? e->GetValue() : nullptr;
}

bool TCompositeItemEditor::CanPost() {
    IItemEditor* e = Editor(FActiveEditor);
    return e && e->CanPost();
}

TKomponent* TCompositeItemEditor::GetComponent() {
    if (IItemEditor* e = Editor(FActiveEditor)) return e->GetComponent();
    if (IItemEditor* e = Editor(FDefaultEditor)) return e->GetComponent();
    return nullptr;
}

void TCompositeItemEditor::EndEdit(bool Posted) {
    if (IItemEditor* e = Editor(FActiveEditor)) e->EndEdit(Posted);
    FActiveEditor = 0;
    FData = nullptr;
}

// --- TPairItemEditor --------------------------------------------------------------------------

TPairItemEditor::TPairItemEditor(IItemEditor* Editor, int32_t PairItem)
    : FEditor(Editor), FPairItem(PairItem == 2 ? 2 : 1) {}

HRESULT TPairItemEditor::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IItemEditor>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

void TPairItemEditor::StartEdit(IInterface* Value, const TRectangle& Bounds,
                                IItemEditSite* Site) {
    FPair = nullptr;
    if (Value && Supports(Value, FPair)) {
        InterfacePtr<IInterface> part = FPairItem == 1 ? FPair->GetFirst() : FPair->GetSecond();
        if (FEditor) FEditor->StartEdit(part.Get(), Bounds, Site);
        return;
    }
    if (FEditor) FEditor->StartEdit(Value, Bounds, Site);
}

InterfacePtr<IInterface> TPairItemEditor::GetValue() {
    if (!FEditor) return InterfacePtr<IInterface>(FPair.Get());
    InterfacePtr<IInterface> value = FEditor->GetValue();
    if (!FPair) return value;
    if (FPairItem == 1) FPair->SetFirst(value.Get());
    else
        FPair->SetSecond(value.Get());
    return InterfacePtr<IInterface>(FPair.Get());
}

void TPairItemEditor::EndEdit(bool Posted) {
    if (FEditor) FEditor->EndEdit(Posted);
    FPair = nullptr;
}
