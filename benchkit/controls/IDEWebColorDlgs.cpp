#include "IDEWebColorDlgs.h"

#include <quorlpak/Application.h>

#include <runpak/Format.h>

#include <algorithm>

namespace {

constexpr int kHelpContext = 12467;
constexpr int kNamePrefix = 5; // "clWeb" before every name

// A name as the form shows it: without its prefix.
UnicodeString Shown(const UnicodeString& Name) {
    return Name.size() > kNamePrefix ? Name.substr(kNamePrefix) : UnicodeString();
}

// A name from the helpers, shown: names lose their prefix, "#RRGGBB" stays.
UnicodeString ShownName(const UnicodeString& Name) {
    return Name.find(u"cl") != UnicodeString::npos ? Shown(Name) : Name;
}

TLabel* MakeLabel(TComponent* Owner, TWinControl* Parent, int X, int Y, const char16_t* Caption) {
    auto* label = new TLabel(Owner);
    label->SetParent(Parent);
    label->SetLeft(X);
    label->SetTop(Y);
    label->SetCaption(Caption);
    return label;
}

} // namespace

const TColorArray& WebColorDlgNamedColors() {
    static const TColorArray colors = [] {
        TColorArray sorted = WebNamedColors();
        SortColorArray(sorted, 0, static_cast<int>(sorted.size()) - 1, 2, false);
        return sorted;
    }();
    return colors;
}

TColor WebPaletteColor(int Index) {
    const int r = Index / 12, k = Index % 12;
    const int red = 255 - 51 * (r % 6);
    const int green = k < 6 ? 51 * k : 255 - 51 * (k - 6);
    const int blue = k < 6 ? 255 - 51 * (r / 6) : 102 - 51 * (r / 6);
    return static_cast<TColor>(RGB(red, green, blue < 0 ? 0 : blue));
}

// --- TWebColorFrm -----------------------------------------------------------------------------

TClass TWebColorFrm::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TWebColorFrm>(u"TWebColorFrm", TForm::StaticClass()));
    return &meta;
}

TWebColorFrm::TWebColorFrm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(u"Color Selector");
    SetBorderStyle(bsDialog);
    SetBorderIcons(TBorderIcons{biSystemMenu});
    SetPosition(poScreenCenter);
    SetClientWidth(552);
    SetClientHeight(407);
    BuildControls();
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

