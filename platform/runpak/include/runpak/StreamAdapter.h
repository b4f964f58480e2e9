// Streams across the COM boundary: TStreamAdapter shows a framework stream
// as an IStream; TOleStream shows an IStream as a framework stream.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Interfaces.h>
#include <runpak/Streams.h>
#include <win32/objidl.h>

enum TStreamOwnership { soReference, soOwned };

// An IStream over a TStream, deleting the stream on the last Release when it
// owns it. Its methods never raise: failures come back as STG_E_* codes.
class TStreamAdapter : public TInterfacedObject, public IStream {
public:
    explicit TStreamAdapter(TStream* stream, TStreamOwnership ownership = soReference)
        : FStream(stream), FOwnership(ownership) {}
    ~TStreamAdapter() override;

    TStream* GetStream() const { return FStream; }
    TStreamOwnership GetStreamOwnership() const { return FOwnership; }
    void SetStreamOwnership(TStreamOwnership value) { FOwnership = value; }

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;

    // A short read (the end of the stream) is S_OK with fewer bytes.
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) noexcept override;
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) noexcept override;
    // Seeking before the start fails and leaves the position alone.
    HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin,
                 ULARGE_INTEGER* plibNewPosition) noexcept override;
    HRESULT SetSize(ULARGE_INTEGER libNewSize) noexcept override;
    HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                   ULARGE_INTEGER* pcbWritten) noexcept override;
    // Writes go straight to the stream: nothing to commit, nothing to revert.
    HRESULT Commit(DWORD grfCommitFlags) noexcept override;
    HRESULT Revert() noexcept override;
    HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb,
                       DWORD dwLockType) noexcept override;
    HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb,
                         DWORD dwLockType) noexcept override;
    // The size and type; the stream has no name.
    HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) noexcept override;
    HRESULT Clone(IStream** ppstm) noexcept override;

private:
    TStream* FStream;
    TStreamOwnership FOwnership;
};

// A TStream over an IStream, holding a reference to it. A failing call of
// the IStream raises EStreamError with its HRESULT in the message.
class TOleStream : public TStream {
public:
    explicit TOleStream(IStream* stream) : FStream(stream) {}

    int Read(void* buffer, int count) override;
    int Write(const void* buffer, int count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;
    IStream* GetIStream() const { return FStream.Get(); }

private:
    InterfacePtr<IStream> FStream;
};

#pragma GCC visibility pop
