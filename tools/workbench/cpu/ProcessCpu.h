// What the workbench's CPU page knows of its own process: a function whose
// code it shows, a disassembler over the process's memory, the memory itself
// (readable pages only), and the registers of a thread stopped at a known
// point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <ucontext.h>

extern "C" int WorkbenchKnownFunction();

namespace workbench_cpu {

// The instruction at Address in this process (x86-64, Intel syntax), as
// "mnemonic operands", and its size in bytes; size 0 when unreadable or not
// an instruction.
std::string Disassemble(uint64_t Address, int& Size);

// Copies up to Count bytes of this process's memory at Address; answers how
// many could be read from the start on (the rest lies on unreadable pages).
size_t ReadMemory(uint64_t Address, void* Buffer, size_t Count);

// The name of the symbol that starts exactly at Address, or empty.
std::string SymbolAt(uint64_t Address);

// A worker thread's registers taken at a known point of its run, with the
// x87 stack holding 1 and pi and the vector registers a known pattern; the
// FPU and SSE state is in the context's fpregs.
struct CapturedThread {
    ucontext_t Context;
    long ThreadId = 0;
};
// Runs the worker to its point and back; true when the context was taken.
bool CaptureThread(CapturedThread& Thread);

} // namespace workbench_cpu
