// Search shortcuts found once the program is written. None of them changes
// which match is found; each only spares attempts that cannot succeed.
#include "benchkit/controls/IDERegExpProgram.h"

#include <vector>

// Search shortcuts, only for a pattern of a single top-level alternative:
// the character every match begins with, the start anchor, and the longest
// literal every match must contain. Every node on the top-level chain lies
// on every path through the pattern (alternatives, optional and repeated
// parts hang off it as operands), so each literal there is required,
// wherever it stands.
void TCompiledRE::FindHints(TNodeFlags) {
    const int next = NextOf(0);
    if (next < 0 || NodeAt(next).Kind() != tnEND) return;
    int scan = static_cast<int>(sizeof(TNode));
    if (NodeAt(scan).Kind() == tnEXACTLY)
        FBegin = OperandChars(scan)[0];
    else if (NodeAt(scan).Kind() == tnBOL)
        FAnchor = true;
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
        } else if (const int repeat = NextOf(first);
                   repeat >= 0 && (NodeAt(repeat).Kind() == tnSTAR || NodeAt(repeat).Kind() == tnPLUS)) {
            // One character of a set inside the repeat's own, as in "[a-z][a-z0-9]*":
            // an attempt inside the run would begin with a character of the run and
            // end where attempts from the run's start have ended already.
            const std::vector<uint64_t> head = OneCharBits(first);
            const std::vector<uint64_t> body = OneCharBits(repeat + static_cast<int>(sizeof(TNode)));
            bool inside = !head.empty() && !body.empty();
            for (size_t w = 0; inside && w < head.size(); ++w)
                inside = (head[w] & ~body[w]) == 0;
            if (inside) {
                FRepeatStart = repeat;
                FRepeatSkip = 1;
            }
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
    int members = 0;
    for (int w = 0; w < 1024 && members <= 3; ++w)
        for (uint64_t word = FStartSet[w]; word && members <= 3; word &= word - 1, ++members)
            if (members < 3) FStartChars[members] = static_cast<char16_t>(w * 64 + __builtin_ctzll(word));
    FStartCharCount = members <= 3 ? members : 0;
}

// The characters a node of one character takes, as 65536 bits; empty for
// any other node.
std::vector<uint64_t> TCompiledRE::OneCharBits(int Node) const {
    const TNode& n = NodeAt(Node);
    std::vector<uint64_t> bits(1024, 0);
    switch (n.Kind()) {
    case tnANY:
        bits.assign(1024, ~uint64_t(0));
        return bits;
    case tnEXACTLY: {
        if (n.Aux() != 1) return {};
        const char16_t c = OperandChars(Node)[0];
        bits[c >> 6] |= uint64_t(1) << (c & 63);
        return bits;
    }
    case tnANYOF:
    case tnANYBUT: {
        const uint64_t flip = n.Kind() == tnANYOF ? 0 : ~uint64_t(0);
        for (int w = 0; w < 1024; ++w)
            bits[w] = FClasses[n.Aux() - 1].Word(w) ^ flip;
        return bits;
    }
    default:
        return {};
    }
}

namespace {

bool IsOpen(TNodeKind k) {
    return k >= tnOPEN && k <= tnOPEN9;
}
bool IsClose(TNodeKind k) {
    return k >= tnCLOSE && k <= tnCLOSE9;
}
int GroupNumber(const TNode& node, TNodeKind base) {
    return node.Kind() == base ? static_cast<int>(node.Aux()) : node.Kind() - base;
}

constexpr int kNode = static_cast<int>(sizeof(TNode));

} // namespace

