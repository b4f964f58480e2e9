// The workbench's design-time services: the services object that tools
// query, and the registered messages by which views defer layout work.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Interfaces.h>
#include <win32/windef.h>

// Registered message numbers (the same in every module that asks): a view
// posts them to itself to fold many layout requests into one.
UINT DeferRecalcVisibleMsg();
UINT DeferDoLayoutMsg();

// The debugger's answer to an inspector that finished a modal edit; this host
// has no debugger, so the inspector services below offer none.
struct IDebuggerInspectServices : virtual IInterface {
    static constexpr InterfaceID<IDebuggerInspectServices> IID_{
        "{7EF7625C-42C0-434F-B538-76B12C3D8E7C}"};
    // The current debugger's interface, or null without a debugger.
    virtual InterfacePtr<IInterface> GetCurrentDebugger() = 0;

protected:
    ~IDebuggerInspectServices() = default;
};

// The services global: answers the interfaces above and the platform
// services of ToolsAPI.h; every other query fails
// with E_NOINTERFACE, as a host without that service does. Created on first
// use, it lives as long as the process.
IInterface* OrvaneIDEServices();

#pragma GCC visibility pop
