// Drag and drop with other programs of the desktop, the layer's half: the
// data of another program's drag as a data object whose formats are read
// from that program on demand, the drops it makes on our windows, and the
// data a drag of ours offers to other programs. Files go both as CF_HDROP and
// as the shell's id-list array, as the shell's own drags carry them.
#include "DropSession.h"
#include "OleSupport.h"

#include <win32/shlobj.h>
#include <win32/winbase.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>

namespace win32::ole {

namespace {

UINT IdListFormat() {
    static const UINT format = RegisterClipboardFormatW(CFSTR_SHELLIDLIST);
    return format;
}

HGLOBAL GlobalOf(const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block) return nullptr;
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

// The file names of a DROPFILES block.
std::vector<std::u16string> NamesOfDropFiles(const std::string& block) {
    std::vector<std::u16string> names;
    if (block.size() < sizeof(DROPFILES)) return names;
    DROPFILES header;
    std::memcpy(&header, block.data(), sizeof header);
    if (header.pFiles >= block.size()) return names;
    if (header.fWide) {
        std::u16string all((block.size() - header.pFiles) / 2, u'\0');
        std::memcpy(all.data(), block.data() + header.pFiles, all.size() * 2);
        for (size_t i = 0; i < all.size() && all[i];) {
            const size_t end = std::min(all.find(u'\0', i), all.size());
            names.push_back(all.substr(i, end - i));
            i = end + 1;
        }
        return names;
    }
    for (size_t i = header.pFiles; i < block.size() && block[i];) {
        const size_t end = std::min(block.find('\0', i), block.size());
        const std::string name = block.substr(i, end - i);
        names.emplace_back(name.begin(), name.end());
        i = end + 1;
    }
    return names;
}

std::string DropFilesOfNames(const std::vector<std::u16string>& names) {
    if (names.empty()) return {};
    std::u16string all;
    for (const auto& name : names)
        all += name + u'\0';
    all.push_back(u'\0');
    DROPFILES header{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    block.append(reinterpret_cast<const char*>(all.data()), all.size() * 2);
    return block;
}

// An id-list array of files: the desktop as the parent, each file's absolute
// list as its item.
std::string IdListOfNames(const std::vector<std::u16string>& names) {
    std::vector<std::string> items;
    for (const auto& name : names) {
        PIDLIST_ABSOLUTE pidl = ILCreateFromPathW(name.c_str());
        if (!pidl) continue;
        items.emplace_back(reinterpret_cast<const char*>(pidl), ILGetSize(pidl));
        ILFree(pidl);
    }
    if (items.empty()) return {};
    const UINT count = static_cast<UINT>(items.size());
    std::vector<UINT> offsets(count + 2);
    offsets[0] = count;
    const std::string desktop(2, '\0'); // the empty list: just its terminator
    UINT at = static_cast<UINT>(offsets.size() * sizeof(UINT));
    offsets[1] = at;
    at += static_cast<UINT>(desktop.size());
    for (UINT i = 0; i < count; ++i) {
        offsets[i + 2] = at;
        at += static_cast<UINT>(items[i].size());
    }
    std::string block(reinterpret_cast<const char*>(offsets.data()), offsets.size() * sizeof(UINT));
    block += desktop;
    for (const auto& item : items)
        block += item;
    return block;
}

// The files of an id-list array; items that are no files are left out.
std::vector<std::u16string> NamesOfIdList(const std::string& block) {
    std::vector<std::u16string> names;
    if (block.size() < sizeof(UINT)) return names;
    UINT count = 0;
    std::memcpy(&count, block.data(), sizeof count);
    if (count == 0 || uint64_t{count} + 2 > block.size() / sizeof(UINT)) return names;
    std::vector<UINT> offsets(count + 1);
    std::memcpy(offsets.data(), block.data() + sizeof(UINT), offsets.size() * sizeof(UINT));
    // Offsets past the end read as empty lists.
    auto listAt = [&](UINT offset) {
        std::string list = offset < block.size() ? block.substr(offset) : std::string();
        return list + std::string(2, '\0');
    };
    const std::string parent = listAt(offsets[0]);
    for (UINT i = 1; i <= count; ++i) {
        const std::string item = listAt(offsets[i]);
        PIDLIST_ABSOLUTE full = ILCombine(reinterpret_cast<PCIDLIST_ABSOLUTE>(parent.data()),
                                          reinterpret_cast<PCUIDLIST_RELATIVE>(item.data()));
        if (!full) continue;
        WCHAR path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(full, path)) names.emplace_back(path);
        ILFree(full);
    }
    return names;
}

// The data of another program's drag, used on the thread of the windows it
// is dragged over.
class ForeignData final : public ComObject<IDataObject> {
public:
    ForeignData(std::vector<UINT> formats, ForeignDrop::Fetch fetch)
        : formats_(std::move(formats)), fetch_(std::move(fetch)) {
        // Files come as a file list; the shell's targets read them as id lists too.
        if (Has(CF_HDROP)) formats_.push_back(IdListFormat());
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override {
        if (!medium) return E_INVALIDARG;
        const HRESULT can = QueryGetData(format);
        if (can != S_OK) return can;
        const std::optional<std::string> bytes = Bytes(format->cfFormat);
        if (!bytes) return DV_E_FORMATETC;
        *medium = STGMEDIUM{};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = GlobalOf(*bytes);
        return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) noexcept override {
        if (!format) return E_INVALIDARG;
        if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        return Has(format->cfFormat) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept override {
        if (out) out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction,
                                            IEnumFORMATETC** out) noexcept override {
        if (!out) return E_INVALIDARG;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> list;
        for (UINT f : formats_)
            list.push_back(
                {static_cast<CLIPFORMAT>(f), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        *out = MakeFormatEnumerator(list);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    bool Has(UINT format) const {
        return std::find(formats_.begin(), formats_.end(), format) != formats_.end();
    }
    // Read once from the other program; a target may ask again.
    std::optional<std::string> Bytes(UINT format) {
        auto it = cache_.find(format);
        if (it != cache_.end()) return it->second;
        std::optional<std::string> bytes;
        if (format == IdListFormat()) {
            if (auto files = Bytes(CF_HDROP)) {
                std::string list = IdListOfNames(NamesOfDropFiles(*files));
                if (!list.empty()) bytes = std::move(list);
            }
        } else {
            bytes = fetch_(format);
        }
        cache_[format] = bytes;
        return bytes;
    }

    std::vector<UINT> formats_;
    ForeignDrop::Fetch fetch_;
    std::map<UINT, std::optional<std::string>> cache_;
};

} // namespace

ForeignDrop::ForeignDrop(std::vector<UINT> formats, Fetch fetch)
    : data_(new ForeignData(std::move(formats), std::move(fetch))) {}

ForeignDrop::~ForeignDrop() {
    session_.reset();
    data_->Release();
}

DWORD ForeignDrop::Over(POINT screen, DWORD keys, DWORD allowed) {
    if (!session_) session_.emplace(data_, allowed);
    session_->SetAllowed(allowed);
    return session_->Track(screen, keys);
}

DWORD ForeignDrop::Drop(POINT screen, DWORD keys) {
    if (!session_) return DROPEFFECT_NONE;
    const DWORD effect = session_->Drop(screen, keys);
    session_.reset();
    return effect;
}

void ForeignDrop::Leave() {
    session_.reset();
}

std::vector<std::pair<UINT, std::string>> DesktopData(IDataObject* data) {
    const UINT html = RegisterClipboardFormatW(u"HTML Format");
    const UINT rtf = RegisterClipboardFormatW(u"Rich Text Format");
    std::vector<std::pair<UINT, std::string>> out;
    auto read = [&](UINT format) -> std::optional<std::string> {
        FORMATETC f{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1,
                    TYMED_HGLOBAL | TYMED_ISTREAM};
        STGMEDIUM medium{};
        if (data->QueryGetData(&f) != S_OK || FAILED(data->GetData(&f, &medium)))
            return std::nullopt;
        HGLOBAL block = GlobalFromMedium(medium);
        ReleaseStgMedium(&medium);
        if (!block) return std::nullopt;
        std::string bytes(static_cast<const char*>(GlobalLock(block)), GlobalSize(block));
        GlobalUnlock(block);
        GlobalFree(block);
        return bytes;
    };
    for (UINT format : {UINT{CF_UNICODETEXT}, html, rtf})
        if (auto bytes = read(format)) out.emplace_back(format, std::move(*bytes));
    if (auto files = read(CF_HDROP)) {
        out.emplace_back(CF_HDROP, std::move(*files));
    } else if (auto ids = read(IdListFormat())) {
        // Shell items without a file list: those that are files go as one.
        std::string block = DropFilesOfNames(NamesOfIdList(*ids));
        if (!block.empty()) out.emplace_back(CF_HDROP, std::move(block));
    }
    return out;
}

} // namespace win32::ole
