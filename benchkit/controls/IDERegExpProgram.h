// The compiled form of a regular expression and the backtracking matcher
// that runs it. TIDERegularExpression (IDERegExpComp.h) is the component
// around it; this header stands alone so that tools can drive the engine
// without a component.
#pragma once
#pragma GCC visibility push(default)

#include <runpak/Exceptions.h>
#include <runpak/Set.h>
#include <runpak/UString.h>

#include <cstdint>
#include <vector>

enum TREOption { reCaseInsensitive, reAutoMatch };
using TREOptions = TSet<TREOption, 8>;

enum TIsMatch { imUnknown, imNo, imYes };

// A set of 8-bit characters.
using TCharSet = TSet<unsigned char, 256>;

enum TNodeKind : uint8_t {
    tnEND,
    tnBOL,
    tnEOL,
    tnANY,
    tnANYOF,
    tnANYBUT,
    tnBRANCH,
    tnEXACTLY,
    tnNOTHING,
    tnSTAR,
    tnPLUS,
    tnOPEN, // group 10 and above: the group number is in the node's Aux
    tnOPEN1,
    tnOPEN2,
    tnOPEN3,
    tnOPEN4,
    tnOPEN5,
    tnOPEN6,
    tnOPEN7,
    tnOPEN8,
    tnOPEN9,
    tnCLOSE, // group 10 and above: the group number is in the node's Aux
    tnCLOSE1,
    tnCLOSE2,
    tnCLOSE3,
    tnCLOSE4,
    tnCLOSE5,
    tnCLOSE6,
    tnCLOSE7,
    tnCLOSE8,
    tnCLOSE9,
};

enum TNodeFlag { nfHasWidth, nfSimple, nfSPStart };
using TNodeFlags = TSet<TNodeFlag, 8>;

// One node of the program: 8 bytes, the kind in the low byte of KindAux and
// a 24-bit Aux above it (the operand length of tnEXACTLY, the class number
// of tnANYOF/tnANYBUT, the group number of tnOPEN/tnCLOSE), then the signed
// byte distance to the next node of its chain (0: none). A node's operand
// follows it directly: 16-bit characters ended by a 0 character, or the
// node that tnBRANCH, tnSTAR or tnPLUS governs.
struct TNode {
    uint32_t KindAux;
    int32_t Next;

    TNodeKind Kind() const { return static_cast<TNodeKind>(KindAux & 0xFF); }
    uint32_t Aux() const { return KindAux >> 8; }
};
static_assert(sizeof(TNode) == 8);

class EREError : public Exception {
public:
    using Exception::Exception;
};

// Raises EREError with the message.
[[noreturn]] void REError(const UnicodeString& Msg);

// Groups a pattern may open: the match entries are the whole match plus these.
inline constexpr int MaxREGroups = 6000;
// How deep groups may nest: the compiler recurses once per level.
inline constexpr int MaxREGroupNesting = 1000;

// The parser that builds a program, a friend of TCompiledRE and not exported.
#pragma GCC visibility push(hidden)
class TREScanner;
#pragma GCC visibility pop

class TCompiledRE : public TObject {
public:
    // Compiles the pattern (upper-cased first under reCaseInsensitive);
    // raises EREError on a syntax error. CharSets[0] is the blank class,
    // CharSets[1] the word class.
    TCompiledRE(const UnicodeString& Pattern, TREOptions Options, const TCharSet (&CharSets)[2]);

    // 1 + the number of groups in the pattern.
    int GetMatchCount() const { return FMatchCount; }

    // Finds the leftmost match in Text. Starts and Ends are resized to the
    // match count; entry 0 is the whole match, entry n group n, positions
    // in Text, -1 for an entry that took no part (all -1 without a match).
    bool Match(const UnicodeString& Text, std::vector<int>& Starts, std::vector<int>& Ends);

    // Whether the search skips positions where no match can begin (on by
    // default). The result is the same either way; tools compare the two.
    void SetUseShortcuts(bool Value) { FUseShortcuts = Value; }
    // Backtracking steps one Match may take before it raises EREError with
    // SMatchLimit; 0 (the default) is no limit. A backtracking search can
    // take exponential time on some patterns; tools that feed arbitrary
    // patterns bound it with this.
    void SetMatchLimit(uint64_t Steps) { FMatchLimit = Steps; }

