// The matcher: a backtracking interpreter of the node program. It keeps its
// choice points on a heap stack instead of recursing, so that no text can
// exhaust the machine stack; the order in which it tries alternatives and
// gives back repeated characters is that of the plain recursive form.
#include "benchkit/controls/IDERegExpConst.h"
#include "benchkit/controls/IDERegExpProgram.h"
#include <runpak/Strings.h>

#include <climits>
#include <cstring>

namespace {

// Kinds of backtrack records.
enum : int {
    btBranch, // try the alternative at Node from Pos
    btRepeat, // give back one more character of the repeat at Node
    btStart,  // restore the start of entry Node to Pos
    btEnd,    // restore the end of entry Node to Pos
};

constexpr int kNodeSize = static_cast<int>(sizeof(TNode));

int GroupOf(const TNode& node, TNodeKind base) {
    return node.Kind() == base ? static_cast<int>(node.Aux()) : node.Kind() - base;
}

} // namespace

bool TCompiledRE::InClass(int Offset, char16_t C) const {
    return FClasses[NodeAt(Offset).Aux() - 1].Has(C);
}

bool TCompiledRE::Match(const UnicodeString& Text, std::vector<int>& Starts,
                        std::vector<int>& Ends) {
    if (Text.size() > static_cast<size_t>(INT_MAX - 1)) REError(SErrorInvalidParameter);
    Starts.assign(FMatchCount, -1);
    Ends.assign(FMatchCount, -1);
    FStarts = &Starts;
    FEnds = &Ends;
    FSteps = 0;
    if (FOptions.Contains(reCaseInsensitive)) {
        FCIText = AnsiUpperCase(Text);
        FText = FCIText.data();
    } else {
        FText = Text.data();
    }
    FTextLen = static_cast<int>(Text.size());
    const char16_t* const end = FText + FTextLen;

    if (!FUseShortcuts) {
        for (int pos = 0; pos <= FTextLen; ++pos)
            if (MatchText(pos)) return true;
        return false;
    }
    if (FOptMatch) {
        const std::u16string_view text(FText, FTextLen);
        if (text.find(std::u16string_view(FOptMatch, FOptMatchLen)) == text.npos) return false;
    }
    if (FAnchor || FDotStarStart) return MatchText(0);
    if (FBegin != 0) {
        for (const char16_t* p = FText; p != end; ++p)
            if (*p == FBegin && MatchText(static_cast<int>(p - FText))) return true;
        return false;
    }
    if (!FStartSet.empty()) {
        // The pattern cannot match empty, so not at the end either.
        for (int pos = 0; pos < FTextLen;) {
            if (!InStartSet(FText[pos])) {
                ++pos;
                continue;
            }
            if (MatchText(pos)) return true;
            pos = NextAttempt(pos);
        }
        return false;
    }
    for (int pos = 0; pos <= FTextLen; pos = NextAttempt(pos))
        if (MatchText(pos)) return true;
    return false;
}

// Where to attempt next after a failed attempt at Pos.
int TCompiledRE::NextAttempt(int Pos) const {
    if (FRepeatStart < 0 || Pos >= FTextLen) return Pos + 1;
    return Pos + (FLeadingRun > 0 ? FLeadingRun : 1);
}

// One attempt at Pos. A failed attempt leaves every entry as it found it
// (unset), because each write of an entry is undone on backtracking.
bool TCompiledRE::MatchText(int Pos) {
    FScan = Pos;
    if (!MatchExec(0)) return false;
    (*FStarts)[0] = Pos;
    (*FEnds)[0] = FScan;
    return true;
}

int TCompiledRE::MatchSimpleCount(int Node, int Pos) const {
    const char16_t* p = FText + Pos;
    const char16_t* const end = FText + FTextLen;
    switch (NodeAt(Node).Kind()) {
    case tnANY:
        return FTextLen - Pos;
    case tnANYOF:
    case tnANYBUT: {
        const bool member = NodeAt(Node).Kind() == tnANYOF;
        const TClassBits& bits = FClasses[NodeAt(Node).Aux() - 1];
        for (; p != end; ++p) {
            const char16_t c = *p;
            const bool in = bits.Has(c);
            if (in != member) break;
        }
        break;
    }
    case tnEXACTLY: {
        const char16_t c = OperandChars(Node)[0];
        while (p != end && *p == c)
            ++p;
        break;
    }
    default:
        REError(SErrorInternal);
    }
    return static_cast<int>(p - (FText + Pos));
}

