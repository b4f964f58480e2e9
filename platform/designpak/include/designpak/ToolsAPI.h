// The workbench's project, platform and build-configuration services.
//
// A project targets platforms ("Win32", "Win64", ...) and holds a tree of
// build configurations: the base configuration, named children under it
// ("Debug", "Release"), and for each configuration one variant per platform
// of the project. The services global answers IOTAPlatformServices with the
// platforms the workbench knows; a host (or a test) may install its own.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Interfaces.h>
#include <runpak/UString.h>

#include <vector>

using TStringArray = std::vector<UnicodeString>;

// A target platform.
struct IOTAPlatform : virtual IInterface {
    static constexpr InterfaceID<IOTAPlatform> IID_{"{5C1A5E0F-8E23-4B7E-9A0C-3E51D3C2B0A1}"};
    virtual UnicodeString GetDisplayName() = 0;
    virtual UnicodeString GetName() = 0;
    // Whether the platform offers the framework of the given kind.
    virtual bool SupportsFramework(int FrameworkType) = 0;

protected:
    ~IOTAPlatform() = default;
};

// The framework kind a platform must offer for a component that needs it.
constexpr int RequiredFrameworkType = 3;

struct IOTABuildConfiguration : virtual IInterface {
    static constexpr InterfaceID<IOTABuildConfiguration> IID_{
        "{1F8C7B66-2C3A-4E55-8B9D-62B0F1E8A7C4}"};
    virtual UnicodeString GetName() = 0;
    virtual int GetChildCount() = 0;
    virtual InterfacePtr<IOTABuildConfiguration> GetChild(int Index) = 0;
    // This configuration's variant for a platform (null when the project lacks it).
    virtual InterfacePtr<IOTABuildConfiguration> GetPlatformConfiguration(
        const UnicodeString& Platform) = 0;
    // The platform of a variant; empty for a configuration of all platforms.
    virtual UnicodeString GetPlatform() = 0;
    // The configuration that applies to one file of the project (null: none of its own).
    virtual InterfacePtr<IOTABuildConfiguration> GetFileConfiguration(
        const UnicodeString& FileName) = 0;

protected:
    ~IOTABuildConfiguration() = default;
};

// The build configurations of a project's options.
struct IOTAProjectOptionsConfigurations : virtual IInterface {
    static constexpr InterfaceID<IOTAProjectOptionsConfigurations> IID_{
        "{55A4A36F-210E-4B0B-BD2D-A15354992A5C}"};
    virtual int GetConfigurationCount() = 0;
    virtual InterfacePtr<IOTABuildConfiguration> GetConfiguration(int Index) = 0;
    virtual InterfacePtr<IOTABuildConfiguration> GetActiveConfiguration() = 0;
    virtual void SetActiveConfiguration(IOTABuildConfiguration* Value) = 0;
    virtual InterfacePtr<IOTABuildConfiguration> GetBaseConfiguration() = 0;

protected:
    ~IOTAProjectOptionsConfigurations() = default;
};

struct IOTAProject : virtual IInterface {
    static constexpr InterfaceID<IOTAProject> IID_{"{0C5E1D7A-4B63-4F0E-9E8B-7A2D3C91F6B5}"};
    virtual UnicodeString GetPersonality() = 0;
    // The project's options; they may answer IOTAProjectOptionsConfigurations.
    virtual InterfacePtr<IInterface> GetProjectOptions() = 0;

protected:
    ~IOTAProject() = default;
};

// The platforms of a project.
struct IOTAProjectPlatforms : virtual IInterface {
    static constexpr InterfaceID<IOTAProjectPlatforms> IID_{
        "{4A03546D-37DD-4BDB-A50E-8B5AAFB6212F}"};
    virtual UnicodeString GetActivePlatform() = 0;
    virtual bool GetEnabled(const UnicodeString& Platform) = 0;
    virtual TStringArray GetPlatforms() = 0;
    virtual void SetActivePlatform(const UnicodeString& Platform) = 0;
    virtual void SetEnabled(const UnicodeString& Platform, bool Value) = 0;
    virtual TStringArray GetSupportedPlatforms() = 0;

protected:
    ~IOTAProjectPlatforms() = default;
};

// The platforms the workbench knows.
struct IOTAPlatformServices : virtual IInterface {
    static constexpr InterfaceID<IOTAPlatformServices> IID_{
        "{7144C21F-D550-451E-B684-9189BD21B53E}"};
    virtual TStringArray GetAllPlatforms() = 0;
    virtual TStringArray GetPlatformsFromPersonality(const UnicodeString& Personality) = 0;
    virtual bool PlatformExists(const UnicodeString& Name) = 0;
    virtual InterfacePtr<IOTAPlatform> GetPlatform(const UnicodeString& Name) = 0;
    virtual UnicodeString GetPlatformDisplayName(const UnicodeString& Name) = 0;
    virtual TStringArray GetPersonalities() = 0;
    virtual bool PlatformBelongsToPersonality(const UnicodeString& Name,
                                              const UnicodeString& Personality) = 0;

protected:
    ~IOTAPlatformServices() = default;
};

// Texts for a configuration of all platforms and for the base configuration.
extern const char16_t* const sAllPlatforms;
extern const char16_t* const sAllConfigurations;

// The text a selector shows for a configuration: "Debug", "Debug (Win64)";
// the base configuration is sAllConfigurations. With Full a platform variant
// names its platform.
UnicodeString ConfigurationDisplayTitle(IOTABuildConfiguration* Configuration, bool Full);

// Replaces the platform services the services global answers (null: the
// built-in ones again); for hosts and tests with platforms of their own.
void SetPlatformServices(InterfacePtr<IOTAPlatformServices> Services);

// A project of the workbench's own: a personality, its platforms (the first
// one active) and the configurations "Debug" and "Release" under the base
// configuration, each with a variant per platform.
InterfacePtr<IOTAProject> CreateDesignProject(const UnicodeString& Personality,
                                              const TStringArray& Platforms);

#pragma GCC visibility pop
