// Global and local memory blocks and the process heap.
//
// Every live block is in a table, so a bad handle or pointer is answered with
// an error instead of a crash. A fixed block's handle is its address; a
// moveable block's handle is the address of its table entry.
#include <win32/winbase.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
    void* data = nullptr;
    SIZE_T size = 0;
    bool moveable = false;
    UINT flags = 0;
    UINT lockCount = 0; // moveable blocks only
};

struct GlobalHeap {
    std::mutex lock;
    std::unordered_map<HGLOBAL, std::unique_ptr<Block>> byHandle;
    std::unordered_map<const void*, HGLOBAL> handleOfData;
};

GlobalHeap& Globals() {
    static auto* heap = new GlobalHeap;
    return *heap;
}

Block* BlockOf(GlobalHeap& heap, HGLOBAL handle) {
    auto it = heap.byHandle.find(handle);
    if (it == heap.byHandle.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return it->second.get();
}

void* Allocate(SIZE_T bytes, bool zero) {
    SIZE_T size = bytes == 0 ? 1 : bytes; // a zero-sized block still has an address
    return zero ? std::calloc(1, size) : std::malloc(size);
}

} // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    void* data = Allocate(bytes, flags & GMEM_ZEROINIT);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto block = std::make_unique<Block>();
    block->data = data;
    block->size = bytes;
    block->moveable = flags & GMEM_MOVEABLE;
    block->flags = flags;
    HGLOBAL handle = block->moveable ? static_cast<HGLOBAL>(block.get()) : data;
    GlobalHeap& heap = Globals();
    std::lock_guard<std::mutex> guard(heap.lock);
    heap.handleOfData[data] = handle;
    heap.byHandle[handle] = std::move(block);
    return handle;
}

// A block moves only when it is moveable and unlocked, or when the caller
// allows it with GMEM_MOVEABLE; otherwise it can only shrink in place.
HGLOBAL GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags) {
    GlobalHeap& heap = Globals();
    std::lock_guard<std::mutex> guard(heap.lock);
    Block* block = BlockOf(heap, memory);
    if (!block) return nullptr;
    if (flags & GMEM_MODIFY) return memory;
    if (bytes <= block->size) {
        block->size = bytes;
        return memory;
    }
    bool mayMove = (block->moveable && block->lockCount == 0) || (flags & GMEM_MOVEABLE);
    if (!mayMove) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto oldEntry = heap.handleOfData.find(block->data);
    void* data = std::realloc(block->data, bytes);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (flags & GMEM_ZEROINIT)
        std::memset(static_cast<char*>(data) + block->size, 0, bytes - block->size);
    heap.handleOfData.erase(oldEntry);
    block->data = data;
    block->size = bytes;
    if (block->moveable) {
        heap.handleOfData[data] = memory;
        return memory;
    }
    // A fixed block's handle is its address, so it changes with the block.
    auto owned = std::move(heap.byHandle[memory]);
    heap.byHandle.erase(memory);
    heap.byHandle[data] = std::move(owned);
    heap.handleOfData[data] = data;
    return data;
}

LPVOID GlobalLock(HGLOBAL memory) {
    GlobalHeap& heap = Globals();
    std::lock_guard<std::mutex> guard(heap.lock);
    Block* block = BlockOf(heap, memory);
    if (!block) return nullptr;
    if (block->moveable && block->lockCount < GMEM_LOCKCOUNT) ++block->lockCount;
    return block->data;
}

// TRUE while the block stays locked; FALSE with NO_ERROR when this unlock
// released it.
BOOL GlobalUnlock(HGLOBAL memory) {
    GlobalHeap& heap = Globals();
    std::lock_guard<std::mutex> guard(heap.lock);
    Block* block = BlockOf(heap, memory);
    if (!block) return FALSE;
    if (!block->moveable || block->lockCount == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--block->lockCount > 0) return TRUE;
    SetLastError(NO_ERROR);
    return FALSE;
}

SIZE_T GlobalSize(HGLOBAL memory) {
    GlobalHeap& heap = Globals();
    std::lock_guard<std::mutex> guard(heap.lock);
    Block* block = BlockOf(heap, memory);
    return block ? block->size : 0;
}

