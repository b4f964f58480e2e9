// The matcher: a backtracking interpreter of the node program. It keeps its
// choice points on a heap stack instead of recursing, so that no text can
// exhaust the machine stack; the order in which it tries alternatives and
// gives back repeated characters is that of the plain recursive form.
#include "benchkit/controls/IDERegExpConst.h"
#include "benchkit/controls/IDERegExpProgram.h"
#include <runpak/Strings.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Kinds of backtrack records.
enum : int {
    btBranch, // try the alternative at Node from Pos
    btRepeat, // give back one more character of the repeat at Node
    btStart,  // restore the start of entry Node to Pos
    btEnd,    // restore the end of entry Node to Pos
    btLoop,   // give back one more pass of the one-character group loop at Node
};

constexpr int kNodeSize = static_cast<int>(sizeof(TNode));

int GroupOf(const TNode& node, TNodeKind base) {
    return node.Kind() == base ? static_cast<int>(node.Aux()) : node.Kind() - base;
}

// The first C in [P, End), or End: memchr finds the candidates by the low
// byte, which is far faster than a loop over the characters.
const char16_t* FindChar(const char16_t* P, const char16_t* End, char16_t C) {
    const unsigned char low = C & 0xFF;
    if (low == 0) {
        while (P != End && *P != C)
            ++P;
        return P;
    }
    const unsigned char* b = reinterpret_cast<const unsigned char*>(P);
    const unsigned char* const e = reinterpret_cast<const unsigned char*>(End);
    while (b < e) {
        const auto* hit = static_cast<const unsigned char*>(std::memchr(b, low, e - b));
        if (!hit) break;
        const size_t offset = hit - reinterpret_cast<const unsigned char*>(P);
        if (offset % 2 == 0 && P[offset / 2] == C) return P + offset / 2;
        b = hit + 1;
    }
    return End;
}

