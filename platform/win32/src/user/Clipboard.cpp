// The clipboard, in process: formats and their data handles, ownership and
// opening, rendering on demand (WM_RENDERFORMAT), and the text formats
// CF_TEXT, CF_OEMTEXT and CF_UNICODETEXT converted into one another (with
// CF_LOCALE) when asked for.
#include "NonClient.h"
#include "../present/Presenter.h"

#include <win32/winbase.h>
#include <win32/winnls.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Entry {
    UINT format = 0;
    HANDLE data = nullptr; // null: the owner renders it when asked
    bool synthesized = false;
    bool foreign = false; // another program's: fetched from the desktop when asked
};

struct Clipboard {
    std::mutex lock;
    bool open = false;
    HWND openWindow = nullptr;
    DWORD openThread = 0;
    HWND owner = nullptr;
    std::vector<Entry> entries; // in the order they were set
    DWORD sequence = 0;
    DWORD sequenceAtOpen = 0;
    UINT rendering = 0; // the format the owner is asked to render now
    bool foreign = false; // the content is another program's
};

Clipboard& C() {
    static auto* clipboard = new Clipboard;
    return *clipboard;
}

using Guard = std::lock_guard<std::mutex>;

bool IsText(UINT format) {
    return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
}

bool OpenedHere() {
    return C().open && C().openThread == GetCurrentThreadId();
}

Entry* FindEntry(UINT format) {
    for (Entry& e : C().entries)
        if (e.format == format) return &e;
    return nullptr;
}

bool HasRealText() {
    for (const Entry& e : C().entries)
        if (IsText(e.format) && !e.synthesized) return true;
    return false;
}

// Formats the clipboard can give without holding them: the text formats and
// the locale, once any text format is there. Caller holds the lock.
std::vector<UINT> SynthesizableFormats() {
    std::vector<UINT> out;
    if (!HasRealText()) return out;
    for (UINT f : {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT, CF_LOCALE})
        if (!FindEntry(f)) out.push_back(f);
    return out;
}

// Every format on offer, held ones first. Caller holds the lock.
std::vector<UINT> AvailableFormats() {
    std::vector<UINT> out;
    for (const Entry& e : C().entries)
        out.push_back(e.format);
    for (UINT f : SynthesizableFormats())
        out.push_back(f);
    return out;
}

// Frees a handle the clipboard owns, by what its format holds.
void FreeData(UINT format, HANDLE data) {
    if (!data) return;
    if (format == CF_BITMAP || format == CF_DSPBITMAP || format == CF_PALETTE ||
        (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST)) {
        DeleteObject(data);
        return;
    }
    // Private formats belong to their owner; metafiles are not kept here.
    if ((format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) || format == CF_ENHMETAFILE ||
        format == CF_DSPENHMETAFILE || format == CF_OWNERDISPLAY)
        return;
    GlobalFree(data);
}

void FreeAll(std::vector<Entry>& entries) {
    for (const Entry& e : entries)
        FreeData(e.format, e.data);
    entries.clear();
}

// The text held in a format's handle, as UTF-16.
bool ReadText(UINT format, HANDLE data, std::u16string& text) {
    const SIZE_T size = GlobalSize(data);
    const void* p = GlobalLock(data);
    if (!p) return false;
    if (format == CF_UNICODETEXT) {
        const auto* w = static_cast<const char16_t*>(p);
        const size_t max = size / sizeof(char16_t);
        text.assign(w, std::find(w, w + max, u'\0'));
    } else {
        const auto* s = static_cast<const char*>(p);
        const size_t n = strnlen(s, size);
        const UINT cp = format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
        const int wide = MultiByteToWideChar(cp, 0, s, static_cast<int>(n), nullptr, 0);
        text.assign(static_cast<size_t>(std::max(wide, 0)), u'\0');
        if (wide > 0) MultiByteToWideChar(cp, 0, s, static_cast<int>(n), text.data(), wide);
    }
    GlobalUnlock(data);
    return true;
}

HGLOBAL MakeBlock(const void* bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) return nullptr;
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    return block;
}

