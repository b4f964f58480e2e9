// TCommonDialog, TOpenDialog and TSaveDialog: the options, the names the
// user may take, the scripted answers of tests and the dialog of our own.
#include "FileDialogWindow.h"

#include <quorlpak/Application.h>
#include <quorlpak/Dialogs.h>

#include <runpak/ScopeGuard.h>
#include <runpak/Strings.h>
#include <win32/TestSeams.h>

#include <algorithm>
#include <deque>
#include <mutex>

namespace {

// --- The file dialog seam -------------------------------------------------------------

struct Seams {
    std::mutex lock;
    TestSeams::FileDialogScript script;
    std::vector<TestSeams::FileDialogRecord> log;
};

Seams& Seam() {
    static auto* seams = new Seams;
    return *seams;
}

// A script refused this many times in a row gives up (cancel), so that a
// test whose answers the dialog keeps refusing ends instead of hanging.
constexpr int kMaxScriptAttempts = 100;

bool IsDirectory(const UnicodeString& Path) {
    DWORD attributes = GetFileAttributesW(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const UnicodeString& Path) {
    DWORD attributes = GetFileAttributesW(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsAbsolute(const UnicodeString& Name) {
    return (Name.size() >= 2 && Name[1] == u':') || (!Name.empty() && Name[0] == u'\\');
}

UnicodeString CurrentFolder() {
    char16_t buffer[MAX_PATH * 4];
    DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, buffer);
    return length > 0 && length < MAX_PATH * 4 ? UnicodeString(buffer, length)
                                               : UnicodeString(u"C:\\");
}

UnicodeString FullPath(const UnicodeString& Path) {
    char16_t buffer[MAX_PATH * 4];
    DWORD length = GetFullPathNameW(Path.c_str(), MAX_PATH * 4, buffer, nullptr);
    return length > 0 && length < MAX_PATH * 4 ? UnicodeString(buffer, length) : Path;
}

// The folder part of a full path ("C:\a\b.txt" -> "C:\a", "C:\b.txt" -> "C:\").
UnicodeString FolderOf(const UnicodeString& Path) {
    size_t slash = Path.find_last_of(u'\\');
    if (slash == UnicodeString::npos) return {};
    return slash <= 2 ? Path.substr(0, slash + 1) : Path.substr(0, slash);
}

UnicodeString NameOf(const UnicodeString& Path) {
    size_t slash = Path.find_last_of(u"\\/");
    return slash == UnicodeString::npos ? Path : Path.substr(slash + 1);
}

bool WildcardMatch(const char16_t* pattern, const char16_t* name) {
    // Iterative matching with one backtrack point for the last '*'.
    const char16_t* star = nullptr;
    const char16_t* resume = nullptr;
    while (*name) {
        if (*pattern == u'*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == u'?' || (*pattern && UpCase(*pattern) == UpCase(*name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == u'*')
        ++pattern;
    return *pattern == 0;
}

} // namespace

// --- Type records -----------------------------------------------------------------------

PTypeInfo TypeInfo_TOpenOption() {
    static const TTypeInfo info = MakeEnumTypeInfo(u"TOpenOption", {u"ofReadOnly",
                                                                    u"ofOverwritePrompt",
                                                                    u"ofHideReadOnly",
                                                                    u"ofNoChangeDir",
                                                                    u"ofShowHelp",
                                                                    u"ofNoValidate",
                                                                    u"ofAllowMultiSelect",
                                                                    u"ofExtensionDifferent",
                                                                    u"ofPathMustExist",
                                                                    u"ofFileMustExist",
                                                                    u"ofCreatePrompt",
                                                                    u"ofShareAware",
                                                                    u"ofNoReadOnlyReturn",
                                                                    u"ofNoTestFileCreate",
                                                                    u"ofNetworkButton",
                                                                    u"ofNoLongNames",
                                                                    u"ofOldStyleDialog",
                                                                    u"ofNoDereferenceLinks",
                                                                    u"ofEnableIncludeNotify",
                                                                    u"ofEnableSizing",
                                                                    u"ofDontAddToRecent",
                                                                    u"ofForceShowHidden"});
    return &info;
}

PTypeInfo TypeInfo_TOpenOptions() {
    static const TTypeInfo info = MakeSetTypeInfo(u"TOpenOptions", TypeInfo_TOpenOption());
    return &info;
}

// --- TCommonDialog ------------------------------------------------------------------------

TClass TCommonDialog::StaticClass() {
    using D = TCommonDialog;
    static const TMetaClass meta(
        TClassBuilder<D>(u"TCommonDialog", TComponent::StaticClass())
            .Property(u"Ctl3D", BooleanTypeInfo, &D::GetCtl3D, &D::SetCtl3D)
            .Default(1)
            .Property(u"HelpContext", IntegerTypeInfo, &D::GetHelpContext, &D::SetHelpContext)
            .Default(0)
            .Event(u"OnClose", &D::OnClose)
            .Event(u"OnShow", &D::OnShow));
    return &meta;
}

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

TCommonDialog::~TCommonDialog() = default;

bool TCommonDialog::Execute() {
    HWND owner = Application ? Application->GetActiveFormHandle() : nullptr;
    if (!owner) owner = GetActiveWindow();
    return Execute(owner);
}

void TCommonDialog::DoShow() {
    if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
    if (OnClose) OnClose(this);
}

// --- TOpenDialog ------------------------------------------------------------------------

TClass TOpenDialog::StaticClass() {
    using D = TOpenDialog;
    static const TMetaClass meta(
        TClassBuilder<D>(u"TOpenDialog", TCommonDialog::StaticClass())
            .Property(u"DefaultExt", UnicodeStringTypeInfo, &D::GetDefaultExt, &D::SetDefaultExt)
            .Property(u"FileName", UnicodeStringTypeInfo, &D::GetFileName, &D::SetFileName)
            .Property(u"Filter", UnicodeStringTypeInfo, &D::GetFilter, &D::SetFilter)
            .Property(u"FilterIndex", IntegerTypeInfo, &D::GetFilterIndex, &D::SetFilterIndex)
            .Default(1)
            .Property(u"InitialDir", UnicodeStringTypeInfo, &D::GetInitialDir, &D::SetInitialDir)
            .Property(u"Options", TypeInfo_TOpenOptions, &D::GetOptions, &D::SetOptions)
            .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing}.ToInt())
            .Property(u"Title", UnicodeStringTypeInfo, &D::GetTitle, &D::SetTitle)
            .Event(u"OnCanClose", &D::OnCanClose)
            .Event(u"OnFolderChange", &D::OnFolderChange)
            .Event(u"OnSelectionChange", &D::OnSelectionChange)
            .Event(u"OnTypeChange", &D::OnTypeChange));
    return &meta;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(new TStringList) {}

TOpenDialog::~TOpenDialog() {
    delete FFiles;
}

std::vector<std::pair<UnicodeString, UnicodeString>> TOpenDialog::FilterPairs() const {
    std::vector<std::pair<UnicodeString, UnicodeString>> pairs;
    std::vector<UnicodeString> parts;
    size_t start = 0;
    for (;;) {
        size_t bar = FFilter.find(u'|', start);
        parts.push_back(FFilter.substr(start, bar == UnicodeString::npos ? bar : bar - start));
        if (bar == UnicodeString::npos) break;
        start = bar + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
        pairs.emplace_back(parts[i], parts[i + 1]);
    // A filter of one part is a description without patterns: everything.
    if (parts.size() % 2 == 1 && !parts.back().empty()) pairs.emplace_back(parts.back(), u"*.*");
    return pairs;
}

bool TOpenDialog::MatchesPatterns(const UnicodeString& Name, const UnicodeString& Patterns) {
    size_t start = 0;
    for (;;) {
        size_t semi = Patterns.find(u';', start);
        UnicodeString pattern =
            Trim(Patterns.substr(start, semi == UnicodeString::npos ? semi : semi - start));
        // "*.*" also takes names without a dot, as users expect.
        if (pattern == u"*.*" || pattern == u"*") return true;
        if (!pattern.empty() && WildcardMatch(pattern.c_str(), Name.c_str())) return true;
        if (semi == UnicodeString::npos) return false;
        start = semi + 1;
    }
}

UnicodeString TOpenDialog::ExpandName(const UnicodeString& Name, const UnicodeString& Folder,
                                      bool AddDefaultExt) const {
    UnicodeString name = Name;
    // A name in the file system's own spelling ("/home/me/x") is the same path on drive C.
    if (!name.empty() && name[0] == u'/') name = u"C:" + name;
    std::replace(name.begin(), name.end(), u'/', u'\\');
    UnicodeString path;
    if (IsAbsolute(name))
        path = name;
    else if (Folder.empty())
        path = name;
    else
        path = Folder.back() == u'\\' ? Folder + name : Folder + u"\\" + name;
    path = FullPath(path);
    if (AddDefaultExt && !FDefaultExt.empty()) {
        UnicodeString file = NameOf(path);
        if (!file.empty() && file.find(u'.') == UnicodeString::npos) {
            UnicodeString ext = FDefaultExt[0] == u'.' ? FDefaultExt.substr(1) : FDefaultExt;
            path += u"." + ext;
        }
    }
    return path;
}

UnicodeString TOpenDialog::StartFolder() const {
    if (!FInitialDir.empty()) {
        UnicodeString folder = ExpandName(FInitialDir, CurrentFolder(), false);
        if (IsDirectory(folder)) return folder;
    }
    if (!FFileName.empty()) {
        UnicodeString folder = FolderOf(ExpandName(FFileName, CurrentFolder(), false));
        if (!folder.empty() && IsDirectory(folder)) return folder;
    }
    return CurrentFolder();
}

bool TOpenDialog::Validate(const UnicodeString& Path, HWND Dialog) {
    UnicodeString title = FTitle.empty() ? UnicodeString(FSave ? u"Save As" : u"Open") : FTitle;
    auto refuse = [&](const UnicodeString& text) {
        MessageBoxW(Dialog, text.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
        return false;
    };
    if (NameOf(Path).empty()) return false;
    if (FOptions.Contains(ofNoValidate)) return true;
    const UnicodeString folder = FolderOf(Path);
    if ((FOptions.Contains(ofPathMustExist) || FOptions.Contains(ofFileMustExist)) &&
        !IsDirectory(folder))
        return refuse(Path + u"\nPath does not exist.\nCheck the path and try again.");
    if (IsDirectory(Path)) return refuse(Path + u"\nThis is a folder, not a file.");
    const bool exists = IsFile(Path);
    if (FOptions.Contains(ofFileMustExist) && !exists)
        return refuse(Path + u"\nFile not found.\nCheck the file name and try again.");
    if (FSave && exists && FOptions.Contains(ofOverwritePrompt)) {
        UnicodeString text = Path + u" already exists.\nDo you want to replace it?";
        return MessageBoxW(Dialog, text.c_str(), title.c_str(), MB_YESNO | MB_ICONWARNING) == IDYES;
    }
    if (!exists && FOptions.Contains(ofCreatePrompt)) {
        UnicodeString text = Path + u"\nThis file does not exist.\nDo you want to create it?";
        return MessageBoxW(Dialog, text.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION) ==
               IDYES;
    }
    return true;
}

bool TOpenDialog::CanClose() {
    bool canClose = true;
    if (OnCanClose) OnCanClose(this, canClose);
    return canClose;
}

bool TOpenDialog::Accept(const UnicodeString& Path) {
    // The handler sees the name being taken, and the old one comes back if it refuses.
    const UnicodeString previous = FFileName;
    FFileName = Path;
    if (!CanClose()) {
        FFileName = previous;
        return false;
    }
    FFiles->Clear();
    FFiles->Add(Path);
    FOptions.Exclude(ofExtensionDifferent);
    if (!FDefaultExt.empty()) {
        UnicodeString file = NameOf(Path);
        size_t dot = file.find_last_of(u'.');
        UnicodeString ext = dot == UnicodeString::npos ? UnicodeString() : file.substr(dot + 1);
        UnicodeString wanted = FDefaultExt[0] == u'.' ? FDefaultExt.substr(1) : FDefaultExt;
        if (!SameText(ext, wanted)) FOptions.Include(ofExtensionDifferent);
    }
    return true;
}

bool TOpenDialog::Execute(HWND ParentWnd) {
    if (ParentWnd && !IsWindow(ParentWnd)) ParentWnd = nullptr;
    TestSeams::FileDialogScript script;
    {
        std::lock_guard<std::mutex> guard(Seam().lock);
        script = Seam().script;
    }
    TestSeams::FileDialogRecord record;
    record.owner = ParentWnd;
    record.save = FSave;
    record.title = FTitle;
    record.filter = FFilter;
    record.filterIndex = FFilterIndex;
    record.initialDir = FInitialDir;
    record.fileName = FFileName;
    record.defaultExt = FDefaultExt;
    record.options = static_cast<unsigned>(FOptions.ToInt());

    bool accepted = false;
    {
        quorlpak::FileDialogWindow window(this, ParentWnd, StartFolder());
        if (!window.Handle()) return false;
        FHandle = window.Handle();
        record.dialog = window.Handle();
        record.folder = window.Folder();
        auto clearHandle = runpak::ScopeExit([this] { FHandle = nullptr; });
        DoShow();
        if (!script) {
            accepted = window.RunModal();
        } else {
            while (record.attempts < kMaxScriptAttempts) {
                record.folder = window.Folder();
                TestSeams::FileDialogAnswer answer = script(record);
                ++record.attempts;
                if (answer.interactive) {
                    accepted = window.RunModal();
                    break;
                }
                if (!answer.accept) break;
                if (answer.filterIndex > 0) FFilterIndex = answer.filterIndex;
                if (window.Submit(UnicodeString(answer.fileName))) {
                    accepted = true;
                    break;
                }
            }
        }
    }
    DoClose();
    record.dialog = nullptr;
    record.accepted = accepted;
    if (accepted) record.result = FFileName;
    if (script) {
        std::lock_guard<std::mutex> guard(Seam().lock);
        Seam().log.push_back(record);
    }
    return accepted;
}

// --- TSaveDialog -----------------------------------------------------------------------

TClass TSaveDialog::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TSaveDialog>(u"TSaveDialog", TOpenDialog::StaticClass()));
    return &meta;
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {
    FSave = true;
}

void RegisterDialogClasses() {
    RegisterClasses({TOpenDialog::StaticClass(), TSaveDialog::StaticClass()});
}

// --- The seam ------------------------------------------------------------------------------

namespace TestSeams {

void ScriptFileDialogs(FileDialogScript script) {
    std::lock_guard<std::mutex> guard(Seam().lock);
    Seam().script = std::move(script);
    Seam().log.clear();
}

void AnswerFileDialogs(std::vector<std::optional<std::u16string>> answers) {
    auto queue =
        std::make_shared<std::deque<std::optional<std::u16string>>>(answers.begin(), answers.end());
    ScriptFileDialogs([queue](const FileDialogRecord&) {
        FileDialogAnswer answer;
        if (queue->empty()) return answer;
        std::optional<std::u16string> next = queue->front();
        queue->pop_front();
        if (next) {
            answer.accept = true;
            answer.fileName = *next;
        }
        return answer;
    });
}

std::vector<FileDialogRecord> FileDialogs() {
    std::lock_guard<std::mutex> guard(Seam().lock);
    return Seam().log;
}

} // namespace TestSeams
