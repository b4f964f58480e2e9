// Search shortcuts found once the program is written. None of them changes
// which match is found; each only spares attempts that cannot succeed.
#include "benchkit/controls/IDERegExpProgram.h"

#include <vector>

// Search shortcuts, only for a pattern of a single top-level alternative:
// the character every match begins with, the start anchor, and the longest
// literal every match must contain.
void TCompiledRE::FindHints(TNodeFlags Flags) {
    const int next = NextOf(0);
    if (next < 0 || NodeAt(next).Kind() != tnEND) return;
    int scan = static_cast<int>(sizeof(TNode));
    if (NodeAt(scan).Kind() == tnEXACTLY)
        FBegin = OperandChars(scan)[0];
    else if (NodeAt(scan).Kind() == tnBOL)
        FAnchor = true;
    if (!Flags.Contains(nfSPStart)) return;
    for (; scan >= 0; scan = NextOf(scan)) {
        const TNode& node = NodeAt(scan);
        if (node.Kind() == tnEXACTLY && static_cast<int>(node.Aux()) >= FOptMatchLen) {
            FOptMatch = OperandChars(scan);
            FOptMatchLen = static_cast<int>(node.Aux());
        }
    }
}

// The characters a match can begin with, when the pattern cannot match
// empty: attempts elsewhere are skipped. Also notes a pattern that begins
// with ".*" or ".+", which matches at the first position or nowhere, and
// one that begins with any simple repeat: an attempt that fails at p has
// tried the rest of the pattern after every count of the repeat's run from
// p, which covers every attempt inside that run.
void TCompiledRE::FindStartSet() {
    const int first = static_cast<int>(sizeof(TNode));
    if (NextOf(0) >= 0 && NodeAt(NextOf(0)).Kind() == tnEND) {
        const TNode& node = NodeAt(first);
        if (node.Kind() == tnSTAR || node.Kind() == tnPLUS) {
            if (NodeAt(first + static_cast<int>(sizeof(TNode))).Kind() == tnANY)
                FDotStarStart = true;
            FRepeatStart = first;
        }
    }

    std::vector<uint64_t> set(1024, 0);
    std::vector<bool> seen(FNodes.size() / 4 + 1, false);
    std::vector<int> work{0};
    auto addClass = [&](int node, bool complement) {
        const TClassBits& bits = FClasses[NodeAt(node).Aux() - 1];
        const uint64_t flip = complement ? ~uint64_t(0) : 0;
        for (int w = 0; w < 1024; ++w) {
            const uint64_t word = bits.Word(w);
            set[w] |= word ^ flip;
        }
    };
    while (!work.empty()) {
        const int node = work.back();
        work.pop_back();
        if (node < 0) return; // a broken chain: no shortcut
        if (seen[node / 4]) continue;
        seen[node / 4] = true;
        const TNode& n = NodeAt(node);
        const int next = NextOf(node);
        const int operand = node + static_cast<int>(sizeof(TNode));
        switch (n.Kind()) {
        case tnEXACTLY: {
            const char16_t c = OperandChars(node)[0];
            set[c >> 6] |= uint64_t(1) << (c & 63);
            break;
        }
        case tnANYOF:
            addClass(node, false);
            break;
        case tnANYBUT:
            addClass(node, true);
            break;
        case tnBRANCH:
            work.push_back(operand);
            if (next >= 0 && NodeAt(next).Kind() == tnBRANCH) work.push_back(next);
            break;
        case tnSTAR:
            work.push_back(operand);
            work.push_back(next);
            break;
        case tnPLUS:
            work.push_back(operand);
            break;
        case tnBOL:
        case tnNOTHING:
        case tnOPEN:
        case tnOPEN1:
        case tnOPEN2:
        case tnOPEN3:
        case tnOPEN4:
        case tnOPEN5:
        case tnOPEN6:
        case tnOPEN7:
        case tnOPEN8:
        case tnOPEN9:
        case tnCLOSE:
        case tnCLOSE1:
        case tnCLOSE2:
        case tnCLOSE3:
        case tnCLOSE4:
        case tnCLOSE5:
        case tnCLOSE6:
        case tnCLOSE7:
        case tnCLOSE8:
        case tnCLOSE9:
            work.push_back(next);
            break;
        default: // the end, "$" or ".": a match may begin anywhere
            return;
        }
    }
    FStartSet = std::move(set);
}
