// The CPU page's host side: the known function's code through the
// disassembler, reads of this process's memory that stop at an unreadable
// page, and a worker thread's registers at its known point.
#include "ProcessCpu.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstring>

namespace {

TEST(ProcessCpu, DisassemblesTheKnownFunction) {
    const auto address = reinterpret_cast<uint64_t>(&WorkbenchKnownFunction);
    const char* expected[] = {"push rbp", "mov rbp, rsp", "mov eax, 0x2a", "pop rbp", "ret"};
    uint64_t at = address;
    for (const char* text : expected) {
        int size = 0;
        EXPECT_EQ(workbench_cpu::Disassemble(at, size), text);
        ASSERT_GT(size, 0);
        at += size;
    }
    EXPECT_EQ(WorkbenchKnownFunction(), 42);
}

TEST(ProcessCpu, ReadsStopAtTheFirstUnreadablePage) {
    const long page = sysconf(_SC_PAGESIZE);
    auto* pages = static_cast<uint8_t*>(
        mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(pages, MAP_FAILED);
    std::memset(pages, 0x5A, page);
    mprotect(pages + page, page, PROT_NONE);
    uint8_t buffer[64] = {};
    const auto border = reinterpret_cast<uint64_t>(pages + page);
    EXPECT_EQ(workbench_cpu::ReadMemory(border - 16, buffer, sizeof buffer), 16u);
    EXPECT_EQ(buffer[15], 0x5A);
    EXPECT_EQ(workbench_cpu::ReadMemory(border, buffer, sizeof buffer), 0u);
    int size = -1;
    EXPECT_EQ(workbench_cpu::Disassemble(border, size), "");
    EXPECT_EQ(size, 0);
    munmap(pages, 2 * page);
}

TEST(ProcessCpu, CapturesAWorkerWithPiOnTopOfTheFloatingPointStack) {
    workbench_cpu::CapturedThread thread;
    ASSERT_TRUE(workbench_cpu::CaptureThread(thread));
    EXPECT_NE(thread.ThreadId, 0);
    EXPECT_NE(thread.Context.uc_mcontext.gregs[REG_RIP], 0);
    const fpregset_t fp = thread.Context.uc_mcontext.fpregs;
    long double st0 = 0;
    std::memcpy(&st0, &fp->_st[0], 10);
    EXPECT_NEAR(static_cast<double>(st0), M_PI, 1e-12);
    EXPECT_EQ((fp->swd >> 11) & 7, 6); // two values pushed
    uint32_t xmm1[4];
    std::memcpy(xmm1, &fp->_xmm[1], 16);
    float first;
    std::memcpy(&first, &xmm1[0], 4);
    EXPECT_EQ(first, 1.0f);
}

} // namespace
