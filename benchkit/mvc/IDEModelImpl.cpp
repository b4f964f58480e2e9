#include "benchkit/mvc/IDEModelImpl.h"

HRESULT TModelEvent::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IModelEvent>(this, iid, out)) return S_OK;
    return TDispatchableEvent::QueryInterface(iid, out);
}
