// TTabSet: layout, painting and selection of self-drawn tabs.
#include <quorlpak/Tabs.h>

#include <quorlpak/Canvas.h>
#include <runpak/Exceptions.h>
#include <runpak/StringList.h>
#include <runpak/TypeInfo.h>

#include <algorithm>

namespace {

constexpr int kTextPadding = 8;
constexpr int kImageGap = 3;

} // namespace

TClass TTabSet::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TTabSet>(u"TTabSet", TCustomControl::StaticClass()));
    return &meta;
}

TTabSet::TTabSet(TComponent* AOwner)
    : TCustomControl(AOwner), FTabs(std::make_unique<TStringList>()),
      FImageChangeLink(std::make_unique<TChangeLink>()) {
    FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks, csOpaque};
    SetBounds(0, 0, 185, 21);
    FTabs->OnChange = [this](TObject*) {
        if (FTabIndex >= FTabs->GetCount()) FTabIndex = FTabs->GetCount() - 1;
        Invalidate();
    };
    FImageChangeLink->OnChange = [this](TObject*) { Invalidate(); };
}

TTabSet::~TTabSet() {
    FTabs->OnChange = nullptr;
    if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
}

TStrings* TTabSet::GetTabs() const {
    return FTabs.get();
}

void TTabSet::SetTabs(TStrings* Value) {
    FTabs->Assign(Value);
}

bool TTabSet::CanChange(int NewIndex) {
    bool allow = true;
    if (OnChange) OnChange(this, NewIndex, allow);
    return allow;
}

void TTabSet::SetTabIndex(int Value) {
    if (Value == FTabIndex) return;
    if (Value < -1 || Value >= FTabs->GetCount())
        throw EListError(u"Tab index out of bounds (%d)", {Value});
    if (!CanChange(Value)) return;
    FTabIndex = Value;
    Invalidate();
    Click();
}

void TTabSet::SetStyle(TTabSetStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Invalidate();
}

void TTabSet::SetTabPosition(TTabPosition Value) {
    if (Value == FTabPosition) return;
    FTabPosition = Value;
    Invalidate();
}

void TTabSet::SetStartMargin(int Value) {
    if (Value == FStartMargin) return;
    FStartMargin = Value;
    Invalidate();
}

void TTabSet::SetEndMargin(int Value) {
    if (Value == FEndMargin) return;
    FEndMargin = Value;
    Invalidate();
}

void TTabSet::SetImages(TCustomImageList* Value) {
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
    Invalidate();
}

void TTabSet::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

int TTabSet::GetImageIndex(int TabIndex) {
    int index = -1;
    if (OnGetImageIndex) OnGetImageIndex(this, TabIndex, index);
    return index;
}

std::vector<TRect> TTabSet::TabRects() {
    std::vector<TRect> rects;
    TCanvas* canvas = GetCanvas();
    canvas->SetFont(GetFont());
    const TRect client = GetClientRect();
    const int limit = client.right - FEndMargin;
    int x = client.left + FStartMargin;
    for (int i = 0; i < FTabs->GetCount(); ++i) {
        int width = canvas->TextWidth(FTabs->GetStrings(i)) + 2 * kTextPadding;
        if (FImages && GetImageIndex(i) >= 0) width += FImages->GetWidth() + kImageGap;
        if (x + width > limit) {
            rects.push_back(TRect());
            x = limit; // the ones after it do not fit either
            continue;
        }
        rects.push_back(TRect(x, client.top, x + width, client.bottom));
        x += width;
    }
    return rects;
}

TRect TTabSet::ItemRect(int Item) {
    const std::vector<TRect> rects = TabRects();
    return Item >= 0 && Item < static_cast<int>(rects.size()) ? rects[static_cast<size_t>(Item)]
                                                              : TRect();
}

int TTabSet::ItemAtPos(const TPoint& Pos) {
    const std::vector<TRect> rects = TabRects();
    for (size_t i = 0; i < rects.size(); ++i) {
        const TRect& r = rects[i];
        if (!r.IsEmpty() && Pos.x >= r.left && Pos.x < r.right && Pos.y >= r.top &&
            Pos.y < r.bottom)
            return static_cast<int>(i);
    }
    return -1;
}

void TTabSet::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        const int index = ItemAtPos(TPoint(X, Y));
        if (index >= 0) SetTabIndex(index);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TTabSet::PaintTab(TCanvas* Canvas, const TRect& R, int Index) {
    const bool current = Index == FTabIndex;
    const bool top = FTabPosition == tpTop;
    TRect r = R;
    Canvas->GetBrush()->SetColor(current ? clWindow : clBtnFace);
    Canvas->FillRect(r);
    Canvas->GetPen()->SetColor(clBtnShadow);
    // The current tab is open towards the editor it belongs to.
    const int y0 = top ? r.bottom - 1 : r.top;
    const int y1 = top ? r.top : r.bottom - 1;
    Canvas->MoveTo(r.left, y0);
    Canvas->LineTo(r.left, y1);
    Canvas->LineTo(r.right - 1, y1);
    Canvas->LineTo(r.right - 1, y0);
    if (!current) {
        Canvas->MoveTo(r.left, y0);
        Canvas->LineTo(r.right, y0);
    }
    int x = r.left + kTextPadding;
    const int image = GetImageIndex(Index);
    if (FImages && image >= 0) {
        FImages->Draw(Canvas, x, r.top + (r.Height() - FImages->GetHeight()) / 2, image);
        x += FImages->GetWidth() + kImageGap;
    }
    Canvas->GetBrush()->SetStyle(bsClear);
    Canvas->GetFont()->SetColor(GetFont()->GetColor());
    const UnicodeString text = FTabs->GetStrings(Index);
    Canvas->TextOut(x, r.top + (r.Height() - Canvas->TextHeight(text)) / 2, text);
    Canvas->GetBrush()->SetStyle(bsSolid);
}

void TTabSet::Paint() {
    TCanvas* canvas = GetCanvas();
    const TRect client = GetClientRect();
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(client);
    // The line the tabs stand on.
    canvas->GetPen()->SetColor(clBtnShadow);
    const int edge = FTabPosition == tpTop ? client.bottom - 1 : client.top;
    canvas->MoveTo(client.left, edge);
    canvas->LineTo(client.right, edge);
    const std::vector<TRect> rects = TabRects();
    for (size_t i = 0; i < rects.size(); ++i)
        if (!rects[i].IsEmpty()) PaintTab(canvas, rects[i], static_cast<int>(i));
}
