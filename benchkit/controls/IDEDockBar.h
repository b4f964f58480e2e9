// Dockable tool bars for the workbench.
//
// TDockCoolBar is a cool bar that takes only TDockToolBar clients as bands
// and lets the user tear a band off into a floating window: press on the band
// and pull it more than its height beyond the bar's edge, or hold Ctrl. A
// floating tool bar dragged back over the bar docks into it again.
// TDockToolBar is a flat tool bar that floats in a TXToolDockForm.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ToolWin.h>

class TDockToolBar;

class TDockCoolBar : public TCoolBar {
public:
    explicit TDockCoolBar(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos,
                     bool& CanDock) override;
    void DockOver(TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept) override;
    void Dispatch(TMessage& Message) override;

    // The band being pulled, or null.
    TCoolBand* GetTrackBand() const { return FTrackBand; }

protected:
    void CMControlChange(TMessage& Message) override;
    // Tears the tracked band's control off into a floating window at the
    // screen point (X, Y) and goes on dragging it.
    void FloatControl(TControl* Control, int X, int Y);
    void StartTracking(TPoint P);
    void StopTracking();

    TCoolBand* FTrackBand = nullptr;
    TPoint FTrackDrag{};
    TPoint FTrackDelta{};
};

class TDockToolBar : public TToolBar {
public:
    explicit TDockToolBar(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void Dock(TWinControl* NewDockSite, const TRect& ARect) override;
    TWinControl* CreateFloatingDockSite() override;

    // What the workbench's automation reads of the buttons.
    int GetZButtonCount() const;
    int GetZButtonLeft(int Index) const;
    int GetZButtonTop(int Index) const;
    UnicodeString GetZButtonName(int Index) const;
    int GetZButtonIndex(const UnicodeString& Name) const;

protected:
    void Loaded() override;
    void DoAddDockClient(TControl* Client, const TRect& ARect) override;
    void DoRemoveDockClient(TControl* Client) override;

private:
    void ForceLayout();
};

#pragma GCC visibility pop
