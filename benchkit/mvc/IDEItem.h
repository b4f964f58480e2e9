// Painting and editing one item of a view: the painter measures and draws an
// item's data, the editor edits it in place, and the view serves both as
// their site (colours, font, alignment, margins, graphics).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEFixups.h"
#include "benchkit/mvc/IDEUIEvent.h"
#include "benchkit/mvc/IDEUtil.h"

#include <quorlpak/Colors.h>
#include <runpak/Set.h>
#include <win32/windef.h>

#include <cstdint>

class TCanvas;
class TFont;

// The state in which a painter draws an item.
enum TItemStates {
    isDefault,
    isDisabled,
    isFocused,
    isSelected,
    isIndeterminate,
    isOpened,
    isInactive
};
using TItemState = TSet<TItemStates, 8>;

struct IItemPaintSite : virtual IInterface {
    static constexpr InterfaceID<IItemPaintSite> IID_{"{AB3EB0C4-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual TColor GetBackground() = 0;
    virtual TColor GetForeground() = 0;
    virtual TFont* GetFont() = 0;
    virtual TAlignmentSet GetAlignment() = 0;
    // A new object, owned by the caller.
    virtual TInsets* GetItemMargins() = 0;

protected:
    ~IItemPaintSite() = default;
};

struct IItemPainter : virtual IInterface {
    static constexpr InterfaceID<IItemPainter> IID_{"{AB3EB0C5-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual TDimension GetPreferredSize(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site,
                                        TItemState States) = 0;
    virtual void Paint(IInterface* Data, TCanvas* Canvas, IItemPaintSite* Site, TItemState States,
                       const TRectangle& Rect) = 0;

protected:
    ~IItemPainter() = default;
};

struct IItemEditSite : virtual IItemPaintSite {
    static constexpr InterfaceID<IItemEditSite> IID_{"{AB3EB0C6-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual void EndEdit(bool Post) = 0;
    // Where the click that started the edit fell, in canvas coordinates.
    virtual POINT GetEditClickPoint() = 0;
    virtual TCanvas* GetSiteGraphics() = 0;

protected:
    ~IItemEditSite() = default;
};

// One edit at a time: StartEdit, ChangeBounds*, CanPost and GetValue, EndEdit.
struct IItemEditor : virtual IInterface {
    static constexpr InterfaceID<IItemEditor> IID_{"{AB3EB0C7-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual InterfacePtr<IInterface> GetValue() = 0;
    // The window component that receives input, or nil.
    virtual TKomponent* GetComponent() = 0;
    virtual void StartEdit(IInterface* Value, const TRectangle& Bounds, IItemEditSite* Site) = 0;
    virtual void ChangeBounds(const TRectangle& Bounds) = 0;
    virtual bool CanPost() = 0;
    virtual void EndEdit(bool Posted) = 0;
    virtual void AddKeyListener(IKeyListener* Listener) = 0;
    virtual void RemoveKeyListener(IKeyListener* Listener) = 0;

protected:
    ~IItemEditor() = default;
};

#pragma GCC visibility pop
