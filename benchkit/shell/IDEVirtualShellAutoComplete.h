// Completion strings for a path being typed: the parsing names of the items
// of chosen places (current folder, desktop, favourites, drives), optionally
// recursive, filtered by the host, sorted or in collection order.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/shell/IDEVirtualShellContainers.h"
#include "benchkit/shell/IDEVirtualShellUtilities.h"
#include "benchkit/shell/RERIdareviViziZeraruz.h"

#include <runpak/Component.h>
#include <runpak/Set.h>
#include <runpak/StringList.h>

#include <functional>

enum TAutoCompleteContent {
    accCurrentDir,
    accMyComputer,
    accDesktop,
    accFavorites,
    accFileSysOnly,
    accFileSysDirs,
    accFileSysFiles,
    accHidden,
    accRecursive,
    accSortList
};
using TAutoCompleteContents = TSet<TAutoCompleteContent, 16>;

// Allow keeps the item (it is preset to true); Terminate ends the walk.
using TVirtualAutoCompleteAddItem = std::function<void(
    TObject* Sender, TNamespace* AutoCompleteItem, bool& Allow, bool& Terminate)>;

class TCustomVirtualShellAutoComplete : public TComponent {
public:
    static TAutoCompleteContents DefaultContents() {
        return {accCurrentDir, accMyComputer, accFileSysDirs, accFileSysFiles};
    }

    explicit TCustomVirtualShellAutoComplete(TComponent* AOwner);
    ~TCustomVirtualShellAutoComplete() override;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Collects the items again, from the first call on and after every change
    // of the current folder.
    void Refresh();
    // The collected items' parsing names; the component owns the lists.
    TStrings* GetStrings();
    TWideStringList* GetStringsW();

    const UnicodeString& GetCurrentDir() const { return FCurrentDir; }
    // Takes a folder that exists and differs from the current one; ignores the rest.
    void SetCurrentDir(const UnicodeString& Value);
    TAutoCompleteContents GetContents() const { return FContents; }
    void SetContents(TAutoCompleteContents Value) { FContents = Value; }
    bool GetDirty() const { return FDirty; }
    TVirtualNameSpaceList* GetNamespaces() const { return FNamespaces; }

    TVirtualAutoCompleteAddItem OnAutoCompleteAddItem;

protected:
    virtual void DoAutoCompleteAddItem(TNamespace* Item, bool& Allow, bool& Terminate);

private:
    // Enumerates one folder into the collection; false once the host said stop.
    bool Fill(TNamespace* Folder);
    bool Take(TNamespace* Item);

    UnicodeString FCurrentDir;
    TWideStringList* FStringsW;
    TStringList* FStrings;
    TAutoCompleteContents FContents;
    TVirtualNameSpaceList* FNamespaces;
    bool FDirty = true; // nothing collected yet
};

class TVirtualShellAutoComplete : public TCustomVirtualShellAutoComplete {
public:
    using TCustomVirtualShellAutoComplete::TCustomVirtualShellAutoComplete;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
