// TPlatformsComboBox: picks one of the target platforms the workbench knows:
// all of them, those of a personality, or those of a project, filtered and
// sorted by their display names. Each item carries its IOTAPlatform.
#pragma once
#pragma GCC visibility push(default)

#include <designpak/ToolsAPI.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Set.h>

#include <map>
#include <vector>

enum TPlatforms {
    phWin32Platform,
    phWinNX32Platform,
    phWinIoT32Platform,
    phWinARMPlatform,
    phOSX32Platform,
    phWin64Platform,
    phLinux32Platform,
    phLinux64Platform,
    phAndroidPlatform,
    phiOSSimulatorPlatform,
    phiOSDevice32Platform,
    phiOSDevice64Platform
};
using TPlatformsToHide = TSet<TPlatforms, 12>;

class TPlatformsComboBox : public TCustomComboBox {
public:
    explicit TPlatformsComboBox(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void Populate();
    int PlatformIndex(const UnicodeString& Name) const;
    int PlatformIndex(IOTAPlatform* APlatform) const;
    InterfacePtr<IOTAPlatform> GetPlatform(int Index) const;
    InterfacePtr<IOTAPlatform> GetSelectedPlatform();
    void SelectActivePlatform();
    bool IsPlatformToHide(const UnicodeString& Key) const;
    // The project's platforms interface, or null (no project, or one without it).
    InterfacePtr<IOTAProjectPlatforms> ProjectPlatforms() const;

    InterfacePtr<IOTAProject> GetProject() const { return FProject; }
    void SetProject(InterfacePtr<IOTAProject> Value);
    const UnicodeString& GetPersonality() const { return FPersonality; }
    void SetPersonality(const UnicodeString& Value);
    bool GetShowAllPlatforms() const { return FShowAllPlatforms; }
    void SetShowAllPlatforms(bool Value);
    bool GetRequiresFramework() const { return FRequiresFramework; }
    void SetRequiresFramework(bool Value);
    TPlatformsToHide GetHidePlatforms() const { return FHidePlatforms; }
    void SetHidePlatforms(TPlatformsToHide Value);
    bool GetHideEnabledPlatformsInProject() const { return FHideEnabledPlatformsInProject; }
    void SetHideEnabledPlatformsInProject(bool Value);

protected:
    void Loaded() override;
    void AddPlatformsToDictionary();

    InterfacePtr<IOTAProject> FProject;
    UnicodeString FPersonality;
    bool FShowAllPlatforms = false;
    bool FRequiresFramework = false;
    TPlatformsToHide FHidePlatforms;
    bool FHideEnabledPlatformsInProject = false;
    std::map<UnicodeString, TPlatforms> FPlatformsDictionary;
    std::vector<InterfacePtr<IOTAPlatform>> FPlatformData; // parallel to the items
};

#pragma GCC visibility pop
