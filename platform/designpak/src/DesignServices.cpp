// The services object and the registered layout messages.
#include <designpak/DesignServices.h>
#include <designpak/ToolsAPI.h>

#include <win32/winuser.h>

UINT DeferRecalcVisibleMsg() {
    static const UINT id = RegisterWindowMessageW(u"DeferRecalcVisibleMsg");
    return id;
}

UINT DeferDoLayoutMsg() {
    static const UINT id = RegisterWindowMessageW(u"DeferDoLayoutMsg");
    return id;
}

// The platform services in force (ToolsAPI.cpp).
InterfacePtr<IOTAPlatformServices> CurrentPlatformServices();

namespace {

class TIDEServices : public TInterfacedObject, public IDebuggerInspectServices {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IDebuggerInspectServices>(this, iid, out)) return S_OK;
        if (iid == IIDOf<IOTAPlatformServices>() && out) {
            InterfacePtr<IOTAPlatformServices> platforms = CurrentPlatformServices();
            if (platforms) return platforms->QueryInterface(iid, out);
        }
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    InterfacePtr<IInterface> GetCurrentDebugger() override { return nullptr; }
};

} // namespace

IInterface* OrvaneIDEServices() {
    // One reference is kept for the process, so the object is never freed.
    static IInterface* services = [] {
        auto* s = new TIDEServices;
        s->AddRef();
        return static_cast<IDebuggerInspectServices*>(s);
    }();
    return services;
}
