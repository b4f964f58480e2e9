// Animations of the tree: the step driver on the layer's clock and the
// sliding of rows when a node opens or closes.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Forms.h>

#include <win32/windows.h>

#include <algorithm>
#include <cmath>

void TBaseVirtualTree::Animate(uint32_t Steps, uint32_t Duration,
                               const TVTAnimationCallback& Callback, void* Data) {
    if (HasState(tsInAnimation) || Duration == 0 || !Callback) return;
    DoStateChange({tsInAnimation});
    auto done = runpak::ScopeExit([this] { DoStateChange({}, {tsInAnimation}); });
    // Fewer steps than milliseconds move one pixel a step; more move several.
    int stepSize = int(std::lrint(std::max(double(Steps) / double(Duration), 1.0)));
    int remaining = int(Steps) / stepSize;
    int nextStep = 0;
    int64_t timeLeft = Duration;
    auto terminating = [] { return Application && Application->GetTerminated(); };
    while (remaining > 0 && timeLeft > 0 && !terminating()) {
        const uint64_t start = GetTickCount64();
        if (!Callback(nextStep, stepSize, Data)) break;
        // Each step gets an equal share of the time still left. The wait
        // sleeps on the layer's clock rather than spinning on it.
        const uint64_t share = uint64_t(timeLeft / remaining);
        const uint64_t spent = GetTickCount64() - start;
        if (spent < share) Sleep(DWORD(share - spent));
        const int64_t elapsed = int64_t(GetTickCount64() - start);
        if (elapsed >= timeLeft) {
            timeLeft = 0;
            remaining = 0;
        } else {
            timeLeft -= elapsed;
            --remaining;
        }
        // Behind time: bigger steps, fewer of them.
        while (remaining > 0 && timeLeft / remaining == 0) {
            ++stepSize;
            remaining = int(timeLeft / stepSize);
        }
        nextStep = int(Steps) - remaining;
    }
    if (!terminating()) Callback(0, 0, Data);
}

bool TBaseVirtualTree::ToggleCallback(int Step, int StepSize, void* Data) {
    if (StepSize <= 0) return true;
    auto* data = static_cast<TToggleAnimationData*>(Data);
    RECT r = data->R;
    // Content moved by ScrollDC leaves its old pixels behind, so the band
    // filled in the first step is copied along by every later one.
    ScrollDC(data->DC, 0, data->Expand ? StepSize : -StepSize, &r, &r, nullptr, nullptr);
    if (Step != 0) return true;
    TRect band = data->R;
    if (data->Expand)
        band.bottom = std::min<int>(band.bottom, band.top + StepSize + 1);
    else
        band.top = std::max<int>(band.top, band.bottom - StepSize - 1);
    if (!FHeader->UseColumns()) {
        RECT fill = band;
        FillRect(data->DC, &fill, data->Brush);
        return true;
    }
    // With columns each column keeps its own colour; the rest is the tree's.
    RECT rest = band;
    FillRect(data->DC, &rest, data->Brush);
    TVirtualTreeColumns* columns = FHeader->GetColumns();
    for (TVirtualTreeColumn* column : columns->GetVisibleColumns()) {
        const TColor colour =
            column->GetOptions().Contains(coParentColor) ? GetColor() : column->GetColor();
        // Bounds as shown: scrolled, except for fixed columns.
        int left = 0, right = 0;
        columns->GetColumnBounds(column->GetIndex(), left, right);
        RECT cell{std::max<int>(left, band.left), band.top, std::min<int>(right, band.right),
                  band.bottom};
        if (cell.right <= cell.left) continue;
        HBRUSH brush = CreateSolidBrush(ColorToRGB(colour));
        FillRect(data->DC, &cell, brush);
        DeleteObject(brush);
    }
    return true;
}

void TBaseVirtualTree::AnimateToggle(PVirtualNode Node, bool Expanding, int64_t ExtraHeight) {
    if (!FOptions->GetAnimationOptions().Contains(toAnimatedToggle) || FUpdateCount != 0) return;
    if (!HandleAllocated() || !IsWindowVisibleOnScreen() || ExtraHeight <= 0) return;
    if (Expanding) {
        if (HasState(tsExpanding) || HasState(tsPainting)) return;
        // Nothing below the node: nothing to slide.
        if (!GetNextVisibleNoInit(Node)) return;
    } else if (HasState(tsCollapsing)) {
        return;
    }
    const TRect row = GetDisplayRect(Node, NoColumn, false);
    const int clientHeight = GetClientHeight();
    if (row.bottom < 0 || row.bottom >= clientHeight) return;
    const int64_t steps = std::min<int64_t>(ExtraHeight, clientHeight - row.bottom);
    TToggleAnimationData data;
    data.Expand = Expanding;
    data.Window = GetHandle();
    data.DC = GetDC(data.Window);
    if (!data.DC) return;
    data.Brush = CreateSolidBrush(ColorToRGB(GetColor()));
    data.R = TRect{0, row.bottom, GetClientWidth(), clientHeight};
    auto release = runpak::ScopeExit([&data] {
        DeleteObject(data.Brush);
        ReleaseDC(data.Window, data.DC);
    });
    Animate(uint32_t(steps), FAnimationDuration,
            [this](int Step, int StepSize, void* D) { return ToggleCallback(Step, StepSize, D); },
            &data);
}
