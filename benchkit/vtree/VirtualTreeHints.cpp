// Hints and tooltips of the tree: whether the framework may show a hint at
// the mouse, which kind (the control's own, a node hint, a column hint or
// the full text of a truncated cell), where, and what the hint window gets.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Forms.h>
#include <win32/windows.h>

#include <algorithm>
#include <utility>

UnicodeString TBaseVirtualTree::DoGetNodeHint(PVirtualNode Node, TColumnIndex Column,
                                              TVTTooltipLineBreakStyle& LineBreakStyle) {
    LineBreakStyle = hlbDefault;
    return GetHint();
}

UnicodeString TBaseVirtualTree::DoGetNodeTooltip(PVirtualNode Node, TColumnIndex Column,
                                                 TVTTooltipLineBreakStyle& LineBreakStyle) {
    LineBreakStyle = hlbDefault;
    return GetHint();
}

UnicodeString TCustomVirtualStringTree::DoGetNodeHint(PVirtualNode Node, TColumnIndex Column,
                                                      TVTTooltipLineBreakStyle& LineBreakStyle) {
    UnicodeString text = TBaseVirtualTree::DoGetNodeHint(Node, Column, LineBreakStyle);
    if (OnGetHint) OnGetHint(this, Node, Column, LineBreakStyle, text);
    return text;
}

UnicodeString TCustomVirtualStringTree::DoGetNodeTooltip(PVirtualNode Node, TColumnIndex Column,
                                                         TVTTooltipLineBreakStyle& LineBreakStyle) {
    UnicodeString text = TBaseVirtualTree::DoGetNodeTooltip(Node, Column, LineBreakStyle);
    if (OnGetHint)
        OnGetHint(this, Node, Column, LineBreakStyle, text);
    else
        text = GetText(Node, Column);
    return text;
}

THintAnimationType TBaseVirtualTree::DoGetAnimationType() {
    // The layer has no system tooltip animation setting: the default fades.
    const THintAnimationType type = FAnimationType == hatSystemDefault ? hatFade : FAnimationType;
    // Fading blends every frame; without the blending instructions the hint slides.
    return type == hatFade && !MMXAvailable ? hatSlide : type;
}

namespace {

// An owner-draw tree sizes its hints itself: false when it gives no size
// (no hint). Other trees always go on.
bool OwnerDrawHintSize(TBaseVirtualTree* Tree, PVirtualNode Node, TColumnIndex Column, TRect& R) {
    R = TRect();
    auto* drawTree = dynamic_cast<TCustomVirtualDrawTree*>(Tree);
    if (!drawTree) return true;
    drawTree->DoGetHintSize(Node, Column, R);
    return !IsRectEmpty(&R);
}

} // namespace

