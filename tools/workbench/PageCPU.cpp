// The CPU page: the workbench as a small debugger host of itself. The
// disassembly view shows a function of this process through the
// disassembler library, the register, flag, FPU and XMM panes a worker
// thread stopped at a known point, the dump this process's memory up to a
// page it cannot read.
#include "WorkbenchPage.h"

#include "ProcessCpu.h"

#include <benchkit/cpuview/DisComp.h>
#include <runpak/Format.h>
#include <runpak/Strings.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace {

using workbench_cpu::CapturedThread;

struct TCPUPage {
    TDisassemblerView* Disassembly = nullptr;
    TRegisterView* Registers = nullptr;
    TFlagsView* Flags = nullptr;
    TFPURegisterView* FPU = nullptr;
    TXMMRegisterView* XMM = nullptr;
    TDumpView* Dump = nullptr;
    TAddressStatus* Status = nullptr;
};

TCPUPage& Page() {
    static TCPUPage page;
    return page;
}

uint64_t KnownAddress() {
    return reinterpret_cast<uint64_t>(&WorkbenchKnownFunction);
}

template <class T>
T* Place(TWinControl* Sheet, T* Control, int Left, int Top, int Width, int Height) {
    Control->SetParent(Sheet);
    Control->SetBounds(Left, Top, Width, Height);
    Control->GetFont()->SetName(u"DejaVu Sans Mono");
    Control->GetFont()->SetHeight(-12);
    return Control;
}

void FeedDisassembly(TDisassemblerView* View) {
    View->SetAddressSize(as64);
    View->OnDisassemble = [](TObject*, int64_t& Address, UnicodeString& Result, int32_t& InstSize) {
        int size = 0;
        const std::string text = workbench_cpu::Disassemble(static_cast<uint64_t>(Address), size);
        Result = Format(u"%.16x  ", static_cast<uint64_t>(Address)) +
                 (size > 0 ? Utf8ToUnicode(text) : UnicodeString(u"??"));
        InstSize = size > 0 ? size : 1;
        Address += InstSize;
    };
    View->OnGetNextAddr = [](TObject*, int64_t Address, int64_t& NewAddr) {
        int size = 0;
        workbench_cpu::Disassemble(static_cast<uint64_t>(Address), size);
        NewAddr = Address + (size > 0 ? size : 1);
    };
    View->OnGetLabel = [](TObject*, int64_t Address, UnicodeString& Label, bool& Result) {
        const std::string name = workbench_cpu::SymbolAt(static_cast<uint64_t>(Address));
        if (name.empty()) return;
        Label = Utf8ToUnicode(name);
        Result = true;
    };
    // A breakpoint on the function's third instruction.
    View->OnIsBreakpoint = [](TObject*, int64_t Address, bool& Result) {
        Result = static_cast<uint64_t>(Address) == KnownAddress() + 4;
    };
    View->SetTopAddress(static_cast<int64_t>(KnownAddress()));
    View->InternalSetSelectedAddress(static_cast<int64_t>(KnownAddress()));
}

