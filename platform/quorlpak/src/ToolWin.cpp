// Tool bars with their buttons, cool bars with their bands, and control bars.
#include <quorlpak/ToolWin.h>

#include <quorlpak/ActnList.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/Colors.h>
#include <quorlpak/ImgList.h>
#include <quorlpak/Menus.h>
#include <quorlpak/Messages.h>
#include <runpak/TypeInfo.h>
#include <win32/windows.h>

#include <algorithm>
#include <climits>

namespace {

constexpr int kSeparatorWidth = 8;
constexpr int kTextPadding = 8;

void DrawEdgeRect(TCanvas* Canvas, const TRect& R, bool Sunken) {
    RECT r = R;
    DrawEdge(Canvas->GetHandle(), &r, Sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
}

} // namespace

// --- TToolButton ------------------------------------------------------------------------------------

TClass TToolButton::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TToolButton>(u"TToolButton", TGraphicControl::StaticClass()));
    return &meta;
}

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle.Include(csCaptureMouse);
    FControlStyle.Include(csClickEvents);
    FControlStyle.Exclude(csSetCaption);
    SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton() {
    if (FAction) FAction->RemoveFreeNotification(this);
    if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
}

TToolBar* TToolButton::ToolBar() const {
    return dynamic_cast<TToolBar*>(FParent);
}

int TToolButton::GetIndex() const {
    TToolBar* bar = ToolBar();
    if (!bar) return -1;
    auto it = std::find(bar->FButtons.begin(), bar->FButtons.end(), this);
    return it == bar->FButtons.end() ? -1 : int(it - bar->FButtons.begin());
}

void TToolButton::SetAction(TBasicAction* Value) {
    if (FAction == Value) return;
    if (FAction) FAction->RemoveFreeNotification(this);
    FAction = Value;
    if (FAction) {
        FAction->FreeNotification(this);
        if (auto* action = dynamic_cast<TCustomAction*>(FAction)) SetCaption(action->GetCaption());
    }
    if (TToolBar* bar = ToolBar()) bar->UpdateButtons();
    Invalidate();
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAction) FAction = nullptr;
    if (Operation == opRemove && AComponent == FDropdownMenu) FDropdownMenu = nullptr;
}

void TToolButton::SetDropdownMenu(TPopupMenu* Value) {
    if (FDropdownMenu == Value) return;
    if (FDropdownMenu) FDropdownMenu->RemoveFreeNotification(this);
    FDropdownMenu = Value;
    if (FDropdownMenu) FDropdownMenu->FreeNotification(this);
}

bool TToolButton::CheckMenuDropdown() {
    if (!FDropdownMenu || !GetEnabled()) return false;
    const TPoint at = ClientToScreen(TPoint(0, GetHeight()));
    FDropdownMenu->SetPopupComponent(this);
    FDropdownMenu->Popup(at.x, at.y);
    return true;
}

void TToolButton::SetImageIndex(int Value) {
    if (FImageIndex == Value) return;
    FImageIndex = Value;
    Invalidate();
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    if (TToolBar* bar = ToolBar()) bar->UpdateButtons();
    Invalidate();
}

void TToolButton::SetDown(bool Value) {
    if (FDown == Value) return;
    FDown = Value;
    Invalidate();
}

void TToolButton::Click() {
    if (FStyle == tbsSeparator) return;
    if (FStyle == tbsCheck) SetDown(!FDown);
    if (!OnClick && FAction)
        FAction->Execute();
    else
        TGraphicControl::Click();
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && FStyle != tbsSeparator && GetEnabled()) {
        FPressed = true;
        Invalidate();
    }
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && FPressed) {
        FPressed = false;
        Invalidate();
    }
}

void TToolButton::DoMouseEnter() {
    TGraphicControl::DoMouseEnter();
    FHot = true;
    Invalidate();
}

void TToolButton::DoMouseLeave() {
    TGraphicControl::DoMouseLeave();
    FHot = false;
    FPressed = false;
    Invalidate();
}

