// The workbench's platforms, its own projects and their build configurations.
#include <designpak/DesignServices.h>
#include <designpak/ToolsAPI.h>

#include <runpak/Strings.h>

#include <algorithm>
#include <map>
#include <mutex>

const char16_t* const sAllPlatforms = u"All platforms";
const char16_t* const sAllConfigurations = u"All configurations";

namespace {

struct TPlatformInfo {
    const char16_t* Name;
    const char16_t* DisplayName;
    bool Framework;    // offers the required framework
    bool AllPersonalities;
};

const TPlatformInfo kPlatforms[] = {
    {u"Win32", u"32-bit Windows", true, true},
    {u"WinNX32", u"32-bit Windows (NX)", false, false},
    {u"WinIoT32", u"32-bit Windows (IoT)", false, false},
    {u"WinARM", u"Windows on ARM", false, false},
    {u"OSX32", u"32-bit macOS", true, false},
    {u"Win64", u"64-bit Windows", true, true},
    {u"Linux32", u"32-bit Linux", false, false},
    {u"Linux64", u"64-bit Linux", false, true},
    {u"Android", u"Android", true, false},
    {u"iOSSimulator", u"iOS Simulator", true, false},
    {u"iOSDevice32", u"32-bit iOS device", true, false},
    {u"iOSDevice64", u"64-bit iOS device", true, false},
};

// The personalities: "Native" builds for every platform, "Scripted" for the desktop ones.
const char16_t* const kNative = u"Native";
const char16_t* const kScripted = u"Scripted";

class TPlatform : public TInterfacedObject, public IOTAPlatform {
public:
    explicit TPlatform(const TPlatformInfo& Info) : FInfo(Info) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IOTAPlatform>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    UnicodeString GetDisplayName() override { return FInfo.DisplayName; }
    UnicodeString GetName() override { return FInfo.Name; }
    bool SupportsFramework(int FrameworkType) override {
        return FrameworkType == RequiredFrameworkType && FInfo.Framework;
    }

private:
    const TPlatformInfo& FInfo;
};

class TPlatformServices : public TInterfacedObject, public IOTAPlatformServices {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IOTAPlatformServices>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    TStringArray GetAllPlatforms() override {
        TStringArray names;
        for (const TPlatformInfo& p : kPlatforms) names.push_back(p.Name);
        return names;
    }
    TStringArray GetPlatformsFromPersonality(const UnicodeString& Personality) override {
        TStringArray names;
        for (const TPlatformInfo& p : kPlatforms)
            if (PlatformBelongsToPersonality(p.Name, Personality)) names.push_back(p.Name);
        return names;
    }
    bool PlatformExists(const UnicodeString& Name) override { return Find(Name) != nullptr; }
    InterfacePtr<IOTAPlatform> GetPlatform(const UnicodeString& Name) override {
        const TPlatformInfo* info = Find(Name);
        if (!info) return nullptr;
        return InterfacePtr<IOTAPlatform>(new TPlatform(*info));
    }
    UnicodeString GetPlatformDisplayName(const UnicodeString& Name) override {
        const TPlatformInfo* info = Find(Name);
        return info ? UnicodeString(info->DisplayName) : UnicodeString();
    }
    TStringArray GetPersonalities() override { return {kNative, kScripted}; }
    bool PlatformBelongsToPersonality(const UnicodeString& Name,
                                      const UnicodeString& Personality) override {
        const TPlatformInfo* info = Find(Name);
        if (!info) return false;
        if (Personality == kNative) return true;
        return Personality == kScripted && info->AllPersonalities;
    }

private:
    static const TPlatformInfo* Find(const UnicodeString& Name) {
        for (const TPlatformInfo& p : kPlatforms)
            if (SameText(Name, p.Name)) return &p;
        return nullptr;
    }
};

std::mutex servicesLock;
InterfacePtr<IOTAPlatformServices> installedServices;

// --- A project of the workbench's own ---------------------------------------------------------

class TConfiguration : public TInterfacedObject, public IOTABuildConfiguration {
public:
    TConfiguration(UnicodeString Name, UnicodeString Platform)
        : FName(std::move(Name)), FPlatform(std::move(Platform)) {}
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IOTABuildConfiguration>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    UnicodeString GetName() override { return FName; }
    int GetChildCount() override { return int(FChildren.size()); }
    InterfacePtr<IOTABuildConfiguration> GetChild(int Index) override {
        if (Index < 0 || Index >= int(FChildren.size())) return nullptr;
        return FChildren[size_t(Index)];
    }
    InterfacePtr<IOTABuildConfiguration> GetPlatformConfiguration(
        const UnicodeString& Platform) override {
        auto it = FVariants.find(Platform);
        return it == FVariants.end() ? nullptr : it->second;
    }
    UnicodeString GetPlatform() override { return FPlatform; }
    InterfacePtr<IOTABuildConfiguration> GetFileConfiguration(const UnicodeString&) override {
        return nullptr;
    }

