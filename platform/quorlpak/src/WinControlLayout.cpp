// TWinControl: bounds from the window, alignment and anchors of children.
#include <quorlpak/WinControl.h>

#include <runpak/ScopeGuard.h>
#include <win32/winbase.h>

#include <algorithm>

namespace {

// The non-client insets a window of these styles has (caption, borders).
TRect NonClientInsets(const TCreateParams& Params) {
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, Params.Style, FALSE, Params.ExStyle);
    TRect in(-r.left, -r.top, r.right, r.bottom);
    if (Params.Style & WS_VSCROLL) in.right += GetSystemMetrics(SM_CXVSCROLL);
    if (Params.Style & WS_HSCROLL) in.bottom += GetSystemMetrics(SM_CYHSCROLL);
    return in;
}

} // namespace

TCreateParams TWinControl::StyleParams() {
    TCreateParams params;
    {
        FStylesOnly = true;
        auto stylesDone = runpak::ScopeExit([this] { FStylesOnly = false; });
        CreateParams(params);
    }
    return params;
}

// Without a window the client area is worked out from the styles the window
// will have, so that layout can happen before the window exists.
TRect TWinControl::GetClientRect() {
    if (FHandle) {
        RECT r{};
        ::GetClientRect(FHandle, &r);
        return r;
    }
    TRect in = NonClientInsets(StyleParams());
    return TRect(0, 0, std::max(0, FWidth - in.left - in.right),
                 std::max(0, FHeight - in.top - in.bottom));
}

TPoint TWinControl::GetClientOrigin() {
    if (FHandle) {
        POINT p{0, 0};
        ::ClientToScreen(FHandle, &p);
        return p;
    }
    TRect in = NonClientInsets(StyleParams());
    TPoint origin(FLeft + in.left, FTop + in.top);
    if (FParent) {
        TPoint parent = FParent->GetClientOrigin();
        origin.x += parent.x;
        origin.y += parent.y;
    } else if (FParentWindow) {
        POINT p{0, 0};
        ::ClientToScreen(FParentWindow, &p);
        origin.x += p.x;
        origin.y += p.y;
    }
    return origin;
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!CheckNewSize(AWidth, AHeight)) return;
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    if (FHandle && !IsIconic(FHandle)) {
        // The window reports back through WM_WINDOWPOSCHANGED and WM_SIZE.
        SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        FLeft = ALeft;
        FTop = ATop;
        FWidth = AWidth;
        FHeight = AHeight;
        Realign();
        if (!GetComponentState().Contains(csLoading)) Resize();
    }
    UpdateAnchorRules();
    RequestAlign();
}

