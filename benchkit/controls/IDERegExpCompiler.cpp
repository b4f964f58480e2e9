// The compiler: a recursive-descent scanner run twice over the pattern,
// first to size the program, then to write it.
#include "benchkit/controls/IDERegExpConst.h"
#include "benchkit/controls/IDERegExpProgram.h"
#include <runpak/Strings.h>

#include <algorithm>
#include <cstring>

void REError(const UnicodeString& Msg) {
    throw EREError(Msg);
}

namespace {

bool IsRepeat(char16_t c) {
    return c == u'*' || c == u'+' || c == u'?';
}

bool IsMeta(char16_t c) {
    switch (c) {
    case u'$':
    case u'(':
    case u')':
    case u'*':
    case u'+':
    case u'.':
    case u'?':
    case u'[':
    case u'\\':
    case u'^':
    case u'|':
        return true;
    default:
        return false;
    }
}

// A node handle in the sizing pass, which writes nothing.
constexpr int kNoNode = -1;
// Longest operand a node's 24-bit Aux can count.
constexpr int kMaxRun = 0xFFFFFF;

} // namespace

class TREScanner {
public:
    TREScanner(TCompiledRE& RE, const UnicodeString& Pattern, bool Sizing)
        : FRE(RE), FScan(Pattern.data()), FEnd(Pattern.data() + Pattern.size()), FSizing(Sizing) {}

    // Scans the whole pattern; returns its flags.
    TNodeFlags Run() {
        TNodeFlags flags;
        Reg(false, flags);
        return flags;
    }
    size_t CodeSize() const { return FCodeSize; }

private:
    bool AtEnd() const { return FScan == FEnd; }
    char16_t Peek() const { return AtEnd() ? 0 : *FScan; }

    TNode& NodeAt(int at) { return *reinterpret_cast<TNode*>(FRE.FNodes.data() + at); }

    int Node(TNodeKind kind, uint32_t aux = 0) {
        if (FSizing) {
            FCodeSize += sizeof(TNode);
            return kNoNode;
        }
        const int at = static_cast<int>(FEmit);
        NodeAt(at) = TNode{static_cast<uint32_t>(kind) | (aux << 8), 0};
        FEmit += sizeof(TNode);
        return at;
    }

    void Char(char16_t c) {
        if (FSizing) {
            FCodeSize += 2;
            return;
        }
        std::memcpy(FRE.FNodes.data() + FEmit, &c, 2);
        FEmit += 2;
    }

    // Ends a character operand and pads it so that the next node is aligned.
    void EndOperand() {
        Char(0);
        if ((FSizing ? FCodeSize : FEmit) % 4 != 0) Char(0);
    }

    void SetAux(int at, uint32_t aux) {
        if (FSizing) return;
        TNode& node = NodeAt(at);
        node.KindAux = (node.KindAux & 0xFF) | (aux << 8);
    }

    // Moves everything from `at` on up by one node and puts a new node there.
    void Insert(TNodeKind kind, int at) {
        if (FSizing) {
            FCodeSize += sizeof(TNode);
            return;
        }
        uint8_t* base = FRE.FNodes.data();
        std::memmove(base + at + sizeof(TNode), base + at, FEmit - at);
        FEmit += sizeof(TNode);
        NodeAt(at) = TNode{static_cast<uint32_t>(kind), 0};
    }

    // Links the last node of the chain starting at `at` to `target`.
    void Tail(int at, int target) {
        if (FSizing) return;
        int scan = at;
        for (int next = FRE.NextOf(scan); next >= 0; next = FRE.NextOf(scan))
            scan = next;
        NodeAt(scan).Next = target - scan;
    }

    // Tail on the operand chain of a branch; nothing for other kinds.
    void OpTail(int at, int target) {
        if (FSizing || NodeAt(at).Kind() != tnBRANCH) return;
        Tail(at + static_cast<int>(sizeof(TNode)), target);
    }

