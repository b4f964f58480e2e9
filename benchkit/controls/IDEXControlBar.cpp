#include "IDEXControlBar.h"

#include <runpak/TypeInfo.h>

TClass TXControlBar::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TXControlBar>(u"TXControlBar", TControlBar::StaticClass()));
    return &meta;
}

bool TXControlBar::DragControl(TControl* AControl, int X, int Y, bool KeepCapture) {
    bool drag = true;
    if (AControl && OnBandDrag) OnBandDrag(this, AControl, drag);
    if (!drag) return false;
    return TControlBar::DragControl(AControl, X, Y, KeepCapture);
}
