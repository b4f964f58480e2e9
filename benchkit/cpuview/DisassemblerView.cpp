// TDisassemblerView: construction, the questions to the host and the cache
// in front of them, and the walks over addresses that navigation and
// selection are made of.
#include "benchkit/cpuview/DisassemblerView.h"

#include <runpak/Format.h>
#include <runpak/TypeInfo.h>

#include <algorithm>
#include <limits>

TClass TDisassemblerView::StaticClass() {
    using T = TDisassemblerView;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TDisassemblerView", TCustomControl::StaticClass())
            .Property(u"LeftGutterWidth", IntegerTypeInfo, &T::GetLeftGutterWidth,
                      &T::SetLeftGutterWidth)
            .Default(30)
            .Property(u"MixedSource", BooleanTypeInfo, &T::GetMixedSource, &T::SetMixedSource)
            .Default(true)
            .Property(u"MultiSelect", BooleanTypeInfo, &T::GetMultiSelect, &T::SetMultiSelect)
            .Default(true)
            .Property(u"ShowAdditionalDisasm", BooleanTypeInfo, &T::GetShowAdditionalDisasm,
                      &T::SetShowAdditionalDisasm)
            .Default(true));
    return &meta;
}

TDisassemblerView::TDisassemblerView(TComponent* AOwner)
    : TCustomControl(AOwner), FAddressList(128, 0), FCache(new TDisassemblyCache) {
    SetBounds(FLeft, FTop, 100, 100);
    FCtl3D = true;
    FTabStop = true;
    FControlStyle.Include(csOpaque);
    FControlStyle.Include(csPannable);
    FControlStyle.Exclude(csFramed);
    FColor = clBtnFace;
    FParentColor = false;
}

TDisassemblerView::~TDisassemblerView() {
    delete FCache;
}

// --- Properties ---------------------------------------------------------------------------

void TDisassemblerView::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TDisassemblerView::SetLeftGutterWidth(int32_t Value) {
    if (Value == FLeftGutterWidth) return;
    FLeftGutterWidth = Value;
    Invalidate();
}

void TDisassemblerView::SetMixedSource(bool Value) {
    if (Value == FMixedSource) return;
    FMixedSource = Value;
    Invalidate();
}

void TDisassemblerView::SetShowAdditionalDisasm(bool Value) {
    if (Value == FShowAdditionalDisasm) return;
    FShowAdditionalDisasm = Value;
    Invalidate();
}

void TDisassemblerView::SetAddressSize(TAddressSize Value) {
    if (Value == FAddressSize) return;
    FAddressSize = Value;
    Invalidate();
}

void TDisassemblerView::SetDisableCaching(bool Value) {
    FCache->SetDisableCaching(Value);
    if (Value) FCache->Clear();
}

// --- Questions to the host ------------------------------------------------------------------

void TDisassemblerView::DisassembleAt(int64_t& Address, UnicodeString& Text) {
    int64_t next = Address;
    if (FCache->FetchAsmCode(Address, Text, next)) {
        Address = next;
        return;
    }
    if (!OnDisassemble) {
        Text = FAddressSize == as32 ? Format(u"%.8x ????", static_cast<uint32_t>(Address))
                                    : Format(u"%.16x ????", static_cast<uint64_t>(Address));
        ++Address;
        return;
    }
    const int64_t asked = Address;
    int32_t instSize = 0;
    OnDisassemble(this, Address, Text, instSize);
    if (instSize > 0) FCache->DepositAsmCode(asked, Text, Address);
}

int32_t TDisassemblerView::DisassembleAdditionalAt(int64_t Address, UnicodeString& Text) {
    int32_t count = 0;
    if (FCache->FetchAddlAsmCode(Address, Text, count)) return count;
    Text.clear();
    if (!OnDisassembleAdditional) return 0;
    const int64_t prev = GetPrevAddr(Address);
    OnDisassembleAdditional(this, Address, prev, Text, count);
    FCache->DepositAddlAsmCode(Address, Text, count);
    return count;
}

TCPUSourcePos TDisassemblerView::FindSourceLine(int64_t Address, int64_t& FirstStat,
                                                int32_t& LineSize) {
    TCPUSourcePos pos{};
    if (FCache->FetchSourcePos(Address, pos, FirstStat, LineSize)) return pos;
    FirstStat = 0;
    LineSize = 0;
    if (OnFindSourceLine) OnFindSourceLine(this, Address, FirstStat, LineSize, pos);
    FCache->DepositSourcePos(Address, pos, FirstStat, LineSize);
    return pos;
}

