// TTabSheet and TPageControl: the pages, the active page, the tabs (measured
// and drawn here) and the switching by mouse and keyboard.
#include <quorlpak/ComCtrls.h>
#include <quorlpak/Form.h>
#include <quorlpak/Menus.h>
#include <quorlpak/TypeInfos.h>

#include <runpak/Exceptions.h>
#include <runpak/Strings.h>

#include <algorithm>

namespace {

constexpr int kTabPadding = 6;  // each side of a tab's caption
constexpr int kStripIndent = 2; // the first tab's distance from the left edge
constexpr int kActiveLift = 2;  // how much larger the active tab is drawn
constexpr int kPageMargin = 4;  // between the page frame and the sheets

// Text extent in a font, without needing any window.
SIZE MeasureText(TFont* Font, const UnicodeString& Text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->GetHandle());
    SIZE size{0, 0};
    const UnicodeString sample = Text.empty() ? UnicodeString(u"Ag") : Text;
    GetTextExtentPoint32W(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
    if (Text.empty()) size.cx = 0;
    SelectObject(dc, old);
    DeleteDC(dc);
    return size;
}

} // namespace

PTypeInfo TypeInfo_TTabPosition() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TTabPosition", {u"tpTop", u"tpBottom", u"tpLeft", u"tpRight"});
    return &info;
}

PTypeInfo TypeInfo_TTabStyle() {
    static const TTypeInfo info =
        MakeEnumTypeInfo(u"TTabStyle", {u"tsTabs", u"tsButtons", u"tsFlatButtons"});
    return &info;
}

// --- TTabSheet -------------------------------------------------------------------------

TClass TTabSheet::StaticClass() {
    using S = TTabSheet;
    static const TMetaClass meta(
        TClassBuilder<S>(u"TTabSheet", TWinControl::StaticClass())
            .Property(u"Caption", UnicodeStringTypeInfo, &S::GetCaption, &S::SetCaption)
            .Property(u"PageIndex", IntegerTypeInfo, &S::GetPageIndex, &S::SetPageIndex)
            .Stored(false)
            .Property(u"TabVisible", BooleanTypeInfo, &S::GetTabVisible, &S::SetTabVisible)
            .Default(1)
            .Property(u"ImageIndex", IntegerTypeInfo, &S::GetImageIndex, &S::SetImageIndex)
            .Default(-1)
            .Property(u"Highlighted", BooleanTypeInfo, &S::GetHighlighted, &S::SetHighlighted)
            .Default(0)
            .Property(u"Font", ClassTypeInfo<TFont>, &S::GetFont, &S::SetFont)
            .Property(u"ParentFont", BooleanTypeInfo, &S::GetParentFont, &S::SetParentFont)
            .Default(1)
            .Property(u"PopupMenu", ClassTypeInfo<TPopupMenu>, &S::GetPopupMenu, &S::SetPopupMenu)
            .Property(u"Hint", UnicodeStringTypeInfo, &S::GetHint, &S::SetHint)
            .Property(u"ShowHint", BooleanTypeInfo, &S::GetShowHint, &S::SetShowHint)
            .Default(0)
            .Event(u"OnEnter", static_cast<TNotifyEvent S::*>(&TWinControl::OnEnter))
            .Event(u"OnExit", static_cast<TNotifyEvent S::*>(&TWinControl::OnExit))
            .Event(u"OnHide", &S::OnHide)
            .Event(u"OnResize", static_cast<TNotifyEvent S::*>(&TControl::OnResize))
            .Event(u"OnShow", &S::OnShow));
    return &meta;
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                     csDoubleClicks};
    // Hidden until its page control shows it; it fills the page area.
    FVisible = false;
    FAlign = alClient;
}

TTabSheet::~TTabSheet() {
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
    SetParent(Value);
}