    std::vector<InterfacePtr<IOTABuildConfiguration>> FChildren;
    std::map<UnicodeString, InterfacePtr<IOTABuildConfiguration>> FVariants;

private:
    UnicodeString FName;
    UnicodeString FPlatform;
};

class TProjectOptions : public TInterfacedObject, public IOTAProjectOptionsConfigurations {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IOTAProjectOptionsConfigurations>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    int GetConfigurationCount() override { return int(FAll.size()); }
    InterfacePtr<IOTABuildConfiguration> GetConfiguration(int Index) override {
        if (Index < 0 || Index >= int(FAll.size())) return nullptr;
        return FAll[size_t(Index)];
    }
    InterfacePtr<IOTABuildConfiguration> GetActiveConfiguration() override { return FActive; }
    void SetActiveConfiguration(IOTABuildConfiguration* Value) override { FActive = Value; }
    InterfacePtr<IOTABuildConfiguration> GetBaseConfiguration() override { return FBase; }

    std::vector<InterfacePtr<IOTABuildConfiguration>> FAll;
    InterfacePtr<IOTABuildConfiguration> FBase;
    InterfacePtr<IOTABuildConfiguration> FActive;
};

class TProject : public TInterfacedObject, public IOTAProject, public IOTAProjectPlatforms {
public:
    TProject(UnicodeString Personality, TStringArray Platforms)
        : FPersonality(std::move(Personality)), FPlatforms(std::move(Platforms)),
          FOptions(new TProjectOptions) {
        if (!FPlatforms.empty()) FActivePlatform = FPlatforms.front();
        for (const UnicodeString& p : FPlatforms) FEnabled[p] = true;
        auto* options = static_cast<TProjectOptions*>(FOptions.Get());
        auto* base = MakeConfiguration(u"Base", options);
        options->FBase = base;
        for (const char16_t* name : {u"Debug", u"Release"}) {
            auto* child = MakeConfiguration(name, options);
            base->FChildren.push_back(InterfacePtr<IOTABuildConfiguration>(child));
        }
        options->FActive = base->FChildren.front();
    }
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IOTAProject, IOTAProjectPlatforms>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }

    UnicodeString GetPersonality() override { return FPersonality; }
    InterfacePtr<IInterface> GetProjectOptions() override {
        return InterfacePtr<IInterface>(
            static_cast<IOTAProjectOptionsConfigurations*>(
                static_cast<TProjectOptions*>(FOptions.Get())));
    }

    UnicodeString GetActivePlatform() override { return FActivePlatform; }
    bool GetEnabled(const UnicodeString& Platform) override {
        auto it = FEnabled.find(Platform);
        return it != FEnabled.end() && it->second;
    }
    TStringArray GetPlatforms() override { return FPlatforms; }
    void SetActivePlatform(const UnicodeString& Platform) override { FActivePlatform = Platform; }
    void SetEnabled(const UnicodeString& Platform, bool Value) override {
        if (FEnabled.count(Platform)) FEnabled[Platform] = Value;
    }
    TStringArray GetSupportedPlatforms() override { return FPlatforms; }

private:
    TConfiguration* MakeConfiguration(const UnicodeString& Name, TProjectOptions* Options) {
        auto* configuration = new TConfiguration(Name, u"");
        Options->FAll.push_back(InterfacePtr<IOTABuildConfiguration>(configuration));
        for (const UnicodeString& p : FPlatforms) {
            InterfacePtr<IOTABuildConfiguration> variant(new TConfiguration(Name, p));
            configuration->FVariants[p] = variant;
            Options->FAll.push_back(variant);
        }
        return configuration;
    }

    UnicodeString FPersonality;
    TStringArray FPlatforms;
    UnicodeString FActivePlatform;
    std::map<UnicodeString, bool> FEnabled;
    InterfacePtr<IOTAProjectOptionsConfigurations> FOptions;
};

} // namespace

InterfacePtr<IOTAPlatformServices> CurrentPlatformServices() {
    std::lock_guard<std::mutex> guard(servicesLock);
    if (!installedServices) installedServices = InterfacePtr<IOTAPlatformServices>(new TPlatformServices);
    return installedServices;
}

void SetPlatformServices(InterfacePtr<IOTAPlatformServices> Services) {
    std::lock_guard<std::mutex> guard(servicesLock);
    installedServices = std::move(Services);
}

UnicodeString ConfigurationDisplayTitle(IOTABuildConfiguration* Configuration, bool Full) {
    if (!Configuration) return {};
    const UnicodeString name = Configuration->GetName();
    UnicodeString title = name == u"Base" ? UnicodeString(sAllConfigurations) : name;
    const UnicodeString platform = Configuration->GetPlatform();
    if (Full && !platform.empty()) title += u" (" + platform + u")";
    return title;
}

InterfacePtr<IOTAProject> CreateDesignProject(const UnicodeString& Personality,
                                              const TStringArray& Platforms) {
    return InterfacePtr<IOTAProject>(new TProject(Personality, Platforms));
}
