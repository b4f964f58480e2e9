#include "IDEExGrid.h"

TClass TTDStringGrid::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TTDStringGrid>(u"TTDStringGrid", TDrawGrid::StaticClass()));
    return &meta;
}

bool TTDStringGrid::CanEditShow() {
    // Without a handler the grid's own answer stands.
    bool canEdit = true;
    if (OnEditRequest) OnEditRequest(this, GetCol(), GetRow(), canEdit);
    return TDrawGrid::CanEditShow() && canEdit;
}

void TTDStringGrid::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_HINTSHOW && OnHint) {
        OnHint(this, reinterpret_cast<THintInfo*>(Message.LParam));
        return;
    }
    TDrawGrid::Dispatch(Message);
}
