// The shell combo box of IDEShellCtrls: the chain of folders from the root
// down to the current folder, and the root's own children, as an indented
// list with the shell's icons. Choosing a folder moves the linked shell tree
// view and shell list view there.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/controls/IDEShellCtrls.h"

#include <quorlpak/ComboBoxEx.h>

using TGetImageIndexEvent = std::function<void(TObject* Sender, int Index, int& ImageIndex)>;

class TCustomShellComboBox : public TCustomComboBoxEx, public IShellControlLink {
public:
    explicit TCustomShellComboBox(TComponent* AOwner);
    ~TCustomShellComboBox() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    const UnicodeString& GetRoot() const { return FRoot; }
    void SetRoot(const UnicodeString& Value);
    TShellObjectTypes GetObjectTypes() const { return FObjectTypes; }
    void SetObjectTypes(TShellObjectTypes Value);
    bool GetUseShellImages() const { return FUseShellImages; }
    void SetUseShellImages(bool Value);
    IShellControlLink* GetShellTreeView() const { return FTreeView; }
    void SetShellTreeView(IShellControlLink* Value);
    IShellControlLink* GetShellListView() const { return FListView; }
    void SetShellListView(IShellControlLink* Value);

    // The folder object of an item; past the end, the last item's; none for
    // an empty list.
    TShellFolder* GetFolder(int Index);
    TShellFolder* GetFolders(int Index) { return GetFolder(Index); }
    TShellFolder* GetRootFolder() const { return FRootFolder; }
    UnicodeString GetPath();
    // Raises EInvalidPath for a path the shell cannot parse.
    void SetPath(const UnicodeString& Value);
    void SetPathFromID(PItemIDList ID);
    // Follows a linked control to the folder of this absolute id.
    void TreeUpdate(PItemIDList NewPath);
    int IndexFromID(PItemIDList AbsoluteID);
    int GetImageWidth() const { return FImageWidth; }
    int GetImageHeight() const { return FImageHeight; }

    TGetImageIndexEvent OnGetImageIndex;
    TNotifyEvent OnRootChanged;

    // IShellControlLink
    TComponent* LinkComponent() override { return this; }
    TShellLinkRole LinkRole() const override { return slComboBox; }
    void LinkSetRoot(const UnicodeString& Root) override { SetRoot(Root); }
    void LinkFollow(PItemIDList AbsoluteID) override { TreeUpdate(AbsoluteID); }
    void LinkBack(TShellLinkRole Role, IShellControlLink* Partner) override;

protected:
    void CreateWnd() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Click() override;
    void Select() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    HIMAGELIST ImageListHandle() override;
    virtual void Init();
    void CreateRoot();
    void AddItems(int Index, TShellFolder* Folder);
    void UpdateTreeAndList();

private:
    // Inserts an item for Folder (taken over) at Index.
    void InsertFolder(int Index, TShellFolder* Folder);
    void ClearItems();
    void RootChanged();

    HIMAGELIST FImages = nullptr; // the system's small icons
    int FImageHeight = 16;
    int FImageWidth = 16;
    UnicodeString FOldRoot;
    UnicodeString FRoot = u"rfDesktop";
    TShellFolder* FRootFolder = nullptr;
    IShellControlLink* FTreeView = nullptr;
    IShellControlLink* FListView = nullptr;
    TShellObjectTypes FObjectTypes{otFolders};
    bool FUseShellImages = true;
    bool FUpdating = false;
};

class TIDEShellComboBox : public TCustomShellComboBox {
public:
    using TCustomShellComboBox::TCustomShellComboBox;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// Orders two item ids of the folder being sorted (ShellCtrlsCompareFolder).
int CompareComboFolders(void* Item1, void* Item2);

#pragma GCC visibility pop
