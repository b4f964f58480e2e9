// The platform and build-configuration selectors over a scripted host: which
// platforms are offered and hidden, how the configuration tree is listed,
// and that missing projects, options and configurations give empty lists.
#include "ControlsTestSupport.h"

#include "benchkit/controls/IDEPlatformsComboBox.h"
#include "benchkit/controls/IDETargetsComboBox.h"

#include <designpak/DesignServices.h>
#include <runpak/Strings.h>

#include <map>
#include <string>

namespace {

template <class I> class TScripted : public TInterfacedObject, public I {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<I>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
};

class TFakePlatform : public TScripted<IOTAPlatform> {
public:
    TFakePlatform(UnicodeString Name, UnicodeString Display, bool Framework)
        : FName(std::move(Name)), FDisplay(std::move(Display)), FFramework(Framework) {}
    UnicodeString GetDisplayName() override { return FDisplay; }
    UnicodeString GetName() override { return FName; }
    bool SupportsFramework(int Type) override { return Type == 3 && FFramework; }

private:
    UnicodeString FName, FDisplay;
    bool FFramework;
};

// Win32 and Win64 (personality "P"), Linux64 and a platform the selector's
// dictionary does not know (personality "Q"); only Win64 offers the framework.
class TFakeServices : public TScripted<IOTAPlatformServices> {
public:
    TStringArray GetAllPlatforms() override { return {u"Win32", u"Win64", u"Linux64", u"Custom9"}; }
    TStringArray GetPlatformsFromPersonality(const UnicodeString& P) override {
        if (P == u"P") return {u"Win32", u"Win64"};
        if (P == u"Q") return {u"Linux64", u"Custom9"};
        return {};
    }
    bool PlatformExists(const UnicodeString& Name) override { return Display(Name) != u""; }
    InterfacePtr<IOTAPlatform> GetPlatform(const UnicodeString& Name) override {
        if (Display(Name).empty()) return nullptr;
        return InterfacePtr<IOTAPlatform>(new TFakePlatform(Name, Display(Name), Name == u"Win64"));
    }
    UnicodeString GetPlatformDisplayName(const UnicodeString& Name) override { return Display(Name); }
    TStringArray GetPersonalities() override { return {u"P", u"Q"}; }
    bool PlatformBelongsToPersonality(const UnicodeString& Name, const UnicodeString& P) override {
        for (const UnicodeString& n : GetPlatformsFromPersonality(P))
            if (n == Name) return true;
        return false;
    }

private:
    static UnicodeString Display(const UnicodeString& Name) {
        static const std::map<UnicodeString, UnicodeString> names = {
            {u"Win32", u"Windows 32"}, {u"Win64", u"Windows 64"},
            {u"Linux64", u"Linux 64"}, {u"Custom9", u"Another system"}};
        auto it = names.find(Name);
        return it == names.end() ? UnicodeString() : it->second;
    }
};

class TFakeConfiguration : public TScripted<IOTABuildConfiguration> {
public:
    TFakeConfiguration(UnicodeString Name, UnicodeString Platform)
        : FName(std::move(Name)), FPlatform(std::move(Platform)) {}
    UnicodeString GetName() override { return FName; }
    int GetChildCount() override { return int(Children.size()); }
    InterfacePtr<IOTABuildConfiguration> GetChild(int I) override { return Children.at(size_t(I)); }
    InterfacePtr<IOTABuildConfiguration> GetPlatformConfiguration(const UnicodeString& P) override {
        auto it = Variants.find(P);
        return it == Variants.end() ? nullptr : it->second;
    }
    UnicodeString GetPlatform() override { return FPlatform; }
    InterfacePtr<IOTABuildConfiguration> GetFileConfiguration(const UnicodeString& F) override {
        return F == u"unit1.cpp" ? FileConfiguration : nullptr;
    }
    std::vector<InterfacePtr<IOTABuildConfiguration>> Children;
    std::map<UnicodeString, InterfacePtr<IOTABuildConfiguration>> Variants;
    InterfacePtr<IOTABuildConfiguration> FileConfiguration;

private:
    UnicodeString FName, FPlatform;
};

class TFakeOptions : public TScripted<IOTAProjectOptionsConfigurations> {
public:
    int GetConfigurationCount() override { return 0; }
    InterfacePtr<IOTABuildConfiguration> GetConfiguration(int) override { return nullptr; }
    InterfacePtr<IOTABuildConfiguration> GetActiveConfiguration() override { return Active; }
    void SetActiveConfiguration(IOTABuildConfiguration* V) override { Active = V; }
    InterfacePtr<IOTABuildConfiguration> GetBaseConfiguration() override { return Base; }
    InterfacePtr<IOTABuildConfiguration> Base, Active;
};

// A project with the platforms interface (or without, WithPlatforms false).
class TFakeProject : public TInterfacedObject, public IOTAProject, public IOTAProjectPlatforms {
public:
    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<IOTAProject>(this, iid, out)) return S_OK;
        if (WithPlatforms && ProvideInterface<IOTAProjectPlatforms>(this, iid, out)) return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }
    ULONG AddRef() noexcept override { return TInterfacedObject::AddRef(); }
    ULONG Release() noexcept override { return TInterfacedObject::Release(); }
    UnicodeString GetPersonality() override { return Personality; }
    InterfacePtr<IInterface> GetProjectOptions() override {
        return Options ? InterfacePtr<IInterface>(static_cast<IOTAProjectOptionsConfigurations*>(
                             Options.Get()))
                       : nullptr;
    }
    UnicodeString GetActivePlatform() override { return Active; }
    bool GetEnabled(const UnicodeString& P) override { return Enabled.count(P) != 0; }
    TStringArray GetPlatforms() override { return Platforms; }
    void SetActivePlatform(const UnicodeString& P) override { Active = P; }
    void SetEnabled(const UnicodeString& P, bool V) override {
        if (V)
            Enabled[P] = true;
        else
            Enabled.erase(P);
    }
    TStringArray GetSupportedPlatforms() override { return Supported; }

    bool WithPlatforms = true;
    UnicodeString Personality = u"P";
    UnicodeString Active;
    TStringArray Platforms, Supported;
    std::map<UnicodeString, bool> Enabled;
    InterfacePtr<TFakeOptions> Options;
};

class PlatformCombosTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        SetPlatformServices(InterfacePtr<IOTAPlatformServices>(new TFakeServices));
    }
    void TearDown() override {
        SetPlatformServices(nullptr);
        ControlsTest::TearDown();
    }
    static std::vector<std::u16string> Texts(TCustomComboBox* Combo) {
        std::vector<std::u16string> texts;
        for (int i = 0; i < Combo->GetItems()->GetCount(); ++i) texts.push_back(Combo->GetItems()->Get(i));
        return texts;
    }
};

using TextList = std::vector<std::u16string>;

TEST_F(PlatformCombosTest, PlatformFilters) {
    auto* combo = Place(new TPlatformsComboBox(Form), 160, 22);
    InterfacePtr<TFakeProject> project(new TFakeProject);
    project->Supported = {u"Win64", u"Win32", u"Custom9"};
    project->Enabled[u"Win32"] = true;
    struct Case {
        const char* what;
        std::function<void()> set;
        TextList expected;
    } cases[] = {
        {"all, sorted by display name", [&] { combo->SetShowAllPlatforms(true); },
         {u"Another system", u"Linux 64", u"Windows 32", u"Windows 64"}},
        {"Win32 hidden", [&] { combo->SetHidePlatforms(TPlatformsToHide{phWin32Platform}); },
         {u"Another system", u"Linux 64", u"Windows 64"}},
        {"a personality", [&] { combo->SetPersonality(u"Q"); }, {u"Another system", u"Linux 64"}},
        {"Linux64 hidden; the unknown one never", [&] {
             combo->SetHidePlatforms(TPlatformsToHide{phLinux64Platform, phWin32Platform});
         }, {u"Another system"}},
        {"framework required", [&] {
             combo->SetHidePlatforms({});
             combo->SetPersonality(u"P");
             combo->SetRequiresFramework(true);
         }, {u"Windows 64"}},
        {"a project's supported platforms", [&] {
             combo->SetRequiresFramework(false);
             combo->SetProject(project);
         }, {u"Windows 32", u"Windows 64"}}, // and of its personality
        {"without the enabled ones", [&] { combo->SetHideEnabledPlatformsInProject(true); },
         {u"Windows 64"}},
    };
    for (const Case& c : cases) {
        c.set();
        EXPECT_EQ(Texts(combo), c.expected) << c.what;
    }
    // The project keeps its personality; a personality set later drops the project.
    EXPECT_EQ(combo->GetProject().Get(), project.Get());
    EXPECT_EQ(combo->GetPersonality(), u"P");
    combo->SetPersonality(u"Q");
    EXPECT_EQ(combo->GetProject().Get(), nullptr);
}

