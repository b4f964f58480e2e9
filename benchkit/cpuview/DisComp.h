// The DisComp unit: the controls of the debugger's CPU window and what they
// share.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/cpuview/DisassemblyCache.h"
#include "benchkit/cpuview/DisassemblerView.h"
#include "benchkit/cpuview/LabeledList.h"
#include "benchkit/cpuview/RegisterView.h"
#include "benchkit/cpuview/FPURegisterView.h"
#include "benchkit/cpuview/FlagsView.h"
#include "benchkit/cpuview/DumpView.h"
#include "benchkit/cpuview/AddressStatus.h"

#pragma GCC visibility pop