// Finds the largest count not above Count (and not below the repeat's
// minimum) after which the rest may match, pushes a record to come back for
// a smaller one, and sets Pos and Next to go on. False when none is left.
bool TCompiledRE::TryRepeat(int Node, int Start, int Count, int& Pos, int& Next) {
    const TNode& node = NodeAt(Node);
    const int min = node.Kind() == tnSTAR ? 0 : 1;
    Next = NextOf(Node);
    // The character that must follow, when the rest starts with a literal.
    char16_t look = 0;
    bool hasLook = false;
    if (Next >= 0 && NodeAt(Next).Kind() == tnEXACTLY) {
        look = OperandChars(Next)[0];
        hasLook = true;
    }
    for (; Count >= min; --Count) {
        const int p = Start + Count;
        if (!hasLook || (p < FTextLen && FText[p] == look)) {
            FStack.push_back({btRepeat, Node, Start, Count});
            Pos = p;
            return true;
        }
    }
    return false;
}

// Pops records down to Base until one offers another way on; restores the
// match entries on the way. False when the records are exhausted.
bool TCompiledRE::Backtrack(int Base, int& Node, int& Pos) {
    if (FMatchLimit != 0 && ++FSteps > FMatchLimit) {
        FStack.clear();
        REError(SMatchLimit);
    }
    while (static_cast<int>(FStack.size()) > Base) {
        const TBacktrack b = FStack.back();
        FStack.pop_back();
        switch (b.Kind) {
        case btStart:
            (*FStarts)[b.Node] = b.Pos;
            break;
        case btEnd:
            (*FEnds)[b.Node] = b.Pos;
            break;
        case btBranch:
            Node = b.Node;
            Pos = b.Pos;
            return true;
        case btRepeat:
            if (TryRepeat(b.Node, b.Pos, b.Count - 1, Pos, Node)) return true;
            break;
        }
    }
    return false;
}

bool TCompiledRE::MatchExec(int Node) {
    const int base = static_cast<int>(FStack.size());
    const char16_t* const text = FText;
    const int len = FTextLen;
    int pos = FScan;
    int node = Node;
    for (;;) {
        bool ok = true;
        if (node < 0) REError(SErrorInvalidParameter);
        const TNode& n = NodeAt(node);
        int next = n.Next == 0 ? -1 : node + n.Next;
        switch (n.Kind()) {
        case tnEND:
            FScan = pos;
            FStack.resize(base);
            return true;
        case tnBOL:
            ok = pos == 0;
            break;
        case tnEOL:
            ok = pos == len;
            break;
        case tnANY:
            ok = pos < len;
            ++pos;
            break;
        case tnANYOF:
            ok = pos < len && InClass(node, text[pos]);
            ++pos;
            break;
        case tnANYBUT:
            ok = pos < len && !InClass(node, text[pos]);
            ++pos;
            break;
        case tnEXACTLY: {
            const int l = static_cast<int>(n.Aux());
            const char16_t* op = OperandChars(node);
            ok = len - pos >= l && text[pos] == op[0] &&
                 (l == 1 || std::memcmp(text + pos, op, l * sizeof(char16_t)) == 0);
            pos += l;
            break;
        }
        case tnNOTHING:
            break;
        case tnBRANCH:
            if (next >= 0 && NodeAt(next).Kind() == tnBRANCH)
                FStack.push_back({btBranch, next, pos, 0});
            next = node + kNodeSize;
            break;
        case tnSTAR:
        case tnPLUS: {
            const int count = MatchSimpleCount(node + kNodeSize, pos);
            if (node == FRepeatStart) FLeadingRun = count; // the run at the attempt's start
            ok = TryRepeat(node, pos, count, pos, next);
            break;
        }
        case tnOPEN:
        case tnOPEN1:
        case tnOPEN2:
        case tnOPEN3:
        case tnOPEN4:
        case tnOPEN5:
        case tnOPEN6:
        case tnOPEN7:
        case tnOPEN8:
        case tnOPEN9: {
            const int g = GroupOf(n, tnOPEN);
            if (g <= 0 || g >= FMatchCount) REError(SErrorInvalidParameter);
            FStack.push_back({btStart, g, (*FStarts)[g], 0});
            (*FStarts)[g] = pos;
            break;
        }
        case tnCLOSE:
        case tnCLOSE1:
        case tnCLOSE2:
        case tnCLOSE3:
        case tnCLOSE4:
        case tnCLOSE5:
        case tnCLOSE6:
        case tnCLOSE7:
        case tnCLOSE8:
        case tnCLOSE9: {
            const int g = GroupOf(n, tnCLOSE);
            if (g <= 0 || g >= FMatchCount) REError(SErrorInvalidParameter);
            FStack.push_back({btEnd, g, (*FEnds)[g], 0});
            (*FEnds)[g] = pos;
            break;
        }
        default:
            REError(SErrorInvalidParameter);
        }
        if (ok) {
            node = next;
            continue;
        }
        if (!Backtrack(base, node, pos)) return false;
    }
}
