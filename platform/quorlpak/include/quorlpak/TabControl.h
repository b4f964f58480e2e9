// TTabControl: a row of tabs over a panel, on the system tab control. The
// tabs are a string list the control keeps (and copies into a new window);
// a click asks CanChange (OnChanging), switches and calls Change (OnChange).
// Children lie on the panel under the tabs.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/ComCtrls.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/WinControl.h>

#include <memory>

class TStringList;
class TStrings;

using TTabGetImageEvent = std::function<void(TObject* Sender, int TabIndex, int& ImageIndex)>;

class TCustomTabControl : public TWinControl {
public:
    explicit TCustomTabControl(TComponent* AOwner);
    ~TCustomTabControl() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TStrings* GetTabs() const;
    void SetTabs(TStrings* Value);
    // -1 when no tab is current. Setting it asks nobody and fires nothing.
    int GetTabIndex();
    void SetTabIndex(int Value);
    TCustomImageList* GetImages() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TTabStyle GetStyle() const { return FStyle; }
    void SetStyle(TTabStyle Value);
    int GetTabWidth() const { return FTabWidth; }
    // 0: every tab as wide as its text.
    void SetTabWidth(int Value);
    int GetTabHeight() const { return FTabHeight; }
    void SetTabHeight(int Value);

    // The panel's inside, where children lie.
    TRect GetDisplayRect();
    TRect TabRect(int Index);
    int IndexOfTabAt(int X, int Y);
    THitTests GetHitTestInfoAt(int X, int Y);
    // Gives every tab the image GetImageIndex answers.
    void UpdateTabImages();

    void Dispatch(TMessage& Message) override;

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TTabGetImageEvent OnGetImageIndex;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void AdjustClientRect(TRect& Rect) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual bool CanChange();
    virtual void Change();
    // The image of a tab: its index unless OnGetImageIndex says otherwise.
    virtual int GetImageIndex(int TabIndex);

private:
    void TabsChanged();
    void CopyTabsToWindow();
    void ImageListChange(TObject* Sender);

    std::unique_ptr<TStringList> FTabs;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TCustomImageList* FImages = nullptr;
    int FTabIndex = -1; // kept while there is no window
    TTabStyle FStyle = tsTabs;
    int FTabWidth = 0;
    int FTabHeight = 0;
    bool FUpdating = false;
};

class TTabControl : public TCustomTabControl {
public:
    using TCustomTabControl::TCustomTabControl;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