bool TDisassemblerView::FindLineCode(const TCPUSourcePos& SourcePos, int64_t& Address,
                                     int32_t& LineSize) {
    // The cache keeps no answer of the host's; a remembered line has code.
    if (FCache->FetchAddress(SourcePos, Address, LineSize)) return true;
    Address = 0;
    LineSize = 0;
    bool result = false;
    if (OnFindLineCode) OnFindLineCode(this, SourcePos, Address, LineSize, result);
    FCache->DepositAddress(SourcePos, Address, LineSize);
    return result;
}

UnicodeString TDisassemblerView::GetFileName(const TCPUSourcePos& SourcePos) {
    UnicodeString name;
    if (FCache->FetchFileName(SourcePos, name)) return name;
    if (OnGetFileName) OnGetFileName(this, SourcePos, name);
    FCache->DepositFileName(SourcePos, name);
    return name;
}

UnicodeString TDisassemblerView::GetSourceText(const TCPUSourcePos& SourcePos) {
    UnicodeString text;
    if (OnGetSourceText) OnGetSourceText(this, SourcePos, text);
    return text;
}

int64_t TDisassemblerView::GetNextAddr(int64_t Address) {
    int64_t next = 0;
    if (FCache->FetchNextAddr(Address, next)) return next;
    if (!OnGetNextAddr) return Address + 1;
    next = Address + 1;
    OnGetNextAddr(this, Address, next);
    FCache->DepositNextAddr(Address, next);
    return next;
}

int64_t TDisassemblerView::GetPrevAddr(int64_t Address) {
    int64_t prev = 0;
    if (FCache->FetchPrevAddr(Address, prev)) return prev;
    if (!OnGetPrevAddr) return Address - 1;
    prev = Address - 1;
    OnGetPrevAddr(this, Address, prev);
    FCache->DepositPrevAddr(Address, prev);
    return prev;
}

bool TDisassemblerView::GetLabel(int64_t Address, UnicodeString& Label) {
    if (FCache->FetchLabelCode(Address, Label)) return !Label.empty();
    bool result = false;
    if (OnGetLabel) OnGetLabel(this, Address, Label, result);
    FCache->DepositLabelCode(Address, Label);
    return result;
}

bool TDisassemblerView::IsBreakpoint(int64_t Address) {
    bool result = false;
    if (OnIsBreakpoint) OnIsBreakpoint(this, Address, result);
    return result;
}

void TDisassemblerView::PaintGutter(int64_t Address, const TRect& Rect, bool IsSourceOrLabel) {
    TCanvas* canvas = GetCanvas();
    canvas->GetPen()->SetColor(GetColor());
    canvas->GetBrush()->SetColor(GetColor());
    canvas->GetFont()->SetColor(GetFont()->GetColor());
    if (OnPaintGutter)
        OnPaintGutter(this, Address, canvas, Rect, IsSourceOrLabel);
    else
        canvas->Rectangle(Rect);
}

void TDisassemblerView::GutterClicked(TMouseButton Button, TShiftState Shift) {
    if (OnGutterClicked) OnGutterClicked(this, Button, Shift);
}

void TDisassemblerView::AddressChanged(int64_t Address) {
    if (OnAddressChanged) OnAddressChanged(this, Address);
}

// --- Walks over addresses -----------------------------------------------------------------

bool TDisassemblerView::IterateAddrs(int64_t Address, const TIterateCallback& Callback) {
    int64_t firstStat = 0;
    int32_t lineSize = 0;
    int64_t scratch = 0;
    TCPUSourcePos sourcePos{};
    const TCPUSourcePos noSource{};
    bool goOn = true;
    do {
        if (!FMixedSource) {
            goOn = Callback(Address, noSource);
            continue;
        }
        if (firstStat < Address || Address == 0) {
            sourcePos = FindSourceLine(Address, firstStat, lineSize);
            if (sourcePos.FileIndex > 0 && Address > firstStat) {
                // The walk starts inside a line: its source row lies above.
                firstStat += lineSize;
                sourcePos = FindSourceLine(firstStat, scratch, lineSize);
            }
            if (sourcePos.FileIndex == 0) firstStat = 0;
        }
        if (Address == firstStat) {
            goOn = Callback(Address, sourcePos);
            if (sourcePos.FileIndex > 0) {
                firstStat += lineSize;
                sourcePos = FindSourceLine(firstStat, scratch, lineSize);
            }
        } else {
            goOn = Callback(Address, noSource);
        }
    } while (goOn);
    return true;
}

