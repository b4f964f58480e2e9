// TCustomButtonedEdit: a single-line edit with an image button inside each
// end. A button shows an image of the edit's Images (its normal, hot,
// pressed or disabled index); a click runs the edit's OnLeftButtonClick or
// OnRightButtonClick, or opens the button's drop-down menu under it. The
// edit keeps its text clear of the visible buttons. TextHint is the grey
// prompt the empty edit shows while it does not have the focus.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CustomControl.h>
#include <quorlpak/StdCtrls.h>

class TCustomButtonedEdit;
class TCustomImageList;
class TChangeLink;
class TPopupMenu;

class TEditButton : public TPersistent {
public:
    enum TButtonPosition { bpLeft, bpRight };
    // The button's window inside the edit.
    class TGlyph;

    TEditButton(TCustomButtonedEdit* EditControl, TButtonPosition APosition);
    ~TEditButton() override;

    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    int GetHotImageIndex() const { return FHotImageIndex; }
    void SetHotImageIndex(int Value);
    int GetPressedImageIndex() const { return FPressedImageIndex; }
    void SetPressedImageIndex(int Value);
    int GetDisabledImageIndex() const { return FDisabledImageIndex; }
    void SetDisabledImageIndex(int Value);
    TPopupMenu* GetDropDownMenu() const { return FDropDownMenu; }
    void SetDropDownMenu(TPopupMenu* Value);
    UnicodeString GetHint() const { return FHint; }
    void SetHint(const UnicodeString& Value);

    TButtonPosition GetPosition() const { return FPosition; }
    // The button's window (null until the edit has its window).
    TCustomControl* GetGlyph() const;
    // The image index the button shows now (hot, pressed, disabled or normal).
    int CurrentImageIndex() const;
    // The width the button takes from the edit's text area (0 when hidden).
    int Width() const;
    void UpdateBounds();
    void Click();

private:
    friend class TCustomButtonedEdit;
    void CreateGlyph();
    void DestroyGlyph();
    void Changed();

    TCustomButtonedEdit* FEditControl;
    TButtonPosition FPosition;
    TGlyph* FGlyph = nullptr;
    TPopupMenu* FDropDownMenu = nullptr;
    UnicodeString FHint;
    int FImageIndex = -1;
    int FHotImageIndex = -1;
    int FPressedImageIndex = -1;
    int FDisabledImageIndex = -1;
    bool FVisible = false;
    bool FEnabled = true;
};

class TCustomButtonedEdit : public TCustomEdit {
public:
    explicit TCustomButtonedEdit(TComponent* AOwner);
    ~TCustomButtonedEdit() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TEditButton* GetLeftButton() const { return FLeftButton; }
    TEditButton* GetRightButton() const { return FRightButton; }
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    UnicodeString GetTextHint() const { return FTextHint; }
    void SetTextHint(const UnicodeString& Value);

    void Dispatch(TMessage& Message) override;

    TNotifyEvent OnLeftButtonClick;
    TNotifyEvent OnRightButtonClick;

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Resize() override;
    // Keeps the text between the visible buttons.
    void UpdateEditMargins();
    void PaintTextHint();

private:
    friend class TEditButton;
    void ImagesChanged();

    TEditButton* FLeftButton;
    TEditButton* FRightButton;
    TCustomImageList* FImages = nullptr;
    TChangeLink* FImageChangeLink;
    UnicodeString FTextHint;
};

class TButtonedEdit : public TCustomButtonedEdit {
public:
    using TCustomButtonedEdit::TCustomButtonedEdit;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
