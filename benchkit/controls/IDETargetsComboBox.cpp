#include "IDETargetsComboBox.h"

#include <quorlpak/Canvas.h>
#include <quorlpak/Colors.h>
#include <runpak/Format.h>
#include <runpak/Strings.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <algorithm>

namespace {

constexpr int kMaxDropDownCount = 24;

} // namespace

TClass TCustomTargetsComboBox::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomTargetsComboBox>(
        u"TCustomTargetsComboBox", TCustomComboBox::StaticClass()));
    return &meta;
}

TClass TTargetsComboBox::StaticClass() {
    using T = TTargetsComboBox;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TTargetsComboBox", TCustomTargetsComboBox::StaticClass())
            .Property(u"Filename", UnicodeStringTypeInfo, &T::GetFilename, &T::SetFilename));
    return &meta;
}

TCustomTargetsComboBox::TCustomTargetsComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}

void TCustomTargetsComboBox::Loaded() {
    TCustomComboBox::Loaded();
    SetStyle(csOwnerDrawFixed);
}

void TCustomTargetsComboBox::CreateParams(TCreateParams& Params) {
    TCustomComboBox::CreateParams(Params);
    if (FStyle == csOwnerDrawFixed) {
        Params.Style &= ~DWORD(CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST);
        Params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
    }
}

InterfacePtr<IOTAProjectOptionsConfigurations> TCustomTargetsComboBox::BuildConfigurations() const {
    InterfacePtr<IOTAProjectOptionsConfigurations> configurations;
    if (!FProject) return configurations;
    InterfacePtr<IInterface> options = FProject->GetProjectOptions();
    if (options) Supports(options.Get(), configurations);
    return configurations;
}

InterfacePtr<IOTABuildConfiguration> TCustomTargetsComboBox::GetConfiguration(int Index) const {
    if (Index < 0 || Index >= int(FConfigurationList.size())) return nullptr;
    return FConfigurationList[size_t(Index)];
}

void TCustomTargetsComboBox::AddConfiguration(InterfacePtr<IOTABuildConfiguration> Configuration) {
    if (!Configuration) return;
    if (!FFilename.empty()) {
        if (Configuration->GetName() == u"Base") return;
        Configuration = Configuration->GetFileConfiguration(FFilename);
        if (!Configuration) return; // the file has no configuration of its own here
    }
    const UnicodeString platform = Configuration->GetPlatform();
    const UnicodeString name = Configuration->GetName();
    const UnicodeString platformText = platform.empty() ? UnicodeString(sAllPlatforms) : platform;
    const UnicodeString configurationText =
        name == u"Base" ? UnicodeString(sAllConfigurations) : name;
    const UnicodeString text = Format(u"%s - %s", platformText, configurationText);
    FItems->Add(text);
    FConfigurationList.push_back(Configuration);
}

void TCustomTargetsComboBox::AddTree(InterfacePtr<IOTABuildConfiguration> Configuration,
                                     const TStringArray& Platforms) {
    if (!Configuration) return;
    AddConfiguration(Configuration);
    if (FFilename.empty())
        for (const UnicodeString& platform : Platforms)
            AddConfiguration(Configuration->GetPlatformConfiguration(platform));
    for (int i = 0; i < Configuration->GetChildCount(); ++i)
        AddTree(Configuration->GetChild(i), Platforms);
}

void TCustomTargetsComboBox::Populate() {
    FItems->BeginUpdate();
    FItems->Clear();
    FConfigurationList.clear();
    InterfacePtr<IOTAProjectPlatforms> platforms;
    InterfacePtr<IOTAProjectOptionsConfigurations> configurations = BuildConfigurations();
    if (FProject && Supports(FProject.Get(), platforms) && configurations)
        AddTree(configurations->GetBaseConfiguration(), platforms->GetPlatforms());
    FItems->EndUpdate();
    SetDropDownCount(std::min(FItems->GetCount(), kMaxDropDownCount));
}

int TCustomTargetsComboBox::ConfigurationIndex(IOTABuildConfiguration* Configuration) const {
    if (!Configuration) return -1;
    const UnicodeString name = Configuration->GetName();
    const UnicodeString platform = Configuration->GetPlatform();
    for (size_t i = 0; i < FConfigurationList.size(); ++i) {
        IOTABuildConfiguration* c = FConfigurationList[i].Get();
        if (c && SameText(c->GetName(), name) && c->GetPlatform() == platform) return int(i);
    }
    return -1;
}

