#include "HandleTable.h"

#include <mutex>
#include <unordered_map>

namespace win32 {
namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    // Handle values are multiples of 4, as on Windows, and are not reused soon.
    uintptr_t next = 0x100;
};

Table& TheTable() {
    static Table* table = new Table; // never destroyed: handles may close during exit
    return *table;
}

} // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    uintptr_t value = t.next;
    t.next += 4;
    if (t.next >= 0x7FFFFFF0) t.next = 0x100;
    while (t.objects.count(value)) {
        value = t.next;
        t.next += 4;
    }
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> doomed; // released outside the lock
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end()) return false;
    doomed = std::move(it->second);
    t.objects.erase(it);
    return true;
}

HANDLE DuplicateHandleOf(HANDLE handle) {
    std::shared_ptr<KernelObject> object = LookupHandle(handle);
    return object ? InsertHandle(std::move(object)) : nullptr;
}

} // namespace win32
