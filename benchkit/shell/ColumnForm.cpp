#include "benchkit/shell/IDEColumnForm.h"

#include <quorlpak/SizeConstraints.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>
#include <win32/oleidl.h>
#include <win32/winuser.h>

#include <cstring>

TFormColumnSettings* FormColumnSettings = nullptr;

void TColumnData::SetTitle(const UnicodeString& Value) {
    FreeTitle();
    Title = new char16_t[Value.size() + 1];
    std::memcpy(Title, Value.c_str(), (Value.size() + 1) * sizeof(char16_t));
}

void TColumnData::FreeTitle() {
    delete[] Title;
    Title = nullptr;
}

namespace {

// A width typed into the box: digits only (the key filter lets nothing else
// in, but text can also be pasted), within int range; else none.
bool ParseWidth(const UnicodeString& Text, int& Width) {
    if (Text.empty() || Text.size() > 9) return false;
    int value = 0;
    for (char16_t c : Text) {
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
    }
    Width = value;
    return true;
}

template <class T> T* Make(TWinControl* Parent, TComponent* Owner, const UnicodeString& Name) {
    auto* control = new T(Owner);
    control->SetName(Name);
    control->SetParent(Parent);
    return control;
}

} // namespace

TClass TFormColumnSettings::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TFormColumnSettings>(u"TFormColumnSettings", TForm::StaticClass()));
    return &meta;
}

TFormColumnSettings::TFormColumnSettings(TComponent* AOwner) : TForm(AOwner) {
    BuildControls();
    HookTree();
}

void TFormColumnSettings::BuildControls() {
    SetCaption(u"Column Settings");
    SetClientWidth(287);
    SetClientHeight(335);
    GetConstraints()->SetMinWidth(295);
    GetConstraints()->SetMinHeight(370);
    SetPosition(poScreenCenter);
    SetBorderIcons({biSystemMenu});
    SetKeyPreview(true);
    GetFont()->SetName(u"Tahoma");
    GetFont()->SetHeight(-14);

    Panel1 = Make<TPanel>(this, this, u"Panel1");
    Panel1->SetAlign(alTop);
    Panel1->SetHeight(46);
    Panel1->SetBorderStyle(bsNone);
    Panel1->SetCaption(u"");
    Label1 = new TLabel(this);
    Label1->SetName(u"Label1");
    Label1->SetParent(Panel1);
    Label1->SetAlign(alClient);
    Label1->SetAlignment(taCenter);
    Label1->SetWordWrap(true);
    Label1->SetCaption(u"Check the columns you would like to make visible in this Folder.  Drag and "
                       u"Drop to reorder the columns. ");

    QOZColumnNames = Make<TVirtualStringTree>(this, this, u"QOZColumnNames");
    QOZColumnNames->SetBounds(8, 50, 271, 190);
    QOZColumnNames->SetAnchors({akLeft, akTop, akRight, akBottom});
    QOZColumnNames->SetNodeDataSize(sizeof(TColumnData));
    QOZColumnNames->SetCheckImageKind(ckDarkCheck);
    QOZColumnNames->GetHeader()->SetMainColumn(-1);
    QOZColumnNames->GetHeader()->SetOptions({hoColumnResize, hoDrag});
    auto* options = QOZColumnNames->GetTreeOptions();
    options->SetAutoOptions({toAutoDropExpand, toAutoScrollOnExpand, toAutoScroll,
                             toAutoTristateTracking});
    options->SetMiscOptions({toToggleOnDblClick, toCheckSupport, toInitOnSave, toAcceptOLEDrop});
    options->SetPaintOptions({toShowButtons, toUseBlendedImages, toThemeAware, toShowRoot});

    const int line = 335 - 84;
    Label2 = new TLabel(this);
    Label2->SetName(u"Label2");
    Label2->SetParent(this);
    Label2->SetCaption(u"The selected column should be ");
    Label2->SetAnchors({akLeft, akBottom});
    Label2->SetTop(line + 3);
    EditPixelWidth = Make<TEdit>(this, this, u"EditPixelWidth");
    EditPixelWidth->SetBounds(0, line, 40, 22);
    EditPixelWidth->SetAnchors({akLeft, akBottom});
    EditPixelWidth->SetText(u"");
    Label3 = new TLabel(this);
    Label3->SetName(u"Label3");
    Label3->SetParent(this);
    Label3->SetCaption(u"pixels wide");
    Label3->SetAnchors({akLeft, akBottom});
    Label3->SetTop(line + 3);

    // The separating line above the buttons.
    Bevel1 = Make<TPanel>(this, this, u"Bevel1");
    Bevel1->SetBounds(8, 335 - 52, 271, 2);
    Bevel1->SetAnchors({akLeft, akRight, akBottom});
    Bevel1->SetCaption(u"");
    CheckBoxLiveUpdate = Make<TCheckBox>(this, this, u"CheckBoxLiveUpdate");
    CheckBoxLiveUpdate->SetBounds(8, 335 - 38, 100, 20);
    CheckBoxLiveUpdate->SetAnchors({akLeft, akBottom});
    CheckBoxLiveUpdate->SetCaption(u"Live Update");
    ButtonOk = Make<TButton>(this, this, u"ButtonOk");
    ButtonOk->SetBounds(287 - 164, 335 - 40, 75, 28);
    ButtonOk->SetAnchors({akRight, akBottom});
    ButtonOk->SetCaption(u"&OK");
    ButtonOk->SetModalResult(mrOk);
    ButtonCancel = Make<TButton>(this, this, u"ButtonCancel");
    ButtonCancel->SetBounds(287 - 83, 335 - 40, 75, 28);
    ButtonCancel->SetAnchors({akRight, akBottom});
    ButtonCancel->SetCaption(u"&Cancel");
    ButtonCancel->SetModalResult(mrCancel);

    CheckBoxLiveUpdate->OnClick = [this](TObject* S) { CheckBoxLiveUpdateClick(S); };
    EditPixelWidth->OnExit = [this](TObject* S) { EditPixelWidthExit(S); };
    EditPixelWidth->OnKeyPress = [this](TObject* S, char16_t& Key) { EditPixelWidthKeyPress(S, Key); };
    OnKeyPress = [this](TObject* S, char16_t& Key) { FormKeyPress(S, Key); };
    OnResize = [this](TObject* S) { FormResize(S); };
    FormResize(this);
}