void TWinControl::UpdateBounds() {
    RECT r{};
    GetWindowRect(FHandle, &r);
    if (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) {
        if (HWND parent = ::GetParent(FHandle))
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    UpdateBoundsRect(r);
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
    if (!FControlState.Contains(csDestroyingHandle)) UpdateBounds();
    DefaultHandler(Message); // sends WM_SIZE and WM_MOVE
}

void TWinControl::WMSize(TMessage& Message) {
    UpdateBounds();
    DefaultHandler(Message);
    Realign();
    if (!GetComponentState().Contains(csLoading)) Resize();
}

void TWinControl::ChangeScale(int M, int D, bool IsDpiChange) {
    if (M == D || D == 0) return;
    DisableAlign();
    auto enable = runpak::ScopeExit([this] { EnableAlign(); });
    for (int i = 0; i < GetControlCount(); ++i)
        GetControls(i)->ChangeScale(M, D, IsDpiChange);
    TControl::ChangeScale(M, D, IsDpiChange);
}

// --- Alignment
// ---------------------------------------------------------------------------------------

void TWinControl::DisableAlign() {
    ++FAlignLevel;
}

void TWinControl::EnableAlign() {
    if (FAlignLevel > 0) --FAlignLevel;
    if (FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
    AlignControl(nullptr);
}

void TWinControl::AlignControl(TControl* AControl) {
    if (GetComponentState().Contains(csDestroying) || GetComponentState().Contains(csLoading))
        return;
    if (FAlignLevel != 0) {
        FControlState.Include(csAlignmentNeeded);
        return;
    }
    DisableAlign();
    auto aligned = runpak::ScopeExit([this] {
        FControlState.Exclude(csAlignmentNeeded);
        --FAlignLevel;
    });
    TRect rect = GetClientRect();
    AlignControls(AControl, rect);
}

void TWinControl::AdjustClientRect(TRect& Rect) {
    Rect.left += FBorderWidth;
    Rect.top += FBorderWidth;
    Rect.right -= FBorderWidth;
    Rect.bottom -= FBorderWidth;
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    bool work = false;
    for (int i = 0; i < GetControlCount() && !work; ++i) {
        TControl* c = GetControls(i);
        work = c->FAlign != alNone || !(c->FAnchors == TAnchors{akLeft, akTop});
    }
    if (!work) {
        ControlsAligned();
        return;
    }
    AdjustClientRect(Rect);

    // Which of two controls aligned to the same edge comes first.
    auto before = [](TControl* a, TControl* b, TAlign align) {
        switch (align) {
        case alTop:
            return a->FTop < b->FTop;
        case alBottom:
            return a->FTop + a->FHeight >= b->FTop + b->FHeight;
        case alLeft:
            return a->FLeft < b->FLeft;
        case alRight:
            return a->FLeft + a->FWidth >= b->FLeft + b->FWidth;
        default:
            return false;
        }
    };

    auto position = [&](TControl* control, TAlign align) {
        int newWidth = Rect.right - Rect.left;
        if (newWidth < 0 || align == alLeft || align == alRight) newWidth = control->FWidth;
        int newHeight = Rect.bottom - Rect.top;
        if (newHeight < 0 || align == alTop || align == alBottom) newHeight = control->FHeight;
        int newLeft = Rect.left, newTop = Rect.top;
        switch (align) {
        case alTop:
            Rect.top += newHeight;
            break;
        case alBottom:
            Rect.bottom -= newHeight;
            newTop = Rect.bottom;
            break;
        case alLeft:
            Rect.left += newWidth;
            break;
        case alRight:
            Rect.right -= newWidth;
            newLeft = Rect.right;
            break;
        default:
            break;
        }
        control->FAnchorMove = true;
        control->SetBounds(newLeft, newTop, newWidth, newHeight);
        control->FAnchorMove = false;
        // A control that would not take the size gives the difference back.
        int dw = newWidth - control->FWidth, dh = newHeight - control->FHeight;
        switch (align) {
        case alTop:
            Rect.top -= dh;
            break;
        case alBottom:
            Rect.bottom += dh;
            break;
        case alLeft:
            Rect.left -= dw;
            break;
        case alRight:
            Rect.right += dw;
            break;
        case alClient:
            Rect.right += dw;
            Rect.bottom += dh;
            break;
        default:
            break;
        }
    };

    auto anchor = [&](TControl* control) {
        if (control->FOriginalParentSize.x == 0 || control->FOriginalParentSize.y == 0) return;
        const TAnchors a = control->FAnchors;
        const TPoint size = GetClientRect().BottomRight();
        const TPoint orig = control->FOriginalParentSize, rules = control->FAnchorRules;
        int left = control->FLeft, top = control->FTop;
        int width = control->FWidth, height = control->FHeight;
        if (a.Contains(akRight)) {
            if (a.Contains(akLeft))
                width = size.x - (orig.x - rules.x);
            else
                left = size.x - (orig.x - rules.x);
        } else if (!a.Contains(akLeft)) {
            left = MulDiv(rules.x, size.x, orig.x) - width / 2;
        }
        if (a.Contains(akBottom)) {
            if (a.Contains(akTop))
                height = size.y - (orig.y - rules.y);
            else
                top = size.y - (orig.y - rules.y);
        } else if (!a.Contains(akTop)) {
            top = MulDiv(rules.y, size.y, orig.y) - height / 2;
        }
        control->FAnchorMove = true;
        control->SetBounds(left, top, width, height);
        control->FAnchorMove = false;
    };

    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient, alNone}) {
        std::vector<TControl*> list;
        if (AControl && AControl->FAlign == align && AControl->FVisible && align != alNone)
            list.push_back(AControl);
        for (int i = 0; i < GetControlCount(); ++i) {
            TControl* c = GetControls(i);
            if (c == AControl || c->FAlign != align || !c->FVisible) continue;
            auto at = std::find_if(list.begin(), list.end(),
                                   [&](TControl* other) { return before(c, other, align); });
            list.insert(at, c);
        }
        for (TControl* c : list) {
            if (align == alNone)
                anchor(c);
            else
                position(c, align);
        }
    }
    ControlsAligned();
}
