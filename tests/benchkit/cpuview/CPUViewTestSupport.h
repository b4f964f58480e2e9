// The application on the manual clock, a form to put CPU views on, a fixed
// font, and a scripted debugger host for the disassembly view.
#pragma once

#include "benchkit/cpuview/DisComp.h"

#include <ApplicationTest.h>

#include <map>
#include <string>
#include <vector>

class CPUViewTest : public ApplicationTest {
protected:
    static TForm* ShownForm(int clientWidth = 400, int clientHeight = 300) {
        return ApplicationTest::ShownForm(clientWidth, clientHeight);
    }
    // Puts a control on a new shown form, in a fixed font, without a border.
    template <class T> static T* Place(T* Control, int Width, int Height) {
        Control->GetFont()->SetName(u"DejaVu Sans Mono");
        Control->GetFont()->SetHeight(-12);
        Control->SetBounds(0, 0, Width, Height);
        Control->SetParent(Control->GetOwner() ? static_cast<TWinControl*>(Control->GetOwner())
                                               : nullptr);
        Control->HandleNeeded();
        Pump();
        return Control;
    }
};

// A debugger's answers: instructions of given sizes, source lines over
// address ranges, labels and additional lines; it counts what it was asked.
struct ScriptedHost {
    struct Instruction {
        std::u16string Text;
        int32_t Size;
    };
    struct Line {
        int64_t First;
        int32_t Size;
        uint32_t File;
        uint32_t Number;
        std::u16string Text;
    };
    std::map<int64_t, Instruction> Code;
    std::vector<Line> Lines;
    std::map<uint32_t, std::u16string> Files;
    std::map<int64_t, std::u16string> Labels;
    std::map<int64_t, std::pair<std::u16string, int32_t>> Additional;
    std::vector<int64_t> Breakpoints;
    int Disassembled = 0;

    // Addresses without code are one-byte unknown instructions.
    int32_t SizeAt(int64_t Address) const {
        auto found = Code.find(Address);
        return found == Code.end() ? 1 : found->second.Size;
    }
    const Line* LineAt(int64_t Address) const {
        for (const Line& line : Lines)
            if (Address >= line.First && Address < line.First + line.Size) return &line;
        return nullptr;
    }

    void Attach(TDisassemblerView* View) {
        View->OnDisassemble = [this](TObject*, int64_t& Address, UnicodeString& Result,
                                     int32_t& InstSize) {
            ++Disassembled;
            auto found = Code.find(Address);
            Result = found == Code.end() ? u"db ?" : found->second.Text;
            InstSize = SizeAt(Address);
            Address += InstSize;
        };
        View->OnGetNextAddr = [this](TObject*, int64_t Address, int64_t& NewAddr) {
            NewAddr = Address + SizeAt(Address);
        };
        View->OnGetPrevAddr = [this](TObject*, int64_t Address, int64_t& NewAddr) {
            // The instruction that ends at Address, else the byte before it.
            NewAddr = Address - 1;
            for (const auto& [at, code] : Code)
                if (at + code.Size == Address) NewAddr = at;
        };
        View->OnFindSourceLine = [this](TObject*, int64_t Address, int64_t& FirstStat,
                                        int32_t& LineSize, TCPUSourcePos& Pos) {
            if (const Line* line = LineAt(Address)) {
                FirstStat = line->First;
                LineSize = line->Size;
                Pos = MakeCPUSourcePos(line->File, line->Number, 0);
            }
        };
        View->OnFindLineCode = [this](TObject*, const TCPUSourcePos& Pos, int64_t& Address,
                                      int32_t& LineSize, bool& Result) {
            for (const Line& line : Lines)
                if (line.File == Pos.FileIndex && line.Number == Pos.LineNum) {
                    Address = line.First;
                    LineSize = line.Size;
                    Result = true;
                }
        };
        View->OnGetFileName = [this](TObject*, const TCPUSourcePos& Pos, UnicodeString& Result) {
            Result = Files[Pos.FileIndex];
        };
        View->OnGetSourceText = [this](TObject*, const TCPUSourcePos& Pos, UnicodeString& Result) {
            for (const Line& line : Lines)
                if (line.File == Pos.FileIndex && line.Number == Pos.LineNum) Result = line.Text;
        };
        View->OnGetLabel = [this](TObject*, int64_t Address, UnicodeString& Label, bool& Result) {
            auto found = Labels.find(Address);
            if (found == Labels.end()) return;
            Label = found->second;
            Result = true;
        };
        View->OnDisassembleAdditional = [this](TObject*, int64_t Address, int64_t,
                                               UnicodeString& Result, int32_t& NumStrings) {
            auto found = Additional.find(Address);
            if (found == Additional.end()) return;
            Result = found->second.first;
            NumStrings = found->second.second;
        };
        View->OnIsBreakpoint = [this](TObject*, int64_t Address, bool& Result) {
            for (int64_t at : Breakpoints)
                if (at == Address) Result = true;
        };
    }
};
