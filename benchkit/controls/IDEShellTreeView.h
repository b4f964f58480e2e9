// IDEShellTreeView: the shell namespace below a root as a tree of folders
// (and, when asked, files), filled when a node first expands. It follows and
// leads a linked shell combo box and list view, renames in place, offers the
// shell's context menu and can follow changes on disk.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/controls/IDEShellCtrls.h"

#include <quorlpak/ComCtrls.h>

// Whether an item found while filling a folder is shown: AFolder is the
// item's relative id, ParentFolder the folder it lies in.
using TAddFolderEvent = std::function<void(TObject* Sender, PItemIDList AFolder,
                                           IShellFolder* ParentFolder, bool& CanAdd)>;

class TCustomShellTreeView : public TCustomTreeView,
                             public IShellCommandVerb,
                             public IShellControlLink {
public:
    explicit TCustomShellTreeView(TComponent* AOwner);
    ~TCustomShellTreeView() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // A root name ("rfDesktop", "rfPersonal"...) or a path. A root that
    // cannot be resolved raises and leaves root and nodes as they were.
    const UnicodeString& GetRoot() const { return FRoot; }
    void SetRoot(const UnicodeString& Value);
    TShellObjectTypes GetObjectTypes() const { return FObjectTypes; }
    void SetObjectTypes(TShellObjectTypes Value);
    bool GetAutoContextMenus() const { return FAutoContext; }
    void SetAutoContextMenus(bool Value) { FAutoContext = Value; }
    // Watches the selected folder (or the root) and refreshes on changes.
    bool GetAutoRefresh() const { return FAutoRefresh; }
    void SetAutoRefresh(bool Value);
    bool GetUseShellImages() const { return FUseShellImages; }
    void SetUseShellImages(bool Value);
    // A shell combo box or list view (a component implementing IShellControlLink).
    TComponent* GetShellComboBox() const { return FComboBoxComponent; }
    void SetShellComboBox(TComponent* Value);
    TComponent* GetShellListView() const { return FListViewComponent; }
    void SetShellListView(TComponent* Value);

    // The parsing path of the selected folder; setting it selects that folder
    // (EInvalidPath when the path names nothing).
    const UnicodeString& GetPath() const { return FPath; }
    void SetPath(const UnicodeString& Value);
    // Selects the node of an absolute id list, expanding the way down.
    void SetPathFromID(PItemIDList ID);
    TShellFolder* GetFolder(int Index);
    TShellFolder* GetFolders(int Index) { return GetFolder(Index); }
    TShellFolder* SelectedFolder();
    // Reads a folder node's children anew, keeping what was expanded and selected.
    void Refresh(TTreeNode* Node);

    // IShellCommandVerb
    void ExecuteCommand(const UnicodeString& Verb, bool& Handled) override;
    void CommandCompleted(const UnicodeString& Verb, bool Succeeded) override;

    // IShellControlLink
    TComponent* LinkComponent() override { return this; }
    TShellLinkRole LinkRole() const override { return slTreeView; }
    void LinkSetRoot(const UnicodeString& Root) override { SetRoot(Root); }
    void LinkFollow(PItemIDList AbsoluteID) override { SetPathFromID(AbsoluteID); }
    void LinkBack(TShellLinkRole Role, IShellControlLink* Partner) override;

    void Dispatch(TMessage& Message) override;

    TAddFolderEvent OnAddFolder;
    TNotifyEvent OnRootChanged;

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool CanChange(TTreeNode* Node) override;
    void Change(TTreeNode* Node) override;
    bool CanExpand(TTreeNode* Node) override;
    void Edit(const TVITEMW& Item) override;
    void Delete(TTreeNode* Node) override;
    void GetImageIndex(TTreeNode* Node) override;
    void GetSelectedIndex(TTreeNode* Node) override;
    void SetImageList(HIMAGELIST Value, int Flags) override;

    void CreateRoot();
    void PopulateNode(TTreeNode* Node);
    void InitNode(TTreeNode* NewNode, PItemIDList ID, TTreeNode* ParentNode);
    TTreeNode* FolderExists(PItemIDList FindID, TTreeNode* InNode);
    void ClearNodes();

private:
    void SetLink(IShellControlLink*& Field, TComponent*& FieldComponent, TComponent* Value);
    void RootChanged();
    UnicodeString WatchedPath(TTreeNode* Node);

    UnicodeString FRoot = u"rfDesktop";
    UnicodeString FOldRoot;
    TShellFolder* FRootFolder = nullptr;
    UnicodeString FPath;
    TShellObjectTypes FObjectTypes{otFolders};
    HIMAGELIST FImages = nullptr;
    bool FLoadingRoot = false;
    bool FAutoContext = true;
    bool FUpdating = false;
    IShellControlLink* FComboBox = nullptr;
    IShellControlLink* FListView = nullptr;
    TComponent* FComboBoxComponent = nullptr;
    TComponent* FListViewComponent = nullptr;
    bool FAutoRefresh = false;
    bool FImageListChanging = false;
    bool FUseShellImages = true;
    TIDEShellChangeNotifier* FNotifier = nullptr;
    UnicodeString FSavePath; // the current directory around an "open"
    UnicodeString FKeptPath; // the selected path across a new window
    TTreeNode* FNodeToMonitor = nullptr;
};

class TIDEShellTreeView : public TCustomShellTreeView {
public:
    using TCustomShellTreeView::TCustomShellTreeView;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

#pragma GCC visibility pop
