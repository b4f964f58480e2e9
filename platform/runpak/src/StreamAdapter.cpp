#include <runpak/Exceptions.h>
#include <runpak/Format.h>
#include <runpak/StreamAdapter.h>

#include <algorithm>
#include <cstring>
#include <vector>

// --- TStreamAdapter --------------------------------------------------------

TStreamAdapter::~TStreamAdapter() {
    if (FOwnership == soOwned) delete FStream;
}

HRESULT TStreamAdapter::QueryInterface(REFIID iid, void** out) noexcept {
    if (ProvideInterface<IStream, ISequentialStream>(this, iid, out)) return S_OK;
    return TInterfacedObject::QueryInterface(iid, out);
}

// TStream moves int counts; larger requests go in pieces.
static constexpr ULONG kMaxChunk = 0x40000000;

HRESULT TStreamAdapter::Read(void* pv, ULONG cb, ULONG* pcbRead) noexcept {
    if (pcbRead) *pcbRead = 0;
    if (!pv) return STG_E_INVALIDPOINTER;
    try {
        ULONG done = 0;
        while (done < cb) {
            int moved = FStream->Read(static_cast<uint8_t*>(pv) + done,
                                      static_cast<int>(std::min(cb - done, kMaxChunk)));
            if (moved <= 0) break;
            done += static_cast<ULONG>(moved);
        }
        if (pcbRead) *pcbRead = done;
        return S_OK;
    } catch (...) {
        return STG_E_READFAULT;
    }
}

HRESULT TStreamAdapter::Write(const void* pv, ULONG cb, ULONG* pcbWritten) noexcept {
    if (pcbWritten) *pcbWritten = 0;
    if (!pv) return STG_E_INVALIDPOINTER;
    try {
        ULONG done = 0;
        while (done < cb) {
            int moved = FStream->Write(static_cast<const uint8_t*>(pv) + done,
                                       static_cast<int>(std::min(cb - done, kMaxChunk)));
            if (moved <= 0) break;
            done += static_cast<ULONG>(moved);
        }
        if (pcbWritten) *pcbWritten = done;
        return done == cb ? S_OK : STG_E_MEDIUMFULL;
    } catch (...) {
        return STG_E_CANTSAVE;
    }
}

HRESULT TStreamAdapter::Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                             ULARGE_INTEGER* plibNewPosition) noexcept {
    if (dwOrigin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
    try {
        int64_t old = FStream->GetPosition();
        int64_t position = FStream->Seek(dlibMove.QuadPart, static_cast<TSeekOrigin>(dwOrigin));
        if (position < 0) {
            FStream->SetPosition(old);
            return STG_E_INVALIDFUNCTION;
        }
        if (plibNewPosition) plibNewPosition->QuadPart = static_cast<ULONGLONG>(position);
        return S_OK;
    } catch (...) {
        return STG_E_INVALIDPOINTER;
    }
}

HRESULT TStreamAdapter::SetSize(ULARGE_INTEGER libNewSize) noexcept {
    if (libNewSize.QuadPart > static_cast<ULONGLONG>(INT64_MAX)) return STG_E_INVALIDFUNCTION;
    try {
        auto size = static_cast<int64_t>(libNewSize.QuadPart);
        FStream->SetSize(size);
        return FStream->GetSize() == size ? S_OK : STG_E_MEDIUMFULL;
    } catch (...) {
        return STG_E_MEDIUMFULL;
    }
}

HRESULT TStreamAdapter::CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                               ULARGE_INTEGER* pcbWritten) noexcept {
    if (pcbRead) pcbRead->QuadPart = 0;
    if (pcbWritten) pcbWritten->QuadPart = 0;
    if (!pstm) return STG_E_INVALIDPOINTER;
    try {
        std::vector<uint8_t> buffer(0x10000);
        ULONGLONG left = cb.QuadPart, read = 0, written = 0;
        HRESULT result = S_OK;
        while (left > 0) {
            int chunk = static_cast<int>(std::min<ULONGLONG>(left, buffer.size()));
            int got = FStream->Read(buffer.data(), chunk);
            if (got <= 0) break;
            read += static_cast<ULONGLONG>(got);
            ULONG put = 0;
            result = pstm->Write(buffer.data(), static_cast<ULONG>(got), &put);
            written += put;
            if (FAILED(result)) break;
            left -= static_cast<ULONGLONG>(got);
        }
        if (pcbRead) pcbRead->QuadPart = read;
        if (pcbWritten) pcbWritten->QuadPart = written;
        return result;
    } catch (...) {
        return STG_E_READFAULT;
    }
}

HRESULT TStreamAdapter::Commit(DWORD grfCommitFlags) noexcept {
    return S_OK;
}

HRESULT TStreamAdapter::Revert() noexcept {
    return STG_E_INVALIDFUNCTION;
}

HRESULT TStreamAdapter::LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb,
                                   DWORD dwLockType) noexcept {
    return STG_E_INVALIDFUNCTION;
}

HRESULT TStreamAdapter::UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb,
                                     DWORD dwLockType) noexcept {
    return STG_E_INVALIDFUNCTION;
}

HRESULT TStreamAdapter::Stat(STATSTG* pstatstg, DWORD grfStatFlag) noexcept {
    if (!pstatstg) return STG_E_INVALIDPOINTER;
    try {
        std::memset(pstatstg, 0, sizeof *pstatstg);
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize.QuadPart = static_cast<ULONGLONG>(FStream->GetSize());
        pstatstg->grfMode = STGM_READWRITE;
        pstatstg->grfLocksSupported = LOCK_WRITE;
        return S_OK;
    } catch (...) {
        return STG_E_ACCESSDENIED;
    }
}

HRESULT TStreamAdapter::Clone(IStream** ppstm) noexcept {
    if (ppstm) *ppstm = nullptr;
    return E_NOTIMPL;
}

// --- TOleStream ------------------------------------------------------------

[[noreturn]] static void OleStreamError(const char16_t* call, HRESULT result) {
    throw EStreamError(
        Format(u"Stream %s failed (HRESULT $%.8X)", call, static_cast<unsigned>(result)));
}

int TOleStream::Read(void* buffer, int count) {
    if (count <= 0) return 0;
    ULONG moved = 0;
    HRESULT result = FStream->Read(buffer, static_cast<ULONG>(count), &moved);
    if (FAILED(result)) OleStreamError(u"read", result);
    return static_cast<int>(moved);
}

int TOleStream::Write(const void* buffer, int count) {
    if (count <= 0) return 0;
    ULONG moved = 0;
    HRESULT result = FStream->Write(buffer, static_cast<ULONG>(count), &moved);
    if (FAILED(result)) OleStreamError(u"write", result);
    return static_cast<int>(moved);
}

int64_t TOleStream::Seek(int64_t offset, TSeekOrigin origin) {
    LARGE_INTEGER move;
    move.QuadPart = offset;
    ULARGE_INTEGER position;
    position.QuadPart = 0;
    HRESULT result = FStream->Seek(move, static_cast<DWORD>(origin), &position);
    if (FAILED(result)) OleStreamError(u"seek", result);
    return static_cast<int64_t>(position.QuadPart);
}

void TOleStream::SetSize(int64_t newSize) {
    ULARGE_INTEGER size;
    size.QuadPart = static_cast<ULONGLONG>(std::max<int64_t>(newSize, 0));
    HRESULT result = FStream->SetSize(size);
    if (FAILED(result)) OleStreamError(u"resize", result);
}