    int Reg(bool paren, TNodeFlags& flags);
    int Branch(TNodeFlags& flags);
    int Piece(TNodeFlags& flags);
    int Atom(TNodeFlags& flags);
    int Class();
    int CharSetClass(int index);
    int Literal(TNodeFlags& flags);

    // Class construction in the emitting pass.
    int BeginClass(TNodeKind kind);
    void ClassChar(char16_t c);
    void EndClass();

    TCompiledRE& FRE;
    const char16_t* FScan;
    const char16_t* FEnd;
    bool FSizing;
    size_t FCodeSize = 0;
    size_t FEmit = 0;
    TCompiledRE::TClassBits* FClass = nullptr;
    int FDepth = 0; // groups open around the scan (a failed scan is dropped whole)
};

int TREScanner::Reg(bool paren, TNodeFlags& flags) {
    flags = {nfHasWidth};
    int ret = kNoNode;
    int parno = 0;
    if (paren) {
        if (FRE.FMatchCount > MaxREGroups) REError(SErrorTooManySubExps);
        // The scanner recurses once per open group; the bound keeps its stack small.
        if (FDepth >= MaxREGroupNesting) REError(SErrorNestedTooDeep);
        ++FDepth;
        parno = FRE.FMatchCount++;
        ret = parno <= 9 ? Node(static_cast<TNodeKind>(tnOPEN + parno))
                         : Node(tnOPEN, static_cast<uint32_t>(parno));
    }
    TNodeFlags branchFlags;
    int br = Branch(branchFlags);
    if (paren)
        Tail(ret, br);
    else
        ret = br;
    if (!branchFlags.Contains(nfHasWidth)) flags.Exclude(nfHasWidth);
    if (branchFlags.Contains(nfSPStart)) flags.Include(nfSPStart);
    int last = br; // the chain's end, so that many alternatives link in linear time
    while (Peek() == u'|') {
        ++FScan;
        br = Branch(branchFlags);
        Tail(last, br);
        last = br;
        if (!branchFlags.Contains(nfHasWidth)) flags.Exclude(nfHasWidth);
        if (branchFlags.Contains(nfSPStart)) flags.Include(nfSPStart);
    }
    int ender;
    if (!paren)
        ender = Node(tnEND);
    else if (parno <= 9)
        ender = Node(static_cast<TNodeKind>(tnCLOSE + parno));
    else
        ender = Node(tnCLOSE, static_cast<uint32_t>(parno));
    Tail(last, ender);
    if (!FSizing)
        for (int scan = ret; scan >= 0; scan = FRE.NextOf(scan))
            OpTail(scan, ender);

    if (paren) {
        if (Peek() != u')' || AtEnd()) REError(SErrorUnmatchedParens);
        ++FScan;
        --FDepth;
    } else if (!AtEnd()) {
        REError(Peek() == u')' ? SErrorUnmatchedParens : SErrorInternal);
    }
    return ret;
}

int TREScanner::Branch(TNodeFlags& flags) {
    flags = {};
    const int ret = Node(tnBRANCH);
    int chain = kNoNode;
    bool first = true;
    while (!AtEnd() && Peek() != u'|' && Peek() != u')') {
        TNodeFlags pieceFlags;
        const int latest = Piece(pieceFlags);
        if (pieceFlags.Contains(nfHasWidth)) flags.Include(nfHasWidth);
        if (first) {
            if (pieceFlags.Contains(nfSPStart)) flags.Include(nfSPStart);
        } else {
            Tail(chain, latest);
        }
        chain = latest;
        first = false;
    }
    if (first) Node(tnNOTHING);
    return ret;
}

