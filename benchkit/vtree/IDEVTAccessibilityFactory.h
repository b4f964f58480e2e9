// The IDEVTAccessibilityFactory unit: the process's list of accessibility
// providers, which make the accessible objects of trees. A tree asks the
// factory when it first answers WM_GETOBJECT.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Interfaces.h>
#include <win32/oleacc.h>

#include <vector>

class TBaseVirtualTree;

// Makes an accessible object for a tree: a new reference, or null when it
// has none to give.
struct IVTAccessibleProvider : virtual IInterface {
    static constexpr InterfaceID<IVTAccessibleProvider> IID_{
        "{2C1B7F6E-8E1A-4D35-9B4E-4C7A1E0B5D21}"};
    virtual IAccessible* CreateIAccessible(TBaseVirtualTree* ATree) = 0;
};

class TVTAccessibilityFactory : public TObject {
public:
    ~TVTAccessibilityFactory() override;
    // The tree's own object when it has none yet (the first provider's),
    // else its item object when it has one, else the answer of the later
    // providers, the last registered first. Null without providers.
    InterfacePtr<IAccessible> CreateIAccessible(TBaseVirtualTree* ATree);
    // Adds a provider once; removes it when present.
    void RegisterAccessibleProvider(IVTAccessibleProvider* AProvider);
    void UnRegisterAccessibleProvider(IVTAccessibleProvider* AProvider);
    int GetProviderCount() const { return int(FAccessibleProviders.size()); }

private:
    std::vector<InterfacePtr<IVTAccessibleProvider>> FAccessibleProviders;
};

// The process's factory, made on first use.
TVTAccessibilityFactory* GetAccessibilityFactory();

void InitializeIDEVTAccessibilityFactory();
void FinalizeIDEVTAccessibilityFactory();

#pragma GCC visibility pop
