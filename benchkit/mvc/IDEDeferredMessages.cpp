#include "benchkit/mvc/IDEDeferredMessages.h"

#include <win32/winuser.h>

UINT DeferRecalcVisibleMsg() {
    static const UINT id = RegisterWindowMessageW(u"IDE.DeferRecalcVisible");
    return id;
}

UINT DeferDoLayoutMsg() {
    static const UINT id = RegisterWindowMessageW(u"IDE.DeferDoLayout");
    return id;
}
