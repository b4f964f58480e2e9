// The package installer's list of install steps: rows with an icon, a title
// and a description, stacked top to bottom in a scrolling box.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/CustomControl.h>
#include <quorlpak/Graphic.h>
#include <quorlpak/ScrollingWinControl.h>

class TBitmap;

struct TStepData {
    UnicodeString Id;
    UnicodeString Title;
    UnicodeString Desc;
    TGraphic* Icon = nullptr; // not owned
};

class TInstallStepSlider : public TCustomControl {
public:
    explicit TInstallStepSlider(TComponent* AOwner);
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetId() const { return FId; }
    void SetId(const UnicodeString& Value) { FId = Value; }
    const UnicodeString& GetTitle() const { return FTitle; }
    // Stored without leading and trailing blanks.
    void SetTitle(const UnicodeString& Value);
    const UnicodeString& GetDesc() const { return FDesc; }
    void SetDesc(const UnicodeString& Value) { FDesc = Value; }
    TGraphic* GetIcon() const { return FIcon; }
    void SetIcon(TGraphic* Value) { FIcon = Value; }
    TBitmap* GetImgBkg() const { return FImgBkg; }
    void SetImgBkg(TBitmap* Value) { FImgBkg = Value; }
    TPoint GetBkgPos() const { return FBkgPos; }
    void SetBkgPos(const TPoint& Value) { FBkgPos = Value; }

protected:
    void Paint() override;

private:
    UnicodeString FId;
    UnicodeString FTitle;
    UnicodeString FDesc;
    TGraphic* FIcon = nullptr;
    TBitmap* FImgBkg = nullptr;
    TPoint FBkgPos;
};

class TInstallStepSliderGrid : public TScrollBox {
public:
    explicit TInstallStepSliderGrid(TComponent* AOwner);
    ~TInstallStepSliderGrid() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Adds a row below the others and scrolls it into view.
    void AddStep(const TStepData& AStep);
    // Frees every row.
    void Clear();
    // The data of the row added last; false (and Value untouched) without rows.
    bool GetLastStepData(TStepData& Value) const;
    // Fills the row added last as AddStep fills a new one; nothing without rows.
    void SetLastStepData(const TStepData& Value);

    TBitmap* GetImgBkg() const { return FImgBkg; }
    void SetImgBkg(TBitmap* Value) { FImgBkg = Value; }
    TPoint GetBkgPos() const { return FBkgPos; }
    void SetBkgPos(const TPoint& Value) { FBkgPos = Value; }

private:
    TInstallStepSlider* LastRow() const;
    void Fill(TInstallStepSlider* Row, const TStepData& Data);

    TBitmap* FImgBkg = nullptr;
    TPoint FBkgPos;
};

#pragma GCC visibility pop
