// TWebColorDlg: a dialog for picking a colour for web content from the 216
// web-safe colours, the named web colours (ordered by luminance) or the
// system and standard colours, or by its red, green and blue values. The
// answer is the colour's "#RRGGBB" or, when the user asks for it, its name.
#pragma once
#pragma GCC visibility push(default)

#include "IDEColorGrdEx.h"

#include <quorlpak/ColorBox.h>
#include <quorlpak/ComCtrls.h>
#include <quorlpak/ExtCtrls.h>
#include <quorlpak/Form.h>
#include <quorlpak/GraphUtil.h>
#include <quorlpak/LabeledEdit.h>
#include <quorlpak/StdCtrls.h>

class TWebColorDlg;

// The named web colours the form offers, darkest first.
const TColorArray& WebColorDlgNamedColors();
// The web palette's square (row r, column k: index r * 12 + k) as a colour.
TColor WebPaletteColor(int Index);

class TWebColorFrm : public TForm {
public:
    explicit TWebColorFrm(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TPageControl* PageControl1 = nullptr;
    TTabSheet* WebPaletteTab = nullptr;
    TTabSheet* NamedColorsTab = nullptr;
    TTabSheet* OtherColorsTab = nullptr;
    TLabel* WebPaletteLabel = nullptr;
    TIDEColorGridEx* WebPaletteColorGrid = nullptr;
    TLabel* NoteLabel = nullptr;
    TLabel* NamedColorsLabel = nullptr;
    TIDEColorGridEx* NamedColorGrid = nullptr;
    TLabel* SystemColorsLabel = nullptr;
    TColorListBox* SystemColorListBox = nullptr;
    TLabel* StdColorsLabel = nullptr;
    TColorListBox* StdColorListBox = nullptr;
    TGroupBox* ColorSelectionGroup = nullptr;
    TEdit* ColorLabel = nullptr;
    TEdit* WebNameLabel = nullptr;
    TCheckBox* UseNamesChk = nullptr;
    TPanel* PreviewPanel = nullptr;
    TLabeledEdit* RedEdit = nullptr;
    TLabeledEdit* GreenEdit = nullptr;
    TLabeledEdit* BlueEdit = nullptr;
    TUpDown* RedUpDown = nullptr;
    TUpDown* GreenUpDown = nullptr;
    TUpDown* BlueUpDown = nullptr;
    TLabeledEdit* LumEdit = nullptr;
    TLabeledEdit* SatEdit = nullptr;
    TLabeledEdit* HueEdit = nullptr;
    TUpDown* LumUpDown = nullptr;
    TUpDown* SatUpDown = nullptr;
    TUpDown* HueUpDown = nullptr;
    TButton* OKButton = nullptr;
    TButton* CancelButton = nullptr;
    TButton* HelpButton = nullptr;

    // The colour chosen, as the preview shows it.
    TColor GetPreviewColor() const;

    void FormCreate(TObject* Sender);
    void FillColorPalette(TObject* Sender);
    void WebPaletteColorGridChange(TObject* Sender);
    void NamedColorGridChange(TObject* Sender);
    void ColorListClick(TObject* Sender);
    void PageControl1Change(TObject* Sender);
    void UseNamesChkClick(TObject* Sender);
    void UpDownChanging(TObject* Sender, bool& AllowChange);
    void UpDownClick(TObject* Sender, TUDBtnType Button);
    void RGBEditChange(TObject* Sender);
    void HelpButtonClick(TObject* Sender);
    void WebSquareHint(TIDEColorGridEx* Sender, int Square, UnicodeString& Hint);
    void NamedSquareHint(TIDEColorGridEx* Sender, int Square, UnicodeString& Hint);

private:
    void BuildControls();
    void SetPreview(TColor Color);
    void SetUpDowns(COLORREF RGB);
    TColor PositionsColor();
    TWebColorDlg* Dialog() const;
    int FNamedSelection = 0; // the last named square chosen
};

class TWebColorDlg : public TComponent {
public:
    explicit TWebColorDlg(TComponent* AOwner);
    ~TWebColorDlg() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TWebColorFrm* GetWebColorForm() const { return FWebColorFrm; }
    // "#RRGGBB", or the colour's name when names are allowed and asked for.
    // Without a form: the colour last chosen (at first, the palette's first).
    UnicodeString GetSelectedColor() const;
    bool GetStayOnTop() const { return FStayOnTop; }
    void SetStayOnTop(bool Value);
    bool GetAllowUseOfColorName() const { return FAllowUseOfColorName; }
    void SetAllowUseOfColorName(bool Value) { FAllowUseOfColorName = Value; }

    void Show();
    int ShowModal();
    bool Execute();

    TNotifyEvent OnClose;
    TNotifyEvent OnShow;
    TNotifyEvent OnAccept;
    TNotifyEvent OnCancel;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetupDlg();

private:
    friend class TWebColorFrm;
    TWebColorFrm* FWebColorFrm = nullptr;
    bool FStayOnTop = false;
    bool FAllowUseOfColorName = false;
    // What the form last showed, for when there is no form.
    TColor FLastColor;
    bool FLastUseNames = false;
};

#pragma GCC visibility pop