bool ContainsLiteral(const char16_t* Text, int Len, const char16_t* Lit, int LitLen) {
    if (LitLen > Len) return false;
    const char16_t* const last = Text + Len - LitLen + 1; // past the last place it may begin
    for (const char16_t* p = Text; (p = FindChar(p, last, Lit[0])) != last; ++p)
        if (std::memcmp(p, Lit, LitLen * sizeof(char16_t)) == 0) return true;
    return false;
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
    if (FOptMatch && !ContainsLiteral(FText, FTextLen, FOptMatch, FOptMatchLen)) return false;
    if (FAnchor || FDotStarStart) return MatchText(0);
    if (FBegin != 0) {
        for (const char16_t* p = FText; (p = FindChar(p, end, FBegin)) != end; ++p)
            if (MatchText(static_cast<int>(p - FText))) return true;
        return false;
    }
    if (!FStartSet.empty()) {
        // The pattern cannot match empty, so not at the end either.
        int next[3] = {-1, -1, -1};
        for (int pos = NextStart(0, next); pos < FTextLen; pos = NextStart(pos, next)) {
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
    if (FRepeatStart < 0 || Pos >= FTextLen || FLeadingRun < 0) return Pos + 1;
    return Pos + std::max(FRepeatSkip + FLeadingRun, 1);
}

// The first position from Pos on whose character is in the start set, or
// the text's length. Next holds, per member of a small set, where memchr
// found it last (-1: not looked for yet), valid while at or past Pos.
int TCompiledRE::NextStart(int Pos, int (&Next)[3]) const {
    if (FStartCharCount > 0) {
        int best = FTextLen;
        for (int i = 0; i < FStartCharCount; ++i) {
            if (Next[i] < Pos)
                Next[i] = static_cast<int>(
                    FindChar(FText + Pos, FText + FTextLen, FStartChars[i]) - FText);
            best = std::min(best, Next[i]);
        }
        return best;
    }
    const uint64_t* set = FStartSet.data();
    const char16_t* p = FText + Pos;
    const char16_t* const end = FText + FTextLen;
    while (p != end && !((set[*p >> 6] >> (*p & 63)) & 1))
        ++p;
    return static_cast<int>(p - FText);
}

// One attempt at Pos. A failed attempt leaves every entry as it found it
// (unset), because each write of an entry is undone on backtracking.
bool TCompiledRE::MatchText(int Pos) {
    FScan = Pos;
    FLeadingRun = -1;
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

// Whether the one-character node at Node can take C.
bool TCompiledRE::CanStartWith(int Node, char16_t C) const {
    switch (NodeAt(Node).Kind()) {
    case tnANY:
        return true;
    case tnANYOF:
        return InClass(Node, C);
    case tnANYBUT:
        return !InClass(Node, C);
    case tnEXACTLY:
        return OperandChars(Node)[0] == C;
    default:
        return true;
    }
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
    // When the repeated node cannot take that character, only the whole run
    // can be followed by it: every shorter count stops on a character of the run.
    if (hasLook && !CanStartWith(Node + kNodeSize, look)) {
        const int p = Start + Count;
        if (Count < min || p >= FTextLen || FText[p] != look) return false;
        FStack.push_back({btRepeat, Node, Start, Count});
        Pos = p;
        return true;
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

// The group loop's counterpart of TryRepeat: the largest count of passes
// not above Count after which the rest may match. Its group then holds the
// last character taken; with no pass (a "*" loop) the two records that saved
// the group's entries, which lie on top of the stack, are dropped and the
// entries restored.
bool TCompiledRE::TryLoop(int Loop, int Start, int Count, int& Pos, int& Next) {
    const TGroupLoop& loop = FLoops[Loop];
    Next = loop.Cont;
    char16_t look = 0;
    bool hasLook = false;
    if (NodeAt(Next).Kind() == tnEXACTLY) {
        look = OperandChars(Next)[0];
        hasLook = true;
    }
    auto fits = [&](int p) { return !hasLook || (p < FTextLen && FText[p] == look); };
    const int lowest = hasLook && !loop.Has(look) ? Count : 1; // as in TryRepeat
    for (int c = Count; c >= lowest && c >= 1; --c) {
        if (!fits(Start + c)) continue;
        FStack.push_back({btLoop, Loop, Start, c});
        (*FStarts)[loop.Group] = Start + c - 1;
        (*FEnds)[loop.Group] = Start + c;
        Pos = Start + c;
        return true;
    }
    if (loop.Min > 0 || !fits(Start)) return false;
    const TBacktrack end = FStack.back();
    FStack.pop_back();
    const TBacktrack start = FStack.back();
    FStack.pop_back();
    (*FEnds)[end.Node] = end.Pos;
    (*FStarts)[start.Node] = start.Pos;
    Pos = Start;
    return true;
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
        case btLoop:
            if (TryLoop(b.Node, b.Pos, b.Count - 1, Pos, Node)) return true;
            break;
        }
    }
    return false;
}

// Starts the group loop at Pos: takes the whole run of its characters, saves
// the group's entries once (as the first pass would) and tries the counts.
bool TCompiledRE::EnterLoop(int Loop, int& Pos, int& Next) {
    const TGroupLoop& loop = FLoops[Loop];
    if (loop.Group <= 0 || loop.Group >= FMatchCount) REError(SErrorInvalidParameter);
    int count = 0;
    while (Pos + count < FTextLen && loop.Has(FText[Pos + count]))
        ++count;
    if (count < loop.Min) return false;
    const size_t depth = FStack.size();
    FStack.push_back({btStart, loop.Group, (*FStarts)[loop.Group], 0});
    FStack.push_back({btEnd, loop.Group, (*FEnds)[loop.Group], 0});
    if (TryLoop(Loop, Pos, count, Pos, Next)) return true;
    FStack.resize(depth);
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
            if (FUseShortcuts && GroupLoopAt(node) >= 0) {
                ok = EnterLoop(GroupLoopAt(node), pos, next);
                break;
            }
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
            if (FUseShortcuts && GroupLoopAt(node) >= 0) {
                ok = EnterLoop(GroupLoopAt(node), pos, next);
                break;
            }
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
