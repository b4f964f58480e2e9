// The CPU page's view of its own process, through the disassembler library
// and the kernel's process-memory calls.
#include "ProcessCpu.h"

#include <capstone/capstone.h>
#include <dlfcn.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

// A function with a fixed first instruction, whatever the compiler does.
asm(R"(
    .text
    .globl WorkbenchKnownFunction
    .type WorkbenchKnownFunction, @function
WorkbenchKnownFunction:
    push %rbp
    mov %rsp, %rbp
    mov $42, %eax
    pop %rbp
    ret
    .size WorkbenchKnownFunction, .-WorkbenchKnownFunction
)");

namespace workbench_cpu {

size_t ReadMemory(uint64_t Address, void* Buffer, size_t Count) {
    // One piece per page: the kernel does not split a piece, so a short
    // read stops at the first page that cannot be read.
    const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    std::vector<iovec> remote;
    for (uint64_t at = Address; at < Address + Count;) {
        const uint64_t end = std::min<uint64_t>((at / page + 1) * page, Address + Count);
        remote.push_back({reinterpret_cast<void*>(at), static_cast<size_t>(end - at)});
        at = end;
    }
    iovec local{Buffer, Count};
    const ssize_t read = process_vm_readv(getpid(), &local, 1, remote.data(), remote.size(), 0);
    return read < 0 ? 0 : static_cast<size_t>(read);
}

std::string Disassemble(uint64_t Address, int& Size) {
    Size = 0;
    uint8_t code[16];
    const size_t available = ReadMemory(Address, code, sizeof code);
    if (available == 0) return {};
    csh handle;
    if (cs_open(CS_ARCH_X86, CS_MODE_64, &handle) != CS_ERR_OK) return {};
    cs_insn* insn = nullptr;
    std::string text;
    if (cs_disasm(handle, code, available, Address, 1, &insn) == 1) {
        text = insn->mnemonic;
        if (insn->op_str[0]) text += std::string(" ") + insn->op_str;
        Size = insn->size;
        cs_free(insn, 1);
    }
    cs_close(&handle);
    return text;
}

std::string SymbolAt(uint64_t Address) {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(Address), &info) || !info.dli_sname) return {};
    if (reinterpret_cast<uint64_t>(info.dli_saddr) != Address) return {};
    return info.dli_sname;
}

namespace {

// The known point: the x87 stack holds 1 and pi, xmm0..xmm2 a pattern.
void Worker(CapturedThread* Thread, bool* Taken) {
    alignas(16) static const uint8_t pattern[48] = {
        0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB,
        0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40,
        0x00, 0x00, 0x40, 0x40, 0x00, 0x00, 0x80, 0x40, 0x18, 0x2D, 0x44, 0x54,
        0xFB, 0x21, 0x09, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F};
    alignas(16) uint8_t state[512];
    Thread->ThreadId = static_cast<long>(syscall(SYS_gettid));
    asm volatile("fninit\n\t"
                 "fld1\n\t"
                 "fldpi\n\t"
                 "movaps (%0), %%xmm0\n\t"
                 "movaps 16(%0), %%xmm1\n\t"
                 "movaps 32(%0), %%xmm2\n\t"
                 "fxsave64 (%1)\n\t"
                 :
                 : "r"(pattern), "r"(state)
                 : "xmm0", "xmm1", "xmm2", "memory");
    *Taken = getcontext(&Thread->Context) == 0;
    asm volatile("fninit");
    // The context's own FPU area holds only the environment; give it the whole state.
    if (*Taken) std::memcpy(&Thread->Context.__fpregs_mem, state, sizeof state);
    Thread->Context.uc_mcontext.fpregs = &Thread->Context.__fpregs_mem;
}

} // namespace

bool CaptureThread(CapturedThread& Thread) {
    bool taken = false;
    std::thread worker(Worker, &Thread, &taken);
    worker.join();
    return taken;
}

} // namespace workbench_cpu
