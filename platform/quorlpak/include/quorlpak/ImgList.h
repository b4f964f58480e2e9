// TCustomImageList and TImageList: a component over a system image list,
// with change links through which controls that show its images learn of
// changes (and of its destruction).
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Graphics.h>
#include <runpak/Component.h>
#include <runpak/StringList.h>
#include <win32/commctrl.h>

#include <vector>

class TBitmap;
class TCanvas;
class TCustomImageList;

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };
enum TColorDepth { cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };

// A control's subscription to a list's changes.
class TChangeLink : public TObject {
public:
    TChangeLink() = default;
    ~TChangeLink() override;
    TCustomImageList* GetSender() const { return FSender; }
    void SetSender(TCustomImageList* Value) { FSender = Value; }
    virtual void Change();
    TNotifyEvent OnChange;

private:
    TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* AOwner);
    TCustomImageList(int AWidth, int AHeight);
    ~TCustomImageList() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Bitmaps as wide as n images add n images; the first new index or -1.
    int Add(TBitmap* Image, TBitmap* Mask);
    int AddMasked(TBitmap* Image, TColor MaskColor);
    void Clear();
    void Delete(int Index);
    int GetCount() const;
    // Draws image Index; disabled images are drawn greyed.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    void Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle,
              TImageType AImageType, bool Enabled = true);
    // The raw draw: ILD_* style, background and foreground (blend) colours as COLORREF.
    void DrawEx(HDC DC, int X, int Y, int Index, COLORREF Background, COLORREF Foreground,
                UINT Style) const;
    bool Overlay(int ImageIndex, int OverlayIndex);

    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value);
    void SetSize(int AWidth, int AHeight);
    bool GetMasked() const { return FMasked; }
    void SetMasked(bool Value) { FMasked = Value; }
    TColorDepth GetColorDepth() const { return FColorDepth; }
    void SetColorDepth(TColorDepth Value) { FColorDepth = Value; }
    TColor GetBkColor() const { return FBkColor; }
    void SetBkColor(TColor Value);
    TColor GetBlendColor() const { return FBlendColor; }
    void SetBlendColor(TColor Value) { FBlendColor = Value; }
    TDrawingStyle GetDrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle Value) { FDrawingStyle = Value; }
    HIMAGELIST GetHandle();
    // Attaches an existing list (taking its image size); with ShareImages the
    // list is another's and is never destroyed by this object. Nil detaches.
    void SetHandle(HIMAGELIST Value);
    bool GetShareImages() const { return FShareImages; }
    void SetShareImages(bool Value) { FShareImages = Value; }

    void RegisterChanges(TChangeLink* Value);
    void UnRegisterChanges(TChangeLink* Value);
    TNotifyEvent OnChange;

protected:
    virtual void Change();
    void CreateList();

private:
    HIMAGELIST FHandle = nullptr;
    int FWidth = 16;
    int FHeight = 16;
    bool FMasked = true;
    TColorDepth FColorDepth = cd32Bit;
    TColor FBkColor = clNone;
    TColor FBlendColor = clNone;
    TDrawingStyle FDrawingStyle = dsNormal;
    bool FShareImages = false;
    std::vector<TChangeLink*> FClients;
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// clNone becomes CLR_NONE, clDefault CLR_DEFAULT, anything else its RGB value.
COLORREF ImageListColor(TColor Color);

#pragma GCC visibility pop
