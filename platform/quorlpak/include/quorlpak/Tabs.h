// TTabSet: a strip of tabs the control draws itself (no panel), as editors
// use to switch files. Changing the current tab asks OnChange first, then
// clicks. Tabs run from StartMargin to the width less EndMargin; tabs that
// do not fit are not shown (their ItemRect is empty).
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ComCtrls.h>
#include <quorlpak/CustomControl.h>
#include <quorlpak/ImgList.h>

#include <memory>
#include <vector>

class TStringList;
class TStrings;

// The tab set's own looks (the tab control's TTabStyle is another type).
enum TTabSetStyle { tsStandard, tsOwnerDraw, tsSoftTabs, tsModernTabs, tsModernPopout };

using TTabChangeEvent = std::function<void(TObject* Sender, int NewTab, bool& AllowChange)>;
using TTabSetGetImageEvent = std::function<void(TObject* Sender, int TabIndex, int& ImageIndex)>;

class TTabSet : public TCustomControl {
public:
    explicit TTabSet(TComponent* AOwner);
    ~TTabSet() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStrings* GetTabs() const;
    void SetTabs(TStrings* Value);
    int GetTabIndex() const { return FTabIndex; }
    // A different index asks OnChange; when allowed it becomes current and Click follows.
    virtual void SetTabIndex(int Value);
    TTabSetStyle GetStyle() const { return FStyle; }
    void SetStyle(TTabSetStyle Value);
    TTabPosition GetTabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition Value);
    int GetStartMargin() const { return FStartMargin; }
    void SetStartMargin(int Value);
    int GetEndMargin() const { return FEndMargin; }
    void SetEndMargin(int Value);
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);

    // The tab at a client point, or -1.
    int ItemAtPos(const TPoint& Pos);
    // The tab's rectangle; empty when it is not shown.
    TRect ItemRect(int Item);
    // The image of a tab (-1: none): OnGetImageIndex decides, by default none.
    int GetImageIndex(int TabIndex);

    TTabChangeEvent OnChange;
    TTabSetGetImageEvent OnGetImageIndex;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual bool CanChange(int NewIndex);

private:
    std::vector<TRect> TabRects();
    void PaintTab(TCanvas* Canvas, const TRect& R, int Index);

    std::unique_ptr<TStringList> FTabs;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TCustomImageList* FImages = nullptr;
    int FTabIndex = -1;
    TTabSetStyle FStyle = tsStandard;
    TTabPosition FTabPosition = tpBottom;
    int FStartMargin = 5;
    int FEndMargin = 5;
};

#pragma GCC visibility pop