HGLOBAL WriteText(UINT format, const std::u16string& text) {
    if (format == CF_UNICODETEXT)
        return MakeBlock(text.c_str(), (text.size() + 1) * sizeof(char16_t));
    const UINT cp = format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
    const int n = WideCharToMultiByte(cp, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                      0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(cp, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n,
                            nullptr, nullptr);
    return MakeBlock(bytes.c_str(), bytes.size() + 1);
}

// Asks the owner to render a format it promised. Called without the lock.
void Render(UINT format) {
    HWND owner;
    {
        Guard guard(C().lock);
        owner = C().owner;
        if (!owner) return;
        C().rendering = format;
    }
    if (IsWindow(owner)) SendMessageW(owner, WM_RENDERFORMAT, format, 0);
    Guard guard(C().lock);
    C().rendering = 0;
}

HANDLE Held(UINT format) {
    Guard guard(C().lock);
    Entry* e = FindEntry(format);
    return e ? e->data : nullptr;
}

bool Holds(UINT format) {
    Guard guard(C().lock);
    return FindEntry(format) != nullptr;
}

// Fetches another program's data in `format` from the desktop and keeps it,
// unless the clipboard changed meanwhile. Called without the lock.
void FetchForeign(UINT format) {
    DWORD sequence;
    {
        Guard guard(C().lock);
        Entry* e = FindEntry(format);
        if (!e || !e->foreign || e->data) return;
        sequence = C().sequence;
    }
    const std::optional<std::string> bytes = win32::present::FetchClipboard(format);
    if (!bytes) return;
    HGLOBAL block = MakeBlock(bytes->data(), bytes->size());
    if (!block) return;
    Guard guard(C().lock);
    Entry* e = FindEntry(format);
    if (C().sequence == sequence && e && e->foreign && !e->data) {
        e->data = block;
        return;
    }
    GlobalFree(block);
}

bool IsForeign(UINT format) {
    Guard guard(C().lock);
    Entry* e = FindEntry(format);
    return e && e->foreign;
}

// A held format's data, rendered (or fetched) first if need be.
HANDLE HeldRendered(UINT format) {
    if (!Holds(format)) return nullptr;
    if (HANDLE data = Held(format)) return data;
    if (IsForeign(format))
        FetchForeign(format);
    else
        Render(format);
    return Held(format);
}

// A format's handle, held or converted from the text; null when not on offer.
// Called without the lock.
HANDLE Obtain(UINT format);

// Converts the text on the clipboard into `format` (or makes CF_LOCALE).
HANDLE Synthesize(UINT format) {
    HGLOBAL made = nullptr;
    if (format == CF_LOCALE) {
        const LCID locale = GetThreadLocale();
        made = MakeBlock(&locale, sizeof locale);
    } else {
        std::u16string text;
        bool found = false;
        for (UINT source : {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT}) {
            if (source == format) continue;
            {
                Guard guard(C().lock);
                Entry* e = FindEntry(source);
                if (!e || e->synthesized) continue;
            }
            if (HANDLE data = HeldRendered(source)) found = ReadText(source, data, text);
            if (found) break;
        }
        if (!found) return nullptr;
        made = WriteText(format, text);
    }
    if (!made) return nullptr;
    Guard guard(C().lock);
    if (Entry* e = FindEntry(format)) { // made meanwhile: keep that one
        GlobalFree(made);
        return e->data;
    }
    C().entries.push_back({format, made, true, false});
    return made;
}

HANDLE Obtain(UINT format) {
    if (Holds(format)) return HeldRendered(format);
    bool canMake;
    {
        Guard guard(C().lock);
        const std::vector<UINT> formats = SynthesizableFormats();
        canMake = std::find(formats.begin(), formats.end(), format) != formats.end();
    }
    return canMake ? Synthesize(format) : nullptr;
}

} // namespace

namespace win32::user {

std::vector<UINT> ClipboardFormatsForDesktop() {
    Guard guard(C().lock);
    if (C().foreign) return {};
    return AvailableFormats();
}

std::optional<std::string> ClipboardBytesForDesktop(UINT format) {
    {
        Guard guard(C().lock);
        if (C().foreign) return std::nullopt; // never hand another program's data back out
    }
    if (IsForeign(format)) return std::nullopt;
    HANDLE data = Obtain(format);
    if (!data) return std::nullopt;
    const SIZE_T size = GlobalSize(data);
    const void* bytes = GlobalLock(data);
    if (!bytes) return std::nullopt;
    std::string out(static_cast<const char*>(bytes), size);
    GlobalUnlock(data);
    return out;
}

bool SetForeignClipboard(const std::vector<UINT>& formats, DWORD ifSequence) {
    HWND previous;
    std::vector<Entry> old;
    {
        Guard guard(C().lock);
        if (C().sequence != ifSequence) return false; // this process copied meanwhile
        previous = C().owner;
        old.swap(C().entries);
        C().owner = nullptr;
        for (UINT f : formats)
            C().entries.push_back({f, nullptr, false, true});
        C().foreign = true;
        ++C().sequence;
    }
    if (previous && IsWindow(previous)) SendMessageW(previous, WM_DESTROYCLIPBOARD, 0, 0);
    FreeAll(old);
    return true;
}

void ClipboardOwnerGoing(HWND hwnd) {
    {
        Guard guard(C().lock);
        if (C().owner != hwnd) return;
        if (std::none_of(C().entries.begin(), C().entries.end(),
                         [](const Entry& e) { return !e.data; }))
            return;
    }
    // Promised formats are rendered now, so that the data outlives its owner.
    SendMessageW(hwnd, WM_RENDERALLFORMATS, 0, 0);
}

void ClipboardWindowGone(HWND hwnd) {
    Guard guard(C().lock);
    if (C().open && C().openWindow == hwnd) {
        C().open = false;
        C().openWindow = nullptr;
    }
    if (C().owner == hwnd) {
        // Promised formats die with their owner.
        C().owner = nullptr;
        auto& entries = C().entries;
        entries.erase(
            std::remove_if(entries.begin(), entries.end(), [](const Entry& e) { return !e.data; }),
            entries.end());
    }
}

} // namespace win32::user

