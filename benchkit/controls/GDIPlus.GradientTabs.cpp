#include "GDIPlus.GradientTabs.h"

#include <runpak/TypeInfo.h>
#include <quorlpak/Form.h>
#include <quorlpak/GraphUtil.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Exceptions.h>

#include <algorithm>
#include <cmath>

namespace {

const char16_t* const SScrollLeftHint = u"Scroll to the left";
const char16_t* const SScrollRightHint = u"Scroll to the right";
const char16_t* const SInvalidTabIndex = u"Tab index out of bounds";

constexpr int kScrollStep = 100;
constexpr int kShortScrollStep = 50;

} // namespace

// --- TTabList -----------------------------------------------------------------------------

void TTabList::InsertItem(int Index, const UnicodeString& S, TObject* Object) {
    TStringList::InsertItem(Index, S, Object);
    FTabSet->TabInserted(Index);
}

void TTabList::Delete(int Index) {
    TStringList::Delete(Index);
    FTabSet->TabDeleted(Index);
}

void TTabList::Clear() {
    TStringList::Clear();
    FTabSet->TabsCleared();
}

void TTabList::Assign(TPersistent* Source) {
    BeginUpdate();
    TStringList::Assign(Source);
    EndUpdate();
    FTabSet->TabsAssigned();
}

void TTabList::Put(int Index, const UnicodeString& S) {
    TStringList::Put(Index, S);
    FTabSet->TabsChanged();
}

void TTabList::SetUpdateState(bool Updating) {
    TStringList::SetUpdateState(Updating);
    FTabSet->UpdateStateChanged(Updating);
}

// --- TGradientButton -------------------------------------------------------------------------

TClass TGradientButton::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TGradientButton>(u"TGradientButton", TSpeedButton::StaticClass()));
    return &meta;
}

TGradientButton::TGradientButton(TComponent* AOwner) : TSpeedButton(AOwner) {
    SetFlat(true);
    SetBounds(GetLeft(), GetTop(), 16, 16);
    FBackgroundColor = clBtnFace;
}

void TGradientButton::SetBackgroundColor(TColor Value) {
    if (Value == FBackgroundColor) return;
    FBackgroundColor = Value;
    Invalidate();
}

void TGradientButton::SetOutline(bool Value) {
    if (Value == FOutline) return;
    FOutline = Value;
    Invalidate();
}

TColor TGradientButton::FillColor() const {
    if (GetEnabled())
        return FHotSingleColor != clNone ? FHotSingleColor
                                         : GetHighLightColor(FBackgroundColor, 19);
    return FDisabledSingleColor != clNone ? FDisabledSingleColor
                                          : GetShadowColor(FBackgroundColor, -10);
}

TColor TGradientButton::PenColor() const {
    if (GetEnabled())
        return FHotSingleColor != clNone ? FHotSingleColor : GetShadowColor(clBtnFace, -120);
    return FDisabledSingleColor != clNone ? FDisabledSingleColor : GetShadowColor(clBtnFace, -60);
}

void TGradientButton::PaintOutline() {
    TCanvas* c = GetCanvas();
    const int w = GetWidth(), h = GetHeight();
    c->GetBrush()->SetColor(FBackgroundColor);
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(TRect(0, 0, w, h));
    if (!FOutline) return;
    bool hot = GetEnabled() && FMouseInControl;
    TColor frame = GetShadowColor(FBackgroundColor, hot ? -45 : -30);
    c->GetPen()->SetColor(frame);
    auto line = [&](int x1, int y1, int x2, int y2) {
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    c->SetPixel(1, 1, frame);
    line(2, 0, w - 2, 0);
    c->SetPixel(w - 2, 1, frame);
    line(w - 1, 2, w - 1, h - 2);
    c->SetPixel(w - 2, h - 2, frame);
    line(2, h - 1, w - 2, h - 1);
    c->SetPixel(1, h - 2, frame);
    line(0, 2, 0, h - 2);
    TColor shade = GetShadowColor(FBackgroundColor, -12);
    c->GetPen()->SetColor(shade);
    c->Polyline({{w - 4, 1},
                 {w - 3, 1},
                 {w - 3, 2},
                 {w - 2, 2},
                 {w - 2, h - 3},
                 {w - 3, h - 3},
                 {w - 3, h - 2},
                 {1, h - 2}});
    c->SetPixel(1, h - 3, shade);
    if (hot) {
        c->GetBrush()->SetColor(GetHighLightColor(FBackgroundColor, 12));
        ExtFloodFill(c->GetHandle(), 7, 7, ColorToRGB(c->GetPixel(7, 7)), FLOODFILLSURFACE);
    }
}

// --- TScrollerButton -------------------------------------------------------------------------

TScrollerButton::TScrollerButton(TComponent* AOwner, TScrollerButtonStyle AStyle)
    : TGradientButton(AOwner), FScrollerButtonStyle(AStyle) {}

TScrollerButton::~TScrollerButton() = default;

void TScrollerButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGradientButton::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !GetEnabled()) return;
    if (!FDownTimer) {
        FDownTimer = std::make_unique<TTimer>(nullptr);
        FDownTimer->SetInterval(200);
        FDownTimer->OnTimer = [this](TObject*) { Click(); };
    }
    FDownTimer->SetEnabled(true);
}

void TScrollerButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FDownTimer) FDownTimer->SetEnabled(false);
    TGradientButton::MouseUp(Button, Shift, X, Y);
}

void TScrollerButton::Paint() {
    PaintOutline();
    TCanvas* c = GetCanvas();
    c->GetPen()->SetColor(PenColor());
    c->GetBrush()->SetColor(FillColor());
    // The right arrow mirrors the left one around its own anchor.
    const bool left = FScrollerButtonStyle == sbsLeft;
    const int a = left ? (Pressed() ? 4 : 3) : (Pressed() ? 11 : 10);
    const int b = left ? a + 4 : a - 3;
    const int s = left ? 1 : -1;
    c->Polyline({{a + s * 5, b + 4}, {a + s * 4, b + 4}, {a, b}, {a + s * 4, b - 4},
                 {a + s * 6, b - 4}});
    c->Polyline({{a + s * 6, b - 3}, {a + s * 6, b - 2}, {a + s * 4, b}, {a + s * 6, b + 2},
                 {a + s * 6, b + 4}});
    HDC dc = c->GetHandle();
    ExtFloodFill(dc, a + s * 3, b, ::GetPixel(dc, a + s * 3, b), FLOODFILLSURFACE);
}

// --- TTabScroller ----------------------------------------------------------------------------

TClass TTabScroller::StaticClass() {
    using T = TTabScroller;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TTabScroller", TCustomControl::StaticClass())
            .Property(u"Outline", BooleanTypeInfo, &T::GetOutline, &T::SetOutline)
            .Default(true));
    return &meta;
}

TTabScroller::TTabScroller(TComponent* AOwner, int ATabHeight)
    : TCustomControl(AOwner), FTabHeight(ATabHeight) {
    SetVisible(false);
    SetBounds(0, 0, 300, FTabHeight + 5);
    SetColor(clBtnFace);
    FLeftButton = new TScrollerButton(this, sbsLeft);
    FLeftButton->SetName(u"LeftButton");
    FLeftButton->SetParent(this);
    FLeftButton->SetBounds(3, GetHeight() - FLeftButton->GetHeight() - 5, 16, 16);
    FLeftButton->SetAnchors(TAnchors{akLeft, akBottom});
    FLeftButton->SetHint(SScrollLeftHint);
    FRightButton = new TScrollerButton(this, sbsRight);
    FRightButton->SetName(u"RightButton");
    FRightButton->SetParent(this);
    FRightButton->SetBounds(FLeftButton->GetLeft() + FLeftButton->GetWidth(),
                            FLeftButton->GetTop(), 16, 16);
    FRightButton->SetAnchors(TAnchors{akLeft, akBottom});
    FRightButton->SetHint(SScrollRightHint);
    SetWidth(GetSuggestedWidth(true));
}

void TTabScroller::SetOutline(bool Value) {
    if (Value == FOutline) return;
    FOutline = Value;
    Invalidate();
}

int TTabScroller::GetSuggestedWidth(bool ShowScrollers) {
    return ShowScrollers ? FLeftButton->GetWidth() + FRightButton->GetWidth() + 6 : 0;
}

