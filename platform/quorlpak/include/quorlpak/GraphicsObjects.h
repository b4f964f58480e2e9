// The drawing tools a canvas selects: the change-notifying base, pens and
// brushes. (Fonts are in Font.h.) Each creates its GDI handle on first use and
// drops it when a property changes; OnChange tells the canvas to reselect.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Colors.h>
#include <quorlpak/ControlTypes.h>
#include <runpak/Component.h>
#include <win32/wingdi.h>

class TBitmap;

class TGraphicsObject : public TPersistent {
public:
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    TNotifyEvent OnChange;
    // The owner, for name paths (the control or canvas that holds the tool).
    TPersistent* GetOwner() const override { return FOwner; }
    void SetOwner(TPersistent* Owner) { FOwner = Owner; }

protected:
    virtual void Changed();

private:
    TPersistent* FOwner = nullptr;
};

enum TPenStyle {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame,
    psUserStyle,
    psAlternate
};
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
// The SetROP2 code of a pen mode.
int PenModeToRop2(TPenMode Mode);

class TPen : public TGraphicsObject {
public:
    TPen() = default;
    ~TPen() override;
    TPen(const TPen&) = delete;
    TPen& operator=(const TPen&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Assign(TPersistent* Source) override;

    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);
    TPenStyle GetStyle() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode GetMode() const { return FMode; }
    void SetMode(TPenMode Value);
    HPEN GetHandle();
    // Adopts a pen made elsewhere; its colour, width and style become ours.
    void SetHandle(HPEN Value);

private:
    void Replace(); // drops the handle, tells the listeners, then frees it

    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
    HPEN FHandle = nullptr;
};

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

class TBrush : public TGraphicsObject {
public:
    TBrush() = default;
    ~TBrush() override;
    TBrush(const TBrush&) = delete;
    TBrush& operator=(const TBrush&) = delete;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
    void Assign(TPersistent* Source) override;

    TColor GetColor() const { return FColor; }
    // Setting a colour on a clear brush makes it solid, as the framework does.
    void SetColor(TColor Value);
    TBrushStyle GetStyle() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    // A pattern bitmap (not owned); null for none.
    TBitmap* GetBitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* Value);
    HBRUSH GetHandle();
    void SetHandle(HBRUSH Value);

private:
    void Replace();

    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
    HBRUSH FHandle = nullptr;
};

#pragma GCC visibility pop
