// Registration of the system control classes: once, on the first class lookup
// (CreateWindowExW, GetClassInfo...), never at load time.
#include "../UserState.h"
#include "Controls.h"

namespace win32::controls {

void RegisterSystemClasses() {
    // The caller holds the tree lock, which makes this flag safe; RegisterClassExW
    // comes back here through the class lookup and must find it set.
    static bool registered = false;
    if (registered) return;
    registered = true;
    struct Spec {
        const char16_t* name;
        WNDPROC proc;
        UINT style;
    };
    static const Spec specs[] = {
        {u"Button", ButtonProc, CS_DBLCLKS | CS_VREDRAW | CS_HREDRAW | CS_PARENTDC},
        {u"Edit", EditProc, CS_DBLCLKS | CS_PARENTDC},
        {u"Static", StaticProc, CS_DBLCLKS | CS_PARENTDC},
        {u"ListBox", ListBoxProc, CS_DBLCLKS | CS_PARENTDC},
        {u"ComboBox", ComboBoxProc, CS_DBLCLKS | CS_PARENTDC | CS_VREDRAW | CS_HREDRAW},
        {u"ComboLBox", ComboListProc, CS_DBLCLKS | CS_SAVEBITS},
        {u"SysTabControl32", TabControlProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_PARENTDC},
        {u"SysTreeView32", TreeViewProc, CS_DBLCLKS},
        {u"ComboBoxEx32", ComboBoxExProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW},
        {u"msctls_updown32", UpDownProc, CS_HREDRAW | CS_VREDRAW},
        {u"SysHeader32", HeaderProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_PARENTDC},
        {u"SysListView32", ListViewProc, CS_DBLCLKS | CS_PARENTDC},
        {u"msctls_statusbar32", StatusBarProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW},
    };
    for (const Spec& spec : specs) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = spec.style;
        wc.lpfnWndProc = spec.proc;
        wc.lpszClassName = spec.name;
        ATOM atom = RegisterClassExW(&wc);
        for (auto& c : user::S().classes)
            if (c->atom == atom) c->system = true;
    }
}

} // namespace win32::controls