void TTabScroller::SetShowScrollers(bool Value) {
    if (Value == FShowScrollers) return;
    FShowScrollers = Value;
    if (!Value && HideWhenNoScrollbarsShown()) {
        SetVisible(false);
        return;
    }
    if (GetParent()) SetLeft(GetParent()->GetWidth() - GetWidth());
    SetVisible(true);
}

void TTabScroller::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_TEXTCHANGED) {
        UnicodeString text = GetText();
        TSize size = GetCanvas()->TextExtent(text);
        SetWidth(size.cx + 6);
        FTabHeight = size.cy + 4;
        SetHeight(size.cy + 9);
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TTabScroller::Paint() {
    TCanvas* c = GetCanvas();
    const int w = GetWidth(), h = GetHeight();
    c->GetBrush()->SetColor(GetColor());
    c->GetBrush()->SetStyle(bsSolid);
    c->FillRect(TRect(0, 0, w, h));
    TColor outline = GetShadowColor(clBtnFace, -75);
    auto line = [&](int x1, int y1, int x2, int y2) {
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    c->GetPen()->SetColor(outline);
    if (FOutline) {
        int y0 = h - FTabHeight;
        c->SetPixel(1, y0, outline);
        line(2, y0 - 1, w - 2, y0 - 1);
        c->SetPixel(w - 2, y0, outline);
        line(w - 1, y0 + 1, w - 1, h - 3);
        line(0, h - 3, w, h - 3);
        line(0, y0 + 1, 0, h - 3);
        c->GetPen()->SetColor(GetColor());
        line(0, 0, w, 0);
        line(0, h - 1, w, h - 1);
        line(0, h - 2, w, h - 2);
    } else {
        line(0, h - 1, w, h - 1);
    }
}

// --- TGradientTabSet -------------------------------------------------------------------------

TClass TGradientTabSet::StaticClass() {
    using T = TGradientTabSet;
    static const TMetaClass meta(
        TClassBuilder<T>(u"TGradientTabSet", TCustomControl::StaticClass())
            .Property(u"TabIndex", IntegerTypeInfo, &T::GetTabIndex, &T::SetTabIndex)
            .Default(-1));
    return &meta;
}

TGradientTabSet::TGradientTabSet(TComponent* AOwner) : TCustomControl(AOwner) {
    Init([](TGradientTabSet* Set, int TabHeight) { return Set->CreateTabScroller(TabHeight); });
}

TGradientTabSet::TGradientTabSet(TComponent* AOwner, const TScrollerFactory& CreateScroller)
    : TCustomControl(AOwner) {
    Init(CreateScroller);
}

// The scroller is made through a factory because a base constructor cannot
// reach a descendant's override of CreateTabScroller.
void TGradientTabSet::Init(const TScrollerFactory& CreateScroller) {
    TControlStyle style;
    style.Include(csCaptureMouse);
    style.Include(csOpaque);
    style.Include(csDoubleClicks);
    FControlStyle = style;
    SetColor(clBtnFace);
    SetWidth(185);
    FTabList = new TTabList(this);
    FImageChangeLink = std::make_unique<TChangeLink>();
    FImageChangeLink->OnChange = [this](TObject*) { Invalidate(); };
    SetParentFont(false);
    GetFont()->SetName(u"Tahoma");
    GetFont()->SetHeight(-11);
    GetFont()->SetStyle(TFontStyles());
    FMemBitmap = std::make_unique<TBitmap>();
    FMemBitmap->GetCanvas()->SetFont(GetFont());
    FDrawer = std::make_unique<TGradientTabDrawer>(FMemBitmap->GetCanvas());
    FTabHeight = static_cast<int>(std::ceil(FMemBitmap->GetCanvas()->TextHeight(u"lWg") * 1.2));
    FScroller = CreateScroller(this, FTabHeight);
    FScroller->SetParent(this);
    FScroller->GetLeftButton()->OnClick = [this](TObject* S) { LeftButtonClick(S); };
    FScroller->GetRightButton()->OnClick = [this](TObject* S) { RightButtonClick(S); };
    SetHeight(FTabHeight + 5);
    FScroller->SetBounds(GetWidth() - FScroller->GetWidth(), 0, FScroller->GetWidth(),
                         GetHeight());
}

TGradientTabSet::~TGradientTabSet() {
    SetImages(nullptr);
    delete FTabList;
    FTabList = nullptr;
}

TTabScroller* TGradientTabSet::CreateTabScroller(int TabHeight) {
    return new TTabScroller(this, TabHeight);
}

void TGradientTabSet::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TGradientTabSet::SetTabColors(TTabColors* Value) {
    FDrawer->SetTabColors(Value);
    Invalidate();
}

void TGradientTabSet::SetImages(TCustomImageList* Value) {
    if (Value == FImages) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink.get());
        FImages->RemoveFreeNotification(this);
    }
    FImages = Value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink.get());
        FImages->FreeNotification(this);
    }
    FDrawer->SetImageList(FImages);
    TabsChanged();
}