int64_t TDisassemblerView::GoForward(int32_t Count, int64_t Address) {
    int32_t rows = 0;
    int64_t result = Address;
    IterateAddrs(Address, [&](int64_t& A, const TCPUSourcePos& SourcePos) {
        result = A;
        if (rows >= Count) return false;
        ++rows;
        UnicodeString text;
        if (SourcePos.FileIndex > 0 || GetLabel(A, text)) ++rows;
        if (FShowAdditionalDisasm) rows += DisassembleAdditionalAt(A, text);
        A = GetNextAddr(A);
        return rows <= Count;
    });
    return result;
}

int64_t TDisassemblerView::GoBack(int32_t Count, int64_t Address) {
    // Above every address of the space, so the first step back looks for a line.
    int64_t lineStart =
        FAddressSize == as32 ? int64_t{0xFFFFFFFF} : std::numeric_limits<int64_t>::max();
    while (Count > 0) {
        Address = GetPrevAddr(Address);
        --Count;
        if (Address < lineStart) {
            int64_t firstStat = 0;
            int32_t lineSize = 0;
            const TCPUSourcePos pos = FindSourceLine(Address, firstStat, lineSize);
            if (pos.FileIndex > 0) {
                int64_t start = 0;
                FindLineCode(pos, start, lineSize);
                lineStart = start;
            }
        }
        if (Address == lineStart) --Count; // the source row above the line's first instruction
    }
    return Address;
}

int32_t TDisassemblerView::GetIndex(int64_t Address, bool Last) const {
    const int32_t count = static_cast<int32_t>(FAddressList.size());
    for (int32_t i = 0; i < count; ++i) {
        if (FAddressList[i] > Address) return -1;
        if (FAddressList[i] != Address) continue;
        if (!Last) return i;
        while (i + 1 < count && FAddressList[i + 1] == Address)
            ++i;
        return i;
    }
    return -1;
}

bool TDisassemblerView::AddressIsSelected(int64_t Address) const {
    if (Address == FSelectedAddress) return true;
    if (!FHasMultiSelection) return false;
    return Address >= std::min(FSelectedAddress, FEndSelectionAddress) &&
           Address <= std::max(FSelectedAddress, FEndSelectionAddress);
}

// --- Scrolling and selection ----------------------------------------------------------------

void TDisassemblerView::SetTopAddress(int64_t Value) {
    if (Value == FTopAddress) return;
    FTopAddress = Value;
    Invalidate();
}

int64_t TDisassemblerView::ScrollTopFor(int64_t Value) {
    if (Value == FBottomAddress) return GetNextAddr(FTopAddress);
    if (Value == GetNextAddr(FBottomAddress)) return GetNextAddr(GetNextAddr(FTopAddress));
    if (Value == FTopAddress) return GetPrevAddr(FTopAddress);
    return Value;
}

void TDisassemblerView::SetSelectedAddress(int64_t Value) {
    const int64_t oldAnchor = FSelectedAddress;
    const bool oldMulti = FHasMultiSelection;
    const int64_t oldEnd = FEndSelectionAddress;
    FSelectedAddress = Value;
    FHasMultiSelection = false;
    FEndSelectionAddress = 0;
    if (oldMulti) InvalidateSelection(oldEnd, oldAnchor);
    if (Value < FTopAddress || Value >= FBottomAddress) {
        SetTopAddress(ScrollTopFor(Value));
    } else if (GetIndex(Value) != -1) {
        InvalidateAtAddress(oldAnchor, false);
        InvalidateAtAddress(Value, false);
    } else {
        SetTopAddress(Value);
    }
    AddressChanged(FSelectedAddress);
}

void TDisassemblerView::SetEndSelectionAddress(int64_t Value) {
    if (FHasMultiSelection && Value == FEndSelectionAddress) return;
    int64_t oldEnd = Value;
    if (FHasMultiSelection) {
        if (Value < FTopAddress || Value >= FBottomAddress) SetTopAddress(ScrollTopFor(Value));
        oldEnd = FEndSelectionAddress;
    }
    FHasMultiSelection = true;
    FEndSelectionAddress = Value;
    InvalidateSelection(std::min({FSelectedAddress, oldEnd, Value}),
                        std::max({FSelectedAddress, oldEnd, Value}));
}

