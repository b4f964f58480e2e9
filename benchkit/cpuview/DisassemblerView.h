// The instruction list of the CPU window. It knows no processor: every
// instruction text, address step, source line and label comes from the host
// through the events below and is remembered in the view's cache.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/cpuview/DisassemblyCache.h"

#include <quorlpak/Controls.h>
#include <quorlpak/CustomControl.h>

#include <cstdint>
#include <functional>
#include <vector>

enum TAddressSize { as32, as64 };

class TDisassemblerView;

using TDisassembleEvent = std::function<void(TObject* Sender, int64_t& Address,
                                             UnicodeString& Result, int32_t& InstSize)>;
using TDisassembleAdditionalEvent =
    std::function<void(TObject* Sender, int64_t Address, int64_t PrevAddr, UnicodeString& Result,
                       int32_t& NumStrings)>;
using TFindSourceLineEvent =
    std::function<void(TObject* Sender, int64_t Address, int64_t& FirstStat, int32_t& LineSize,
                       TCPUSourcePos& SourcePos)>;
using TFindLineCodeEvent = std::function<void(TObject* Sender, const TCPUSourcePos& SourcePos,
                                              int64_t& Address, int32_t& LineSize, bool& Result)>;
using TGetFileNameEvent =
    std::function<void(TObject* Sender, const TCPUSourcePos& SourcePos, UnicodeString& Result)>;
using TGetSourceTextEvent = TGetFileNameEvent;
using TGetNextPrevEvent = std::function<void(TObject* Sender, int64_t Address, int64_t& NewAddr)>;
using TGetLabelEvent =
    std::function<void(TObject* Sender, int64_t Address, UnicodeString& RetLabel, bool& Result)>;
using TIsBreakpointEvent = std::function<void(TObject* Sender, int64_t Address, bool& Result)>;
using TPaintGutterEvent = std::function<void(TObject* Sender, int64_t Address, TCanvas* Canvas,
                                             const TRect& Rect, bool IsSourceOrLabel)>;
using TGutterClickedEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift)>;
using TAddressChangedEvent = std::function<void(TObject* Sender, int64_t Address)>;

