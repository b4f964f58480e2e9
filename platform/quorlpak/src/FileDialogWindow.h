// The window of our own file dialog: a folder, its entries through the
// chosen filter, a file name, the filters, OK and Cancel. It runs modally on
// the thread's messages until the user accepts a name the dialog takes, or
// cancels.
#pragma once

#include <quorlpak/Dialogs.h>

#include <win32/windows.h>

#include <vector>

namespace quorlpak {

class FileDialogWindow {
public:
    FileDialogWindow(TOpenDialog* Dialog, HWND Owner, const UnicodeString& Folder);
    ~FileDialogWindow();
    FileDialogWindow(const FileDialogWindow&) = delete;
    FileDialogWindow& operator=(const FileDialogWindow&) = delete;

    HWND Handle() const { return FHandle; }
    const UnicodeString& Folder() const { return FFolder; }
    // Runs the modal loop until the dialog ends; true when a name was taken.
    bool RunModal();
    // What pressing OK with this text does: take it (true), or go into a
    // folder, filter by a pattern, or refuse (false; the dialog stays).
    bool Submit(const UnicodeString& Text);
    void Navigate(const UnicodeString& Folder);
    bool Done() const { return FDone; }

private:
    struct Entry {
        UnicodeString Name;
        bool Folder = false;
    };

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void FillFilters();
    void FillList();
    void OnCommand(int Id, int Code);
    void ChooseEntry(int Index, bool Open);
    bool PreTranslate(MSG& Msg);
    void End(bool Accepted);
    UnicodeString ControlText(int Id) const;
    UnicodeString CurrentPatterns() const;

    TOpenDialog* FDialog;
    HWND FOwner;
    HWND FHandle = nullptr;
    UnicodeString FFolder;
    UnicodeString FPatternOverride; // typed wildcards filter until the filter changes
    std::vector<Entry> FEntries;
    bool FDone = false;
    bool FAccepted = false;
    bool FOwnerWasEnabled = false;
};

} // namespace quorlpak