void FeedRegisters(const CapturedThread& Thread) {
    const greg_t* g = Thread.Context.uc_mcontext.gregs;
    TCPURegs regs;
    const struct {
        TRegisterType Reg;
        int Index;
    } map[] = {{rtRAX, REG_RAX}, {rtRBX, REG_RBX}, {rtRCX, REG_RCX}, {rtRDX, REG_RDX},
               {rtRSI, REG_RSI}, {rtRDI, REG_RDI}, {rtR8, REG_R8},   {rtR9, REG_R9},
               {rtR10, REG_R10}, {rtR11, REG_R11}, {rtR12, REG_R12}, {rtR13, REG_R13},
               {rtR14, REG_R14}, {rtR15, REG_R15}, {rtRBP, REG_RBP}, {rtRSP, REG_RSP},
               {rtRIP, REG_RIP}, {rtEFL, REG_EFL}};
    for (const auto& m : map)
        regs.SetUInt64Reg(m.Reg, static_cast<uint64_t>(g[m.Index]));
    const auto segments = static_cast<uint64_t>(g[REG_CSGSFS]);
    regs.SetWordReg(rtCS, static_cast<uint16_t>(segments));
    regs.SetWordReg(rtGS, static_cast<uint16_t>(segments >> 16));
    regs.SetWordReg(rtFS, static_cast<uint16_t>(segments >> 32));
    TCPUPage& page = Page();
    page.Registers->SetRegisterViewType(rvtReg64);
    page.Registers->UpdateRegisters(&regs);

    TCPUFlags flags;
    flags.SetFlags(static_cast<uint32_t>(g[REG_EFL]));
    page.Flags->UpdateFlags(&flags);

    const fpregset_t fp = Thread.Context.uc_mcontext.fpregs;
    TFPURegs fpu;
    fpu.SetRegSize(16);
    for (int i = 0; i < 8; ++i)
        fpu.SetRegData(i, &fp->_st[i]);
    fpu.SetControlWord(fp->cwd);
    fpu.SetStatusWord(fp->swd);
    // The saved tag word has one bit per register (1: in use); in use is shown as valid.
    uint16_t tags = 0;
    for (int physical = 0; physical < 8; ++physical)
        if (!(fp->ftw & (1 << physical))) tags |= 3 << (2 * physical);
    fpu.SetTagWord(tags);
    page.FPU->SetRegisterViewType(rvtReg64);
    page.FPU->UpdateRegisters(&fpu);

    TXMMRegs xmm;
    for (int i = 0; i < 16; ++i)
        xmm.SetRegData(i, &fp->_xmm[i]);
    xmm.SetLongWordReg(xtMXCSR, fp->mxcsr);
    page.XMM->SetRegisterViewType(rvtReg64);
    page.XMM->UpdateRegisters(&xmm);

    // The status line: the word on top of the worker's stack.
    uint64_t top = 0;
    const auto rsp = static_cast<uint64_t>(g[REG_RSP]);
    page.Status->SetAddressSize(as64);
    page.Status->SetAddressFormat(afCPP);
    page.Status->SetThreadString(u"Thread ");
    page.Status->SetEffective(static_cast<int64_t>(rsp));
    if (workbench_cpu::ReadMemory(rsp, &top, sizeof top) == sizeof top)
        page.Status->SetIndirect(static_cast<int64_t>(top));
    page.Status->SetThreadId(static_cast<int32_t>(Thread.ThreadId));
}

// A readable page of text followed by one that cannot be read; the dump
// starts shortly before the border.
uint64_t DumpSample() {
    static uint8_t* pages = nullptr;
    const long size = sysconf(_SC_PAGESIZE);
    if (!pages) {
        void* map =
            mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED) return KnownAddress();
        pages = static_cast<uint8_t*>(map);
        static const char text[] = "The workbench reads its own memory: code, data and stacks. "
                                   "Beyond this page nothing can be read.";
        std::memcpy(pages + size - (sizeof text - 1), text, sizeof text - 1);
        mprotect(pages + size, size, PROT_NONE);
    }
    return reinterpret_cast<uint64_t>(pages) + size - 40;
}

void Build(TWinControl* Sheet) {
    TCPUPage& page = Page();
    page.Disassembly = Place(Sheet, new TDisassemblerView(Sheet), 8, 8, 560, 330);
    page.Registers = Place(Sheet, new TRegisterView(Sheet), 576, 8, 230, 330);
    page.Flags = Place(Sheet, new TFlagsView(Sheet), 814, 8, 80, 330);
    page.FPU = Place(Sheet, new TFPURegisterView(Sheet), 8, 346, 440, 170);
    page.XMM = Place(Sheet, new TXMMRegisterView(Sheet), 456, 346, 438, 170);
    page.Dump = Place(Sheet, new TDumpView(Sheet), 8, 524, 886, 120);
    page.Status = Place(Sheet, new TAddressStatus(Sheet), 8, 650, 886, 18);

    FeedDisassembly(page.Disassembly);
    page.Dump->SetAddressSize(as64);
    page.Dump->OnGetData = [](TObject*, int64_t Offset, int32_t Count, void* Buffer,
                              int32_t& BytesInBuffer) {
        BytesInBuffer = static_cast<int32_t>(
            workbench_cpu::ReadMemory(static_cast<uint64_t>(Offset), Buffer, Count));
    };
    page.Dump->SetTopOffset(static_cast<int64_t>(DumpSample()));
    page.Dump->RefreshBuffer();

    CapturedThread thread;
    if (workbench_cpu::CaptureThread(thread)) FeedRegisters(thread);
}

void Exercise(TWinControl*) {
    TCPUPage& page = Page();
    page.Disassembly->SetFocus();
    page.Disassembly->SetSelectedAddress(static_cast<int64_t>(KnownAddress() + 1));
}

} // namespace

extern const TWorkbenchPage CPUPage = {"cpu", u"CPU", Build, Exercise};
