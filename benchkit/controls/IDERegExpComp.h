// The IDERegExpComp unit: TIDERegularExpression, a non-visual component
// that matches one pattern against one text and exposes the whole match and
// the groups as positions, lengths and strings.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/controls/IDERegExpConst.h"
#include "benchkit/controls/IDERegExpProgram.h"

#include <runpak/Component.h>
#include <runpak/TypeInfo.h>

#include <memory>
#include <vector>

PTypeInfo TypeInfo_TREOption();
PTypeInfo TypeInfo_TREOptions();

class TIDERegularExpression : public TComponent {
public:
    explicit TIDERegularExpression(TComponent* AOwner);
    // CreateRE: sets Options, then Pattern (which matches at once under reAutoMatch).
    TIDERegularExpression(TComponent* AOwner, const UnicodeString& APattern, TREOptions AOptions);
    ~TIDERegularExpression() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // Backtracking steps one search may take before it gives up with
    // EREError (SMatchLimit): far more than any ordinary search needs, and a
    // bound on the patterns whose backtracking grows exponentially.
    static constexpr uint64_t DefaultMatchLimit = 10000000;

    // Builds the program unless there is one; raises EREError on a syntax
    // error and then keeps no program.
    void Compile();
    void UnCompile();
    bool GetCompiled() const { return FCompiledRE != nullptr; }

    // Stores AText as Text, searches it, and answers whether it matched.
    bool Match(const UnicodeString& AText);
    // Matches Text unless that was done since the last change.
    bool GetIsMatch();
    // 1 + the number of groups in the pattern.
    int GetMatchCount();

    // Entry 0 is the whole match, entry n group n. Reading or writing an
    // entry raises EREError SErrorNotFound unless Text matched and the index
    // is below MatchCount. An entry that took no part reads as an empty
    // string at position -1.
    UnicodeString GetMatches(int AMatch);
    int GetMatchPos(int AMatch);
    int GetMatchLen(int AMatch);
    // Replaces the entry's text in Text (the entry must have taken part).
    // Under reAutoMatch Text is matched again; otherwise the entries after
    // the replaced one's start move by the change in length.
    void SetMatches(int AMatch, const UnicodeString& AText);

    TREOptions GetOptions() const { return FOptions; }
    void SetOptions(TREOptions Value);
    const UnicodeString& GetPattern() const { return FPattern; }
    void SetPattern(const UnicodeString& Value);
    const UnicodeString& GetText() const { return FText; }
    void SetText(const UnicodeString& Value);
    // Index 0: BlankChars ("\_"), index 1: WordChars ("\w").
    const TCharSet& GetCharSet(int Index) const { return FCharSets[Index]; }
    void SetCharSet(int Index, const TCharSet& Value);
    const TCharSet& GetBlankChars() const { return FCharSets[0]; }
    void SetBlankChars(const TCharSet& Value) { SetCharSet(0, Value); }
    const TCharSet& GetWordChars() const { return FCharSets[1]; }
    void SetWordChars(const TCharSet& Value) { SetCharSet(1, Value); }

    TIsMatch GetMatchState() const { return FIsMatch; }

    void REError(const UnicodeString& Msg) { ::REError(Msg); }

    // Matching waits for the end of loading, when all properties are in.
    void Loaded() override;

private:
    bool AutoMatching() const;
    void ResetMatches();
    void CheckEntry(int AMatch);

    UnicodeString FPattern;
    UnicodeString FText;
    TREOptions FOptions;
    int FCharCounts[2] = {0, 0};
    TCharSet FCharSets[2];
    TIsMatch FIsMatch = imUnknown;
    int FMatchCount = 0;
    std::vector<int> FStarts; // -1: the entry took no part
    std::vector<int> FEnds;
    std::unique_ptr<TCompiledRE> FCompiledRE;
};

#pragma GCC visibility pop