int TREScanner::Piece(TNodeFlags& flags) {
    TNodeFlags atomFlags;
    const int ret = Atom(atomFlags);
    const char16_t op = Peek();
    if (AtEnd() || !IsRepeat(op)) {
        flags = atomFlags;
        return ret;
    }
    if (!atomFlags.Contains(nfHasWidth) && op != u'?') REError(SErrorInvalidRepeat);
    flags = op == u'+' ? TNodeFlags{nfHasWidth} : TNodeFlags{nfSPStart};

    const bool simple = atomFlags.Contains(nfSimple);
    if (op == u'*' && simple) {
        Insert(tnSTAR, ret);
    } else if (op == u'*') {
        // x* as (x, then back to the branch) or nothing
        Insert(tnBRANCH, ret);
        OpTail(ret, Node(tnNOTHING));
        OpTail(ret, ret);
        Tail(ret, Node(tnBRANCH));
        Tail(ret, Node(tnNOTHING));
    } else if (op == u'+' && simple) {
        Insert(tnPLUS, ret);
    } else if (op == u'+') {
        // x+ as x, then (back to x) or nothing
        const int next = Node(tnBRANCH);
        Tail(ret, next);
        Tail(Node(tnNOTHING), ret);
        Tail(next, Node(tnBRANCH));
        Tail(ret, Node(tnNOTHING));
    } else {
        // x? as x or nothing
        Insert(tnBRANCH, ret);
        Tail(ret, Node(tnBRANCH));
        const int next = Node(tnNOTHING);
        Tail(ret, next);
        OpTail(ret, next);
    }
    ++FScan;
    if (!AtEnd() && IsRepeat(Peek())) REError(SErrorNestedRepeat);
    return ret;
}

int TREScanner::Atom(TNodeFlags& flags) {
    flags = {};
    if (AtEnd()) REError(SErrorInternal);
    const char16_t c = *FScan++;
    switch (c) {
    case u'^':
        return Node(tnBOL);
    case u'$':
        return Node(tnEOL);
    case u'.':
        flags = {nfHasWidth, nfSimple};
        return Node(tnANY);
    case u'[':
        flags = {nfHasWidth, nfSimple};
        return Class();
    case u'(': {
        TNodeFlags sub;
        const int ret = Reg(true, sub);
        if (sub.Contains(nfHasWidth)) flags.Include(nfHasWidth);
        if (sub.Contains(nfSPStart)) flags.Include(nfSPStart);
        return ret;
    }
    case u'|':
    case u')':
        REError(SErrorInternal);
    case u'*':
    case u'+':
    case u'?':
        REError(SErrorInvalidRepeat);
    case u'\\': {
        if (AtEnd()) REError(SErrorTrailingBackslash);
        const char16_t e = *FScan++;
        flags = {nfHasWidth, nfSimple};
        if (e == u'_') return CharSetClass(0);
        if (e == u'w' || e == u'W') return CharSetClass(1);
        const int ret = Node(tnEXACTLY, 1);
        Char(e);
        EndOperand();
        return ret;
    }
    default:
        --FScan;
        return Literal(flags);
    }
}

// The longest run of ordinary characters; before a repeat its last
// character is left for the next atom, so that the repeat binds to it alone.
int TREScanner::Literal(TNodeFlags& flags) {
    int len = 0;
    while (FScan + len != FEnd && !IsMeta(FScan[len]) && len < kMaxRun)
        ++len;
    if (len <= 0) REError(SErrorInternal);
    if (len > 1 && FScan + len != FEnd && IsRepeat(FScan[len])) --len;
    flags = {nfHasWidth};
    if (len == 1) flags.Include(nfSimple);
    const int ret = Node(tnEXACTLY, static_cast<uint32_t>(len));
    for (int i = 0; i < len; ++i)
        Char(*FScan++);
    EndOperand();
    return ret;
}

int TREScanner::BeginClass(TNodeKind kind) {
    if (FSizing) return Node(kind);
    if (FRE.FClasses.size() >= static_cast<size_t>(kMaxRun)) REError(SErrorInternal);
    FRE.FClasses.emplace_back();
    FClass = &FRE.FClasses.back();
    return Node(kind, static_cast<uint32_t>(FRE.FClasses.size()));
}

void TREScanner::ClassChar(char16_t c) {
    Char(c);
    if (FSizing) return;
    if (c < 256) {
        FClass->Low[c >> 6] |= uint64_t(1) << (c & 63);
        return;
    }
    FClass->AddHigh(c);
}

