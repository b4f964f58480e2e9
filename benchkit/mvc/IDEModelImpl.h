// The base of every model event: the id is the change code and 15, so a
// model listener learns "content" (1) or "structure" (2) from any code.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEEvent.h"
#include "benchkit/mvc/IDEModel.h"
#include "benchkit/mvc/IDEMulticast.h"

class TModelEvent : public TDispatchableEvent, public virtual IModelEvent {
public:
    TModelEvent(IInterface* Source, int Id) : TDispatchableEvent(Source), FId(Id & 15) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;
    int GetId() override { return FId; }

protected:
    int FId;
};

#pragma GCC visibility pop