void TGradientTabSet::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TGradientTabSet::TabsChanged() {
    FTabPositionsValid = false;
    Invalidate();
}

void TGradientTabSet::TabInserted(int Index) {
    if (Index <= FTabIndex) ++FTabIndex;
    TabsChanged();
}

void TGradientTabSet::TabDeleted(int Index) {
    const int count = FTabList->GetCount();
    if (Index < FTabIndex) {
        // The selected tab moved up by one; it stays selected.
        --FTabIndex;
    } else if (Index == FTabIndex) {
        if (FTabIndex >= count) FTabIndex = count - 1;
        TabsChanged();
        Click();
        if (OnChange) OnChange(this);
        return;
    }
    TabsChanged();
}

void TGradientTabSet::TabsCleared() {
    FTabIndex = -1;
    TabsChanged();
}

void TGradientTabSet::TabsAssigned() {
    FTabIndex = -1;
    if (FTabList->GetCount() > 0) SetTabIndex(0);
    TabsChanged();
}

void TGradientTabSet::UpdateStateChanged(bool Updating) {
    if (!HandleAllocated()) return;
    SendMessageW(GetHandle(), WM_SETREDRAW, Updating ? 0 : 1, 0);
    if (!Updating) Invalidate();
}

int TGradientTabSet::VisibleWidth() {
    return FScroller->GetVisible() ? FScroller->GetLeft() : GetWidth();
}

int TGradientTabSet::ScrollStep() {
    return VisibleWidth() < kScrollStep ? kShortScrollStep : kScrollStep;
}

void TGradientTabSet::UpdateTabPositions() {
    if (FTabPositionsValid && int(FTabPositions.size()) == FTabList->GetCount()) return;
    FTabPositions.clear();
    TCanvas* canvas = FMemBitmap->GetCanvas();
    int pos = 0;
    for (int i = 0; i < FTabList->GetCount(); ++i) {
        auto info = std::make_unique<TTabInfo>();
        int image = -1;
        if (OnGetImageIndex) OnGetImageIndex(this, i, image);
        int textWidth = canvas->TextWidth(FTabList->Get(i));
        info->ImageIndex = image;
        info->Size = textWidth + 8;
        info->OverlayIndex = -1;
        if (image != -1 && FImages) {
            int overlay = -1;
            if (OnGetOverlayImageIndex) OnGetOverlayImageIndex(this, i, overlay);
            info->OverlayIndex = overlay;
            info->Size = textWidth + FImages->GetWidth() + 12;
        }
        info->StartPos = pos;
        pos += info->Size;
        FTabPositions.push_back(std::move(info));
    }
    FTabPositionsValid = true;
}

