// Classification of variant kinds, shared by the Variant sources.
#pragma once

#include <runpak/Variant.h>

namespace runpak::variantkinds {

bool IsIntegerType(TVarType t);
bool IsFloatType(TVarType t); // single, double, currency, date
bool IsStringType(TVarType t);
[[noreturn]] void RaiseOverflow(TVarType from, TVarType to);
[[noreturn]] void RaiseInvalidOperation();

} // namespace runpak::variantkinds