    // The program and its search hints, for inspection.
    const uint8_t* GetNodes() const { return FNodes.data(); }
    int GetCodeSize() const { return static_cast<int>(FNodes.size()); }
    char16_t GetBegin() const { return FBegin; }
    bool GetAnchor() const { return FAnchor; }
    UnicodeString GetOptMatch() const { return UnicodeString(FOptMatch, FOptMatchLen); }

private:
    // Members of one class: the 8-bit characters as bits; the rest as a short
    // sorted list while there are few (long patterns are often made of
    // one-character classes), as an 8 KB bitmap beyond that.
    struct TClassBits {
        static constexpr size_t MaxFew = 32;
        uint64_t Low[4] = {};
        std::vector<char16_t> Few;
        std::vector<uint64_t> High;

        void AddHigh(char16_t C);
        bool Has(char16_t C) const {
            if (C < 256) return (Low[C >> 6] >> (C & 63)) & 1;
            if (!High.empty()) return (High[C >> 6] >> (C & 63)) & 1;
            for (char16_t member : Few)
                if (member == C) return true;
            return false;
        }
        // Bits 64*W..64*W+63 of the whole set.
        uint64_t Word(int W) const;
    };
    // A saved choice or an overwritten match entry, undone on backtracking.
    struct TBacktrack {
        int Kind;
        int Node;
        int Pos;
        int Count;
    };

    // A group of one-character alternatives under "+" or "*", such as
    // "(a|b|c)+": each pass takes exactly one character, so the loop is a
    // greedy repeat over the union of the alternatives whose group holds the
    // last character taken. The search runs it as one repeat instead of a
    // pass at a time.
    struct TGroupLoop {
        int Group;
        int Min;
        int Cont; // the node after the loop
        std::vector<uint64_t> Bits; // 65536 bits
        bool Has(char16_t C) const { return (Bits[C >> 6] >> (C & 63)) & 1; }
    };

    friend class TREScanner;

    void FindHints(TNodeFlags Flags);
    void FindStartSet();
    void FindGroupLoops();
    int GroupLoopAt(int Node) const;
    bool InStartSet(char16_t C) const { return (FStartSet[C >> 6] >> (C & 63)) & 1; }

    bool MatchText(int Pos);
    bool MatchExec(int Node);
    int MatchSimpleCount(int Node, int Pos) const;
    bool TryRepeat(int Node, int Start, int Count, int& Pos, int& Next);
    bool TryLoop(int Loop, int Start, int Count, int& Pos, int& Next);
    bool EnterLoop(int Loop, int& Pos, int& Next);
    bool CanStartWith(int Node, char16_t C) const;
    bool Backtrack(int Base, int& Node, int& Pos);

    const TNode& NodeAt(int Offset) const {
        return *reinterpret_cast<const TNode*>(FNodes.data() + Offset);
    }
    int NextOf(int Offset) const {
        const int32_t d = NodeAt(Offset).Next;
        return d == 0 ? -1 : Offset + d;
    }
    const char16_t* OperandChars(int Offset) const {
        return reinterpret_cast<const char16_t*>(FNodes.data() + Offset + sizeof(TNode));
    }
    bool InClass(int Offset, char16_t C) const;

    TREOptions FOptions;
    TCharSet FCharSets[2];
    int FCharCounts[2];
    UnicodeString FCIPattern;
    UnicodeString FCIText;
    char16_t FBegin = 0;
    bool FAnchor = false;
    const char16_t* FOptMatch = nullptr;
    int FOptMatchLen = 0;
    bool FUseShortcuts = true;
    uint64_t FMatchLimit = 0;
    uint64_t FSteps = 0;
    bool FDotStarStart = false;
    int FRepeatStart = -1; // the leading simple repeat's node, if any
    int FRepeatSkip = 0;   // characters before it: 0, or 1 for a one-character node
    int FLeadingRun = -1;  // its count in the last attempt, -1 when not reached
    int NextAttempt(int Pos) const;
    std::vector<uint64_t> FStartSet; // 65536 bits, or empty when unknown
    // The start set's members when there are at most three, found by memchr.
    char16_t FStartChars[3] = {};
    int FStartCharCount = 0;
    int NextStart(int Pos, int (&Next)[3]) const;
    std::vector<uint64_t> OneCharBits(int Node) const;
    int FMatchCount = 1;
    std::vector<uint8_t> FNodes;
    std::vector<TClassBits> FClasses;
    std::vector<TGroupLoop> FLoops;
    std::vector<int> FLoopAt; // by node offset / 4: index into FLoops or -1; empty without loops

    // Matching state, kept between calls so that buffers are reused.
    const char16_t* FText = nullptr;
    int FTextLen = 0;
    int FScan = 0;
    std::vector<int>* FStarts = nullptr;
    std::vector<int>* FEnds = nullptr;
    std::vector<TBacktrack> FStack;
};

#pragma GCC visibility pop
