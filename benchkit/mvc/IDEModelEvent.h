// Tree events: a node of a tree view was expanded (1000) or collapsed (1001).
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEModel.h"

// The tree view declares interfaces of the same names with another identity
// and slot order; these live in their unit's namespace so that a program
// including both never sees two definitions of one name.
namespace IDEModelEvent {

enum : int { TREE_NODE_EXPANDED = 1000, TREE_NODE_COLLAPSED = 1001 };

struct ITreeEvent : virtual IDispatchableEvent {
    static constexpr InterfaceID<ITreeEvent> IID_{"{7861BFB9-1F26-11D1-AEB4-0020AF32BB01}"};
    virtual InterfacePtr<IGraphLocation> GetLocation() = 0;
    virtual int GetId() = 0;

protected:
    ~ITreeEvent() = default;
};

struct ITreeListener : virtual IEventListener {
    static constexpr InterfaceID<ITreeListener> IID_{"{A32F2E73-07B5-11D1-AE96-0020AF32BB01}"};
    virtual void NodeExpanded(ITreeEvent* E) = 0;
    virtual void NodeCollapsed(ITreeEvent* E) = 0;

protected:
    ~ITreeListener() = default;
};

} // namespace IDEModelEvent

#pragma GCC visibility pop
