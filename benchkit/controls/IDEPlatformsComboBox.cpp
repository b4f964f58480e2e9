#include "IDEPlatformsComboBox.h"

#include <designpak/DesignServices.h>
#include <runpak/Exceptions.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>

#include <algorithm>

namespace {

InterfacePtr<IOTAPlatformServices> PlatformServices() {
    InterfacePtr<IOTAPlatformServices> services;
    if (!Supports(OrvaneIDEServices(), services)) throw EInvalidCast(u"Invalid class typecast");
    return services;
}

} // namespace

TClass TPlatformsComboBox::StaticClass() {
    using T = TPlatformsComboBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TPlatformsComboBox", TCustomComboBox::StaticClass())
            .Property(u"Personality", UnicodeStringTypeInfo, &T::GetPersonality, &T::SetPersonality)
            .Property(u"ShowAllPlatforms", BooleanTypeInfo, &T::GetShowAllPlatforms,
                      &T::SetShowAllPlatforms)
            .Default(false)
            .Property(u"RequiresFramework", BooleanTypeInfo, &T::GetRequiresFramework,
                      &T::SetRequiresFramework)
            .Default(false)
            .Property(u"HideEnabledPlatformsInProject", BooleanTypeInfo,
                      &T::GetHideEnabledPlatformsInProject, &T::SetHideEnabledPlatformsInProject)
            .Default(false));
    return &meta;
}

TPlatformsComboBox::TPlatformsComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
    AddPlatformsToDictionary();
}

void TPlatformsComboBox::AddPlatformsToDictionary() {
    const std::pair<const char16_t*, TPlatforms> entries[] = {
        {u"Win32", phWin32Platform},         {u"WinNX32", phWinNX32Platform},
        {u"WinIoT32", phWinIoT32Platform},   {u"WinARM", phWinARMPlatform},
        {u"OSX32", phOSX32Platform},         {u"Win64", phWin64Platform},
        {u"Linux32", phLinux32Platform},     {u"Linux64", phLinux64Platform},
        {u"Android", phAndroidPlatform},     {u"iOSSimulator", phiOSSimulatorPlatform},
        {u"iOSDevice32", phiOSDevice32Platform}, {u"iOSDevice64", phiOSDevice64Platform},
    };
    for (const auto& [name, value] : entries) FPlatformsDictionary[name] = value;
}

void TPlatformsComboBox::Loaded() {
    TCustomComboBox::Loaded();
    SetStyle(csDropDownList);
}

InterfacePtr<IOTAProjectPlatforms> TPlatformsComboBox::ProjectPlatforms() const {
    InterfacePtr<IOTAProjectPlatforms> platforms;
    if (FProject) Supports(FProject.Get(), platforms);
    return platforms;
}

bool TPlatformsComboBox::IsPlatformToHide(const UnicodeString& Key) const {
    auto it = FPlatformsDictionary.find(Key);
    return it != FPlatformsDictionary.end() && FHidePlatforms.Contains(it->second);
}

void TPlatformsComboBox::Populate() {
    FItems->BeginUpdate();
    FItems->Clear();
    FPlatformData.clear();
    InterfacePtr<IOTAPlatformServices> services = PlatformServices();
    TStringArray candidates;
    if (FShowAllPlatforms) candidates = services->GetAllPlatforms();
    InterfacePtr<IOTAProjectPlatforms> projectPlatforms = ProjectPlatforms();
    if (FProject) {
        candidates = projectPlatforms ? projectPlatforms->GetSupportedPlatforms()
                                      : services->GetPlatformsFromPersonality(FProject->GetPersonality());
    } else if (!FPersonality.empty()) {
        candidates = services->GetPlatformsFromPersonality(FPersonality);
    }
    std::vector<std::pair<UnicodeString, InterfacePtr<IOTAPlatform>>> kept;
    for (const UnicodeString& name : candidates) {
        if (IsPlatformToHide(name)) continue;
        InterfacePtr<IOTAPlatform> platform = services->GetPlatform(name);
        if (!platform) continue; // a name the services do not know
        if (FRequiresFramework && !platform->SupportsFramework(RequiredFrameworkType)) continue;
        if (!FPersonality.empty() && !services->PlatformBelongsToPersonality(name, FPersonality))
            continue;
        if (FHideEnabledPlatformsInProject && projectPlatforms && projectPlatforms->GetEnabled(name))
            continue;
        kept.emplace_back(platform->GetDisplayName(), platform);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
        return CompareText(a.first, b.first) < 0;
    });
    for (auto& [text, platform] : kept) {
        FItems->Add(text);
        FPlatformData.push_back(platform);
    }
    FItems->EndUpdate();
}

int TPlatformsComboBox::PlatformIndex(const UnicodeString& Name) const {
    for (size_t i = 0; i < FPlatformData.size(); ++i) {
        IOTAPlatform* platform = FPlatformData[i].Get();
        if (platform ? SameText(platform->GetName(), Name) : Name.empty()) return int(i);
    }
    return -1;
}

int TPlatformsComboBox::PlatformIndex(IOTAPlatform* APlatform) const {
    return PlatformIndex(APlatform ? APlatform->GetName() : UnicodeString());
}

InterfacePtr<IOTAPlatform> TPlatformsComboBox::GetPlatform(int Index) const {
    if (Index < 0 || Index >= int(FPlatformData.size())) return nullptr;
    return FPlatformData[size_t(Index)];
}

InterfacePtr<IOTAPlatform> TPlatformsComboBox::GetSelectedPlatform() {
    return GetPlatform(GetItemIndex());
}

void TPlatformsComboBox::SelectActivePlatform() {
    InterfacePtr<IOTAProjectPlatforms> platforms = ProjectPlatforms();
    if (!platforms) return;
    const int index = PlatformIndex(platforms->GetActivePlatform());
    if (index >= 0) SetItemIndex(index);
}

void TPlatformsComboBox::SetProject(InterfacePtr<IOTAProject> Value) {
    if (FProject.Get() == Value.Get()) return;
    FProject = std::move(Value);
    // The project's personality, stored as it is: setting Personality would drop the project.
    FPersonality = FProject ? FProject->GetPersonality() : UnicodeString();
    Populate();
}

void TPlatformsComboBox::SetPersonality(const UnicodeString& Value) {
    if (FPersonality == Value) return;
    FPersonality = Value;
    FProject = nullptr;
    Populate();
}

void TPlatformsComboBox::SetShowAllPlatforms(bool Value) {
    if (FShowAllPlatforms == Value) return;
    FShowAllPlatforms = Value;
    Populate();
}

void TPlatformsComboBox::SetRequiresFramework(bool Value) {
    if (FRequiresFramework == Value) return;
    FRequiresFramework = Value;
    Populate();
}

void TPlatformsComboBox::SetHidePlatforms(TPlatformsToHide Value) {
    if (FHidePlatforms == Value) return;
    FHidePlatforms = Value;
    Populate();
}

void TPlatformsComboBox::SetHideEnabledPlatformsInProject(bool Value) {
    FHideEnabledPlatformsInProject = Value;
    Populate();
}