TEST_F(PlatformCombosTest, PlatformLookupsAndTheProjectWithoutPlatforms) {
    auto* combo = Place(new TPlatformsComboBox(Form), 160, 22);
    InterfacePtr<TFakeProject> project(new TFakeProject);
    project->WithPlatforms = false; // the personality's platforms are offered
    combo->SetProject(project);
    EXPECT_EQ(Texts(combo), (TextList{u"Windows 32", u"Windows 64"}));
    EXPECT_EQ(combo->PlatformIndex(u"win64"), 1);
    EXPECT_EQ(combo->PlatformIndex(u""), -1);
    EXPECT_EQ(combo->PlatformIndex(static_cast<IOTAPlatform*>(nullptr)), -1);
    EXPECT_EQ(combo->GetPlatform(0)->GetName(), u"Win32");
    EXPECT_EQ(combo->GetPlatform(5).Get(), nullptr);
    EXPECT_EQ(combo->ProjectPlatforms().Get(), nullptr);
    combo->SelectActivePlatform(); // no platforms interface: nothing happens
    EXPECT_EQ(combo->GetItemIndex(), -1);

    project->WithPlatforms = true;
    project->Supported = {u"Win32", u"Win64"};
    project->Active = u"Win64";
    combo->Populate();
    combo->SelectActivePlatform();
    EXPECT_EQ(combo->GetSelectedPlatform()->GetName(), u"Win64");
}

// Base with Children children; every configuration has a variant per platform.
InterfacePtr<TFakeConfiguration> Tree(int Children, const TStringArray& Platforms) {
    auto make = [&](const UnicodeString& name) {
        InterfacePtr<TFakeConfiguration> c(new TFakeConfiguration(name, u""));
        for (const UnicodeString& p : Platforms)
            c->Variants[p] = InterfacePtr<IOTABuildConfiguration>(new TFakeConfiguration(name, p));
        return c;
    };
    InterfacePtr<TFakeConfiguration> base = make(u"Base");
    for (int i = 0; i < Children; ++i)
        base->Children.push_back(make(i == 0 ? u"Debug" : u"Config" + IntToStr(i)));
    return base;
}

