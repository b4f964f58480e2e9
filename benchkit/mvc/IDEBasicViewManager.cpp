#include "benchkit/mvc/IDEBasicViewManager.h"

HRESULT TBasicViewManager::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IGraphViewManager, IVectorViewManager, ISingletonViewManager>(this, iid,
                                                                                       out))
        return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}