void TCompiledRE::TClassBits::AddHigh(char16_t C) {
    if (High.empty()) {
        if (std::find(Few.begin(), Few.end(), C) != Few.end()) return;
        if (Few.size() < MaxFew) {
            Few.push_back(C);
            return;
        }
        High.assign(1024, 0);
        for (char16_t member : Few)
            High[member >> 6] |= uint64_t(1) << (member & 63);
        Few.clear();
        Few.shrink_to_fit();
    }
    High[C >> 6] |= uint64_t(1) << (C & 63);
}

uint64_t TCompiledRE::TClassBits::Word(int W) const {
    if (W < 4) return Low[W];
    if (!High.empty()) return High[W];
    uint64_t word = 0;
    for (char16_t member : Few)
        if (member >> 6 == W) word |= uint64_t(1) << (member & 63);
    return word;
}

void TREScanner::EndClass() {
    EndOperand();
    FClass = nullptr;
}

int TREScanner::Class() {
    int ret;
    if (Peek() == u'^' && !AtEnd()) {
        ret = BeginClass(tnANYBUT);
        ++FScan;
    } else {
        ret = BeginClass(tnANYOF);
    }
    if (!AtEnd() && (Peek() == u']' || Peek() == u'-')) ClassChar(*FScan++);
    while (!AtEnd() && Peek() != u']') {
        if (Peek() != u'-') {
            ClassChar(*FScan++);
            continue;
        }
        ++FScan;
        if (AtEnd() || Peek() == u']') {
            ClassChar(u'-');
            continue;
        }
        // The range starts after the character before the "-", which is
        // already a member.
        const int from = static_cast<int>(FScan[-2]) + 1;
        const int to = static_cast<int>(*FScan);
        if (from > to + 1) REError(SErrorInvalidRange);
        for (int c = from; c <= to; ++c)
            ClassChar(static_cast<char16_t>(c));
        ++FScan;
    }
    EndClass();
    if (AtEnd()) REError(SErrorUnmatchedBracket);
    ++FScan;
    return ret;
}

// "\_" (index 0) and "\w" (index 1) over the expression's character sets.
int TREScanner::CharSetClass(int index) {
    const TCharSet& set = FRE.FCharSets[index];
    int ret;
    if (set.Empty()) {
        ret = BeginClass(index == 0 ? tnANYOF : tnANYBUT);
        ClassChar(10);
        ClassChar(13);
        ClassChar(32);
    } else if (FRE.FCharCounts[index] <= 127) {
        ret = BeginClass(tnANYOF);
        for (int c = 1; c <= 255; ++c)
            if (set.Contains(static_cast<unsigned char>(c))) ClassChar(static_cast<char16_t>(c));
    } else {
        ret = BeginClass(tnANYBUT);
        for (int c = 1; c <= 255; ++c)
            if (!set.Contains(static_cast<unsigned char>(c))) ClassChar(static_cast<char16_t>(c));
    }
    EndClass();
    return ret;
}

TCompiledRE::TCompiledRE(const UnicodeString& Pattern, TREOptions Options,
                         const TCharSet (&CharSets)[2])
    : FOptions(Options), FCharSets{CharSets[0], CharSets[1]} {
    for (int i = 0; i < 2; ++i) {
        FCharCounts[i] = 0;
        for (int c = 1; c <= 255; ++c)
            if (FCharSets[i].Contains(static_cast<unsigned char>(c))) ++FCharCounts[i];
    }
    FCIPattern = Options.Contains(reCaseInsensitive) ? AnsiUpperCase(Pattern) : Pattern;

    FMatchCount = 1;
    TREScanner sizer(*this, FCIPattern, true);
    sizer.Run();
    if (sizer.CodeSize() > static_cast<size_t>(INT32_MAX)) REError(SErrorOutOfMemory);

    FNodes.assign(sizer.CodeSize(), 0);
    FMatchCount = 1;
    TREScanner emitter(*this, FCIPattern, false);
    FindHints(emitter.Run());
    FindStartSet();
    FindGroupLoops();
}