void TWebColorFrm::BuildControls() {
    PageControl1 = new TPageControl(this);
    PageControl1->SetParent(this);
    PageControl1->SetBounds(8, 8, 352, 359);
    auto page = [this](const char16_t* caption) {
        auto* sheet = new TTabSheet(this);
        sheet->SetPageControl(PageControl1);
        sheet->SetCaption(caption);
        return sheet;
    };
    WebPaletteTab = page(u"Web Palette");
    NamedColorsTab = page(u"Named Web Colors");
    OtherColorsTab = page(u"Other Colors");

    auto grid = [this](TWinControl* parent, int columns, int rows, int width, int height) {
        auto* g = new TIDEColorGridEx(this);
        g->SetParent(parent);
        g->SetColumnCount(columns);
        g->SetRowCount(rows);
        g->SetBounds(8, 24, width, height);
        g->SetForegroundEnabled(false);
        g->SetBackgroundEnabled(false);
        g->SetShowHint(true);
        g->OnFillColorPalette = [this](TObject* Sender) { FillColorPalette(Sender); };
        return g;
    };
    WebPaletteLabel = MakeLabel(this, WebPaletteTab, 8, 6, u"&Web Palette Colors:");
    WebPaletteColorGrid = grid(WebPaletteTab, 12, 18, 324, 288);
    WebPaletteLabel->SetFocusControl(WebPaletteColorGrid);
    NoteLabel = MakeLabel(this, WebPaletteTab, 8, 316,
                          u"NOTE: Only a few of these colors will have an actual name");
    NamedColorsLabel =
        MakeLabel(this, NamedColorsTab, 8, 6, u"&Named Web Colors (ordered by luminance):");
    NamedColorGrid = grid(NamedColorsTab, 16, 9, 336, 180);
    NamedColorsLabel->SetFocusControl(NamedColorGrid);

    auto list = [this](int x, TColorBoxStyle style) {
        auto* l = new TColorListBox(this);
        l->SetParent(OtherColorsTab);
        l->SetBounds(x, 24, 160, 300);
        l->SetStyle(style);
        l->SetItemHeight(16);
        l->OnClick = [this](TObject* Sender) { ColorListClick(Sender); };
        return l;
    };
    SystemColorsLabel = MakeLabel(this, OtherColorsTab, 8, 6, u"&System Colors:");
    SystemColorListBox = list(8, TColorBoxStyle{cbSystemColors, cbPrettyNames});
    SystemColorListBox->SetSelected(clActiveBorder);
    SystemColorsLabel->SetFocusControl(SystemColorListBox);
    StdColorsLabel = MakeLabel(this, OtherColorsTab, 176, 6, u"S&tandard Colors");
    StdColorListBox = list(176, TColorBoxStyle{cbStandardColors, cbPrettyNames});
    StdColorsLabel->SetFocusControl(StdColorListBox);

    ColorSelectionGroup = new TGroupBox(this);
    ColorSelectionGroup->SetParent(this);
    ColorSelectionGroup->SetBounds(368, 8, 176, 359);
    ColorSelectionGroup->SetCaption(u"Color Selection");
    TGroupBox* g = ColorSelectionGroup;
    auto readOnly = [this, g](int y) {
        auto* e = new TEdit(this);
        e->SetParent(g);
        e->SetBounds(10, y, 156, 21);
        e->SetReadOnly(true);
        e->SetTabStop(false);
        return e;
    };
    MakeLabel(this, g, 10, 20, u"Color:");
    ColorLabel = readOnly(36);
    MakeLabel(this, g, 10, 62, u"Name:");
    WebNameLabel = readOnly(78);
    UseNamesChk = new TCheckBox(this);
    UseNamesChk->SetParent(g);
    UseNamesChk->SetBounds(10, 104, 156, 17);
    UseNamesChk->SetCaption(u"&Use color name");
    UseNamesChk->OnClick = [this](TObject* Sender) { UseNamesChkClick(Sender); };
    MakeLabel(this, g, 10, 126, u"Selected Color:");
    PreviewPanel = new TPanel(this);
    PreviewPanel->SetParent(g);
    PreviewPanel->SetBounds(10, 142, 156, 48);
    PreviewPanel->SetBorderStyle(bsSingle);
    PreviewPanel->SetShowCaption(false);
    PreviewPanel->SetParentColor(false);
    MakeLabel(this, g, 10, 198, u"Customize Selected Color:");

    auto channel = [this, g](int x, int y, const char16_t* caption, int max, bool visible,
                             TUpDown*& updown) {
        auto* e = new TLabeledEdit(this);
        e->SetParent(g);
        e->SetBounds(x, y, 44, 21);
        e->SetLabelPosition(lpLeft);
        e->GetEditLabel()->SetCaption(caption);
        e->SetText(u"0");
        e->SetVisible(visible);
        updown = new TUpDown(this);
        updown->SetParent(g);
        updown->SetMin(0);
        updown->SetMax(max);
        updown->SetAssociate(e);
        updown->SetVisible(visible);
        if (!visible) return e;
        e->OnChange = [this](TObject* Sender) { RGBEditChange(Sender); };
        updown->OnChanging = [this](TObject* Sender, bool& Allow) {
            UpDownChanging(Sender, Allow);
        };
        updown->OnClick = [this](TObject* Sender, TUDBtnType Button) {
            UpDownClick(Sender, Button);
        };
        return e;
    };
    RedEdit = channel(52, 218, u"&Red:", 255, true, RedUpDown);
    GreenEdit = channel(52, 246, u"&Green:", 255, true, GreenUpDown);
    BlueEdit = channel(52, 274, u"&Blue:", 255, true, BlueUpDown);
    LumEdit = channel(126, 218, u"Lum:", 240, false, LumUpDown);
    SatEdit = channel(126, 246, u"Sat:", 240, false, SatUpDown);
    HueEdit = channel(126, 274, u"Hue:", 239, false, HueUpDown);

    auto button = [this](int x, const char16_t* caption) {
        auto* b = new TButton(this);
        b->SetParent(this);
        b->SetBounds(x, 374, 75, 25);
        b->SetCaption(caption);
        return b;
    };
    OKButton = button(307, u"OK");
    OKButton->SetDefault(true);
    OKButton->SetModalResult(mrOk);
    CancelButton = button(388, u"Cancel");
    CancelButton->SetCancel(true);
    CancelButton->SetModalResult(mrCancel);
    HelpButton = button(469, u"Help");
    HelpButton->OnClick = [this](TObject* Sender) { HelpButtonClick(Sender); };

    WebPaletteColorGrid->OnChange = [this](TObject* Sender) { WebPaletteColorGridChange(Sender); };
    NamedColorGrid->OnChange = [this](TObject* Sender) { NamedColorGridChange(Sender); };
    WebPaletteColorGrid->OnSquareHint = [this](TIDEColorGridEx* Sender, int Square,
                                               UnicodeString& Hint) {
        WebSquareHint(Sender, Square, Hint);
    };
    NamedColorGrid->OnSquareHint = [this](TIDEColorGridEx* Sender, int Square,
                                          UnicodeString& Hint) {
        NamedSquareHint(Sender, Square, Hint);
    };
    PageControl1->OnChange = [this](TObject* Sender) { PageControl1Change(Sender); };
}

