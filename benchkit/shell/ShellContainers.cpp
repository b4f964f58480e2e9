// TVirtualNameSpaceList.
#include "benchkit/shell/IDEVirtualShellContainers.h"

void TVirtualNameSpaceList::FreeNamespaces() {
    for (int i = 0; i < GetCount(); ++i) {
        TNamespace* item = GetItems(i);
        TList::SetItems(i, nullptr);
        delete item;
    }
}

void TVirtualNameSpaceList::FillArray(TNamespaceArray& NamespaceArray) const {
    NamespaceArray.assign(GetCount(), nullptr);
    for (int i = 0; i < GetCount(); ++i)
        NamespaceArray[i] = GetItems(i);
}

void TVirtualNameSpaceList::Notify(void* Ptr, TListNotification Action) {
    if (OnChanged) OnChanged(this, static_cast<TNamespace*>(static_cast<TObject*>(Ptr)), Action);
    TObjectList::Notify(Ptr, Action);
}