void TToolButton::Paint() {
    TCanvas* canvas = GetCanvas();
    const TRect r(0, 0, GetWidth(), GetHeight());
    TToolBar* bar = ToolBar();
    if (FStyle == tbsSeparator) {
        const int x = r.Width() / 2 - 1;
        canvas->GetPen()->SetColor(clBtnShadow);
        canvas->MoveTo(x, 2);
        canvas->LineTo(x, r.bottom - 2);
        canvas->GetPen()->SetColor(clBtnHighlight);
        canvas->MoveTo(x + 1, 2);
        canvas->LineTo(x + 1, r.bottom - 2);
        return;
    }
    const bool flat = !bar || bar->GetFlat();
    if (FPressed || FDown)
        DrawEdgeRect(canvas, r, true);
    else if (FHot || !flat)
        DrawEdgeRect(canvas, r, false);
    const int shift = FPressed || FDown ? 1 : 0;
    TCustomImageList* images = bar ? bar->GetImages() : nullptr;
    const bool image = images && FImageIndex >= 0 && FImageIndex < images->GetCount();
    const bool caption = bar && (bar->GetShowCaptions() || !image) && !GetCaption().empty();
    int textTop = (r.Height() - canvas->TextHeight(u"Wg")) / 2;
    if (image) {
        const int x = caption && !bar->GetShowCaptions() ? 3 : (r.Width() - images->GetWidth()) / 2;
        const int y = caption && bar->GetShowCaptions()
                          ? 3
                          : (r.Height() - images->GetHeight()) / 2;
        images->Draw(canvas, x + shift, y + shift, FImageIndex, GetEnabled());
        if (caption) textTop = y + images->GetHeight() + 1;
    }
    if (caption) {
        canvas->SetFont(GetFont());
        canvas->GetBrush()->SetStyle(bsClear);
        if (!GetEnabled()) canvas->GetFont()->SetColor(clGrayText);
        const UnicodeString text = GetCaption();
        const int x = (r.Width() - canvas->TextWidth(text)) / 2;
        canvas->TextOut(x + shift, textTop + shift, text);
    }
}

// --- TToolBar ----------------------------------------------------------------------------------------

TClass TToolBar::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TToolBar>(u"TToolBar", TCustomControl::StaticClass()));
    return &meta;
}

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner), FImageChangeLink(new TChangeLink) {
    FControlStyle.Include(csAcceptsControls);
    FControlStyle.Exclude(csSetCaption);
    FColor = clBtnFace;
    FParentColor = false;
    FImageChangeLink->OnChange = [this](TObject*) {
        UpdateButtons();
        Invalidate();
    };
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

TToolBar::~TToolBar() {
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink);
    delete FImageChangeLink;
}

void TToolBar::SetButtonWidth(int Value) {
    if (FButtonWidth == Value) return;
    FButtonWidth = Value;
    UpdateButtons();
}

void TToolBar::SetButtonHeight(int Value) {
    if (FButtonHeight == Value) return;
    FButtonHeight = Value;
    UpdateButtons();
}

