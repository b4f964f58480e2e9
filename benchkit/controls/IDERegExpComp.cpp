#include "benchkit/controls/IDERegExpComp.h"

PTypeInfo TypeInfo_TREOption() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TREOption", {u"reCaseInsensitive", u"reAutoMatch"});
    return &info;
}

PTypeInfo TypeInfo_TREOptions() {
    static const TTypeInfo info = MakeSetTypeInfo(u"TREOptions", TypeInfo_TREOption());
    return &info;
}

TClass TIDERegularExpression::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TIDERegularExpression>(u"TIDERegularExpression", TComponent::StaticClass())
            .Property(u"Options", TypeInfo_TREOptions, &TIDERegularExpression::GetOptions,
                      &TIDERegularExpression::SetOptions)
            .Default(0)
            .Property(u"Pattern", UnicodeStringTypeInfo, &TIDERegularExpression::GetPattern,
                      &TIDERegularExpression::SetPattern)
            .Property(u"Text", UnicodeStringTypeInfo, &TIDERegularExpression::GetText,
                      &TIDERegularExpression::SetText));
    return &meta;
}

TIDERegularExpression::TIDERegularExpression(TComponent* AOwner) : TComponent(AOwner) {}

TIDERegularExpression::TIDERegularExpression(TComponent* AOwner, const UnicodeString& APattern,
                                             TREOptions AOptions)
    : TComponent(AOwner) {
    SetOptions(AOptions);
    SetPattern(APattern);
}

TIDERegularExpression::~TIDERegularExpression() {
    UnCompile();
}

bool TIDERegularExpression::AutoMatching() const {
    return FOptions.Contains(reAutoMatch) && !GetComponentState().Contains(csLoading);
}

void TIDERegularExpression::Loaded() {
    TComponent::Loaded();
    if (FOptions.Contains(reAutoMatch)) Match(FText);
}

void TIDERegularExpression::ResetMatches() {
    FIsMatch = imUnknown;
    std::fill(FStarts.begin(), FStarts.end(), -1);
    std::fill(FEnds.begin(), FEnds.end(), -1);
}

void TIDERegularExpression::Compile() {
    if (FCompiledRE) return;
    FMatchCount = MaxREGroups + 1;
    FStarts.assign(FMatchCount, -1);
    FEnds.assign(FMatchCount, -1);
    FCompiledRE = std::make_unique<TCompiledRE>(FPattern, FOptions, FCharSets);
    FCompiledRE->SetMatchLimit(DefaultMatchLimit);
    FMatchCount = FCompiledRE->GetMatchCount();
    FStarts.assign(FMatchCount, -1);
    FEnds.assign(FMatchCount, -1);
}

void TIDERegularExpression::UnCompile() {
    FIsMatch = imUnknown;
    FCompiledRE.reset();
}

bool TIDERegularExpression::Match(const UnicodeString& AText) {
    FText = AText;
    if (FCompiledRE)
        ResetMatches();
    else
        Compile();
    const bool found = FCompiledRE->Match(FText, FStarts, FEnds);
    FIsMatch = found ? imYes : imNo;
    return found;
}

bool TIDERegularExpression::GetIsMatch() {
    Compile();
    if (FIsMatch == imUnknown) Match(FText);
    return FIsMatch == imYes;
}

int TIDERegularExpression::GetMatchCount() {
    Compile();
    return FMatchCount;
}

void TIDERegularExpression::CheckEntry(int AMatch) {
    if (!GetIsMatch() || AMatch < 0 || AMatch >= GetMatchCount()) REError(SErrorNotFound);
}

UnicodeString TIDERegularExpression::GetMatches(int AMatch) {
    CheckEntry(AMatch);
    if (FStarts[AMatch] < 0 || FEnds[AMatch] < 0) return {};
    return FText.substr(FStarts[AMatch], FEnds[AMatch] - FStarts[AMatch]);
}

int TIDERegularExpression::GetMatchPos(int AMatch) {
    CheckEntry(AMatch);
    return FEnds[AMatch] < 0 ? -1 : FStarts[AMatch];
}

int TIDERegularExpression::GetMatchLen(int AMatch) {
    CheckEntry(AMatch);
    if (FStarts[AMatch] < 0 || FEnds[AMatch] < 0) return 0;
    return FEnds[AMatch] - FStarts[AMatch];
}

void TIDERegularExpression::SetMatches(int AMatch, const UnicodeString& AText) {
    CheckEntry(AMatch);
    const int start = FStarts[AMatch];
    const int end = FEnds[AMatch];
    if (start < 0 || end < 0) REError(SErrorNotFound);
    FText.replace(start, end - start, AText);
    if (FOptions.Contains(reAutoMatch)) {
        Match(FText);
        return;
    }
    const int delta = static_cast<int>(AText.size()) - (end - start);
    for (int i = 0; i < FMatchCount; ++i) {
        if (FStarts[i] > start) FStarts[i] += delta;
        if (FEnds[i] > start) FEnds[i] += delta;
    }
}

void TIDERegularExpression::SetOptions(TREOptions Value) {
    if (Value == FOptions) return;
    UnCompile();
    FOptions = Value;
    if (AutoMatching()) Match(FText);
}

void TIDERegularExpression::SetPattern(const UnicodeString& Value) {
    UnCompile();
    FPattern = Value;
    if (AutoMatching()) Match(FText);
}

void TIDERegularExpression::SetText(const UnicodeString& Value) {
    FText = Value;
    if (AutoMatching())
        Match(FText);
    else
        ResetMatches();
}

void TIDERegularExpression::SetCharSet(int Index, const TCharSet& Value) {
    if (Value == FCharSets[Index]) return;
    UnCompile();
    FCharSets[Index] = Value;
    FCharCounts[Index] = 0;
    for (int c = 1; c <= 255; ++c)
        if (Value.Contains(static_cast<unsigned char>(c))) ++FCharCounts[Index];
    if (AutoMatching()) Match(FText);
}
