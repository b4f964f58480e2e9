// The shell list view: the contents of one shell folder in a virtual list
// view. The control keeps one TShellFolder per item and the window only a
// count; texts, icons and column details are made when the window shows them.
// It navigates into folders and back, renames in place, offers the shell's
// context menu, reads its report columns from the folder, and follows or
// leads a linked shell tree view and shell combo box.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/controls/IDEShellCtrls.h"

#include <quorlpak/ListView.h>

#include <functional>
#include <vector>

using TAddFolderEvent = std::function<void(TObject* Sender, PItemIDList RelativeID,
                                           IShellFolder* ParentFolder, bool& CanAdd)>;

class TCustomShellListView : public TCustomListView,
                             public IShellCommandVerb,
                             public IShellControlLink {
public:
    explicit TCustomShellListView(TComponent* AOwner);
    ~TCustomShellListView() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    bool GetAutoContextMenus() const { return FAutoContext; }
    void SetAutoContextMenus(bool Value) { FAutoContext = Value; }
    bool GetAutoRefresh() const { return FAutoRefresh; }
    void SetAutoRefresh(bool Value);
    bool GetAutoNavigate() const { return FAutoNavigate; }
    void SetAutoNavigate(bool Value) { FAutoNavigate = Value; }
    TShellObjectTypes GetObjectTypes() const { return FObjectTypes; }
    void SetObjectTypes(TShellObjectTypes Value);
    // A root name ("rfDesktop", "rfPersonal", ...) or a path. An unusable one
    // raises and leaves the root as it was.
    const UnicodeString& GetRoot() const { return FRoot; }
    void SetRoot(const UnicodeString& Value);
    bool GetSorted() const { return FSorted; }
    void SetSorted(bool Value);
    IShellControlLink* GetShellTreeView() const { return FTreeView; }
    void SetShellTreeView(IShellControlLink* Value);
    IShellControlLink* GetShellComboBox() const { return FComboBox; }
    void SetShellComboBox(IShellControlLink* Value);

    // The folder object of an item (null past the end) and of the folder shown.
    TShellFolder* GetFolders(int Index) const { return GetFolder(Index); }
    TShellFolder* GetFolder(int Index) const;
    TShellFolder* GetRootFolder() const { return FRootFolder; }
    TShellFolder* SelectedFolder();
    int FolderCount() const { return static_cast<int>(FFolders.size()); }

    // Shows the parent folder (the desktop stays the desktop).
    void Back();
    // Reads the folder anew, keeping the selected position where it still exists.
    void Refresh();
    // Shows the folder with this absolute id (none while following a partner).
    void SetPathFromID(PItemIDList ID);
    // A partner moved to ID: show it unless already shown.
    void TreeUpdate(PItemIDList NewRoot);
    // Starts renaming the selected item in place.
    void EditText();

    void SetViewStyle(ComCtrls::TViewStyle Value) override;
    void Dispatch(TMessage& Message) override;

    // IShellCommandVerb
    void ExecuteCommand(const UnicodeString& Verb, bool& Handled) override;
    void CommandCompleted(const UnicodeString& Verb, bool Succeeded) override;

    // IShellControlLink
    TComponent* LinkComponent() override { return this; }
    TShellLinkRole LinkRole() const override { return slListView; }
    void LinkSetRoot(const UnicodeString& Root) override { SetRoot(Root); }
    void LinkFollow(PItemIDList AbsoluteID) override { TreeUpdate(AbsoluteID); }
    void LinkBack(TShellLinkRole Role, IShellControlLink* Partner) override;

    TAddFolderEvent OnAddFolder;
    TNotifyEvent OnRootChanged;

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DblClick() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void DoContextPopup(TPoint MousePos, bool& Handled) override;
    bool OwnerDataFetch(TListItem* Item, ComCtrls::TItemRequests Request) override;
    int OwnerDataFind(ComCtrls::TItemFind Find, const UnicodeString& FindString,
                      const TPoint& FindPosition, void* FindData, int StartIndex,
                      ComCtrls::TSearchDirection Direction, bool Wrap) override;
    void Edit(const LVITEMW& Item) override;

    virtual void Populate();
    virtual void EnumColumns();
    virtual void RootChanged();
    virtual void SynchPaths();

private:
    void ClearItems();
    void OpenItem(TShellFolder* Folder);
    void SetLink(IShellControlLink*& Field, IShellControlLink* Value);
    bool Loading() const;

    UnicodeString FOldRoot;
    UnicodeString FRoot = u"rfDesktop";
    TShellFolder* FRootFolder = nullptr; // owned
    bool FAutoContext = true;
    bool FAutoRefresh = false;
    bool FAutoNavigate = true;
    bool FSorted = true;
    bool FUpdating = false;
    bool FSettingRoot = false;
    TShellObjectTypes FObjectTypes{otFolders, otNonFolders};
    HIMAGELIST FLargeImages = nullptr;
    HIMAGELIST FSmallImages = nullptr;
    std::vector<TShellFolder*> FFolders; // owned, in display order
    IShellControlLink* FTreeView = nullptr;
    IShellControlLink* FComboBox = nullptr;
    TIDEShellChangeNotifier* FNotifier = nullptr; // owned through the component tree
    UnicodeString FSavePath;
};

class TIDEShellListView : public TCustomShellListView {
public:
    using TCustomShellListView::TCustomShellListView;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
