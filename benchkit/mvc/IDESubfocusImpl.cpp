#include "benchkit/mvc/IDESubfocusImpl.h"

HRESULT TSubfocusEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<ISubfocusEvent>(this, iid, out)) return S_OK;
    return TDispatchableEvent::QueryInterface(iid, out);
}