void TBaseVirtualTree::CMHintShow(TMessage& Message) {
    auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
    Message.Result = 1;
    if (!info) return;
    const TPoint mouse = info->CursorPos;
    if (PtInRect(&FLastHintRect, mouse)) return;

    THitInfo hit;
    GetHitTestInfoAt(mouse.x, mouse.y, true, hit);
    bool showOK;
    if (HasState(tsEditing))
        showOK = hit.HitNode != FFocusedNode;
    else {
        TCustomForm* form = GetParentForm();
        showOK = Focused() || (form && form->Focused()) || Application->GetActive();
    }

    TVirtualTreeColumns* columns = FHeader->GetColumns();
    bool show = false;
    TRect cursorRect{};
    FHintData = TVTHintData{};
    FHintData.Tree = this;
    if (GetCapture() == nullptr && GetShowHint() && !Dragging() && !IsMouseSelecting() &&
        !HasState(tsScrolling) && FHeader->GetStates().Empty() && showOK) {
        if (FHintTimeout != 0) info->HideTimeout = FHintTimeout;
        info->HintStr = u" ";
        const bool inHeader = FHeader->UseColumns() &&
                              FHeader->GetOptions().Contains(hoShowHint) &&
                              FHeader->GetOptions().Contains(hoVisible) && mouse.y < 0;
        if (inHeader) {
            const TColumnIndex column =
                columns->GetColumnAndBounds(TPoint(mouse.x, 0), cursorRect.left, cursorRect.right);
            cursorRect.top = -FHeader->GetHeight();
            cursorRect.bottom = 0;
            info->HintPos.y = std::max<LONG>(info->HintPos.y, ClientToScreen(TPoint(0, 0)).y);
            if (columns->IsValidColumn(column) && !HasState(tsLeftButtonDown)) {
                FHintData.Column = column;
                FHintData.DefaultHint = columns->GetItem(column)->GetHint();
                show = !FHintData.DefaultHint.empty();
            }
        } else if (FHintMode == hmDefault) {
            info->HintStr = GetShortHint(GetHint());
            show = !info->HintStr.empty();
            cursorRect = GetClientRect();
        } else if (hit.HitNode && hit.HitColumn > InvalidColumn &&
                   OwnerDrawHintSize(this, hit.HitNode, hit.HitColumn, FHintData.HintRect)) {
            FHintData.Node = hit.HitNode;
            FHintData.Column = hit.HitColumn;
            int left = 0;
            int right = GetClientWidth();
            if (columns->IsValidColumn(hit.HitColumn)) {
                columns->GetColumnBounds(hit.HitColumn, left, right);
                if (FOptions->GetAutoOptions().Contains(toAutoSpanColumns))
                    for (TColumnIndex next = columns->GetNextVisibleColumn(hit.HitColumn);
                         columns->IsValidColumn(next) && ColumnIsEmpty(hit.HitNode, next);
                         next = columns->GetNextVisibleColumn(next))
                        right += columns->GetItem(next)->GetWidth();
            }
            if (FHintMode == hmTooltip) {
                if (hit.HitNode->States.Contains(vsMultiline)) {
                    if (hit.HitPositions.Contains(hiOnItemLabel)) {
                        cursorRect = GetDisplayRect(hit.HitNode, hit.HitColumn, false);
                        show = true;
                    }
                } else {
                    const TRect text = GetDisplayRect(hit.HitNode, hit.HitColumn, true, true);
                    const bool inside = PtInRect(&text, mouse) && mouse.x >= left &&
                                        mouse.x < right;
                    const bool cut = text.right > std::min(right, GetClientWidth()) ||
                                     text.left < std::max(left, 0) ||
                                     text.bottom > GetClientHeight() || text.top < 0;
                    if (inside && cut) {
                        cursorRect = text;
                        info->HintPos = ClientToScreen(TPoint(text.left, text.top));
                        show = true;
                    }
                }
            } else {
                const TRect row = GetDisplayRect(hit.HitNode, hit.HitColumn, false);
                cursorRect = TRect(left, row.top, right, row.bottom);
                info->HintPos.y =
                    std::max<LONG>(info->HintPos.y, ClientToScreen(TPoint(0, row.bottom + 2)).y);
                show = true;
            }
        } else if (FHintMode == hmHintAndDefault) {
            FHintData.DefaultHint = GetShortHint(GetHint());
            show = !FHintData.DefaultHint.empty();
            cursorRect = GetClientRect();
        }
    }

    if (!show) {
        FLastHintRect = TRect();
        DoStateChange({}, {tsHint});
        return;
    }
    Message.Result = 0;
    info->CursorRect = cursorRect;
    info->HintData = &FHintData;
    info->HintWindowClass = GetHintWindowClass();
    FLastHintRect = cursorRect;
    DoStateChange({tsHint});
}

void TBaseVirtualTree::CMHintShowPause(TMessage& Message) {
    auto* pause = reinterpret_cast<int*>(Message.LParam);
    if (!pause) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    const TPoint mouse = ScreenToClient(TPoint(cursor.x, cursor.y));
    const bool headerHint = FHeader->UseColumns() && FHeader->GetOptions().Contains(hoShowHint) &&
                            mouse.y < 0;
    if (FHintMode == hmTooltip || (headerHint && HintWindowDestroyed)) *pause = 0;
}

// --- The tree's hint window ---------------------------------------------------------------------

bool HintWindowDestroyed = true;

TVirtualTreeHintWindow::TVirtualTreeHintWindow(TComponent* AOwner)
    : THintWindow(AOwner), FDrawBuffer(new TBitmap), FBackground(new TBitmap), FTarget(new TBitmap) {
    for (TBitmap* buffer : {FDrawBuffer.get(), FBackground.get(), FTarget.get()})
        buffer->SetPixelFormat(pf32bit);
    HintWindowDestroyed = false;
}

TVirtualTreeHintWindow::~TVirtualTreeHintWindow() {
    StopAnimation();
    HintWindowDestroyed = true;
}

TClass TVirtualTreeHintWindow::StaticClass() {
    static const TMetaClass meta(TClassBuilder<TVirtualTreeHintWindow>(u"TVirtualTreeHintWindow", THintWindow::StaticClass()));
    return &meta;
}

THintWindow* TVirtualTreeHintWindow::Make(TComponent* AOwner) {
    return new TVirtualTreeHintWindow(AOwner);
}