UINT GlobalFlags(HGLOBAL memory) {
    GlobalHeap& heap = Globals();
    std::lock_guard<std::mutex> guard(heap.lock);
    Block* block = BlockOf(heap, memory);
    if (!block) return GMEM_INVALID_HANDLE;
    return block->lockCount | (block->flags & (GMEM_DISCARDABLE | GMEM_SHARE));
}

HGLOBAL GlobalHandle(LPCVOID address) {
    GlobalHeap& heap = Globals();
    std::lock_guard<std::mutex> guard(heap.lock);
    auto it = heap.handleOfData.find(address);
    if (it == heap.handleOfData.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return it->second;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
    std::unique_ptr<Block> doomed;
    GlobalHeap& heap = Globals();
    std::lock_guard<std::mutex> guard(heap.lock);
    auto it = heap.byHandle.find(memory);
    if (it == heap.byHandle.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    doomed = std::move(it->second);
    heap.byHandle.erase(it);
    heap.handleOfData.erase(doomed->data);
    std::free(doomed->data);
    return nullptr;
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
    return GlobalAlloc(flags, bytes);
}
HLOCAL LocalReAlloc(HLOCAL memory, SIZE_T bytes, UINT flags) {
    return GlobalReAlloc(memory, bytes, flags);
}
LPVOID LocalLock(HLOCAL memory) {
    return GlobalLock(memory);
}
BOOL LocalUnlock(HLOCAL memory) {
    return GlobalUnlock(memory);
}
SIZE_T LocalSize(HLOCAL memory) {
    return GlobalSize(memory);
}
HLOCAL LocalFree(HLOCAL memory) {
    return GlobalFree(memory);
}

// --- The process heap -----------------------------------------------------------
namespace {

struct ProcessHeap {
    std::mutex lock;
    std::unordered_map<void*, SIZE_T> sizes; // live blocks
};

ProcessHeap& Heap() {
    static auto* heap = new ProcessHeap;
    return *heap;
}

bool IsProcessHeap(HANDLE heap) {
    if (heap == GetProcessHeap()) return true;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

} // namespace

HANDLE GetProcessHeap() {
    return &Heap();
}

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (!IsProcessHeap(heap)) return nullptr;
    void* data = Allocate(bytes, flags & HEAP_ZERO_MEMORY);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    ProcessHeap& h = Heap();
    std::lock_guard<std::mutex> guard(h.lock);
    h.sizes[data] = bytes;
    return data;
}

LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID memory, SIZE_T bytes) {
    if (!IsProcessHeap(heap)) return nullptr;
    ProcessHeap& h = Heap();
    std::lock_guard<std::mutex> guard(h.lock);
    auto it = h.sizes.find(memory);
    if (it == h.sizes.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SIZE_T old = it->second;
    if (bytes <= old) {
        it->second = bytes;
        return memory;
    }
    if (flags & HEAP_REALLOC_IN_PLACE_ONLY) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void* data = std::realloc(memory, bytes);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (flags & HEAP_ZERO_MEMORY) std::memset(static_cast<char*>(data) + old, 0, bytes - old);
    h.sizes.erase(it); // the old address is gone; the iterator still names its entry
    h.sizes[data] = bytes;
    return data;
}

SIZE_T HeapSize(HANDLE heap, DWORD, LPCVOID memory) {
    if (!IsProcessHeap(heap)) return static_cast<SIZE_T>(-1);
    ProcessHeap& h = Heap();
    std::lock_guard<std::mutex> guard(h.lock);
    auto it = h.sizes.find(const_cast<LPVOID>(memory));
    if (it == h.sizes.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return static_cast<SIZE_T>(-1);
    }
    return it->second;
}

BOOL HeapFree(HANDLE heap, DWORD, LPVOID memory) {
    if (!IsProcessHeap(heap)) return FALSE;
    if (!memory) return TRUE;
    ProcessHeap& h = Heap();
    std::lock_guard<std::mutex> guard(h.lock);
    auto it = h.sizes.find(memory);
    if (it == h.sizes.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    h.sizes.erase(it);
    std::free(memory);
    return TRUE;
}