TEST_F(PlatformCombosTest, ConfigurationTreeTextsCountsAndFiles) {
    auto* combo = Place(new TTargetsComboBox(Form), 200, 22);
    InterfacePtr<TFakeProject> project(new TFakeProject);
    project->Platforms = {u"Win32", u"Win64"};
    project->Options = InterfacePtr<TFakeOptions>(new TFakeOptions);
    InterfacePtr<TFakeConfiguration> base = Tree(1, project->Platforms);
    project->Options->Base = base;
    combo->SetProject(project);
    EXPECT_EQ(Texts(combo), (TextList{u"All platforms - All configurations", u"Win32 - All configurations",
                                   u"Win64 - All configurations", u"All platforms - Debug",
                                   u"Win32 - Debug", u"Win64 - Debug"}));
    EXPECT_EQ(combo->GetDropDownCount(), 6);

    // The selection follows the active configuration, and survives a repopulation.
    auto* debug = static_cast<TFakeConfiguration*>(base->Children[0].Get());
    project->Options->Active = debug->Variants[u"Win64"];
    combo->SelectActiveTarget();
    EXPECT_EQ(combo->GetItemIndex(), 5);
    combo->SetItemIndex(3);
    combo->Repopulate(); // the kept selection wins over the active one
    EXPECT_EQ(combo->GetItemIndex(), 3);
    combo->SetItemIndex(5);
    project->Options->Active = nullptr;
    combo->Repopulate();
    EXPECT_EQ(combo->GetItemIndex(), 5);
    InterfacePtr<IOTABuildConfiguration> lookalike(new TFakeConfiguration(u"DEBUG", u"Win32"));
    EXPECT_EQ(combo->ConfigurationIndex(lookalike.Get()), 4);
    InterfacePtr<IOTABuildConfiguration> other(new TFakeConfiguration(u"Debug", u"Linux64"));
    EXPECT_EQ(combo->ConfigurationIndex(other.Get()), -1);
    EXPECT_EQ(combo->ConfigurationIndex(nullptr), -1);

    // 30 entries: the list shows at most 24 at once.
    project->Options->Base = Tree(9, project->Platforms);
    combo->Repopulate();
    EXPECT_EQ(combo->GetItems()->GetCount(), 30);
    EXPECT_EQ(combo->GetDropDownCount(), 24);

    // For a file: its own configurations, no base and no platform variants.
    base = Tree(2, project->Platforms);
    project->Options->Base = base;
    auto* first = static_cast<TFakeConfiguration*>(base->Children[0].Get());
    first->FileConfiguration = InterfacePtr<IOTABuildConfiguration>(new TFakeConfiguration(u"Debug", u""));
    combo->SetFilename(u"unit1.cpp");
    EXPECT_EQ(Texts(combo), (TextList{u"All platforms - Debug"}));
    EXPECT_EQ(combo->GetDropDownCount(), 1);
}

TEST_F(PlatformCombosTest, MissingProjectOptionsOrConfigurationsGiveEmptyLists) {
    auto* combo = Place(new TTargetsComboBox(Form), 200, 22);
    struct Case {
        const char* what;
        bool project, platforms, options, base;
    } cases[] = {
        {"no project", false, false, false, false},
        {"no platforms interface", true, false, true, true},
        {"no options", true, true, false, false},
        {"no base configuration", true, true, true, false},
    };
    for (const Case& c : cases) {
        InterfacePtr<TFakeProject> project;
        if (c.project) {
            project = InterfacePtr<TFakeProject>(new TFakeProject);
            project->WithPlatforms = c.platforms;
            project->Platforms = {u"Win32"};
            if (c.options) {
                project->Options = InterfacePtr<TFakeOptions>(new TFakeOptions);
                if (c.base) project->Options->Base = Tree(1, project->Platforms);
            }
        }
        combo->SetProject(project);
        combo->Repopulate();
        EXPECT_EQ(combo->GetItems()->GetCount(), 0) << c.what;
        EXPECT_EQ(combo->GetSelectedTarget().Get(), nullptr) << c.what;
        combo->SelectActiveTarget();
    }
}

TEST_F(PlatformCombosTest, TheWorkbenchsOwnProjectAndPlatforms) {
    SetPlatformServices(nullptr); // the built-in platforms
    InterfacePtr<IOTAProject> project = CreateDesignProject(u"Native", {u"Win32", u"Linux64"});
    auto* platforms = Place(new TPlatformsComboBox(Form), 160, 22);
    platforms->SetProject(project);
    EXPECT_EQ(Texts(platforms), (TextList{u"32-bit Windows", u"64-bit Linux"}));
    platforms->SelectActivePlatform();
    EXPECT_EQ(platforms->GetSelectedPlatform()->GetName(), u"Win32");

    auto* targets = Place(new TTargetsComboBox(Form), 200, 22);
    targets->SetTop(30);
    targets->SetProject(project);
    EXPECT_EQ(targets->GetItems()->GetCount(), 9); // base, Debug, Release, each for all and 2 platforms
    EXPECT_EQ(targets->GetSelectedTarget()->GetName(), u"Debug");
    EXPECT_EQ(ConfigurationDisplayTitle(targets->GetConfiguration(0).Get(), true), sAllConfigurations);
    EXPECT_EQ(ConfigurationDisplayTitle(targets->GetConfiguration(4).Get(), true), u"Debug (Win32)");
}

} // namespace
