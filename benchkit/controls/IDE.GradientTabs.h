// TIDEGradientTabSet: the gradient tab set whose scroller also carries a
// drop-down ("select view") button and a close button, and stays visible
// when the tabs fit. What the two buttons do is wired by the user.
#pragma once
#pragma GCC visibility push(default)

#include "IDEGradientSpeedButtons.h"

class TClosableTabScroller : public TTabScroller {
public:
    TClosableTabScroller(TComponent* AOwner, int ATabHeight);
    TDownButton* GetDropDownButton() const { return FDropDownButton; }
    TCloseButton* GetCloseButton() const { return FCloseButton; }
    int GetSuggestedWidth(bool ShowScrollers) override;
    void SetShowScrollers(bool Value) override;

protected:
    bool HideWhenNoScrollbarsShown() override { return false; }

private:
    TDownButton* FDropDownButton;
    TCloseButton* FCloseButton;
};

class TIDEGradientTabSet : public TGradientTabSet {
public:
    explicit TIDEGradientTabSet(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TClosableTabScroller* GetScroller() const {
        return static_cast<TClosableTabScroller*>(FScroller);
    }
    TStrings* GetTabs() const { return FTabList; }

protected:
    TTabScroller* CreateTabScroller(int TabHeight) override;
};

#pragma GCC visibility pop