class TDisassemblerView : public TCustomControl {
public:
    explicit TDisassemblerView(TComponent* AOwner);
    ~TDisassemblerView() override;

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    // --- Published properties ---
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TColor GetBreakpointColor() const { return FBreakpointColor; }
    void SetBreakpointColor(TColor Value) { FBreakpointColor = Value; }
    TColor GetBreakpointTextColor() const { return FBreakpointTextColor; }
    void SetBreakpointTextColor(TColor Value) { FBreakpointTextColor = Value; }
    int32_t GetLeftGutterWidth() const { return FLeftGutterWidth; }
    void SetLeftGutterWidth(int32_t Value);
    int64_t GetPrevious() const { return FPrevious; }
    void SetPrevious(int64_t Value) { FPrevious = Value; }
    bool GetMixedSource() const { return FMixedSource; }
    void SetMixedSource(bool Value);
    bool GetMultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value) { FMultiSelect = Value; }
    int64_t GetSelectedAddress() const { return FSelectedAddress; }
    void SetSelectedAddress(int64_t Value);
    UnicodeString GetSelectedText();
    bool GetShowAdditionalDisasm() const { return FShowAdditionalDisasm; }
    void SetShowAdditionalDisasm(bool Value);
    bool GetSmallDisplay() const { return FSmallDisplay; }
    int64_t GetTopAddress() const { return FTopAddress; }
    void SetTopAddress(int64_t Value);

    // --- Public properties ---
    TAddressSize GetAddressSize() const { return FAddressSize; }
    void SetAddressSize(TAddressSize Value);
    bool GetDisableCaching() const { return FCache->GetDisableCaching(); }
    void SetDisableCaching(bool Value);
    int64_t GetBottomAddress() const { return FBottomAddress; }
    int64_t GetEndSelectionAddress() const { return FEndSelectionAddress; }
    bool GetHasMultiSelection() const { return FHasMultiSelection; }
    int32_t GetLineCount() const { return FLineCount; }
    int32_t GetLineHeight() const { return FLineHeight; }
    int32_t GetLeftCol() const { return FLeftCol; }

    // --- Questions to the host, answered from the cache when it can ---
    void DisassembleAt(int64_t& Address, UnicodeString& Text);
    int32_t DisassembleAdditionalAt(int64_t Address, UnicodeString& Text);
    TCPUSourcePos FindSourceLine(int64_t Address, int64_t& FirstStat, int32_t& LineSize);
    bool FindLineCode(const TCPUSourcePos& SourcePos, int64_t& Address, int32_t& LineSize);
    UnicodeString GetFileName(const TCPUSourcePos& SourcePos);
    UnicodeString GetSourceText(const TCPUSourcePos& SourcePos);
    int64_t GetNextAddr(int64_t Address);
    int64_t GetPrevAddr(int64_t Address);
    bool GetLabel(int64_t Address, UnicodeString& Label);
    bool IsBreakpoint(int64_t Address);
    void PaintGutter(int64_t Address, const TRect& Rect, bool IsSourceOrLabel);
    void GutterClicked(TMouseButton Button, TShiftState Shift);
    void AddressChanged(int64_t Address);

    // --- Navigation and selection ---
    // The walk's callback gets each row group's address (and advances it)
    // and the source line that opens the group; it returns whether to go on.
    using TIterateCallback = std::function<bool(int64_t& Address, const TCPUSourcePos& SourcePos)>;
    bool IterateAddrs(int64_t Address, const TIterateCallback& Callback);
    int64_t GoForward(int32_t Count, int64_t Address);
    int64_t GoBack(int32_t Count, int64_t Address);
    int32_t GetIndex(int64_t Address, bool Last = false) const;
    bool AddressIsSelected(int64_t Address) const;
    void SetEndSelectionAddress(int64_t Value);
    void InternalSetSelectedAddress(int64_t Value);
    void SteppingSetSelectedAddress(int64_t Value);
    void InvalidateSelection(int64_t A, int64_t B);
    void InvalidateAtAddress(int64_t Address, bool IsEIP);
    void ClearCache() { FCache->Clear(); }
    void LineUp(bool Extend);
    void LineDown(bool Extend);
    void PageUp(bool Extend);
    void PageDown(bool Extend);
    virtual void RefreshList() {}
    virtual void ResizeList() {}

    // --- Rows ---
    // Produces the rows of one address: advances Address past the
    // instruction and LineNo by the rows made, returns their texts in Text
    // (CR LF between rows), and paints them when DoPaint. True when the
    // instruction row was produced.
    bool DrawLine(int64_t& Address, int32_t& LineNo, TCPUSourcePos SourcePos, bool DoPaint,
                  UnicodeString& Text);
    int32_t LineFromY(int Y) const { return FLineHeight ? Y / FLineHeight : 0; }
    // The address recorded for a painted row (rows past the last paint keep older ones).
    int64_t GetRowAddress(int32_t Row) const {
        return Row >= 0 && Row < static_cast<int32_t>(FAddressList.size()) ? FAddressList[Row] : 0;
    }

    void Dispatch(TMessage& Message) override;

    // --- Host events ---
    TDisassembleEvent OnDisassemble;
    TDisassembleAdditionalEvent OnDisassembleAdditional;
    TFindSourceLineEvent OnFindSourceLine;
    TFindLineCodeEvent OnFindLineCode;
    TGetFileNameEvent OnGetFileName;
    TGetSourceTextEvent OnGetSourceText;
    TGetNextPrevEvent OnGetNextAddr;
    TGetNextPrevEvent OnGetPrevAddr;
    TPaintGutterEvent OnPaintGutter;
    TIsBreakpointEvent OnIsBreakpoint;
    TGutterClickedEvent OnGutterClicked;
    TGetLabelEvent OnGetLabel;
    TAddressChangedEvent OnAddressChanged;
    TPaintGutterEvent OnPaintEndOfLine;

protected:
    void Paint() override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

private:
    void WMHScroll(TMessage& Message);
    void WMVScroll(TMessage& Message);
    void WMSize(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void CMFontChanged(TMessage& Message);
    void TakeFontMetrics();
    void UpdateLineCount();
    void SetHorzScrollBar();
    void ShowScrollBars(bool Show);
    void HorzScrollTo(int Position);
    // The new top for a target below or above the rows on screen.
    int64_t ScrollTopFor(int64_t Value);
    void RecordRow(int32_t& LineNo, int64_t Address);
    int64_t SelectedTextOf(int64_t Address, UnicodeString& Text);

    TBorderStyle FBorderStyle = bsSingle;
    int64_t FTopAddress = 0;
    int64_t FBottomAddress = 0;
    int64_t FSelectedAddress = 0;
    int32_t FLineHeight = 0;
    int32_t FLineCount = 0;
    int32_t FLeftGutterWidth = 30;
    int32_t FLeftCol = 0;
    TColor FBreakpointColor = 255;
    TColor FBreakpointTextColor = 0;
    bool FMixedSource = true;
    bool FMultiSelect = true;
    bool FHasMultiSelection = false;
    int64_t FEndSelectionAddress = 0;
    bool FShowAdditionalDisasm = true;
    int64_t FPrevious = 0;
    bool FSmallDisplay = false;
    std::vector<int64_t> FAddressList; // row index -> address, as last painted
    TAddressSize FAddressSize = as32;
    bool FMouseDown = false;
    TDisassemblyCache* FCache;
};

#pragma GCC visibility pop