void TToolBar::SetImages(TCustomImageList* Value) {
    if (FImages == Value) return;
    if (FImages) {
        FImages->UnRegisterChanges(FImageChangeLink);
        FImages->RemoveFreeNotification(this);
    }
    FImages = Value;
    if (FImages) {
        FImages->RegisterChanges(FImageChangeLink);
        FImages->FreeNotification(this);
    }
    UpdateButtons();
    Invalidate();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TToolBar::SetShowCaptions(bool Value) {
    if (FShowCaptions == Value) return;
    FShowCaptions = Value;
    UpdateButtons();
}

void TToolBar::SetAllowTextButtons(bool Value) {
    if (FAllowTextButtons == Value) return;
    FAllowTextButtons = Value;
    UpdateButtons();
}

void TToolBar::SetWrapable(bool Value) {
    if (FWrapable == Value) return;
    FWrapable = Value;
    UpdateButtons();
}

void TToolBar::SetAutoSize(bool Value) {
    if (FAutoSize == Value) return;
    FAutoSize = Value;
    UpdateButtons();
}

void TToolBar::SetFlat(bool Value) {
    if (FFlat == Value) return;
    FFlat = Value;
    Invalidate();
}

void TToolBar::SetEdgeBorders(TEdgeBorders Value) {
    FEdgeBorders = Value;
    Invalidate();
}

void TToolBar::SetDrawingStyle(TTBDrawingStyle Value) {
    FDrawingStyle = Value;
    Invalidate();
}

bool TToolBar::IsVertical() const {
    return FAlign == alLeft || FAlign == alRight;
}

TSize TToolBar::LayoutButtons(int Limit, bool Apply) {
    int x = 0;
    int y = 0;
    int extentX = 0;
    int extentY = 0;
    const bool vertical = IsVertical();
    for (TToolButton* button : FButtons) {
        if (!button->GetVisible()) continue;
        int w = FButtonWidth;
        if (button->GetStyle() == tbsSeparator) {
            w = kSeparatorWidth;
        } else if ((FShowCaptions || FAllowTextButtons) && !button->GetCaption().empty()) {
            HDC dc = GetDC(nullptr);
            HGDIOBJ old = SelectObject(dc, button->GetFont()->GetHandle());
            SIZE size{};
            const UnicodeString text = button->GetCaption();
            GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
            SelectObject(dc, old);
            ReleaseDC(nullptr, dc);
            const bool imageToo = FImages && button->GetImageIndex() >= 0 && !FShowCaptions;
            w = std::max(FButtonWidth, int(size.cx) + kTextPadding +
                                           (imageToo ? FImages->GetWidth() + 3 : 0));
        }
        const int h = FButtonHeight;
        if (vertical) {
            if (FWrapable && y > 0 && y + h > Limit) {
                y = 0;
                x = extentX;
            }
            if (Apply) button->SetBounds(x, y, std::max(w, FButtonWidth), h);
            extentX = std::max(extentX, x + std::max(w, FButtonWidth));
            y += h;
            extentY = std::max(extentY, y);
        } else {
            if (FWrapable && x > 0 && x + w > Limit) {
                x = 0;
                y = extentY;
            }
            if (Apply) button->SetBounds(x, y, w, h);
            x += w;
            extentX = std::max(extentX, x);
            extentY = std::max(extentY, y + h);
        }
    }
    if (FButtons.empty()) extentY = vertical ? 0 : FButtonHeight;
    return TSize(extentX, extentY);
}

bool TToolBar::CanAutoSize(int& NewWidth, int& NewHeight) {
    const TSize size = LayoutButtons(IsVertical() ? NewHeight : NewWidth, false);
    const int w = int(size.cx);
    const int h = int(size.cy);
    const bool changed = w != NewWidth || h != NewHeight;
    NewWidth = w;
    NewHeight = h;
    return changed;
}

TRect TToolBar::ButtonRect(int Index) const {
    return FButtons.at(size_t(Index))->GetBoundsRect();
}

void TToolBar::UpdateButtons() {
    if (FUpdating) return;
    FUpdating = true;
    const bool vertical = IsVertical();
    const TSize extent = LayoutButtons(vertical ? GetClientHeight() : GetClientWidth(), true);
    if (FAutoSize && (extent.cx > 0 || extent.cy > 0)) {
        int w = GetWidth();
        int h = GetHeight();
        if (vertical) {
            w = int(extent.cx);
            if (!FWrapable) h = int(extent.cy);
        } else {
            h = int(extent.cy);
            if (!FWrapable) w = int(extent.cx);
        }
        const int frameW = GetWidth() - GetClientWidth();
        const int frameH = GetHeight() - GetClientHeight();
        SetBounds(GetLeft(), GetTop(), w + frameW, h + frameH);
    }
    FUpdating = false;
    Invalidate();
}

void TToolBar::AlignControls(TControl*, TRect&) {
    UpdateButtons();
}

void TToolBar::Resize() {
    TCustomControl::Resize();
    if (FWrapable) UpdateButtons();
}

void TToolBar::Dispatch(TMessage& Message) {
    TCustomControl::Dispatch(Message);
    if (Message.Msg != CM_CONTROLCHANGE) return;
    auto* button = dynamic_cast<TToolButton*>(reinterpret_cast<TControl*>(Message.WParam));
    if (!button) return;
    FButtons.erase(std::remove(FButtons.begin(), FButtons.end(), button), FButtons.end());
    if (Message.LParam) FButtons.push_back(button);
    UpdateButtons();
}

void TToolBar::Paint() {
    TCanvas* canvas = GetCanvas();
    const TRect r(0, 0, GetClientWidth(), GetClientHeight());
    canvas->GetBrush()->SetColor(FColor);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(r);
    if (FEdgeBorders.Contains(ebTop)) {
        canvas->GetPen()->SetColor(clBtnShadow);
        canvas->MoveTo(0, 0);
        canvas->LineTo(r.right, 0);
        canvas->GetPen()->SetColor(clBtnHighlight);
        canvas->MoveTo(0, 1);
        canvas->LineTo(r.right, 1);
    }
    if (FEdgeBorders.Contains(ebBottom)) {
        canvas->GetPen()->SetColor(clBtnShadow);
        canvas->MoveTo(0, r.bottom - 1);
        canvas->LineTo(r.right, r.bottom - 1);
    }
}

// --- TCoolBar --------------------------------------------------------------------------------------

void TCoolBand::Changed() {
    if (FCoolBar) FCoolBar->UpdateBands();
}

void TCoolBand::SetControl(TControl* Value) {
    if (FControl == Value) return;
    FControl = Value;
    if (Value && Value->GetParent() != FCoolBar) Value->SetParent(FCoolBar);
    Changed();
}

void TCoolBand::SetMinWidth(int Value) {
    if (FMinWidth == Value) return;
    FMinWidth = Value;
    Changed();
}

void TCoolBand::SetMinHeight(int Value) {
    if (FMinHeight == Value) return;
    FMinHeight = Value;
    Changed();
}

void TCoolBand::SetBreak(bool Value) {
    if (FBreak == Value) return;
    FBreak = Value;
    Changed();
}

void TCoolBand::SetText(const UnicodeString& Value) {
    FText = Value;
    Changed();
}

void TCoolBand::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    Changed();
}

