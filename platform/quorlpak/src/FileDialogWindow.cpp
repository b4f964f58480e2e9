// Our own file dialog's window, made of the window manager's system controls.
#include "FileDialogWindow.h"

#include <runpak/Strings.h>

#include <algorithm>

namespace quorlpak {

namespace {

const char16_t kClassName[] = u"QuorlpakFileDialog";
constexpr int kWidth = 440;
constexpr int kHeight = 330;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kRowHeight = 23;

bool IsDirectory(const UnicodeString& Path) {
    DWORD attributes = GetFileAttributesW(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

UnicodeString ParentFolder(const UnicodeString& Folder) {
    UnicodeString f = Folder;
    while (f.size() > 3 && f.back() == u'\\')
        f.pop_back();
    size_t slash = f.find_last_of(u'\\');
    if (slash == UnicodeString::npos) return f;
    // "C:\x" goes up to "C:\", not "C:".
    return slash <= 2 ? f.substr(0, slash + 1) : f.substr(0, slash);
}

UnicodeString JoinPath(const UnicodeString& Folder, const UnicodeString& Name) {
    if (Folder.empty()) return Name;
    return Folder.back() == u'\\' ? Folder + Name : Folder + u"\\" + Name;
}

} // namespace

FileDialogWindow::FileDialogWindow(TOpenDialog* Dialog, HWND Owner, const UnicodeString& Folder)
    : FDialog(Dialog), FOwner(Owner), FFolder(Folder) {
    WNDCLASSW existing{};
    if (!GetClassInfoW(nullptr, kClassName, &existing)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &FileDialogWindow::WndProc;
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        RegisterClassW(&wc);
    }
    UnicodeString title = Dialog->GetTitle();
    if (title.empty()) title = Dialog->IsSaveDialog() ? u"Save As" : u"Open";
    RECT frame{0, 0, kWidth, kHeight};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int w = frame.right - frame.left;
    const int h = frame.bottom - frame.top;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (Owner) GetWindowRect(Owner, &area);
    const int x = std::max(0, static_cast<int>(area.left + (area.right - area.left - w) / 2));
    const int y = std::max(0, static_cast<int>(area.top + (area.bottom - area.top - h) / 2));
    FHandle = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, title.c_str(), style, x, y, w, h,
                              Owner, nullptr, nullptr, this);
    if (!FHandle) return;
    CreateControls();
    FillFilters();
    SetWindowTextW(GetDlgItem(FHandle, idFileDialogFileName), Dialog->GetFileName().c_str());
    Navigate(FFolder);
    if (FOwner) {
        FOwnerWasEnabled = IsWindowEnabled(FOwner) != FALSE;
        EnableWindow(FOwner, FALSE);
    }
    ShowWindow(FHandle, SW_SHOW);
    HWND name = GetDlgItem(FHandle, idFileDialogFileName);
    SetFocus(name);
    SendMessageW(name, EM_SETSEL, 0, -1);
}

FileDialogWindow::~FileDialogWindow() {
    // The owner comes back before the dialog goes, so that it takes the activation.
    if (FOwner && FOwnerWasEnabled && IsWindow(FOwner)) EnableWindow(FOwner, TRUE);
    if (FHandle && IsWindow(FHandle)) {
        SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
        DestroyWindow(FHandle);
    }
    if (FOwner && IsWindow(FOwner) && FOwnerWasEnabled) SetActiveWindow(FOwner);
}

void FileDialogWindow::CreateControls() {
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    auto make = [&](const char16_t* cls, const char16_t* text, DWORD style, DWORD exStyle, int x,
                    int y, int w, int h, int id) {
        HWND child =
            CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, FHandle,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        return child;
    };
    const int labelWidth = 70;
    const int fieldLeft = kMargin + labelWidth;
    const int fieldWidth = kWidth - fieldLeft - kMargin;
    int y = kMargin;
    make(u"Static", u"Look &in:", SS_LEFT, 0, kMargin, y + 3, labelWidth, 16, -1);
    make(u"Edit", u"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, fieldLeft, y, fieldWidth,
         kRowHeight - 2, idFileDialogFolder);
    y += kRowHeight + 4;
    const int listHeight = kHeight - y - 3 * (kRowHeight + 6) - kMargin;
    make(u"ListBox", u"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, WS_EX_CLIENTEDGE, kMargin, y,
         kWidth - 2 * kMargin, listHeight, idFileDialogList);
    y += listHeight + 6;
    make(u"Static", u"File &name:", SS_LEFT, 0, kMargin, y + 3, labelWidth, 16, -1);
    make(u"Edit", u"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, fieldLeft, y, fieldWidth,
         kRowHeight - 2, idFileDialogFileName);
    y += kRowHeight + 6;
    make(u"Static", u"Files of &type:", SS_LEFT, 0, kMargin, y + 3, labelWidth, 16, -1);
    make(u"ComboBox", u"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 0, fieldLeft, y, fieldWidth,
         150, idFileDialogFilter);
    y += kRowHeight + 6;
    make(u"Button", FDialog->IsSaveDialog() ? u"&Save" : u"&Open", WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
         kWidth - 2 * (kButtonWidth + kMargin), y, kButtonWidth, kRowHeight, IDOK);
    make(u"Button", u"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, kWidth - kButtonWidth - kMargin, y,
         kButtonWidth, kRowHeight, IDCANCEL);
}

void FileDialogWindow::FillFilters() {
    HWND combo = GetDlgItem(FHandle, idFileDialogFilter);
    auto pairs = FDialog->FilterPairs();
    for (const auto& pair : pairs)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pair.first.c_str()));
    if (!pairs.empty()) {
        int index = std::clamp(FDialog->GetFilterIndex(), 1, static_cast<int>(pairs.size()));
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index - 1), 0);
    }
}