void TDisassemblerView::InvalidateSelection(int64_t A, int64_t B) {
    const int64_t from = std::max(std::min(A, B), FTopAddress);
    const int64_t to =
        std::min(std::max(A, B), FTopAddress + static_cast<int64_t>(FLineCount) * 128);
    for (int64_t address = from; address <= to; ++address)
        if (GetIndex(address) != -1) InvalidateAtAddress(address, false);
}

void TDisassemblerView::InvalidateAtAddress(int64_t Address, bool IsEIP) {
    if (Address < FTopAddress || Address > FBottomAddress) return;
    int32_t index = GetIndex(Address, IsEIP);
    if (index == -1 || !HandleAllocated()) {
        Invalidate();
        return;
    }
    TCPUSourcePos pos{};
    if (!IsEIP) {
        int64_t firstStat = 0;
        int32_t lineSize = 0;
        pos = FindSourceLine(Address, firstStat, lineSize);
        if (firstStat != Address) pos = {};
    }
    GetCanvas()->SetFont(GetFont());
    UnicodeString text;
    DrawLine(Address, index, pos, true, text);
}

void TDisassemblerView::InternalSetSelectedAddress(int64_t Value) {
    FSelectedAddress = Value;
    FHasMultiSelection = false;
    FEndSelectionAddress = 0;
}

void TDisassemblerView::SteppingSetSelectedAddress(int64_t Value) {
    if (Value >= FTopAddress && Value < FBottomAddress) {
        SetSelectedAddress(Value);
        return;
    }
    InternalSetSelectedAddress(Value);
    SetTopAddress(Value);
}

int64_t TDisassemblerView::SelectedTextOf(int64_t Address, UnicodeString& Text) {
    int64_t firstStat = 0;
    int32_t lineSize = 0;
    TCPUSourcePos pos = FindSourceLine(Address, firstStat, lineSize);
    if (firstStat != Address) pos = {};
    int32_t row = std::max(GetIndex(Address), 0);
    DrawLine(Address, row, pos, false, Text);
    return Address;
}

UnicodeString TDisassemblerView::GetSelectedText() {
    UnicodeString result;
    if (!FHasMultiSelection || !FMultiSelect) {
        SelectedTextOf(FSelectedAddress, result);
        return result;
    }
    const int64_t last = std::max(FSelectedAddress, FEndSelectionAddress);
    int64_t address = std::min(FSelectedAddress, FEndSelectionAddress);
    while (address <= last) {
        UnicodeString group;
        const int64_t next = SelectedTextOf(address, group);
        if (!result.empty()) result += u"\r\n";
        result += group;
        // A host that does not move past an instruction would hold the copy here for ever.
        if (next <= address) break;
        address = next;
    }
    return result;
}

// --- Keyboard steps ------------------------------------------------------------------------

void TDisassemblerView::LineDown(bool Extend) {
    if (!Extend) {
        SetSelectedAddress(GetNextAddr(FSelectedAddress));
        return;
    }
    SetEndSelectionAddress(
        GetNextAddr(FHasMultiSelection ? FEndSelectionAddress : FSelectedAddress));
}

void TDisassemblerView::LineUp(bool Extend) {
    const int64_t from = Extend && FHasMultiSelection ? FEndSelectionAddress : FSelectedAddress;
    // The address above is the one painted in the row above, when there is one.
    int64_t prev;
    const int32_t index = GetIndex(from);
    if (index <= 0) {
        prev = GetPrevAddr(from);
    } else if (FAddressList[index - 1] != from) {
        prev = FAddressList[index - 1];
    } else {
        prev = index - 1 == 0 ? GetPrevAddr(from) : FAddressList[index - 2];
    }
    if (Extend)
        SetEndSelectionAddress(prev);
    else
        SetSelectedAddress(prev);
}

void TDisassemblerView::PageDown(bool Extend) {
    FTopAddress = GoForward(FLineCount - 1, FTopAddress);
    if (Extend)
        SetEndSelectionAddress(GoForward(FLineCount - 1, FHasMultiSelection ? FEndSelectionAddress
                                                                            : FSelectedAddress));
    else
        SetSelectedAddress(GoForward(FLineCount - 1, FSelectedAddress));
    Invalidate();
}

void TDisassemblerView::PageUp(bool Extend) {
    FTopAddress = GoBack(FLineCount - 1, FTopAddress);
    if (Extend)
        SetEndSelectionAddress(
            GoBack(FLineCount - 1, FHasMultiSelection ? FEndSelectionAddress : FSelectedAddress));
    else
        SetSelectedAddress(GoBack(FLineCount - 1, FSelectedAddress));
    Invalidate();
}