TWebColorDlg* TWebColorFrm::Dialog() const {
    return dynamic_cast<TWebColorDlg*>(GetOwner());
}

TColor TWebColorFrm::GetPreviewColor() const {
    return PreviewPanel->GetColor();
}

void TWebColorFrm::SetPreview(TColor Color) {
    PreviewPanel->SetColor(Color);
    if (TWebColorDlg* dlg = Dialog()) dlg->FLastColor = Color;
}

void TWebColorFrm::SetUpDowns(COLORREF RGB) {
    RedUpDown->SetPosition(GetRValue(RGB));
    GreenUpDown->SetPosition(GetGValue(RGB));
    BlueUpDown->SetPosition(GetBValue(RGB));
}

TColor TWebColorFrm::PositionsColor() {
    return static_cast<TColor>(
        RGB(RedUpDown->GetPosition(), GreenUpDown->GetPosition(), BlueUpDown->GetPosition()));
}

void TWebColorFrm::FormCreate(TObject*) {
    FillColorPalette(WebPaletteColorGrid);
    FillColorPalette(NamedColorGrid);
    WebPaletteColorGridChange(WebPaletteColorGrid);
    SetHelpContext(kHelpContext);
    PageControl1->SetActivePage(WebPaletteTab);
}

void TWebColorFrm::FillColorPalette(TObject* Sender) {
    auto* grid = dynamic_cast<TIDEColorGridEx*>(Sender);
    if (!grid) return;
    TPaletteArray& entries = grid->PaletteEntries();
    auto put = [&entries](int i, COLORREF c) {
        entries[size_t(i)] = {GetRValue(c), GetGValue(c), GetBValue(c), 0};
    };
    if (grid == NamedColorGrid) {
        const TColorArray& named = WebColorDlgNamedColors();
        for (int i = 0; i < static_cast<int>(named.size()); ++i)
            put(i, static_cast<COLORREF>(named[size_t(i)].Value));
    } else {
        for (int i = 0; i < 216; ++i)
            put(i, static_cast<COLORREF>(WebPaletteColor(i)));
    }
    // The squares after the colours look empty.
    const int used =
        grid == NamedColorGrid ? static_cast<int>(WebColorDlgNamedColors().size()) : 216;
    for (int i = used; i < TIDEColorGridEx::kSquares; ++i)
        put(i, ColorToRGB(clBtnFace));
    grid->SetSelection(0);
    grid->Invalidate();
}