void TFormColumnSettings::HookTree() {
    TVirtualStringTree* tree = QOZColumnNames;
    tree->OnGetText = [this](TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, TQOZTextType,
                             UnicodeString& Text) {
        if (PColumnData data = ColumnData(Node)) Text = data->GetTitle();
    };
    tree->OnInitNode = [this](TBaseVirtualTree* Sender, PVirtualNode, PVirtualNode Node,
                              TVirtualNodeInitStates&) {
        Sender->SetCheckType(Node, ctCheckBox);
        if (PColumnData data = ColumnData(Node); data && data->Enabled)
            Sender->SetCheckState(Node, csCheckedNormal);
    };
    tree->OnChecking = [](TBaseVirtualTree*, PVirtualNode, TCheckState&, bool& Allowed) {
        Allowed = true;
    };
    tree->OnChecked = [this](TBaseVirtualTree* Sender, PVirtualNode Node) {
        if (PColumnData data = ColumnData(Node))
            data->Enabled = Sender->GetCheckState(Node) == csCheckedNormal;
        DoUpdateVET();
    };
    tree->OnFocusChanging = [this](TBaseVirtualTree*, PVirtualNode OldNode, PVirtualNode,
                                   TColumnIndex, TColumnIndex, bool& Allowed) {
        StoreWidth(OldNode);
        Allowed = true;
    };
    tree->OnFocusChanged = [this](TBaseVirtualTree*, PVirtualNode Node, TColumnIndex) {
        ShowWidth(Node);
    };
    tree->OnDragAllowed = [this](TBaseVirtualTree*, PVirtualNode Node, TColumnIndex, bool& Allowed) {
        FDragNode = Node;
        Allowed = true;
    };
    tree->OnDragOver = [](TBaseVirtualTree*, TObject*, TShiftState, TDragState, TPoint, TDropMode,
                          uint32_t&, bool& Accept) { Accept = true; };
    tree->OnDragDrop = [this](TBaseVirtualTree* Sender, TObject*, IDataObject*, const TFormatArray&,
                              TShiftState, TPoint, uint32_t& Effect, TDropMode) {
        DropDraggedNodeOn(Sender->GetDropTargetNode());
        Effect = DROPEFFECT_NONE; // the tree moved nothing itself
    };
    tree->OnFreeNode = [this](TBaseVirtualTree*, PVirtualNode Node) {
        if (PColumnData data = ColumnData(Node)) data->FreeTitle();
    };
}

