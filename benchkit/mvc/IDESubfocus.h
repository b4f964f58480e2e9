// Subfocus: the one item of a view that has the keyboard focus. A view asks
// its listeners before moving it (SubfocusChanging, which may refuse with
// EVetoException) and announces the move afterwards (SubfocusChanged).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEModel.h"

struct ISubfocusEvent : virtual IDispatchableEvent {
    static constexpr InterfaceID<ISubfocusEvent> IID_{"{BA96B0D8-9FFE-44AA-9B3D-AE5820D1491C}"};
    virtual int GetId() = 0;

protected:
    ~ISubfocusEvent() = default;
};

struct IVectorSubfocusEvent : virtual ISubfocusEvent {
    static constexpr InterfaceID<IVectorSubfocusEvent> IID_{
        "{7861BFB4-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual int GetLocation() = 0;

protected:
    ~IVectorSubfocusEvent() = default;
};

struct IVectorSubfocusListener : virtual IEventListener {
    static constexpr InterfaceID<IVectorSubfocusListener> IID_{
        "{AB3EB0D2-F8AA-11D0-9AD2-0000C0091B45}"};
    virtual void SubfocusChanging(IVectorSubfocusEvent* E) = 0;
    virtual void SubfocusChanged(IVectorSubfocusEvent* E) = 0;

protected:
    ~IVectorSubfocusListener() = default;
};

struct IGraphSubfocusEvent : virtual ISubfocusEvent {
    static constexpr InterfaceID<IGraphSubfocusEvent> IID_{
        "{7861BFB7-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual InterfacePtr<IGraphLocation> GetLocation() = 0;

protected:
    ~IGraphSubfocusEvent() = default;
};

struct IGraphSubfocusListener : virtual IEventListener {
    static constexpr InterfaceID<IGraphSubfocusListener> IID_{
        "{EBC71565-FEAB-11D0-8415-00A0248E4C5A}"};
    virtual void SubfocusChanging(IGraphSubfocusEvent* E) = 0;
    virtual void SubfocusChanged(IGraphSubfocusEvent* E) = 0;

protected:
    ~IGraphSubfocusListener() = default;
};

#pragma GCC visibility pop
