// SHGetFileInfoW: names, types, attributes and icons of shell items.
#pragma once
#pragma GCC visibility push(default)

#include <win32/shlobj.h>

typedef struct _SHFILEINFOW {
    HICON hIcon;
    int iIcon;
    DWORD dwAttributes;
    WCHAR szDisplayName[MAX_PATH];
    WCHAR szTypeName[80];
} SHFILEINFOW;

#define SHGFI_ICON 0x000000100
#define SHGFI_DISPLAYNAME 0x000000200
#define SHGFI_TYPENAME 0x000000400
#define SHGFI_ATTRIBUTES 0x000000800
#define SHGFI_ICONLOCATION 0x000001000
#define SHGFI_EXETYPE 0x000002000
#define SHGFI_SYSICONINDEX 0x000004000
#define SHGFI_LINKOVERLAY 0x000008000
#define SHGFI_SELECTED 0x000010000
#define SHGFI_ATTR_SPECIFIED 0x000020000
#define SHGFI_LARGEICON 0x000000000
#define SHGFI_SMALLICON 0x000000001
#define SHGFI_OPENICON 0x000000002
#define SHGFI_SHELLICONSIZE 0x000000004
#define SHGFI_PIDL 0x000000008
#define SHGFI_USEFILEATTRIBUTES 0x000000010
#define SHGFI_ADDOVERLAYS 0x000000020
#define SHGFI_OVERLAYINDEX 0x000000040

// pszPath is a Windows path, or (SHGFI_PIDL) an absolute id list. With
// SHGFI_USEFILEATTRIBUTES the path need not exist: dwFileAttributes says
// whether it is a folder. With SHGFI_SYSICONINDEX the answer is the system
// image list (as a DWORD_PTR), else nonzero for success.
DWORD_PTR SHGetFileInfoW(LPCWSTR pszPath, DWORD dwFileAttributes, SHFILEINFOW* psfi,
                         UINT cbFileInfo, UINT uFlags);

// --- Dropped files (CF_HDROP blocks, WM_DROPFILES) ----------------------------------------
DECLARE_HANDLE(HDROP);
// iFile 0xFFFFFFFF: the number of names. Else the length of name iFile
// without its terminator (lpszFile null), or the number of characters copied
// into lpszFile (cch counts the terminator; longer names are cut).
UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch);
UINT DragQueryFileA(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch);
// The drop point; TRUE when it lies in the client area.
BOOL DragQueryPoint(HDROP hDrop, POINT* ppt);
// Frees the block WM_DROPFILES handed over.
void DragFinish(HDROP hDrop);
// Sets or clears WS_EX_ACCEPTFILES: the window takes files dropped on it as
// WM_DROPFILES (when it has no drop target of its own).
void DragAcceptFiles(HWND hWnd, BOOL fAccept);

// --- File operations ------------------------------------------------------------------
// Copy, move, rename and delete of files and folders, with the shell's
// confirmations. pFrom and pTo are lists of Windows paths, each ended by a
// null character and the list by a second one; a source's last part may hold
// the wildcards * and ?. Deleting with FOF_ALLOWUNDO moves the items to the
// recycle bin (the desktop's trash), from which they can be restored.
#define FO_MOVE 0x0001
#define FO_COPY 0x0002
#define FO_DELETE 0x0003
#define FO_RENAME 0x0004

typedef WORD FILEOP_FLAGS;
#define FOF_MULTIDESTFILES 0x0001
#define FOF_CONFIRMMOUSE 0x0002
#define FOF_SILENT 0x0004
#define FOF_RENAMEONCOLLISION 0x0008
#define FOF_NOCONFIRMATION 0x0010
#define FOF_WANTMAPPINGHANDLE 0x0020
#define FOF_ALLOWUNDO 0x0040
#define FOF_FILESONLY 0x0080
#define FOF_SIMPLEPROGRESS 0x0100
#define FOF_NOCONFIRMMKDIR 0x0200
#define FOF_NOERRORUI 0x0400
#define FOF_NOCOPYSECURITYATTRIBS 0x0800
#define FOF_NORECURSION 0x1000
#define FOF_NO_CONNECTED_ELEMENTS 0x2000
#define FOF_WANTNUKEWARNING 0x4000

typedef struct _SHFILEOPSTRUCTW {
    HWND hwnd;
    UINT wFunc;
    LPCWSTR pFrom;
    LPCWSTR pTo;
    FILEOP_FLAGS fFlags;
    BOOL fAnyOperationsAborted;
    LPVOID hNameMappings;
    LPCWSTR lpszProgressTitle;
} SHFILEOPSTRUCTW, *LPSHFILEOPSTRUCTW;

// The shell's own answers, beside the Windows errors of the file system.
#define DE_SAMEFILE 0x71
#define DE_OPCANCELLED 0x75
#define DE_DESTSUBTREE 0x76
#define DE_INVALIDFILES 0x7C
#define DE_ROOTDIR 0x74
#ifndef ERROR_CANCELLED
#define ERROR_CANCELLED 1223L
#endif
#ifndef ERROR_NO_ASSOCIATION
#define ERROR_NO_ASSOCIATION 1155L
#endif

// 0 when every item was done; otherwise the first failure. A user's "no" or
// "cancel" sets fAnyOperationsAborted; cancelling answers ERROR_CANCELLED.
int SHFileOperationW(LPSHFILEOPSTRUCTW lpFileOp);

// --- Running items -------------------------------------------------------------------
// Opens a file or folder with the desktop's default application for its type.
// The verbs "open" and "explore" (or none) are known; other verbs answer
// ERROR_NO_ASSOCIATION. The result is above 32 on success, else an error
// code (SE_ERR_*). The working directory and parameters are accepted; the
// default application is started without them.
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31

#define SEE_MASK_DEFAULT 0x00000000
#define SEE_MASK_CLASSNAME 0x00000001
#define SEE_MASK_CLASSKEY 0x00000003
#define SEE_MASK_IDLIST 0x00000004
#define SEE_MASK_INVOKEIDLIST 0x0000000C
#define SEE_MASK_NOCLOSEPROCESS 0x00000040
#define SEE_MASK_FLAG_NO_UI 0x00000400
#define SEE_MASK_ASYNCOK 0x00100000

typedef struct _SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp; // the result code, as ShellExecuteW answers it
    void* lpIDList;     // an absolute id list, read with SEE_MASK_IDLIST
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    HANDLE hIcon;
    HANDLE hProcess; // always null: the application runs on its own
} SHELLEXECUTEINFOW, *LPSHELLEXECUTEINFOW;

HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                        LPCWSTR lpDirectory, INT nShowCmd);
// TRUE on success; on failure FALSE with the last error set and hInstApp
// holding the SE_ERR_* code.
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo);

#pragma GCC visibility pop