void TWebColorFrm::WebPaletteColorGridChange(TObject*) {
    const int square = WebPaletteColorGrid->GetSelection();
    // A cleared selection (the user is typing values) changes nothing.
    if (square < 0 || square >= 216) return;
    const COLORREF c = ColorToRGB(WebPaletteColorGrid->SquareColor(square));
    ColorLabel->SetText(RGBToWebColorStr(c));
    SetUpDowns(c);
    SetPreview(static_cast<TColor>(c));
    WebNameLabel->SetText(ShownName(RGBToWebColorName(c)));
}

void TWebColorFrm::NamedColorGridChange(TObject*) {
    const TColorArray& named = WebColorDlgNamedColors();
    int square = NamedColorGrid->GetSelection();
    if (square < 0) return;
    // The squares after the last name hold no colour: the choice stays.
    if (square >= static_cast<int>(named.size())) {
        NamedColorGrid->SetSelection(FNamedSelection);
        return;
    }
    FNamedSelection = square;
    const TColorArrayEntry& entry = named[size_t(square)];
    const COLORREF c = static_cast<COLORREF>(entry.Value);
    SetUpDowns(c);
    WebNameLabel->SetText(Shown(entry.Name));
    ColorLabel->SetText(RGBToWebColorStr(c));
    SetPreview(entry.Value);
}

void TWebColorFrm::ColorListClick(TObject* Sender) {
    auto* list = dynamic_cast<TColorListBox*>(Sender);
    if (!list || list->GetItemIndex() < 0) return;
    const TColor selected = list->GetSelected();
    // The up-downs first: their edits' change would put the "#RRGGBB" form
    // over the list's name.
    SetUpDowns(ColorToRGB(selected));
    UnicodeString name = list->GetItems()->Get(list->GetItemIndex());
    name.erase(std::remove(name.begin(), name.end(), u' '), name.end());
    WebNameLabel->SetText(name);
    ColorLabel->SetText(ColorToWebColorStr(selected));
    SetPreview(selected);
}

void TWebColorFrm::PageControl1Change(TObject*) {
    TTabSheet* page = PageControl1->GetActivePage();
    if (page == WebPaletteTab) {
        WebPaletteColorGrid->Invalidate();
        WebPaletteColorGridChange(WebPaletteColorGrid);
    } else if (page == NamedColorsTab) {
        NamedColorGrid->Invalidate();
        NamedColorGridChange(NamedColorGrid);
    } else if (page == OtherColorsTab) {
        ColorListClick(SystemColorListBox);
    }
}

void TWebColorFrm::UseNamesChkClick(TObject*) {
    const bool names = UseNamesChk->GetChecked();
    WebNameLabel->GetFont()->SetStyle(names ? TFontStyles{fsBold} : TFontStyles{});
    ColorLabel->GetFont()->SetStyle(names ? TFontStyles{} : TFontStyles{fsBold});
    if (TWebColorDlg* dlg = Dialog()) dlg->FLastUseNames = names;
}

void TWebColorFrm::UpDownChanging(TObject*, bool&) {
    SetPreview(PositionsColor());
}

void TWebColorFrm::UpDownClick(TObject* Sender, TUDBtnType) {
    auto* updown = dynamic_cast<TUpDown*>(Sender);
    if (updown && updown->GetAssociate()) {
        TWinControl* edit = updown->GetAssociate();
        if (edit->HandleAllocated() && edit->GetVisible() && edit->CanFocus()) edit->SetFocus();
    }
    WebPaletteColorGrid->SetSelection(-1);
}

void TWebColorFrm::RGBEditChange(TObject*) {
    const TColor c = PositionsColor();
    SetPreview(c);
    ColorLabel->SetText(RGBToWebColorStr(static_cast<COLORREF>(c)));
    WebNameLabel->SetText(ShownName(RGBToWebColorName(static_cast<COLORREF>(c))));
    if (RedEdit->Focused() || GreenEdit->Focused() || BlueEdit->Focused())
        WebPaletteColorGrid->SetSelection(-1);
}

