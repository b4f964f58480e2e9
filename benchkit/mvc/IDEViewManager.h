// View managers hand a view the painter and the editor for each item.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEItem.h"
#include "benchkit/mvc/IDEModel.h"

struct ISingletonViewManager : virtual IInterface {
    static constexpr InterfaceID<ISingletonViewManager> IID_{
        "{AB3EB0C8-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual InterfacePtr<IItemPainter> GetPainter(IInterface* Data, TItemState States) = 0;
    virtual InterfacePtr<IItemEditor> GetEditor(IInterface* Data, TItemState States) = 0;

protected:
    ~ISingletonViewManager() = default;
};

struct IVectorViewManager : virtual IInterface {
    static constexpr InterfaceID<IVectorViewManager> IID_{"{AB3EB0D1-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual InterfacePtr<IItemPainter> GetPainter(int Index, IInterface* Data,
                                                  TItemState States) = 0;
    virtual InterfacePtr<IItemEditor> GetEditor(int Index, IInterface* Data, TItemState States) = 0;

protected:
    ~IVectorViewManager() = default;
};

struct IGraphViewManager : virtual IInterface {
    static constexpr InterfaceID<IGraphViewManager> IID_{"{EBC71564-FEAB-11D0-8415-00A0248E4C5A}"};
    virtual InterfacePtr<IItemPainter> GetPainter(IGraphLocation* Location, IInterface* Data,
                                                  TItemState States) = 0;
    virtual InterfacePtr<IItemEditor> GetEditor(IGraphLocation* Location, IInterface* Data,
                                                TItemState States) = 0;
    // The view is done with Editor.
    virtual void ClearEditor(IItemEditor* Editor) = 0;

protected:
    ~IGraphViewManager() = default;
};

#pragma GCC visibility pop
