// TTargetsComboBox: picks one of a project's build configurations, each for
// all platforms and for every platform of the project, drawn as a tree
// (platform variants indented, configurations of all platforms in bold).
// With Filename set it lists the configurations that apply to that file.
#pragma once
#pragma GCC visibility push(default)

#include <designpak/ToolsAPI.h>
#include <quorlpak/StdCtrls.h>

#include <vector>

class TCanvas;

class TCustomTargetsComboBox : public TCustomComboBox {
public:
    explicit TCustomTargetsComboBox(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void Populate();
    // Populates again, keeping the selected configuration when it is still listed.
    void Repopulate();
    void SelectActiveTarget();
    int ConfigurationIndex(IOTABuildConfiguration* Configuration) const;
    InterfacePtr<IOTABuildConfiguration> GetSelectedTarget();
    // The configurations interface of the project's options, or null.
    InterfacePtr<IOTAProjectOptionsConfigurations> BuildConfigurations() const;
    int ConfigurationCount() const { return int(FConfigurationList.size()); }
    InterfacePtr<IOTABuildConfiguration> GetConfiguration(int Index) const;

    InterfacePtr<IOTAProject> GetProject() const { return FProject; }
    void SetProject(InterfacePtr<IOTAProject> Value);
    const UnicodeString& GetFilename() const { return FFilename; }
    void SetFilename(const UnicodeString& Value);

    void Dispatch(TMessage& Message) override;

protected:
    void Loaded() override;
    void CreateParams(TCreateParams& Params) override;
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State, TCanvas* Canvas);
    void AddConfiguration(InterfacePtr<IOTABuildConfiguration> Configuration);
    void AddTree(InterfacePtr<IOTABuildConfiguration> Configuration, const TStringArray& Platforms);

    std::vector<InterfacePtr<IOTABuildConfiguration>> FConfigurationList;
    InterfacePtr<IOTAProject> FProject;
    UnicodeString FFilename;
};

class TTargetsComboBox : public TCustomTargetsComboBox {
public:
    using TCustomTargetsComboBox::TCustomTargetsComboBox;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
