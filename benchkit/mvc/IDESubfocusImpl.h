// The base of the vector and graph subfocus events.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDESubfocus.h"

class TSubfocusEvent : public TDispatchableEvent, public virtual ISubfocusEvent {
public:
    TSubfocusEvent(IInterface* Source, int Id) : TDispatchableEvent(Source), FId(Id & 15) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int GetId() override { return FId; }

protected:
    int FId;
};

#pragma GCC visibility pop