BOOL OpenClipboard(HWND newOwner) {
    if (newOwner && !IsWindow(newOwner)) return FALSE;
    Guard guard(C().lock);
    if (C().open) {
        if (OpenedHere() && C().openWindow == newOwner) return TRUE;
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    C().open = true;
    C().openWindow = newOwner;
    C().openThread = GetCurrentThreadId();
    C().sequenceAtOpen = C().sequence;
    return TRUE;
}

BOOL CloseClipboard() {
    bool changed;
    {
        Guard guard(C().lock);
        if (!OpenedHere()) {
            SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
            return FALSE;
        }
        C().open = false;
        C().openWindow = nullptr;
        C().openThread = 0;
        changed = C().sequence != C().sequenceAtOpen && !C().foreign;
    }
    // New content of this process: the desktop's clipboard becomes ours.
    if (changed) win32::present::ClipboardChanged();
    return TRUE;
}

BOOL EmptyClipboard() {
    HWND previous;
    std::vector<Entry> old;
    {
        Guard guard(C().lock);
        if (!OpenedHere()) {
            SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
            return FALSE;
        }
        previous = C().owner;
        old.swap(C().entries);
        C().owner = C().openWindow;
        C().foreign = false;
        ++C().sequence;
    }
    // The previous owner hears of it before its data goes.
    if (previous && IsWindow(previous)) SendMessageW(previous, WM_DESTROYCLIPBOARD, 0, 0);
    FreeAll(old);
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
    if (format == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HANDLE replaced = nullptr;
    std::vector<Entry> stale;
    {
        Guard guard(C().lock);
        const bool rendering = C().rendering == format && C().owner &&
                               GetWindowThreadProcessId(C().owner, nullptr) == GetCurrentThreadId();
        if (!OpenedHere() && !rendering) {
            SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
            return nullptr;
        }
        if (!data && !C().owner) {
            SetLastError(ERROR_INVALID_PARAMETER); // nobody could render it later
            return nullptr;
        }
        C().foreign = false;
        auto& entries = C().entries;
        if (IsText(format) || format == CF_LOCALE) {
            // Conversions made from the old text are out of date.
            for (auto it = entries.begin(); it != entries.end();) {
                if (it->synthesized && it->format != format) {
                    stale.push_back(*it);
                    it = entries.erase(it);
                } else {
                    ++it;
                }
            }
        }
        if (Entry* e = FindEntry(format)) {
            if (e->data != data) replaced = e->data;
            e->data = data;
            e->synthesized = false;
        } else {
            entries.push_back({format, data, false, false});
        }
        if (!rendering) ++C().sequence;
    }
    FreeData(format, replaced);
    FreeAll(stale);
    return data;
}

HANDLE GetClipboardData(UINT format) {
    {
        Guard guard(C().lock);
        if (!OpenedHere()) {
            SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
            return nullptr;
        }
    }
    return Obtain(format);
}

BOOL IsClipboardFormatAvailable(UINT format) {
    Guard guard(C().lock);
    const std::vector<UINT> formats = AvailableFormats();
    return std::find(formats.begin(), formats.end(), format) != formats.end() ? TRUE : FALSE;
}

int CountClipboardFormats() {
    Guard guard(C().lock);
    return static_cast<int>(AvailableFormats().size());
}

UINT EnumClipboardFormats(UINT format) {
    Guard guard(C().lock);
    if (!OpenedHere()) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return 0;
    }
    const std::vector<UINT> formats = AvailableFormats();
    SetLastError(ERROR_SUCCESS);
    if (format == 0) return formats.empty() ? 0 : formats.front();
    auto it = std::find(formats.begin(), formats.end(), format);
    if (it == formats.end() || it + 1 == formats.end()) return 0;
    return *(it + 1);
}

int GetPriorityClipboardFormat(UINT* formats, int count) {
    Guard guard(C().lock);
    const std::vector<UINT> available = AvailableFormats();
    if (available.empty()) return 0;
    for (int i = 0; formats && i < count; ++i)
        if (std::find(available.begin(), available.end(), formats[i]) != available.end())
            return static_cast<int>(formats[i]);
    return -1;
}

UINT RegisterClipboardFormatW(LPCWSTR format) {
    if (!format || !*format) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return GlobalAddAtomW(format);
}

UINT RegisterClipboardFormatA(LPCSTR format) {
    if (!format || !*format) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return GlobalAddAtomA(format);
}

int GetClipboardFormatNameW(UINT format, LPWSTR name, int maxCount) {
    // Only registered formats have names; the standard ones do not.
    if (format < MAXINTATOM || format > 0xFFFF || !name || maxCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return static_cast<int>(GlobalGetAtomNameW(static_cast<ATOM>(format), name, maxCount));
}

HWND GetClipboardOwner() {
    Guard guard(C().lock);
    return C().owner;
}

HWND GetOpenClipboardWindow() {
    Guard guard(C().lock);
    return C().open ? C().openWindow : nullptr;
}

DWORD GetClipboardSequenceNumber() {
    Guard guard(C().lock);
    return C().sequence;
}