THintWindowClass TBaseVirtualTree::GetHintWindowClass() {
    return &TVirtualTreeHintWindow::Make;
}

void TVirtualTreeHintWindow::CreateParams(TCreateParams& Params) {
    THintWindow::CreateParams(Params);
    Params.Style = WS_POPUP;
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

TRect TVirtualTreeHintWindow::CalcHintRect(int MaxWidth, const UnicodeString& Hint, void* Data) {
    if (!Data) return TRect();
    FHintData = *static_cast<TVTHintData*>(Data);
    TBaseVirtualTree* tree = FHintData.Tree;
    if (!tree) return TRect();
    PVirtualNode node = FHintData.Node;
    if (dynamic_cast<TCustomVirtualDrawTree*>(tree) && node) return FHintData.HintRect;
    TVirtualTreeColumns* columns = tree->GetHeader()->GetColumns();
    FHintData.BidiMode = tree->GetBiDiMode();
    FHintData.Alignment = taLeftJustify;
    if (columns->IsValidColumn(FHintData.Column)) {
        FHintData.BidiMode = columns->GetItem(FHintData.Column)->GetBiDiMode();
        FHintData.Alignment = columns->GetItem(FHintData.Column)->GetAlignment();
    }
    const bool tooltip = tree->GetHintMode() == hmTooltip && node;
    auto* stringTree = dynamic_cast<TCustomVirtualStringTree*>(tree);
    TCanvas* canvas = GetCanvas();
    if (tooltip) {
        canvas->GetFont()->Assign(tree->GetFont());
        if (stringTree) stringTree->DoPaintText(node, canvas, FHintData.Column, ttNormal);
    } else {
        canvas->GetFont()->Assign(GetFont());
    }
    GetFont()->Assign(canvas->GetFont());
    TEXTMETRICW metrics{};
    GetTextMetricsW(canvas->GetHandle(), &metrics);
    FTextHeight = metrics.tmHeight;

    FHintData.LineBreakStyle = hlbDefault;
    if (!FHintData.DefaultHint.empty())
        FHintData.HintText = FHintData.DefaultHint;
    else if (node && tree->GetHintMode() == hmTooltip)
        FHintData.HintText = tree->DoGetNodeTooltip(node, FHintData.Column, FHintData.LineBreakStyle);
    else if (node)
        FHintData.HintText = tree->DoGetNodeHint(node, FHintData.Column, FHintData.LineBreakStyle);
    if (FHintData.HintText.empty()) return TRect();

    const int margin = tree->GetTextMargin();
    const WCHAR* text = reinterpret_cast<const WCHAR*>(FHintData.HintText.c_str());
    const int length = int(FHintData.HintText.size());
    TRect r;
    if (!tooltip || !FHintData.DefaultHint.empty()) {
        r = TRect(0, 0, MaxWidth, FTextHeight);
        DrawTextW(canvas->GetHandle(), text, length, &r, DT_CALCRECT | DT_NOPREFIX);
        r.bottom += 6;
        r.right += 2 * margin + 2;
    } else {
        if (FHintData.LineBreakStyle == hlbDefault)
            FHintData.LineBreakStyle =
                node->States.Contains(vsMultiline) ? hlbForceMultiLine : hlbForceSingleLine;
        if (FHintData.LineBreakStyle == hlbForceMultiLine) {
            r = tree->GetDisplayRect(node, FHintData.Column, false, true);
            DrawTextW(canvas->GetHandle(), text, length, &r,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            r.right += margin + 1;
            const TRect client = tree->GetClientRect();
            if (r.bottom - r.top <= tree->GetNodeHeight(node) + 2 && r.left >= 3 &&
                r.right <= client.right - 3)
                return TRect();
        } else {
            r = tree->GetDisplayRect(node, FHintData.Column, true, true);
            if (tree->GetTreeOptions()->GetPaintOptions().Contains(toShowHorzGridLines))
                r.bottom -= 1;
        }
    }
    // The window covers the cell's text exactly, one pixel of frame around it.
    InflateRect(&r, 1, 1);
    OffsetRect(&r, -r.left - 1, -r.top - 1);
    return r;
}

void TVirtualTreeHintWindow::ActivateHint(TRect Rect, const UnicodeString& Hint) {
    // A hint still coming in gives way to the new one.
    if (FAnimatedTree && !HintWindowDestroyed) FAnimatedTree->DoStateChange({tsCancelHintAnimation});
    StopAnimation();
    TBaseVirtualTree* tree = FHintData.Tree;
    POINT cursor{};
    GetCursorPos(&cursor);
    if (IsRectEmpty(&Rect) || !tree ||
        tree->ScreenToClient(TPoint(cursor.x, cursor.y)).x + 5 > tree->GetWidth()) {
        if (HandleAllocated()) ShowWindow(GetHandle(), SW_HIDE);
        return;
    }
    // Keep the whole window on the desktop.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (Rect.right > screenWidth) OffsetRect(&Rect, screenWidth - Rect.right, 0);
    if (Rect.bottom > screenHeight) OffsetRect(&Rect, 0, screenHeight - Rect.bottom);
    if (Rect.left < 0) OffsetRect(&Rect, -Rect.left, 0);
    if (Rect.top < 0) OffsetRect(&Rect, 0, -Rect.top);
    const int width = Rect.right - Rect.left;
    const int height = Rect.bottom - Rect.top;

    SetCaption(Hint);
    HandleNeeded();
    SetWindowPos(GetHandle(), HWND_TOPMOST, Rect.left, Rect.top, width, height,
                 SWP_NOACTIVATE | SWP_HIDEWINDOW);
    SetBoundsRect(Rect);
    FDrawBuffer->SetSize(width, height);
    FBackground->SetSize(width, height);
    FTarget->SetSize(width, height);
    // What lies under the hint: the tree's window, header and all (the layer
    // keeps no composed picture of the screen).
    if (tree->HandleAllocated()) {
        RECT treeRect;
        GetWindowRect(tree->GetHandle(), &treeRect);
        HDC dc = GetWindowDC(tree->GetHandle());
        BitBlt(FBackground->GetCanvas()->GetHandle(), 0, 0, width, height, dc,
               Rect.left - treeRect.left, Rect.top - treeRect.top, SRCCOPY);
        ReleaseDC(tree->GetHandle(), dc);
    }
    HintWindowDestroyed = false;
    FAnimationStep = 0;
    DrawHint(FDrawBuffer->GetCanvas());

    FAnimationType = tree->DoGetAnimationType();
    const uint32_t duration = tree->GetAnimationDuration();
    FAnimationSteps = 0;
    // The tree runs one animation at a time: while it slides rows open the
    // hint simply shows.
    if (!tree->HasState(tsInAnimation)) {
        if (FAnimationType == hatFade && duration > 0) {
            FAnimationSteps = 255;
            FAnimationDuration = 2 * duration;
        } else if (FAnimationType == hatSlide && duration > 0 && height > 0) {
            FAnimationSteps = height;
            FAnimationDuration = duration;
        }
    }
    if (FAnimationSteps) {
        FAnimatedTree = tree;
        tree->DoStateChange({tsInAnimation}, {tsCancelHintAnimation});
    }
    SetWindowPos(GetHandle(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (!FAnimationSteps) {
        Invalidate();
        return;
    }
    FAnimationStart = GetTickCount();
    InternalPaint(0, 1);
    SetTimer(GetHandle(), 1, 16, nullptr); // about one frame
}

bool TVirtualTreeHintWindow::IsHintMsg(const MSG& Msg) {
    const bool visible = HandleAllocated() && IsWindowVisible(GetHandle());
    // A tooltip lies over the text the user points at and types over: moving
    // over the header and typing leave it up.
    if (visible && (Msg.message == WM_NCMOUSEMOVE ||
                    (Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST)))
        return false;
    return THintWindow::IsHintMsg(Msg);
}

void TVirtualTreeHintWindow::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        // The buffers cover every pixel.
        Message.Result = 1;
        return;
    case WM_NCPAINT:
    case CM_TEXTCHANGED:
        // No frame to paint, and the caption (a single space) never sizes the window.
        return;
    case WM_SHOWWINDOW:
        if (!Message.WParam) {
            StopAnimation();
            FHintData = TVTHintData{};
            HintWindowDestroyed = false;
        }
        break;
    case WM_TIMER:
        AnimationFrame();
        return;
    default:
        break;
    }
    THintWindow::WndProc(Message);
}

void TVirtualTreeHintWindow::StopAnimation() {
    if (FAnimationSteps && HandleAllocated()) KillTimer(GetHandle(), 1);
    FAnimationSteps = 0;
    // A tree whose window went away has left its animation state itself.
    TBaseVirtualTree* tree = std::exchange(FAnimatedTree, nullptr);
    if (tree && !HintWindowDestroyed) tree->DoStateChange({}, {tsInAnimation, tsCancelHintAnimation});
}

void TVirtualTreeHintWindow::AnimationFrame() {
    if (!FAnimationSteps) {
        if (HandleAllocated()) KillTimer(GetHandle(), 1);
        return;
    }
    const uint32_t elapsed = GetTickCount() - FAnimationStart;
    if (elapsed >= FAnimationDuration) {
        StopAnimation();
        AnimationCallback(0, 0);
        return;
    }
    const int step = int(uint64_t(elapsed) * FAnimationSteps / FAnimationDuration);
    if (!AnimationCallback(step, 1)) StopAnimation();
}

bool TVirtualTreeHintWindow::AnimationCallback(int Step, int StepSize) {
    TBaseVirtualTree* tree = FHintData.Tree;
    if (HintWindowDestroyed || !HandleAllocated() || !IsWindowVisible(GetHandle()) || !tree ||
        tree->GetComponentState().Contains(csDestroying) || tree->HasState(tsCancelHintAnimation))
        return false;
    InternalPaint(Step, StepSize);
    return true;
}

void TVirtualTreeHintWindow::Paint() {
    // A repaint during an animation shows the step reached, not the end.
    if (FAnimationSteps)
        InternalPaint(FAnimationStep, 1);
    else
        CopyToWindow(FDrawBuffer.get());
}

void TVirtualTreeHintWindow::InternalPaint(int Step, int StepSize) {
    FAnimationStep = Step;
    if (StepSize == 0 || FAnimationType == hatNone) {
        CopyToWindow(FDrawBuffer.get());
        return;
    }
    const int width = FDrawBuffer->GetWidth();
    const int height = FDrawBuffer->GetHeight();
    if (FAnimationType == hatFade) {
        HDC target = FTarget->GetCanvas()->GetHandle();
        BitBlt(target, 0, 0, width, height, FBackground->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
        ::AlphaBlend(FDrawBuffer->GetCanvas()->GetHandle(), target, TRect(0, 0, width, height),
                     TPoint(0, 0), bmConstantAlpha, Step * 256 / 255, 0);
        CopyToWindow(FTarget.get());
        return;
    }
    // Sliding: the hint's last Step rows come down from the top over what was there.
    HDC target = FTarget->GetCanvas()->GetHandle();
    const int rows = std::clamp(Step, 0, height);
    BitBlt(target, 0, 0, width, height, FBackground->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    BitBlt(target, 0, 0, width, rows, FDrawBuffer->GetCanvas()->GetHandle(), 0, height - rows,
           SRCCOPY);
    CopyToWindow(FTarget.get());
}

void TVirtualTreeHintWindow::CopyToWindow(TBitmap* Source) {
    if (!HandleAllocated()) return;
    HDC dc = GetDC(GetHandle());
    BitBlt(dc, 0, 0, Source->GetWidth(), Source->GetHeight(), Source->GetCanvas()->GetHandle(), 0,
           0, SRCCOPY);
    ReleaseDC(GetHandle(), dc);
}

void TVirtualTreeHintWindow::DrawHint(TCanvas* canvas) {
    TBaseVirtualTree* tree = FHintData.Tree;
    TRect r(0, 0, FDrawBuffer->GetWidth(), FDrawBuffer->GetHeight());
    if (auto* drawTree = dynamic_cast<TCustomVirtualDrawTree*>(tree); drawTree && FHintData.Node) {
        drawTree->DoDrawHint(canvas, FHintData.Node, r, FHintData.Column);
        return;
    }
    canvas->GetBrush()->SetColor(clInfoBk);
    canvas->GetPen()->SetColor(clBlack);
    canvas->Rectangle(r);
    InflateRect(&r, -1, -1);
    canvas->GetFont()->Assign(GetFont());
    canvas->GetFont()->SetColor(clInfoText);
    SetBkMode(canvas->GetHandle(), TRANSPARENT);
    const int margin = tree ? tree->GetTextMargin() : 2;
    const bool tooltip = tree && tree->GetHintMode() == hmTooltip && FHintData.Node &&
                         FHintData.DefaultHint.empty();
    UINT format = DT_NOPREFIX;
    if (FHintData.BidiMode != bdLeftToRight) {
        format |= DT_RIGHT | DT_RTLREADING;
        r.right -= margin;
    } else {
        r.left += margin;
    }
    if (tooltip && FHintData.LineBreakStyle == hlbForceMultiLine) {
        format |= DT_WORDBREAK;
        r.top += 1;
    } else if (tooltip) {
        format |= DT_SINGLELINE | DT_VCENTER;
    } else {
        r.top += 2;
    }
    DrawTextW(canvas->GetHandle(), reinterpret_cast<const WCHAR*>(FHintData.HintText.c_str()),
              int(FHintData.HintText.size()), &r, format);
}