int TCoolBand::GetIndex() const {
    TCoolBands* bands = FCoolBar->GetBands();
    for (int i = 0; i < bands->GetCount(); ++i)
        if (bands->GetItems(i) == this) return i;
    return -1;
}

TCoolBands::~TCoolBands() {
    for (TCoolBand* band : FItems) delete band;
}

TCoolBand* TCoolBands::Add() {
    auto* band = new TCoolBand(FCoolBar);
    FItems.push_back(band);
    if (FUpdateCount == 0) FCoolBar->UpdateBands();
    return band;
}

void TCoolBands::Delete(int Index) {
    delete FItems.at(size_t(Index));
    FItems.erase(FItems.begin() + Index);
    if (FUpdateCount == 0) FCoolBar->UpdateBands();
}

TCoolBand* TCoolBands::FindBand(TControl* AControl) const {
    for (TCoolBand* band : FItems)
        if (band->GetControl() == AControl) return band;
    return nullptr;
}

void TCoolBands::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) FCoolBar->UpdateBands();
}

TClass TCoolBar::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TCoolBar>(u"TCoolBar", TCustomControl::StaticClass()));
    return &meta;
}

TCoolBar::TCoolBar(TComponent* AOwner) : TCustomControl(AOwner), FBands(new TCoolBands(this)) {
    FControlStyle.Include(csAcceptsControls);
    FControlStyle.Exclude(csSetCaption);
    FColor = clBtnFace;
    FParentColor = false;
    SetBounds(0, 0, 150, 75);
    SetAlign(alTop);
}

