// SHFileOperationW over the Linux file system. Every source is checked before
// anything changes, so a missing source or a copy into itself leaves the disk
// as it was; conflicts and deletions ask the user through message boxes unless
// the flags say not to, a long operation shows its progress with a Cancel
// button, and every change is announced to the shell's change notification.
#include "../Errno.h"
#include "../Paths.h"
#include "FileProgress.h"
#include "Trash.h"

#include <win32/shellapi.h>
#include <win32/winerror.h>
#include <win32/winuser.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win32 {
namespace {

namespace fs = std::filesystem;

std::vector<std::u16string> SplitList(LPCWSTR list) {
    std::vector<std::u16string> names;
    if (!list) return names;
    for (LPCWSTR p = list; *p; p += names.back().size() + 1)
        names.emplace_back(p);
    return names;
}

// A dangling link exists too: it is an entry that can be moved or deleted.
bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string Leaf(const std::string& path) {
    return fs::path(path).filename().string();
}
std::string Parent(const std::string& path) {
    return fs::path(path).parent_path().string();
}

// Whether `inner` is `outer` or lies below it.
bool Within(const std::string& inner, const std::string& outer) {
    return inner == outer ||
           (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
            inner[outer.size()] == '/');
}

void Announce(LONG event, const std::string& path, const std::string& other = {}) {
    std::u16string one = ToWindowsPath(path), two = ToWindowsPath(other);
    SHChangeNotify(event, SHCNF_PATHW, one.c_str(), other.empty() ? nullptr : two.c_str());
}

// A free name beside `path`: "name - Copy.ext", then "name - Copy (2).ext".
std::string CollisionName(const std::string& path) {
    fs::path p(path);
    std::string stem = p.stem().string(), extension = p.extension().string();
    if (IsFolder(path)) stem += extension, extension.clear();
    for (int n = 1;; ++n) {
        std::string name =
            stem + " - Copy" + (n > 1 ? " (" + std::to_string(n) + ")" : "") + extension;
        std::string candidate = (p.parent_path() / name).string();
        if (!Exists(candidate)) return candidate;
    }
}

bool IsRealFolder(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::u16string ProgressCaption(const SHFILEOPSTRUCTW& op) {
    if ((op.fFlags & FOF_SIMPLEPROGRESS) && op.lpszProgressTitle) return op.lpszProgressTitle;
    switch (op.wFunc) {
    case FO_MOVE: return u"Moving...";
    case FO_COPY: return u"Copying...";
    case FO_DELETE: return u"Deleting...";
    default: return u"Renaming...";
    }
}

class Operation {
public:
    explicit Operation(SHFILEOPSTRUCTW& op) : op_(op) {}

    int Run() {
        if (op_.wFunc < FO_MOVE || op_.wFunc > FO_RENAME) return ERROR_INVALID_PARAMETER;
        std::vector<std::u16string> from = SplitList(op_.pFrom), to = SplitList(op_.pTo);
        std::vector<std::string> sources;
        for (const std::u16string& name : from)
            if (int error = Expand(ToLinuxPath(name), sources)) return error;
        if (sources.empty()) return from.empty() ? DE_INVALIDFILES : ERROR_FILE_NOT_FOUND;
        progress_ = std::make_unique<FileProgress>(op_.hwnd, ProgressCaption(op_),
                                                   (op_.fFlags & FOF_SILENT) != 0,
                                                   (op_.fFlags & FOF_SIMPLEPROGRESS) != 0,
                                                   int(sources.size()));
        if (op_.wFunc == FO_DELETE) return Delete(sources);
        if (to.empty()) return DE_INVALIDFILES;
        std::vector<std::string> targets;
        if (int error = Targets(sources, to, targets)) return error;
        for (size_t i = 0; i < sources.size(); ++i) {
            if (targets[i] == sources[i] && !(op_.fFlags & FOF_RENAMEONCOLLISION))
                return DE_SAMEFILE;
            if (IsFolder(sources[i]) && targets[i] != sources[i] && Within(targets[i], sources[i]))
                return DE_DESTSUBTREE;
        }
        for (size_t i = 0; i < sources.size(); ++i) {
            if (!progress_->Step(sources[i])) return Abort();
            int result = Transfer(sources[i], targets[i]);
            if (result == ERROR_CANCELLED) return Abort();
            if (result) return Fail(result, sources[i]);
        }
        return 0;
    }

private:
    // A wildcard source stands for the matching entries of its folder; a plain
    // one must exist.
    int Expand(const std::string& path, std::vector<std::string>& out) {
        std::string leaf = Leaf(path);
        if (leaf.find_first_of("*?") == std::string::npos) {
            if (!Exists(path)) return ERROR_FILE_NOT_FOUND;
            out.push_back(fs::path(path).lexically_normal().string());
            return 0;
        }
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(Parent(path), error)) {
            std::string name = entry.path().filename().string();
            if (fnmatch(leaf.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
            if ((op_.fFlags & FOF_FILESONLY) && entry.is_directory()) continue;
            out.push_back(entry.path().string());
        }
        return error ? ErrorFromErrnoAt(error.value(), Parent(path)) : 0;
    }

    // One target per source: its own (FOF_MULTIDESTFILES, renames), or the
    // name inside a destination folder, or the one name a lone source takes.
    int Targets(const std::vector<std::string>& sources, const std::vector<std::u16string>& to,
                std::vector<std::string>& targets) {
        bool own = (op_.fFlags & FOF_MULTIDESTFILES) || op_.wFunc == FO_RENAME;
        if (own && to.size() != sources.size()) return DE_INVALIDFILES;
        for (size_t i = 0; i < sources.size(); ++i) {
            std::string target = fs::path(ToLinuxPath(to[own ? i : 0])).lexically_normal().string();
            if (target.size() > 1 && target.back() == '/') target.pop_back();
            if (op_.wFunc == FO_RENAME) {
                if (Parent(target) != Parent(sources[i]))
                    target = Parent(sources[i]) + "/" + Leaf(target);
            } else if (!own && IsFolder(target)) {
                target += "/" + Leaf(sources[i]);
            } else if (sources.size() > 1 && !own) {
                // Several sources into a folder that is not there yet: make it.
                std::error_code error;
                fs::create_directories(target, error);
                if (error) return ErrorFromErrnoAt(error.value(), target);
                Announce(SHCNE_MKDIR, target);
                target += "/" + Leaf(sources[i]);
            }
            targets.push_back(target);
        }
        return 0;
    }

    // ERROR_CANCELLED when the user cancels; ERROR_ALREADY_EXISTS for "skip".
    int Transfer(const std::string& source, std::string target) {
        if (op_.wFunc == FO_RENAME) {
            if (Exists(target)) return ERROR_ALREADY_EXISTS;
            if (rename(source.c_str(), target.c_str()) != 0) return ErrorFromErrnoAt(errno, source);
            Announce(IsFolder(target) ? SHCNE_RENAMEFOLDER : SHCNE_RENAMEITEM, source, target);
            return 0;
        }
        bool replace = false;
        if (Exists(target)) {
            if (op_.fFlags & FOF_RENAMEONCOLLISION) {
                target = CollisionName(target);
            } else if (!(op_.fFlags & FOF_NOCONFIRMATION)) {
                switch (Ask(u"This folder already contains an item named \"" +
                                NameToWindows(Leaf(target)) +
                                u"\".\n\nWould you like to replace the existing item?",
                            u"Confirm Replace", MB_YESNOCANCEL | MB_ICONWARNING)) {
                case IDYES:
                    replace = true;
                    break;
                case IDNO:
                    op_.fAnyOperationsAborted = TRUE;
                    return 0;
                default:
                    return ERROR_CANCELLED;
                }
            } else {
                replace = true;
            }
        }
        std::error_code error;
        fs::create_directories(Parent(target), error);
        bool folder = IsFolder(source);
        if (replace && !(folder && IsFolder(target))) fs::remove_all(target, error);
        if (op_.wFunc == FO_MOVE && !Exists(target) &&
            rename(source.c_str(), target.c_str()) == 0) {
            Announce(folder ? SHCNE_RENAMEFOLDER : SHCNE_RENAMEITEM, source, target);
            return 0;
        }
        // A copy, or a move that rename cannot do (another file system, or a
        // folder merged into one of the same name).
        if (IsRealFolder(source) && !(op_.fFlags & FOF_NORECURSION)) {
            if (int result = CopyTree(source, target)) return result;
        } else {
            auto options = fs::copy_options::copy_symlinks | fs::copy_options::overwrite_existing;
            if (!(op_.fFlags & FOF_NORECURSION)) options |= fs::copy_options::recursive;
            fs::copy(source, target, options, error);
            if (error) return ErrorFromErrnoAt(error.value(), target);
        }
        Announce(folder ? SHCNE_MKDIR : SHCNE_CREATE, target);
        if (op_.wFunc == FO_MOVE) {
            fs::remove_all(source, error);
            if (error) return ErrorFromErrnoAt(error.value(), source);
            Announce(folder ? SHCNE_RMDIR : SHCNE_DELETE, source);
        }
        return 0;
    }

    // A folder copied entry by entry (links as links), so that the progress
    // window names each and a cancel stops between two. ERROR_CANCELLED when
    // the user cancelled.
    int CopyTree(const std::string& source, const std::string& target) {
        std::error_code error;
        fs::create_directories(target, error);
        if (error) return ErrorFromErrnoAt(error.value(), target);
        fs::recursive_directory_iterator walk(source, error), end;
        if (error) return ErrorFromErrnoAt(error.value(), source);
        for (; walk != end; walk.increment(error)) {
            if (error) return ErrorFromErrnoAt(error.value(), source);
            const fs::path from = walk->path();
            const fs::path to = fs::path(target) / from.lexically_relative(source);
            if (!progress_->Working(from.string())) return ERROR_CANCELLED;
            const fs::file_status status = fs::symlink_status(from, error);
            if (error) return ErrorFromErrnoAt(error.value(), from.string());
            if (fs::is_symlink(status)) {
                fs::remove(to, error);
                fs::copy_symlink(from, to, error);
            } else if (fs::is_directory(status)) {
                fs::create_directories(to, error);
            } else {
                fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
            }
            if (error) return ErrorFromErrnoAt(error.value(), to.string());
        }
        return 0;
    }

    int Delete(const std::vector<std::string>& sources) {
        bool trash = (op_.fFlags & FOF_ALLOWUNDO) != 0;
        if (!(op_.fFlags & FOF_NOCONFIRMATION)) {
            std::u16string what =
                sources.size() == 1
                    ? u"\"" + NameToWindows(Leaf(sources[0])) + u"\""
                    : u"these " + NameToWindows(std::to_string(sources.size())) + u" items";
            std::u16string text =
                trash ? u"Are you sure you want to move " + what + u" to the Recycle Bin?"
                      : u"Are you sure you want to permanently delete " + what + u"?";
            if (Ask(text,
                    sources.size() == 1 ? u"Confirm File Delete" : u"Confirm Multiple File Delete",
                    MB_YESNO | MB_ICONWARNING) != IDYES)
                return Abort();
        }
        for (const std::string& source : sources) {
            if (!progress_->Step(source)) return Abort();
            bool folder = IsFolder(source);
            if (trash) {
                if (DWORD error = MoveToTrash(source)) return Fail(int(error), source);
            } else {
                std::error_code error;
                fs::remove_all(source, error);
                if (error) return Fail(int(ErrorFromErrnoAt(error.value(), source)), source);
            }
            Announce(folder ? SHCNE_RMDIR : SHCNE_DELETE, source);
        }
        return 0;
    }

    int Ask(const std::u16string& text, const std::u16string& caption, UINT type) {
        return MessageBoxW(op_.hwnd, text.c_str(), caption.c_str(), type);
    }

    int Abort() {
        op_.fAnyOperationsAborted = TRUE;
        return ERROR_CANCELLED;
    }

    int Fail(int error, const std::string& path) {
        if (!(op_.fFlags & FOF_NOERRORUI)) {
            std::u16string text = u"Cannot complete the operation on \"" +
                                  NameToWindows(Leaf(path)) + u"\" (error " +
                                  NameToWindows(std::to_string(error)) + u").";
            MessageBoxW(op_.hwnd, text.c_str(), u"Error", MB_OK | MB_ICONERROR);
        }
        return error;
    }

    SHFILEOPSTRUCTW& op_;
    std::unique_ptr<FileProgress> progress_;
};

} // namespace
} // namespace win32

int SHFileOperationW(LPSHFILEOPSTRUCTW lpFileOp) {
    if (!lpFileOp) return ERROR_INVALID_PARAMETER;
    lpFileOp->fAnyOperationsAborted = FALSE;
    lpFileOp->hNameMappings = nullptr;
    try {
        return win32::Operation(*lpFileOp).Run();
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
