#include "benchkit/shell/IDEVirtualShellAutoComplete.h"

#include "benchkit/shell/IDEVirtualPIDLTools.h"

#include <runpak/Exceptions.h>
#include <runpak/TypeInfo.h>

#include <memory>

TClass TCustomVirtualShellAutoComplete::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCustomVirtualShellAutoComplete>(
        u"TCustomVirtualShellAutoComplete", TComponent::StaticClass()));
    return &meta;
}

TClass TVirtualShellAutoComplete::StaticClass() {
    using T = TVirtualShellAutoComplete;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TVirtualShellAutoComplete",
                         TCustomVirtualShellAutoComplete::StaticClass())
            .Property(u"CurrentDir", UnicodeStringTypeInfo, &T::GetCurrentDir, &T::SetCurrentDir));
    return &meta;
}

TCustomVirtualShellAutoComplete::TCustomVirtualShellAutoComplete(TComponent* AOwner)
    : TComponent(AOwner), FStringsW(new TWideStringList), FStrings(new TStringList),
      FContents(DefaultContents()), FNamespaces(new TVirtualNameSpaceList(true)) {}

TCustomVirtualShellAutoComplete::~TCustomVirtualShellAutoComplete() {
    // The list only stores its ownership flag: the items are freed here.
    FNamespaces->FreeNamespaces();
    delete FNamespaces;
    delete FStrings;
    delete FStringsW;
}

void TCustomVirtualShellAutoComplete::SetCurrentDir(const UnicodeString& Value) {
    if (Value == FCurrentDir || !DirExistsW(Value)) return;
    FCurrentDir = Value;
    FDirty = true;
}

void TCustomVirtualShellAutoComplete::DoAutoCompleteAddItem(TNamespace* Item, bool& Allow,
                                                            bool& Terminate) {
    if (OnAutoCompleteAddItem) OnAutoCompleteAddItem(this, Item, Allow, Terminate);
}

bool TCustomVirtualShellAutoComplete::Take(TNamespace* Item) {
    std::unique_ptr<TNamespace> item(Item);
    if (item->GetHidden() && !FContents.Contains(accHidden)) return true;
    if (!item->GetFileSystem() && FContents.Contains(accFileSysOnly)) return true;
    // A linked folder is not walked into: a link back to one of its own
    // parents would make the walk endless.
    if (FContents.Contains(accRecursive) && item->GetFolder() && !item->GetLink() &&
        !Fill(item.get()))
        return false;
    bool allow = true, terminate = false;
    DoAutoCompleteAddItem(item.get(), allow, terminate);
    if (allow) FNamespaces->Add(item.release());
    return !terminate;
}

bool TCustomVirtualShellAutoComplete::Fill(TNamespace* Folder) {
    bool going = true;
    Folder->EnumerateFolder(
        FContents.Contains(accFileSysDirs), FContents.Contains(accFileSysFiles),
        FContents.Contains(accHidden),
        [&](PItemIDList APIDL, TNamespace* AParent, void*, bool& Terminate) {
            // The item stands on its own absolute list: the folder it came
            // from may be freed before the collection is.
            PItemIDList absolute = PIDLMgr->AppendPIDL(AParent->GetAbsolutePIDL(), APIDL);
            PIDLMgr->FreePIDL(APIDL);
            going = Take(new TNamespace(absolute, nullptr));
            Terminate = !going;
            return true;
        },
        nullptr);
    return going;
}

// The collection stays dirty: every Refresh after a change collects again,
// so items added to the places meanwhile are found.
void TCustomVirtualShellAutoComplete::Refresh() {
    if (!FDirty) return;
    FNamespaces->FreeNamespaces();
    FNamespaces->Clear();
    bool going = true;
    if (FContents.Contains(accCurrentDir) && DirExistsW(FCurrentDir)) {
        try {
            TNamespace folder(FCurrentDir);
            going = Fill(&folder);
        } catch (const Exception&) {
            // A folder that vanished meanwhile adds nothing.
        }
    }
    const std::pair<TAutoCompleteContent, TNamespace*> places[] = {
        {accDesktop, DesktopFolder}, {accFavorites, FavoritesFolder}, {accMyComputer, DrivesFolder}};
    for (const auto& [member, folder] : places)
        if (going && FContents.Contains(member) && folder) going = Fill(folder);
}

TWideStringList* TCustomVirtualShellAutoComplete::GetStringsW() {
    FStringsW->Clear();
    for (int i = 0; i < FNamespaces->GetCount(); ++i)
        FStringsW->Add(FNamespaces->GetItems(i)->GetNameParseAddress());
    if (FContents.Contains(accSortList)) FStringsW->Sort();
    return FStringsW;
}

TStrings* TCustomVirtualShellAutoComplete::GetStrings() {
    FStrings->Clear();
    for (int i = 0; i < FNamespaces->GetCount(); ++i)
        FStrings->Add(FNamespaces->GetItems(i)->GetNameParseAddress());
    if (FContents.Contains(accSortList)) FStrings->Sort();
    return FStrings;
}
