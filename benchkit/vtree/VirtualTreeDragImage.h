// The translucent picture of dragged nodes that follows the mouse across the
// screen. It keeps the screen's pixels under it in a buffer, blends itself
// over them and, when it moves a little, repaints only the strips it leaves
// and newly covers.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/vtree/VirtualTreeTypes.h"
#include <quorlpak/Bitmap.h>

#include <win32/oleidl.h>
#include <win32/windows.h>

#include <memory>

class TBaseVirtualTree;

enum TVTDragImageKind { diComplete, diMainColumnOnly, diNoImage };
enum TVTDragMoveRestriction { dmrNone, dmrHorizontalOnly, dmrVerticalOnly };
enum TVTDragImageState { disHidden, disInDrag, disPrepared, disSystemSupport };
using TVTDragImageStates = TPackedSet<TVTDragImageState, uint8_t>;

// A colour no pixel has: no colour becomes transparent.
constexpr TColor DragImageNoColorKey = TColor(0x1FFFFFFF);

class TVTDragImage : public TObject {
public:
    explicit TVTDragImage(TBaseVirtualTree* AOwner);
    ~TVTDragImage() override;

    // Takes a copy of Image, to be shown with its top left at ImagePosition
    // (screen); HotSpot is the mouse position (screen) the moves start from.
    void PrepareDrag(TBitmap* Image, TPoint ImagePosition, TPoint HotSpot, IDataObject* DataObject);
    void ShowDragImage();
    void HideDragImage();
    // Moves the image with the mouse at P (screen); true when it moved or
    // ForceRepaint redrew it.
    bool DragTo(TPoint P, bool ForceRepaint = false);
    void EndDrag();
    TRect GetDragImageRect() const;
    // Repaints into the saved background the part of Tree's client area R
    // that lies under the image (limited to VisibleRegion, screen
    // coordinates, when given), so that what the tree paints meanwhile is
    // not lost when the image moves on.
    void RecaptureBackground(TBaseVirtualTree* Tree, TRect R, HRGN VisibleRegion,
                             bool CaptureNCArea, bool ReshowDragImage);
    bool WillMove(TPoint P) const;
    bool Visible() const;

    uint8_t GetTransparency() const { return FTransparency; }
    void SetTransparency(uint8_t Value) { FTransparency = Value; }
    int8_t GetPreBlendBias() const { return FPreBlendBias; }
    void SetPreBlendBias(int8_t Value) { FPreBlendBias = Value; }
    int8_t GetPostBlendBias() const { return FPostBlendBias; }
    void SetPostBlendBias(int8_t Value) { FPostBlendBias = Value; }
    bool GetFade() const { return FFade; }
    void SetFade(bool Value) { FFade = Value; }
    TVTDragMoveRestriction GetMoveRestriction() const { return FRestriction; }
    void SetMoveRestriction(TVTDragMoveRestriction Value) { FRestriction = Value; }
    TColor GetColorKey() const { return FColorKey; }
    void SetColorKey(TColor Value) { FColorKey = Value; }
    TVTDragImageStates GetStates() const { return FStates; }
    TPoint GetImagePosition() const { return FImagePosition; }
    // The prepared image with its alpha channel (null outside a drag).
    TBitmap* GetPreparedImage() const { return FDragImage.get(); }

protected:
    // Alpha of every pixel of Target from Source: 0 for the key colour,
    // otherwise 255, or with fading falling off from the centre outwards.
    void MakeAlphaChannel(TBitmap* Source, TBitmap* Target);
    // Blends the image over the saved background and puts the result on DC
    // (the screen) at the image position.
    void InternalShowDragImage(HDC ScreenDC);
    TPoint RestrictedMove(TPoint P) const;

    TBaseVirtualTree* FOwner;
    uint8_t FTransparency = 128;
    int8_t FPreBlendBias = 0;
    int8_t FPostBlendBias = 0;
    bool FFade = false;
    TVTDragMoveRestriction FRestriction = dmrNone;
    TColor FColorKey = DragImageNoColorKey;
    TVTDragImageStates FStates;
    TPoint FImagePosition{};
    TPoint FLastPosition{};
    std::unique_ptr<TBitmap> FDragImage;
    std::unique_ptr<TBitmap> FAlphaImage;
    std::unique_ptr<TBitmap> FBackImage;
};

#pragma GCC visibility pop