void TTabSheet::SetParent(TWinControl* AParent) {
    // The sheet is a page of the page control it lies on, however it got there.
    auto* pageControl = dynamic_cast<TPageControl*>(AParent);
    if (FPageControl && FPageControl != pageControl) FPageControl->RemovePage(this);
    TWinControl::SetParent(AParent);
    if (pageControl && FPageControl != pageControl) pageControl->InsertPage(this);
}

int TTabSheet::GetPageIndex() const {
    if (!FPageControl) return -1;
    const auto& pages = FPageControl->FPages;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
    if (FPageControl) FPageControl->MovePage(this, Value);
}

void TTabSheet::SetTabVisible(bool Value) {
    if (FTabVisible == Value) return;
    FTabVisible = Value;
    if (!FPageControl) return;
    // A page whose tab goes cannot stay the one shown.
    if (!Value && FPageControl->FActivePage == this)
        FPageControl->ShowPage(FPageControl->FindNextPage(this, true, true));
    else if (Value && !FPageControl->FActivePage &&
             !FPageControl->GetComponentState().Contains(csLoading))
        FPageControl->ShowPage(this);
    FPageControl->Invalidate();
}

int TTabSheet::GetTabIndex() const {
    if (!FPageControl || !FTabVisible) return -1;
    int index = 0;
    for (TTabSheet* page : FPageControl->FPages) {
        if (page == this) return index;
        if (page->FTabVisible) ++index;
    }
    return -1;
}

void TTabSheet::SetHighlighted(bool Value) {
    if (FHighlighted == Value) return;
    FHighlighted = Value;
    if (FPageControl) FPageControl->Invalidate();
}

TComponent* TTabSheet::GetParentComponent() const {
    if (FPageControl) return FPageControl;
    return TWinControl::GetParentComponent();
}

void TTabSheet::SetParentComponent(TComponent* Value) {
    TWinControl::SetParentComponent(Value);
}

void TTabSheet::DoShow() {
    if (OnShow) OnShow(this);
}

void TTabSheet::DoHide() {
    if (OnHide) OnHide(this);
}

void TTabSheet::Dispatch(TMessage& Message) {
    TWinControl::Dispatch(Message);
    if (Message.Msg == CM_TEXTCHANGED && FPageControl) FPageControl->Invalidate();
}

// --- TPageControl -----------------------------------------------------------------------

TClass TPageControl::StaticClass() {
    using P = TPageControl;
    static const TMetaClass meta(
        TClassBuilder<P>(u"TPageControl", TCustomControl::StaticClass())
            .Property(u"ActivePage", ClassTypeInfo<TTabSheet>, &P::GetActivePage, &P::SetActivePage)
            .Property(u"Align", TypeInfo_TAlign, &P::GetAlign, &P::SetAlign)
            .Default(alNone)
            .Property(u"Anchors", TypeInfo_TAnchors, &P::GetAnchors, &P::SetAnchors)
            .Default(TAnchors{akLeft, akTop}.ToInt())
            .Property(u"Enabled", BooleanTypeInfo, &P::GetEnabled, &P::SetEnabled)
            .Default(1)
            .Property(u"Font", ClassTypeInfo<TFont>, &P::GetFont, &P::SetFont)
            .Property(u"ParentFont", BooleanTypeInfo, &P::GetParentFont, &P::SetParentFont)
            .Default(1)
            .Property(u"Hint", UnicodeStringTypeInfo, &P::GetHint, &P::SetHint)
            .Property(u"ShowHint", BooleanTypeInfo, &P::GetShowHint, &P::SetShowHint)
            .Default(0)
            .Property(u"PopupMenu", ClassTypeInfo<TPopupMenu>, &P::GetPopupMenu, &P::SetPopupMenu)
            .Property(u"HotTrack", BooleanTypeInfo, &P::GetHotTrack, &P::SetHotTrack)
            .Default(0)
            .Property(u"Style", TypeInfo_TTabStyle, &P::GetStyle, &P::SetStyle)
            .Default(tsTabs)
            .Property(u"TabHeight", IntegerTypeInfo, &P::GetTabHeight, &P::SetTabHeight)
            .Default(0)
            .Property(u"TabOrder", IntegerTypeInfo, &P::GetTabOrder, &P::SetTabOrder)
            .Stored(false)
            .Property(u"TabPosition", TypeInfo_TTabPosition, &P::GetTabPosition, &P::SetTabPosition)
            .Default(tpTop)
            .Property(u"TabStop", BooleanTypeInfo, &P::GetTabStop, &P::SetTabStop)
            .Default(1)
            .Property(u"TabWidth", IntegerTypeInfo, &P::GetTabWidth, &P::SetTabWidth)
            .Default(0)
            .Property(u"Visible", BooleanTypeInfo, &P::GetVisible, &P::SetVisible)
            .Default(1)
            .Event(u"OnChange", &P::OnChange)
            .Event(u"OnChanging", &P::OnChanging)
            .Event(u"OnEnter", static_cast<TNotifyEvent P::*>(&TWinControl::OnEnter))
            .Event(u"OnExit", static_cast<TNotifyEvent P::*>(&TWinControl::OnExit))
            .Event(u"OnResize", static_cast<TNotifyEvent P::*>(&TControl::OnResize)));
    return &meta;
}

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    FWidth = 289;
    FHeight = 193;
    FTabStop = true;
    FParentColor = false;
    SetColor(clBtnFace);
}