TCoolBar::~TCoolBar() {
    delete FBands;
    FBands = nullptr;
}

void TCoolBar::SetAutoSize(bool Value) {
    if (FAutoSize == Value) return;
    FAutoSize = Value;
    UpdateBands();
}

void TCoolBar::SetShowText(bool Value) {
    if (FShowText == Value) return;
    FShowText = Value;
    UpdateBands();
}

TCoolBand* TCoolBar::BandAt(TPoint P) const {
    for (int i = 0; i < FBands->GetCount(); ++i) {
        TCoolBand* band = FBands->GetItems(i);
        if (band->GetVisible() && band->FRect.Contains(P)) return band;
    }
    return nullptr;
}

void TCoolBar::UpdateBands() {
    if (!FBands || FLayingOut || FBands->UpdateCount() > 0) return;
    FLayingOut = true;
    const int clientWidth = GetClientWidth();
    int y = 0;
    size_t i = 0;
    std::vector<TCoolBand*> visible;
    for (int k = 0; k < FBands->GetCount(); ++k)
        if (FBands->GetItems(k)->GetVisible()) visible.push_back(FBands->GetItems(k));
    while (i < visible.size()) {
        // One row: the first band, then the following ones without a break.
        size_t end = i + 1;
        while (end < visible.size() && !visible[end]->GetBreak()) ++end;
        int rowHeight = 0;
        for (size_t k = i; k < end; ++k) {
            TCoolBand* band = visible[k];
            int h = band->GetMinHeight();
            if (band->GetControl()) h = std::max(h, band->GetControl()->GetHeight());
            rowHeight = std::max(rowHeight, h + 4);
        }
        int x = 0;
        for (size_t k = i; k < end; ++k) {
            TCoolBand* band = visible[k];
            int w = GripWidth + 4 + std::max(band->GetMinWidth(),
                                             band->GetControl() ? band->GetControl()->GetWidth() : 0);
            if (k + 1 == end) w = std::max(w, clientWidth - x); // the last band takes the rest
            band->FRect = TRect(x, y, x + w, y + rowHeight);
            if (TControl* control = band->GetControl()) {
                const int cw = std::max(band->GetMinWidth(), control->GetWidth());
                const int ch = std::max(band->GetMinHeight(), control->GetHeight());
                control->SetBounds(x + GripWidth + 2, y + (rowHeight - ch) / 2, cw, ch);
            }
            x += w;
        }
        y += rowHeight;
        i = end;
    }
    for (int k = 0; k < FBands->GetCount(); ++k)
        if (!FBands->GetItems(k)->GetVisible()) FBands->GetItems(k)->FRect = TRect();
    if (FAutoSize) {
        const int frame = GetHeight() - GetClientHeight();
        if (GetHeight() != y + frame) SetBounds(GetLeft(), GetTop(), GetWidth(), y + frame);
    }
    FLayingOut = false;
    Invalidate();
}

void TCoolBar::AlignControls(TControl*, TRect&) {
    UpdateBands();
}

void TCoolBar::Resize() {
    TCustomControl::Resize();
    UpdateBands();
}

void TCoolBar::CMControlChange(TMessage& Message) {
    auto* control = reinterpret_cast<TControl*>(Message.WParam);
    if (!control) return;
    TCoolBand* band = FBands->FindBand(control);
    if (Message.LParam) {
        if (!band) {
            FBands->BeginUpdate();
            band = FBands->Add();
            band->FControl = control;
            FBands->EndUpdate();
        }
    } else if (band) {
        FBands->Delete(band->GetIndex());
    }
}