// Finds every group loop the program holds: "(alternatives)+" is written as
// OPEN, the alternatives, CLOSE, then a BRANCH back to OPEN and a BRANCH to
// NOTHING; "(alternatives)*" as a BRANCH into OPEN .. CLOSE, NOTHING back to
// that BRANCH, then a BRANCH to NOTHING. Each alternative must be one node
// that takes one character.
void TCompiledRE::FindGroupLoops() {
    auto oneChar = [&](int node) {
        const TNode& n = NodeAt(node);
        switch (n.Kind()) {
        case tnEXACTLY:
            return n.Aux() == 1;
        case tnANY:
        case tnANYOF:
        case tnANYBUT:
            return true;
        default:
            return false;
        }
    };
    auto isNothing = [&](int node) { return node >= 0 && NodeAt(node).Kind() == tnNOTHING; };
    auto isBranch = [&](int node) { return node >= 0 && NodeAt(node).Kind() == tnBRANCH; };
    // The group at `open`: its CLOSE when every alternative takes one character, else -1.
    auto groupClose = [&](int open) {
        const int group = GroupNumber(NodeAt(open), tnOPEN);
        int b = NextOf(open);
        if (!isBranch(b)) return -1;
        int close = -1;
        for (; isBranch(b); b = NextOf(b)) {
            const int alt = b + kNode;
            if (!oneChar(alt)) return -1;
            const int after = NextOf(alt);
            if (after < 0 || !IsClose(NodeAt(after).Kind())) return -1;
            if (close >= 0 && after != close) return -1;
            close = after;
        }
        if (b != close || GroupNumber(NodeAt(close), tnCLOSE) != group) return -1;
        return close;
    };
    auto addLoop = [&](int at, int open, int min, int cont) {
        TGroupLoop loop{GroupNumber(NodeAt(open), tnOPEN), min, cont,
                        std::vector<uint64_t>(1024, 0)};
        for (int b = NextOf(open); isBranch(b); b = NextOf(b)) {
            const int alt = b + kNode;
            const TNode& n = NodeAt(alt);
            if (n.Kind() == tnEXACTLY) {
                const char16_t c = OperandChars(alt)[0];
                loop.Bits[c >> 6] |= uint64_t(1) << (c & 63);
                continue;
            }
            const uint64_t flip = n.Kind() == tnANYOF ? 0 : ~uint64_t(0);
            for (int w = 0; w < 1024; ++w)
                loop.Bits[w] |= n.Kind() == tnANY ? ~uint64_t(0) : FClasses[n.Aux() - 1].Word(w) ^ flip;
        }
        if (FLoopAt.empty()) FLoopAt.assign(FNodes.size() / 4 + 1, -1);
        FLoopAt[at / 4] = static_cast<int>(FLoops.size());
        FLoops.push_back(std::move(loop));
    };

    std::vector<bool> seen(FNodes.size() / 4 + 1, false);
    std::vector<int> work{0};
    while (!work.empty()) {
        const int node = work.back();
        work.pop_back();
        if (node < 0 || seen[node / 4]) continue;
        seen[node / 4] = true;
        const TNode& n = NodeAt(node);
        work.push_back(NextOf(node));
        if (n.Kind() == tnBRANCH || n.Kind() == tnSTAR || n.Kind() == tnPLUS)
            work.push_back(node + kNode);
        if (n.Kind() == tnEND) continue;

        if (IsOpen(n.Kind())) { // "(...)+"
            const int close = groupClose(node);
            if (close < 0) continue;
            const int loopBack = NextOf(close), toNothing = NextOf(loopBack);
            if (!isBranch(loopBack) || !isBranch(toNothing)) continue;
            if (!isNothing(loopBack + kNode) || NextOf(loopBack + kNode) != node) continue;
            const int nothing = toNothing + kNode;
            if (!isNothing(nothing) || NextOf(toNothing) != nothing) continue;
            if (NextOf(nothing) < 0) continue;
            addLoop(node, node, 1, NextOf(nothing));
        } else if (n.Kind() == tnBRANCH) { // "(...)*"
            const int open = node + kNode;
            if (!IsOpen(NodeAt(open).Kind())) continue;
            const int close = groupClose(open);
            if (close < 0) continue;
            const int back = NextOf(close);
            if (!isNothing(back) || NextOf(back) != node) continue;
            const int toNothing = NextOf(node);
            if (!isBranch(toNothing)) continue;
            const int nothing = toNothing + kNode;
            if (!isNothing(nothing) || NextOf(toNothing) != nothing) continue;
            if (NextOf(nothing) < 0) continue;
            addLoop(node, open, 0, NextOf(nothing));
        }
    }
}

int TCompiledRE::GroupLoopAt(int Node) const {
    return FLoopAt.empty() ? -1 : FLoopAt[Node / 4];
}
