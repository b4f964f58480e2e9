// An open file or folder behind a HANDLE from CreateFileW.
//
// Opens of one file (device and inode) within the process check each other's
// share modes as Windows does, so a conflicting open fails with
// ERROR_SHARING_VIOLATION. Other processes are not checked.
#pragma once

#include "IoObject.h"

#include <cstdint>
#include <memory>
#include <string>

namespace win32 {

class FileObject : public IoObject {
public:
    ~FileObject() override; // closes, withdraws the share entry, deletes on close

    const char* Kind() const override { return "file"; }
    DWORD Read(void* buffer, DWORD size, DWORD& done) override;
    DWORD Write(const void* buffer, DWORD size, DWORD& done) override;
    DWORD Flush() override;
    DWORD FileType() const override;

    int Descriptor() const { return fd_; }
    bool CanRead() const;
    bool CanWrite() const;
    bool CanWriteAttributes() const;
    bool IsDirectory() const { return directory_; }
    const std::string& LinuxPath() const { return path_; }

private:
    friend struct FileOpener;
    FileObject() = default;

    int fd_ = -1;
    DWORD access_ = 0;
    bool directory_ = false;
    bool deleteOnClose_ = false;
    uint64_t device_ = 0;
    uint64_t inode_ = 0;
    uint32_t mode_ = 0; // Linux file type and permissions
    std::string path_;
};

struct OpenResult {
    std::shared_ptr<FileObject> file; // null on failure
    DWORD error = ERROR_SUCCESS;
    bool existed = false; // the file was there before the call
};

// Opens or creates the file at a Linux path with CreateFileW's access, share
// mode, disposition and flags.
OpenResult OpenFileObject(const std::string& linuxPath, DWORD access, DWORD share,
                          DWORD disposition, DWORD flagsAndAttributes);

// ERROR_SHARING_VIOLATION when an open of the file does not share deletion
// (deleting or renaming it would fail on Windows), else ERROR_SUCCESS.
DWORD CheckDeleteSharing(uint64_t device, uint64_t inode);

} // namespace win32
