#pragma once

#include <win32/windef.h>
#include <win32/winerror.h>
