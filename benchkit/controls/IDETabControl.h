// Thin descendants of the framework's tab controls used by the workbench:
// tab and page controls that can drop their border, a tab control whose owner
// answers the help key, and the editor's tab set with per-tab hints, image
// hit-testing and a veto before the tab changes.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ComCtrls.h>
#include <quorlpak/StdCtrls.h>
#include <quorlpak/TabControl.h>
#include <quorlpak/Tabs.h>

class TXTabControl : public TTabControl {
public:
    explicit TXTabControl(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    void DoUpdateTabImages();
    // Gives one tab another image, leaving the others alone.
    void UpdateImageAtIndex(int Index, int ImageIndex);
    void Dispatch(TMessage& Message) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};

class TXPageControl : public TPageControl {
public:
    explicit TXPageControl(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    void Dispatch(TMessage& Message) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};

using THelpRequestEvent = std::function<void(TObject* Sender, TMessage& Message, bool& Handled)>;

class TComponentPaletteTabControl : public TXTabControl {
public:
    using TXTabControl::TXTabControl;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Dispatch(TMessage& Message) override;

    THelpRequestEvent OnHelpRequest;
};

using TGetTabHintTextEvent =
    std::function<void(TObject* Sender, int TabIndex, UnicodeString& HintStr, bool& Handled)>;

class TCodeEditorTabControl : public TTabSet {
public:
    explicit TCodeEditorTabControl(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // OnChanging may refuse; OnChange follows either way.
    void SetTabIndex(int Value) override;
    int IndexOfTabAt(int X, int Y);
    TRect TabRect(int Index);
    THitTests GetHitTestInfoAt(int X, int Y);
    void DoUpdateTabImages();
    void UpdateImageAtIndex(int Index);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value) { FBorderStyle = Value; }
    int GetLastTabHintIndex() const { return FLastTabHintIndex; }
    void Dispatch(TMessage& Message) override;

    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;
    TGetTabHintTextEvent OnGetTabHintText;

protected:
    void MouseMove(TShiftState Shift, int X, int Y) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
    int FLastTabHintIndex = -1;
};

#pragma GCC visibility pop
