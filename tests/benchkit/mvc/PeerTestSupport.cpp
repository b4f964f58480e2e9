#include "PeerTestSupport.h"

std::string Describe(IAWTEvent* E) {
    std::string s = std::to_string(E->GetID());
    if (InterfacePtr<IMouseEvent> m; Supports(E, m))
        s += " " + std::to_string(m->GetX()) + "," + std::to_string(m->GetY()) + " c" +
             std::to_string(m->GetClickCount()) + (m->IsPopupTrigger() ? " popup" : "") + " m" +
             std::to_string(m->GetModifiers());
    else if (InterfacePtr<IKeyEvent> k; Supports(E, k))
        s += " code " + std::to_string(k->GetKeyCode()) + " char " +
             std::to_string(int(k->GetKeyChar())) + " m" + std::to_string(k->GetModifiers());
    return s;
}
