// Element values as text, shared by the register panes and the memory dump.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/cpuview/FPURegisterView.h"

#include <cstdint>

// A floating element in the type's format; "NAN" when it cannot be shown.
UnicodeString ElementFloatText(const uint8_t* Bytes, TViewType ViewType);
// An integer element (little-endian) in the radix.
UnicodeString ElementIntegerText(const uint8_t* Bytes, TViewType ViewType, TFPURadix Radix);

#pragma GCC visibility pop