void TGradientTabSet::DrawToBitmap() {
    if (!HandleAllocated()) return;
    FTabPositionsValid = false;
    UpdateTabPositions();
    FMemBitmap->SetHeight(GetHeight());
    if (FTabPositions.empty()) {
        FMemBitmap->SetWidth(GetWidth());
        return;
    }
    const TTabInfo& last = *FTabPositions.back();
    const int stripWidth = last.StartPos + last.Size + 1;
    if (stripWidth > GetWidth() - FScroller->GetSuggestedWidth(false)) {
        FScroller->SetShowScrollers(true);
        int ve = FLeftOffset + VisibleWidth();
        if (ve > stripWidth) {
            FLeftOffset = std::max(0, FLeftOffset + stripWidth - ve);
            ve = FLeftOffset + VisibleWidth();
        }
        FMemBitmap->SetWidth(stripWidth);
        FScroller->GetLeftButton()->SetEnabled(FLeftOffset > 0);
        FScroller->GetRightButton()->SetEnabled(ve < stripWidth);
        if (!FScroller->GetLeftButton()->GetEnabled() &&
            !FScroller->GetRightButton()->GetEnabled())
            FScroller->SetShowScrollers(false);
    } else {
        FMemBitmap->SetWidth(GetWidth());
        FScroller->SetShowScrollers(false);
        FLeftOffset = 0;
    }
    FDrawer->SetDrawingOffsets(0, FMemBitmap->GetHeight(), FMemBitmap->GetWidth());
    TCanvas* canvas = FMemBitmap->GetCanvas();
    canvas->GetBrush()->SetColor(GetColor());
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(TRect(0, 0, FMemBitmap->GetWidth(), FMemBitmap->GetHeight()));
    for (int i = 0; i < int(FTabPositions.size()); ++i) {
        if (i == FTabIndex) continue;
        const TTabInfo& t = *FTabPositions[i];
        FDrawer->DrawInactiveTab(t.StartPos, t.Size, FTabList->Get(i), t.ImageIndex,
                                 t.OverlayIndex);
    }
    if (FTabIndex >= 0 && FTabIndex < int(FTabPositions.size())) {
        const TTabInfo& t = *FTabPositions[FTabIndex];
        FDrawer->DrawActiveTab(t.StartPos, t.Size, FTabList->Get(FTabIndex), t.ImageIndex,
                               t.OverlayIndex);
    }
}

void TGradientTabSet::Paint() {
    DrawToBitmap();
    TCanvas* c = GetCanvas();
    const int v = VisibleWidth();
    c->GetBrush()->SetColor(clBtnFace);
    c->GetBrush()->SetStyle(bsSolid);
    if (FTabPositions.empty()) {
        c->FillRect(GetClientRect());
    } else {
        HDC dst = c->GetHandle();
        HDC src = FMemBitmap->GetCanvas()->GetHandle();
        const int d = FMemBitmap->GetWidth() - FLeftOffset;
        if (d < v) {
            BitBlt(dst, 0, 0, d, GetHeight(), src, FLeftOffset, 0, SRCCOPY);
            c->FillRect(TRect(d, 0, v, GetHeight()));
        } else {
            BitBlt(dst, 0, 0, v, GetHeight(), src, FLeftOffset, 0, SRCCOPY);
        }
    }
    if (FScroller->GetVisible()) FScroller->Invalidate();
}

void TGradientTabSet::Resize() {
    TCustomControl::Resize();
    if (!FScroller) return; // sized while being made
    FScroller->SetBounds(GetWidth() - FScroller->GetWidth(), FScroller->GetTop(),
                         FScroller->GetWidth(), GetHeight());
    Invalidate();
}

void TGradientTabSet::LeftButtonClick(TObject*) {
    FLeftOffset = std::max(0, FLeftOffset - ScrollStep());
    Invalidate();
}

void TGradientTabSet::RightButtonClick(TObject*) {
    UpdateTabPositions();
    if (FTabPositions.empty()) return;
    FLeftOffset += ScrollStep();
    const TTabInfo& last = *FTabPositions.back();
    if (last.StartPos + last.Size < FLeftOffset) FLeftOffset = last.StartPos;
    Invalidate();
}

void TGradientTabSet::ScrollIntoView(int Index) {
    UpdateTabPositions();
    if (Index < 0 || Index >= int(FTabPositions.size())) return;
    const TTabInfo& t = *FTabPositions[Index];
    if (t.StartPos < FLeftOffset) {
        FLeftOffset = t.StartPos;
        if (FLeftOffset >= 1) FLeftOffset = std::max(0, t.StartPos - 10);
        return;
    }
    for (;;) {
        int v = FLeftOffset + VisibleWidth();
        if (v < t.StartPos) {
            FLeftOffset = t.StartPos;
            return;
        }
        if (v >= t.StartPos + t.Size) return;
        if (t.StartPos < v) FLeftOffset += t.StartPos + t.Size - v + 18;
        else FLeftOffset += ScrollStep();
    }
}