TPageControl::~TPageControl() {
    // The sheets are the owner's to free; they only leave this control.
    for (TTabSheet* page : std::vector<TTabSheet*>(FPages))
        page->FPageControl = nullptr;
    FPages.clear();
    FActivePage = nullptr;
}

TTabSheet* TPageControl::GetPages(int Index) const {
    if (Index < 0 || Index >= GetPageCount())
        throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
    return FPages[static_cast<size_t>(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
    FPages.push_back(Page);
    Page->FPageControl = this;
    Page->FreeNotification(this);
    if (!FActivePage && Page->FTabVisible && !GetComponentState().Contains(csLoading))
        ShowPage(Page);
    Invalidate();
}

void TPageControl::RemovePage(TTabSheet* Page) {
    auto it = std::find(FPages.begin(), FPages.end(), Page);
    if (it == FPages.end()) return;
    TTabSheet* next = FActivePage == Page ? FindNextPage(Page, true, true) : FActivePage;
    if (next == Page) next = nullptr;
    FPages.erase(std::find(FPages.begin(), FPages.end(), Page));
    Page->FPageControl = nullptr;
    if (FNewActivePage == Page) FNewActivePage = nullptr;
    if (FActivePage == Page) {
        FActivePage = nullptr;
        if (!GetComponentState().Contains(csDestroying)) ShowPage(next);
    }
    Invalidate();
}

void TPageControl::MovePage(TTabSheet* Page, int NewIndex) {
    auto it = std::find(FPages.begin(), FPages.end(), Page);
    if (it == FPages.end()) return;
    FPages.erase(it);
    NewIndex = std::clamp(NewIndex, 0, GetPageCount());
    FPages.insert(FPages.begin() + NewIndex, Page);
    Invalidate();
}

void TPageControl::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (auto* page = dynamic_cast<TTabSheet*>(AComponent))
        if (page->FPageControl == this) RemovePage(page);
}

int TPageControl::GetActivePageIndex() const {
    return FActivePage ? FActivePage->GetPageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int Value) {
    SetActivePage(Value >= 0 && Value < GetPageCount() ? FPages[static_cast<size_t>(Value)]
                                                       : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->FPageControl != this) return;
    if (GetComponentState().Contains(csLoading)) {
        FNewActivePage = Page;
        return;
    }
    ShowPage(Page);
}

void TPageControl::ShowPage(TTabSheet* Page) {
    if (Page == FActivePage) return;
    TTabSheet* old = FActivePage;
    // The focus does not stay on a control that is about to hide.
    if (old) {
        TCustomForm* form = GetParentForm();
        TWinControl* focused = form ? form->GetActiveControl() : nullptr;
        if (focused && (focused == old || old->ContainsControl(focused)) && CanFocus()) SetFocus();
    }
    FActivePage = Page;
    if (Page) {
        Page->BringToFront();
        Page->SetVisible(true);
    }
    if (old) {
        old->SetVisible(false);
        old->DoHide();
    }
    if (Page) Page->DoShow();
    Invalidate();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) {
    const int count = GetPageCount();
    if (count == 0) return nullptr;
    auto it = std::find(FPages.begin(), FPages.end(), CurPage);
    int start =
        it == FPages.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - FPages.begin());
    int i = start;
    for (int n = 0; n < count; ++n) {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        TTabSheet* page = FPages[static_cast<size_t>(i)];
        if (!CheckTabVisible || page->FTabVisible) return page;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
    TTabSheet* page = FindNextPage(FActivePage, GoForward, CheckTabVisible);
    if (page && page != FActivePage) ChangeActivePage(page);
}

bool TPageControl::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TPageControl::Change() {
    if (OnChange) OnChange(this);
}

bool TPageControl::ChangeActivePage(TTabSheet* Page) {
    if (Page == FActivePage) return false;
    if (!CanChange()) return false;
    ShowPage(Page);
    Change();
    return true;
}

// --- Tabs -----------------------------------------------------------------------------------

int TPageControl::GetTabCount() const {
    return static_cast<int>(
        std::count_if(FPages.begin(), FPages.end(), [](TTabSheet* p) { return p->FTabVisible; }));
}

int TPageControl::GetTabIndex() const {
    return FActivePage ? FActivePage->GetTabIndex() : -1;
}

void TPageControl::SetTabIndex(int Value) {
    for (TTabSheet* page : FPages)
        if (page->FTabVisible && page->GetTabIndex() == Value) {
            SetActivePage(page);
            return;
        }
}

void TPageControl::SetTabHeight(int Value) {
    if (FTabHeight == std::max(Value, 0)) return;
    FTabHeight = std::max(Value, 0);
    Realign();
    Invalidate();
}

void TPageControl::SetTabWidth(int Value) {
    if (FTabWidth == std::max(Value, 0)) return;
    FTabWidth = std::max(Value, 0);
    Invalidate();
}

void TPageControl::SetStyle(TTabStyle Value) {
    if (FStyle == Value) return;
    FStyle = Value;
    Invalidate();
}

std::vector<TRect> TPageControl::TabRects() {
    std::vector<TRect> rects;
    const int height = FTabHeight > 0 ? FTabHeight : MeasureText(FFont, {}).cy + kTabPadding;
    int x = kStripIndent;
    for (TTabSheet* page : FPages) {
        if (!page->FTabVisible) continue;
        int width = FTabWidth > 0
                        ? FTabWidth
                        : MeasureText(FFont, StripHotkey(page->GetCaption())).cx + 2 * kTabPadding;
        rects.emplace_back(x, kActiveLift, x + width, kActiveLift + height);
        x += width;
    }
    return rects;
}

TRect TPageControl::TabRect(int TabIndex) {
    std::vector<TRect> rects = TabRects();
    if (TabIndex < 0 || TabIndex >= static_cast<int>(rects.size())) return TRect(0, 0, 0, 0);
    return rects[static_cast<size_t>(TabIndex)];
}

int TPageControl::IndexOfTabAt(int X, int Y) {
    std::vector<TRect> rects = TabRects();
    for (size_t i = 0; i < rects.size(); ++i)
        if (rects[i].Contains(TPoint(X, Y))) return static_cast<int>(i);
    return -1;
}

TRect TPageControl::GetDisplayRect() {
    TRect r = GetClientRect();
    AdjustClientRect(r);
    return r;
}

void TPageControl::AdjustClientRect(TRect& Rect) {
    const int height = FTabHeight > 0 ? FTabHeight : MeasureText(FFont, {}).cy + kTabPadding;
    Rect.top += kActiveLift + height;
    Rect.left += kPageMargin;
    Rect.top += kPageMargin;
    Rect.right -= kPageMargin;
    Rect.bottom -= kPageMargin;
    if (Rect.right < Rect.left) Rect.right = Rect.left;
    if (Rect.bottom < Rect.top) Rect.bottom = Rect.top;
}

// --- Painting and input ----------------------------------------------------------------------

void TPageControl::Paint() {
    TCanvas* canvas = GetCanvas();
    TRect client = GetClientRect();
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(client);
    HDC dc = canvas->GetHandle();

    std::vector<TRect> rects = TabRects();
    const int stripBottom =
        rects.empty() ? kActiveLift + MeasureText(FFont, {}).cy + kTabPadding : rects[0].bottom;
    RECT frame{client.left, stripBottom, client.right, client.bottom};
    DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT);

    canvas->GetFont()->Assign(FFont);
    SetBkMode(dc, TRANSPARENT);
    const int active = GetTabIndex();
    for (size_t i = 0; i < rects.size(); ++i) {
        RECT r = rects[i];
        const bool isActive = static_cast<int>(i) == active;
        if (isActive) {
            r.left -= kActiveLift;
            r.right += kActiveLift;
            r.top -= kActiveLift;
            r.bottom += 1; // over the frame's top line: the tab opens into its page
        }
        canvas->GetBrush()->SetColor(GetColor());
        canvas->FillRect(TRect(r.left, r.top, r.right, r.bottom));
        RECT edge = r;
        DrawEdge(dc, &edge, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
        TTabSheet* page = nullptr;
        for (TTabSheet* p : FPages)
            if (p->FTabVisible && p->GetTabIndex() == static_cast<int>(i)) page = p;
        if (!page) continue;
        UnicodeString caption = page->GetCaption();
        ::SetTextColor(
            dc, ColorToRGB(page->GetEnabled() && GetEnabled() ? FFont->GetColor() : clGrayText));
        RECT text = r;
        if (isActive) text.bottom -= 1;
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (isActive && Focused()) {
            RECT focus = text;
            InflateRect(&focus, -3, -3);
            DrawFocusRect(dc, &focus);
        }
    }
}

void TPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        int tab = IndexOfTabAt(X, Y);
        if (tab >= 0) {
            for (TTabSheet* page : FPages)
                if (page->FTabVisible && page->GetTabIndex() == tab) {
                    if (CanFocus() && !Focused()) SetFocus();
                    ChangeActivePage(page);
                    break;
                }
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TPageControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_KEYDOWN:
        // Ctrl+Tab and Ctrl+Shift+Tab, and the arrows on the focused tabs, move between pages.
        if (Message.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
            SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
            return;
        }
        if (Focused() && (Message.WParam == VK_LEFT || Message.WParam == VK_RIGHT)) {
            SelectNextPage(Message.WParam == VK_RIGHT);
            return;
        }
        break;
    case WM_GETDLGCODE:
        Message.Result = 0x0001; // DLGC_WANTARROWS
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    case WM_SIZE:
    case CM_FONTCHANGED:
        TCustomControl::Dispatch(Message);
        Realign();
        Invalidate();
        return;
    default:
        break;
    }
    TCustomControl::Dispatch(Message);
}

void TPageControl::Loaded() {
    TCustomControl::Loaded();
    TTabSheet* page = FNewActivePage;
    FNewActivePage = nullptr;
    if (!page && !FActivePage) page = FindNextPage(nullptr, true, true);
    if (page) ShowPage(page);
}

void TPageControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    for (TTabSheet* page : std::vector<TTabSheet*>(FPages))
        if (page->GetOwner() == Root) Proc(page);
}

void TPageControl::SetChildOrder(TComponent* Child, int Order) {
    if (auto* page = dynamic_cast<TTabSheet*>(Child))
        if (page->FPageControl == this) MovePage(page, Order);
}

void RegisterComCtrlClasses() {
    RegisterClasses({TTabSheet::StaticClass(), TPageControl::StaticClass()});
    RegisterClasses({TTreeView::StaticClass()});
}
