// The one door through which the layer's stores (registry hives, profile files)
// write to disk, so that a test can make the disk full under them.
#pragma once

#include <string_view>

namespace win32 {

// Writes all of data to fd, retrying short writes; false with errno set when
// the disk refuses (what was written before the refusal stays written).
bool WriteToDisk(int fd, std::string_view data);

} // namespace win32