PVirtualNode TFormColumnSettings::AddColumn(const UnicodeString& Title, bool Enabled, int Width,
                                            int ColumnIndex) {
    PVirtualNode node = QOZColumnNames->AddChild(nullptr);
    PColumnData data = ColumnData(node);
    data->SetTitle(Title);
    data->Enabled = Enabled;
    data->Width = Width;
    data->ColumnIndex = ColumnIndex;
    return node;
}

PColumnData TFormColumnSettings::ColumnData(PVirtualNode Node) const {
    return Node ? QOZColumnNames->GetNodeData<TColumnData>(Node) : nullptr;
}

void TFormColumnSettings::DoUpdateVET() {
    if (CheckBoxLiveUpdate->GetChecked() && OnVETUpdate) OnVETUpdate(this);
}

void TFormColumnSettings::StoreWidth(PVirtualNode Node) {
    PColumnData data = ColumnData(Node);
    int width;
    if (data && ParseWidth(EditPixelWidth->GetText(), width)) data->Width = width;
}

void TFormColumnSettings::ShowWidth(PVirtualNode Node) {
    if (PColumnData data = ColumnData(Node))
        EditPixelWidth->SetText(IntToStr(data->Width));
}

void TFormColumnSettings::CheckBoxLiveUpdateClick(TObject*) {
    DoUpdateVET();
}

void TFormColumnSettings::EditPixelWidthKeyPress(TObject*, char16_t& Key) {
    if (Key == u'\r') {
        if (PVirtualNode node = QOZColumnNames->GetFirstSelected()) {
            StoreWidth(node);
            DoUpdateVET();
        }
        Key = 0;
        return;
    }
    if ((Key >= u'0' && Key <= u'9') || Key == u'\b') return;
    MessageBeep(MB_OK);
    Key = 0;
}

void TFormColumnSettings::EditPixelWidthExit(TObject*) {
    // With no node selected there is nothing to store into and nothing changed.
    PVirtualNode node = QOZColumnNames->GetFirstSelected();
    if (!node) return;
    StoreWidth(node);
    DoUpdateVET();
}

void TFormColumnSettings::FormKeyPress(TObject*, char16_t& Key) {
    if (Key != u'\r' || GetActiveControl() == EditPixelWidth) return;
    Key = 0;
    ButtonOk->Click();
}

void TFormColumnSettings::FormResize(TObject*) {
    const int row = Label2->GetWidth() + EditPixelWidth->GetWidth() + Label3->GetWidth();
    Label2->SetLeft((GetWidth() - row) / 2 - 8);
    EditPixelWidth->SetLeft(Label2->GetLeft() + Label2->GetWidth() + 4);
    Label3->SetLeft(EditPixelWidth->GetLeft() + EditPixelWidth->GetWidth() + 4);
    CheckBoxLiveUpdate->SetLeft(Label2->GetLeft());
}

void TFormColumnSettings::DropDraggedNodeOn(PVirtualNode Target) {
    if (!FDragNode || !Target || Target == FDragNode) return;
    const bool fromAbove =
        QOZColumnNames->AbsoluteIndex(FDragNode) < QOZColumnNames->AbsoluteIndex(Target);
    QOZColumnNames->MoveTo(FDragNode, Target, fromAbove ? amInsertAfter : amInsertBefore, false);
    DoUpdateVET();
}