void TWebColorFrm::HelpButtonClick(TObject*) {
    if (Application) Application->HelpContext(GetHelpContext());
}

void TWebColorFrm::WebSquareHint(TIDEColorGridEx* Sender, int Square, UnicodeString& Hint) {
    if (Square >= 0 && Square < 216) Hint = ColorToWebColorStr(Sender->SquareColor(Square));
}

void TWebColorFrm::NamedSquareHint(TIDEColorGridEx*, int Square, UnicodeString& Hint) {
    const TColorArray& named = WebColorDlgNamedColors();
    if (Square < 0 || Square >= static_cast<int>(named.size())) return;
    const TColorArrayEntry& entry = named[size_t(Square)];
    const COLORREF c = static_cast<COLORREF>(entry.Value);
    Hint =
        Format(u"%s (%s)\rR: %d\rG: %d\rB: %d", Shown(entry.Name), ColorToWebColorStr(entry.Value),
               int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c)));
}

// --- TWebColorDlg -----------------------------------------------------------------------------

TClass TWebColorDlg::StaticClass() {
    using T = TWebColorDlg;
    static const TMetaClass meta(TClassBuilder<T>(u"TWebColorDlg", TComponent::StaticClass())
                                     .Property(u"AllowUseOfColorName", BooleanTypeInfo,
                                               &T::GetAllowUseOfColorName,
                                               &T::SetAllowUseOfColorName)
                                     .Default(0)
                                     .Event(u"OnClose", &T::OnClose)
                                     .Event(u"OnShow", &T::OnShow)
                                     .Event(u"OnAccept", &T::OnAccept)
                                     .Event(u"OnCancel", &T::OnCancel));
    return &meta;
}

TWebColorDlg::TWebColorDlg(TComponent* AOwner)
    : TComponent(AOwner), FLastColor(WebPaletteColor(0)) {}

TWebColorDlg::~TWebColorDlg() {
    // The form goes with its owner; nobody is told about it any more.
    OnClose = nullptr;
}

void TWebColorDlg::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || AComponent != FWebColorFrm) return;
    FWebColorFrm = nullptr;
    if (OnClose && !GetComponentState().Contains(csDestroying)) OnClose(this);
}

void TWebColorDlg::SetupDlg() {
    if (!FWebColorFrm) {
        FWebColorFrm = new TWebColorFrm(this);
        FWebColorFrm->FreeNotification(this);
        FWebColorFrm->AfterConstruction();
        FLastUseNames = false;
    }
    FWebColorFrm->UseNamesChk->SetVisible(FAllowUseOfColorName);
    FWebColorFrm->OnShow = OnShow;
    FWebColorFrm->SetFormStyle(FStayOnTop ? fsStayOnTop : fsNormal);
}

void TWebColorDlg::SetStayOnTop(bool Value) {
    FStayOnTop = Value;
    if (FWebColorFrm) FWebColorFrm->SetFormStyle(Value ? fsStayOnTop : fsNormal);
}

void TWebColorDlg::Show() {
    SetupDlg();
    FWebColorFrm->Show();
}

int TWebColorDlg::ShowModal() {
    SetupDlg();
    const int result = FWebColorFrm->ShowModal();
    if (result == mrOk && OnAccept) OnAccept(this);
    if (result == mrCancel && OnCancel) OnCancel(this);
    return result;
}

bool TWebColorDlg::Execute() {
    return ShowModal() == mrOk;
}

UnicodeString TWebColorDlg::GetSelectedColor() const {
    const TColor color = FWebColorFrm ? FWebColorFrm->GetPreviewColor() : FLastColor;
    const bool names = FWebColorFrm ? FWebColorFrm->UseNamesChk->GetChecked() : FLastUseNames;
    if (!names) return ColorToWebColorStr(color);
    const UnicodeString name = ColorToWebColorName(color);
    return name.substr(0, 1) == u"#" ? name : Shown(name);
}