void TCustomTargetsComboBox::SelectActiveTarget() {
    InterfacePtr<IOTAProjectOptionsConfigurations> configurations = BuildConfigurations();
    if (!configurations) return;
    InterfacePtr<IOTABuildConfiguration> active = configurations->GetActiveConfiguration();
    const int index = ConfigurationIndex(active.Get());
    if (index >= 0 && index < FItems->GetCount()) SetItemIndex(index);
}

InterfacePtr<IOTABuildConfiguration> TCustomTargetsComboBox::GetSelectedTarget() {
    return GetConfiguration(GetItemIndex());
}

void TCustomTargetsComboBox::Repopulate() {
    InterfacePtr<IOTABuildConfiguration> kept = GetSelectedTarget();
    Populate();
    SelectActiveTarget();
    const int index = ConfigurationIndex(kept.Get());
    if (index >= 0)
        SetItemIndex(index);
    else if (FItems->GetCount() > 0 && (kept || GetItemIndex() < 0))
        SetItemIndex(0); // the kept one is gone (with nothing kept, the active one stays)
}

void TCustomTargetsComboBox::SetProject(InterfacePtr<IOTAProject> Value) {
    if (FProject.Get() == Value.Get()) return;
    FProject = std::move(Value);
    Repopulate();
}

void TCustomTargetsComboBox::SetFilename(const UnicodeString& Value) {
    if (FFilename == Value) return;
    FFilename = Value;
    Repopulate();
}

void TCustomTargetsComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State,
                                      TCanvas* Canvas) {
    Canvas->FillRect(Rect);
    InterfacePtr<IOTABuildConfiguration> configuration = GetConfiguration(Index);
    if (Index < 0 || !configuration) return;
    TFontStyles style = Canvas->GetFont()->GetStyle();
    style.Exclude(fsBold);
    if (State.Contains(odComboBoxEdit)) {
        Canvas->GetFont()->SetStyle(style);
        Canvas->TextOut(Rect.left + 2, Rect.top,
                        ConfigurationDisplayTitle(configuration.Get(), false));
        return;
    }
    int left = Rect.left + 2;
    if (!configuration->GetPlatform().empty()) {
        left += Canvas->TextWidth(u"aa");
    } else {
        style.Include(fsBold);
    }
    Canvas->GetFont()->SetStyle(style);
    Canvas->TextOut(left, Rect.top, ConfigurationDisplayTitle(configuration.Get(), true));
}

void TCustomTargetsComboBox::Dispatch(TMessage& Message) {
    if (Message.Msg == CN_MEASUREITEM) {
        if (auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam))
            mis->itemHeight = static_cast<UINT>(std::max<LONG>(mis->itemHeight, 13));
        Message.Result = 1;
        return;
    }
    if (Message.Msg != CN_DRAWITEM) {
        TCustomComboBox::Dispatch(Message);
        return;
    }
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    if (!dis) return;
    TOwnerDrawState state;
    if (dis->itemState & ODS_SELECTED) state.Include(odSelected);
    if (dis->itemState & ODS_FOCUS) state.Include(odFocused);
    if (dis->itemState & ODS_DISABLED) state.Include(odDisabled);
    if (dis->itemState & ODS_COMBOBOXEDIT) state.Include(odComboBoxEdit);
    TCanvas canvas;
    canvas.SetHandle(dis->hDC);
    canvas.SetFont(GetFont());
    const bool selected = state.Contains(odSelected);
    canvas.GetBrush()->SetColor(selected ? clHighlight : FColor);
    canvas.GetFont()->SetColor(selected ? clHighlightText : GetFont()->GetColor());
    const int saved = SaveDC(dis->hDC);
    DrawItem(int(int32_t(dis->itemID)), TRect(dis->rcItem.left, dis->rcItem.top, dis->rcItem.right,
                                              dis->rcItem.bottom),
             state, &canvas);
    canvas.SetHandle(nullptr);
    RestoreDC(dis->hDC, saved);
    Message.Result = 1;
}