void TGradientTabSet::SetTabIndex(int Value) {
    if (Value == FTabIndex) {
        if (Value != -1) {
            ScrollIntoView(Value);
            Invalidate();
        }
        return;
    }
    if (Value < -1 || Value >= FTabList->GetCount()) throw Exception(SInvalidTabIndex);
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (!allow) return;
    if (GetVisible()) {
        TCustomForm* form = GetParentForm(this);
        if (form) form->Perform(CM_CANCELMODE, 0, 0);
        else Perform(CM_CANCELMODE, 0, 0);
    }
    if (Value != -1) ScrollIntoView(Value);
    FTabIndex = Value;
    Click();
    if (OnChange) OnChange(this);
    Invalidate();
}

void TGradientTabSet::SelectNext(bool GoForward) {
    const int count = FTabList->GetCount();
    if (count < 2) return;
    int i = FTabIndex + (GoForward ? 1 : -1);
    if (i >= count) i = 0;
    else if (i < 0) i = count - 1;
    SetTabIndex(i);
}

int TGradientTabSet::ItemAtPos(int X, int Y) {
    if (X < 0 || Y < 0 || X >= GetClientWidth() || Y >= GetClientHeight()) return -1;
    if (FScroller->GetVisible() && X > FScroller->GetLeft()) return -1;
    UpdateTabPositions();
    if (FTabPositions.empty()) return -1;
    if (Y < FDrawer->GetTabTop() || Y > FDrawer->GetTabBottom()) return -1;
    const int x = X + FLeftOffset;
    for (int i = 0; i < int(FTabPositions.size()); ++i) {
        const TTabInfo& t = *FTabPositions[i];
        if (t.StartPos <= x && x <= t.StartPos + t.Size) return i;
    }
    return -1;
}

TRect TGradientTabSet::ItemRect(int Index) {
    UpdateTabPositions();
    if (Index < 0 || Index >= int(FTabPositions.size())) return TRect();
    const TTabInfo& t = *FTabPositions[Index];
    return TRect(t.StartPos - FLeftOffset, GetHeight() - FTabHeight,
                 t.StartPos + t.Size - FLeftOffset, GetHeight());
}

int TGradientTabSet::FirstShownIndex() {
    UpdateTabPositions();
    for (int i = 0; i < int(FTabPositions.size()); ++i)
        if (FTabPositions[i]->StartPos >= FLeftOffset) return i;
    return -1;
}

int TGradientTabSet::LastShownIndex() {
    UpdateTabPositions();
    if (FTabPositions.empty()) return -1;
    const int edge = FLeftOffset + VisibleWidth();
    for (int i = 0; i < int(FTabPositions.size()); ++i)
        if (FTabPositions[i]->StartPos + FTabPositions[i]->Size > edge) return std::max(0, i - 1);
    return int(FTabPositions.size()) - 1;
}

void TGradientTabSet::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    int i = ItemAtPos(X, Y);
    if (i != -1) SetTabIndex(i);
}

bool TGradientTabSet::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
    RightButtonClick(this);
    return true;
}

bool TGradientTabSet::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
    if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
    LeftButtonClick(this);
    return true;
}

void TGradientTabSet::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTALLKEYS;
        return;
    case CM_DIALOGCHAR: {
        auto key = static_cast<char16_t>(Message.WParam);
        for (int i = 0; i < FTabList->GetCount(); ++i) {
            if (!IsAccel(key, FTabList->Get(i))) continue;
            if (i != FTabIndex) SetTabIndex(i);
            Message.Result = 1;
            return;
        }
        break;
    }
    case CM_HINTSHOW: {
        auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
        Message.Result = 1;
        if (!info || info->HintControl != this) return;
        int i = ItemAtPos(info->CursorPos.x, info->CursorPos.y);
        if (i == -1 || !OnGetHint) return;
        UnicodeString hint;
        OnGetHint(this, i, hint);
        if (hint.empty()) return;
        info->HintStr = hint;
        info->CursorRect = ItemRect(i);
        Message.Result = 0;
        return;
    }
    case CM_WININICHANGE:
        if (FUseSystemColors) FDrawer->ResetColors();
        break;
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(Message);
        GetCanvas()->SetFont(GetFont());
        FMemBitmap->GetCanvas()->SetFont(GetFont());
        TabsChanged();
        return;
    case WM_ERASEBKGND:
        Message.Result = 0;
        return;
    }
    TCustomControl::Dispatch(Message);
}
