// Whole-file reads and writes by Windows path, for the graphics' file
// routines. Failures raise EFOpenError / EFCreateError as file streams do.
#pragma once

#include <runpak/UString.h>

#include <cstdint>
#include <vector>

namespace quorlpak {

std::vector<uint8_t> ReadWholeFile(const UnicodeString& FileName);
void WriteWholeFile(const UnicodeString& FileName, const std::vector<uint8_t>& Bytes);

} // namespace quorlpak