UnicodeString FileDialogWindow::CurrentPatterns() const {
    if (!FPatternOverride.empty()) return FPatternOverride;
    auto pairs = FDialog->FilterPairs();
    if (pairs.empty()) return u"*.*";
    int index = std::clamp(FDialog->GetFilterIndex(), 1, static_cast<int>(pairs.size()));
    return pairs[static_cast<size_t>(index - 1)].second;
}

void FileDialogWindow::Navigate(const UnicodeString& Folder) {
    FFolder = Folder;
    SetWindowTextW(GetDlgItem(FHandle, idFileDialogFolder), FFolder.c_str());
    FillList();
    if (FDialog->OnFolderChange) FDialog->OnFolderChange(FDialog);
}

void FileDialogWindow::FillList() {
    FEntries.clear();
    std::vector<Entry> folders;
    std::vector<Entry> files;
    const UnicodeString patterns = CurrentPatterns();
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(JoinPath(FFolder, u"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            UnicodeString name = data.cFileName;
            if (name == u"." || name == u"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                folders.push_back({name, true});
            else if (TOpenDialog::MatchesPatterns(name, patterns))
                files.push_back({name, false});
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    auto byName = [](const Entry& a, const Entry& b) { return CompareText(a.Name, b.Name) < 0; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    if (ParentFolder(FFolder) != FFolder) FEntries.push_back({u"..", true});
    FEntries.insert(FEntries.end(), folders.begin(), folders.end());
    FEntries.insert(FEntries.end(), files.begin(), files.end());

    HWND list = GetDlgItem(FHandle, idFileDialogList);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const Entry& entry : FEntries) {
        UnicodeString shown = entry.Folder ? u"[" + entry.Name + u"]" : entry.Name;
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
}

UnicodeString FileDialogWindow::ControlText(int Id) const {
    HWND control = GetDlgItem(FHandle, Id);
    int length = GetWindowTextLengthW(control);
    UnicodeString text(static_cast<size_t>(length) + 1, u'\0');
    int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

void FileDialogWindow::ChooseEntry(int Index, bool Open) {
    if (Index < 0 || Index >= static_cast<int>(FEntries.size())) return;
    const Entry entry = FEntries[static_cast<size_t>(Index)];
    if (entry.Folder) {
        if (Open)
            Navigate(entry.Name == u".." ? ParentFolder(FFolder) : JoinPath(FFolder, entry.Name));
        return;
    }
    // Opening the entry that the click before chose changes no selection.
    const bool changed = !Open || ControlText(idFileDialogFileName) != entry.Name;
    SetWindowTextW(GetDlgItem(FHandle, idFileDialogFileName), entry.Name.c_str());
    if (changed && FDialog->OnSelectionChange) FDialog->OnSelectionChange(FDialog);
    if (Open) Submit(entry.Name);
}

bool FileDialogWindow::Submit(const UnicodeString& Text) {
    UnicodeString text = Trim(Text);
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"')
        text = text.substr(1, text.size() - 2);
    if (text.empty()) return false;
    // A folder typed (or chosen) is entered, as a user expects.
    const UnicodeString plain = FDialog->ExpandName(text, FFolder);
    const UnicodeString asTyped = FDialog->ExpandName(text, FFolder, false);
    if (IsDirectory(asTyped)) {
        SetWindowTextW(GetDlgItem(FHandle, idFileDialogFileName), u"");
        Navigate(asTyped);
        return false;
    }
    // Wildcards filter the list instead of naming a file.
    if (text.find_first_of(u"*?") != UnicodeString::npos) {
        size_t slash = asTyped.find_last_of(u'\\');
        UnicodeString folder = slash == UnicodeString::npos ? FFolder : asTyped.substr(0, slash);
        FPatternOverride = slash == UnicodeString::npos ? text : asTyped.substr(slash + 1);
        if (IsDirectory(folder) && folder != FFolder)
            Navigate(folder);
        else
            FillList();
        return false;
    }
    if (!FDialog->Validate(plain, FHandle)) return false;
    if (!FDialog->Accept(plain)) return false;
    End(true);
    return true;
}

void FileDialogWindow::End(bool Accepted) {
    FAccepted = Accepted;
    FDone = true;
}

void FileDialogWindow::OnCommand(int Id, int Code) {
    switch (Id) {
    case IDOK:
        if (Code == BN_CLICKED) {
            // A changed folder line goes there first.
            UnicodeString folder = Trim(ControlText(idFileDialogFolder));
            if (folder != FFolder && IsDirectory(folder)) {
                Navigate(folder);
                return;
            }
            Submit(ControlText(idFileDialogFileName));
        }
        return;
    case IDCANCEL:
        if (Code == BN_CLICKED) End(false);
        return;
    case idFileDialogList: {
        int index = static_cast<int>(
            SendMessageW(GetDlgItem(FHandle, idFileDialogList), LB_GETCURSEL, 0, 0));
        if (Code == LBN_DBLCLK)
            ChooseEntry(index, true);
        else if (Code == LBN_SELCHANGE)
            ChooseEntry(index, false);
        return;
    }
    case idFileDialogFilter:
        if (Code == CBN_SELCHANGE) {
            int index = static_cast<int>(
                SendMessageW(GetDlgItem(FHandle, idFileDialogFilter), CB_GETCURSEL, 0, 0));
            if (index >= 0) FDialog->SetFilterIndex(index + 1);
            FPatternOverride.clear();
            FillList();
            if (FDialog->OnTypeChange) FDialog->OnTypeChange(FDialog);
        }
        return;
    default:
        return;
    }
}

LRESULT CALLBACK FileDialogWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<FileDialogWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->FHandle == hwnd) return self->Handle(msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT FileDialogWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        End(false);
        return 0;
    default:
        return DefWindowProcW(FHandle, msg, wParam, lParam);
    }
}

bool FileDialogWindow::PreTranslate(MSG& Msg) {
    if (!Msg.hwnd || (Msg.hwnd != FHandle && !IsChild(FHandle, Msg.hwnd))) return false;
    // Enter in the folder line goes there, and on an entry of the list opens it;
    // anywhere else it presses OK, as the dialog keys do.
    if (Msg.message == WM_KEYDOWN && Msg.wParam == VK_RETURN) {
        if (Msg.hwnd == GetDlgItem(FHandle, idFileDialogFolder)) {
            UnicodeString folder = Trim(ControlText(idFileDialogFolder));
            if (IsDirectory(folder)) Navigate(folder);
            return true;
        }
        if (Msg.hwnd == GetDlgItem(FHandle, idFileDialogList)) {
            ChooseEntry(static_cast<int>(SendMessageW(Msg.hwnd, LB_GETCURSEL, 0, 0)), true);
            return true;
        }
    }
    // Tab, the arrows, Enter, Escape and the '&' mnemonics.
    return IsDialogMessageW(FHandle, &Msg) != FALSE;
}

bool FileDialogWindow::RunModal() {
    while (!FDone && FHandle && IsWindow(FHandle)) {
        MSG msg;
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The application is quitting: the dialog gives way and passes the quit on.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            End(false);
            break;
        }
        if (PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return FAccepted;
}

} // namespace quorlpak