void TCoolBar::Dispatch(TMessage& Message) {
    if (Message.Msg == CM_CONTROLCHANGE) {
        TCustomControl::Dispatch(Message);
        CMControlChange(Message);
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TCoolBar::Paint() {
    TCanvas* canvas = GetCanvas();
    canvas->GetBrush()->SetColor(FColor);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(TRect(0, 0, GetClientWidth(), GetClientHeight()));
    for (int i = 0; i < FBands->GetCount(); ++i) {
        TCoolBand* band = FBands->GetItems(i);
        if (!band->GetVisible()) continue;
        TRect r = band->GetBandRect();
        DrawEdgeRect(canvas, r, false);
        // The grip: two raised lines.
        for (int g = 0; g < 2; ++g) {
            RECT grip{r.left + 3 + g * 3, r.top + 3, r.left + 5 + g * 3, r.bottom - 3};
            DrawEdge(canvas->GetHandle(), &grip, BDR_RAISEDINNER, BF_RECT);
        }
        if (FShowText && !band->GetText().empty()) {
            canvas->SetFont(GetFont());
            canvas->GetBrush()->SetStyle(bsClear);
            canvas->TextOut(r.left + GripWidth + 2, r.top + 2, band->GetText());
            canvas->GetBrush()->SetStyle(bsSolid);
        }
    }
}

// --- TControlBar ------------------------------------------------------------------------------------

TClass TControlBar::StaticClass() {
    static const TMetaClass meta(
        TClassBuilder<TControlBar>(u"TControlBar", TCustomControl::StaticClass()));
    return &meta;
}

TControlBar::TControlBar(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle.Include(csAcceptsControls);
    FControlStyle.Exclude(csSetCaption);
    FColor = clBtnFace;
    FParentColor = false;
    SetBounds(0, 0, 100, 50);
}

TControl* TControlBar::GripAt(int X, int Y) {
    for (int i = GetControlCount() - 1; i >= 0; --i) {
        TControl* control = GetControls(i);
        if (!control->GetVisible()) continue;
        const TRect grip(control->GetLeft() - GripWidth, control->GetTop(), control->GetLeft(),
                         control->GetTop() + control->GetHeight());
        if (grip.Contains(TPoint(X, Y))) return control;
    }
    return nullptr;
}

bool TControlBar::DragControl(TControl* AControl, int X, int Y, bool KeepCapture) {
    if (!AControl) return false;
    FDragControl = AControl;
    FDragOffset = TPoint(X - AControl->GetLeft(), Y - AControl->GetTop());
    if (KeepCapture) SetMouseCapture(true);
    return true;
}

void TControlBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    if (TControl* control = GripAt(X, Y)) DragControl(control, X, Y, true);
}

void TControlBar::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!FDragControl) return;
    const int maxLeft = std::max(GripWidth, GetClientWidth() - FDragControl->GetWidth());
    const int maxTop = std::max(0, GetClientHeight() - FDragControl->GetHeight());
    const int left = std::clamp(int(X - FDragOffset.x), GripWidth, maxLeft);
    const int top = std::clamp(int(Y - FDragOffset.y), 0, maxTop);
    FDragControl->SetBounds(left, top, FDragControl->GetWidth(), FDragControl->GetHeight());
    Invalidate();
}

void TControlBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft && FDragControl) {
        FDragControl = nullptr;
        SetMouseCapture(false);
    }
}

void TControlBar::Paint() {
    TCanvas* canvas = GetCanvas();
    canvas->GetBrush()->SetColor(FColor);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->FillRect(TRect(0, 0, GetClientWidth(), GetClientHeight()));
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* control = GetControls(i);
        if (!control->GetVisible()) continue;
        RECT grip{control->GetLeft() - GripWidth + 2, control->GetTop() + 2,
                  control->GetLeft() - GripWidth + 5, control->GetTop() + control->GetHeight() - 2};
        DrawEdge(canvas->GetHandle(), &grip, BDR_RAISEDINNER, BF_RECT);
    }
}
