// The memory dump: rows of an offset column, data columns of one element
// type and an optional text column. It owns no memory: it keeps the bytes of
// the rows on screen and asks the host for the bytes that scrolling exposes.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/cpuview/DisassemblerView.h"
#include "benchkit/cpuview/FPURegisterView.h"

#include <quorlpak/Grids.h>

#include <cstdint>
#include <functional>
#include <vector>

// The host copies up to Count bytes at Offset into Buffer and says in
// BytesInBuffer how many it could read (from the start on).
using TGetDataEvent = std::function<void(TObject* Sender, int64_t Offset, int32_t Count,
                                         void* Buffer, int32_t& BytesInBuffer)>;

class TDumpView : public TCustomGrid {
public:
    explicit TDumpView(TComponent* AOwner);

    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    int64_t GetTopOffset() const { return FTopOffset; }
    void SetTopOffset(int64_t Value);
    TViewType GetViewType() const { return FViewType; }
    void SetViewType(TViewType Value);
    int32_t GetDataColumns() const { return FDataColumns; }
    void SetDataColumns(int32_t Value);
    bool GetDescending() const { return FDescending; }
    void SetDescending(bool Value);
    bool GetShowTextColumn() const { return FShowTextColumn; }
    void SetShowTextColumn(bool Value);
    int32_t GetLeftGutterWidth() const { return FLeftGutterWidth; }
    void SetLeftGutterWidth(int32_t Value);
    int64_t GetMinOffset() const { return FMinOffset; }
    void SetMinOffset(int64_t Value);
    int64_t GetMaxOffset() const { return FMaxOffset; }
    void SetMaxOffset(int64_t Value);
    int64_t GetPrevious() const { return FPrevious; }
    void SetPrevious(int64_t Value) { FPrevious = Value; }
    TAddressSize GetAddressSize() const { return FAddressSize; }
    void SetAddressSize(TAddressSize Value);
    int64_t GetSelectedOffset();
    void SetSelectedOffset(int64_t Value);
    UnicodeString GetSelectedData() { return GetDataString(GetCol(), GetRow()); }

    int32_t GetBytesPerElem() const;
    int32_t GetBytesPerRow() const { return FDataColumns * GetBytesPerElem(); }
    int32_t GetBytesVisible();
    int32_t GetDataSize() const { return static_cast<int32_t>(FDataBuffer.size()); }
    // The text of a data or text cell, or of the offset column.
    UnicodeString GetDataString(int ACol, int ARow);
    // Fetches every byte on screen again.
    void RefreshBuffer();

    void Dispatch(TMessage& Message) override;

    TGetDataEvent OnGetData;
    TPaintGutterEvent OnPaintGutter;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Loaded() override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void TimedScroll(TGridScrollDirection Direction) override;
    void UpdateScrollRange() override;
    void UpdateScrollPos() override {}
    void WMVScroll(TMessage& Message) override;
    void WMSetFocus(TMessage& Message) override;
    void WMKillFocus(TMessage& Message) override;
    void WMSize(TMessage& Message) override;

private:
    int32_t GetData(int64_t Offset, int32_t Count, int32_t Position);
    void SetDataSize(int32_t Size);
    // The offset of the first byte in the buffer.
    int64_t BufferStart(int64_t Top) const;
    int64_t OffsetOf(int32_t Position) const { return BufferStart(FTopOffset) + Position; }
    bool InRange(int64_t Offset) const;
    bool Readable(int32_t Position, int32_t Count) const;
    void MoveTop(int64_t Delta);
    void Restructure(bool ViewTypeChanged);
    void Layout();
    void TakeRowHeight();
    int32_t LastVisibleRow();
    int TextColumn() const { return FShowTextColumn ? FDataColumns + 1 : -1; }
    UnicodeString RowText(int ARow);

    int64_t FTopOffset = 0;
    TViewType FViewType = vtByte;
    int32_t FDataColumns = 8;
    bool FShowTextColumn = true;
    bool FDescending = false;
    std::vector<uint8_t> FDataBuffer;
    std::vector<bool> FReadable; // per byte: the host delivered it
    int32_t FLeftGutterWidth = 0;
    int64_t FMinOffset = 0;
    int64_t FMaxOffset = 0;
    int64_t FPrevious = 0;
    TAddressSize FAddressSize = as32;
};

#pragma GCC visibility pop
