// The file dialogs: TOpenDialog and TSaveDialog. Execute shows a modal dialog
// of our own (a folder, its entries filtered by the chosen filter, a file
// name, OK and Cancel) and answers whether the user chose a file; FileName
// is then the file's full Windows path (C:\home\me\x.txt for /home/me/x.txt).
// In tests a script answers instead (TestSeams::ScriptFileDialogs), and may
// leave the dialog to synthetic input.
//
// Filter is "Description|Patterns|Description|Patterns...", patterns
// separated by ';' ("Text|*.txt|All|*.*"); FilterIndex counts from 1.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Component.h>
#include <runpak/Set.h>
#include <runpak/StringList.h>
#include <runpak/TypeInfo.h>
#include <win32/windef.h>

#include <functional>
#include <vector>

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
    ofDontAddToRecent,
    ofForceShowHidden
};
using TOpenOptions = TSet<TOpenOption, 32>;
enum TOpenOptionEx { ofExNoPlacesBar };
using TOpenOptionsEx = TSet<TOpenOptionEx, 8>;

// The same type as the forms' TCloseQueryEvent.
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// Control ids of our own file dialog's controls (GetDlgItem on its window).
constexpr int idFileDialogFolder = 0x0480;   // edit: the folder shown
constexpr int idFileDialogList = 0x0460;     // list box: the folder's entries
constexpr int idFileDialogFileName = 0x0481; // edit: the file name
constexpr int idFileDialogFilter = 0x0470;   // combo box: the filters
// IDOK and IDCANCEL are the buttons.

class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent* AOwner);
    ~TCommonDialog() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Shows the dialog owned by the active form's window; true when the user
    // accepted.
    virtual bool Execute();
    virtual bool Execute(HWND ParentWnd) = 0;
    // The dialog's window while it shows, else null.
    HWND GetHandle() const { return FHandle; }
    int GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }
    bool GetCtl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value) { FCtl3D = Value; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    virtual void DoShow();
    virtual void DoClose();

    HWND FHandle = nullptr;
    int FHelpContext = 0;
    bool FCtl3D = true;
};

class TOpenDialog : public TCommonDialog {
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    using TCommonDialog::Execute;
    bool Execute(HWND ParentWnd) override;

    const UnicodeString& GetFileName() const { return FFileName; }
    void SetFileName(const UnicodeString& Value) { FFileName = Value; }
    // The chosen file (ofAllowMultiSelect would allow several).
    TStrings* GetFiles() const { return FFiles; }
    const UnicodeString& GetFilter() const { return FFilter; }
    void SetFilter(const UnicodeString& Value) { FFilter = Value; }
    int GetFilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int Value) { FFilterIndex = Value; }
    const UnicodeString& GetInitialDir() const { return FInitialDir; }
    void SetInitialDir(const UnicodeString& Value) { FInitialDir = Value; }
    // Added (after a '.') to a name typed without an extension.
    const UnicodeString& GetDefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const UnicodeString& Value) { FDefaultExt = Value; }
    const UnicodeString& GetTitle() const { return FTitle; }
    void SetTitle(const UnicodeString& Value) { FTitle = Value; }
    TOpenOptions GetOptions() const { return FOptions; }
    void SetOptions(TOpenOptions Value) { FOptions = Value; }
    TOpenOptionsEx GetOptionsEx() const { return FOptionsEx; }
    void SetOptionsEx(TOpenOptionsEx Value) { FOptionsEx = Value; }

    // Asked when the user accepts a name that passed the options' checks;
    // clearing CanClose keeps the dialog open.
    TCloseQueryEvent OnCanClose;
    TNotifyEvent OnFolderChange;
    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnTypeChange;

    // --- Used by the dialog window ---
    // The (description, patterns) pairs of Filter.
    std::vector<std::pair<UnicodeString, UnicodeString>> FilterPairs() const;
    // Whether a name matches one of the ';'-separated patterns (case-insensitive).
    static bool MatchesPatterns(const UnicodeString& Name, const UnicodeString& Patterns);
    // The full path a name typed in Folder stands for, with DefaultExt added
    // to a name without an extension (unless AddDefaultExt is false).
    UnicodeString ExpandName(const UnicodeString& Name, const UnicodeString& Folder,
                             bool AddDefaultExt = true) const;
    // Checks a full path against the options, telling the user why a path
    // is refused (and asking about overwriting) in message boxes owned by
    // Dialog; true when the path may be taken.
    virtual bool Validate(const UnicodeString& Path, HWND Dialog);
    // The folder the dialog starts in.
    UnicodeString StartFolder() const;
    bool IsSaveDialog() const { return FSave; }

    // Asks OnCanClose; then takes a validated full path as the answer.
    bool Accept(const UnicodeString& Path);

protected:
    virtual bool CanClose();
    bool FSave = false;

private:
    UnicodeString FFileName;
    UnicodeString FFilter;
    UnicodeString FInitialDir;
    UnicodeString FDefaultExt;
    UnicodeString FTitle;
    TStringList* FFiles;
    int FFilterIndex = 1;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
    TOpenOptionsEx FOptionsEx;
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }
};

// Makes the dialog classes findable by name for streaming.
void RegisterDialogClasses();

PTypeInfo TypeInfo_TOpenOption();
PTypeInfo TypeInfo_TOpenOptions();

#pragma GCC visibility pop
