// The picture that WINLAYER_SNAPSHOT asks for: the pixels of the active
// window (or else the first one shown), saved as a PNG once the delay after
// the first window appeared has passed and the window has painted.
#include "XPresenter.h"

#include "../user/UserState.h"

#include <win32/readback.h>
#include <win32/wingdi.h>
#include <win32/winnls.h>
#include <win32/winuser.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace win32::present {

namespace {

std::string Utf8(const std::u16string& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWCH>(text.data()),
                                      static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWCH>(text.data()),
                        static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace

constexpr int kRecheckMs = 2;
constexpr int kMostRechecks = 250; // half a second

int XPresenter::PollTimeout() const {
    // Before the window has painted there is nothing to save: its paint wakes us.
    if (!snapshotDue_ || !havePixels_ || snapshotWaiting_) return -1;
    if (snapshotRechecks_ > 0) return kRecheckMs;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        *snapshotDue_ - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count() + 1, 0, 60000));
}

void XPresenter::SnapshotIfDue() {
    if (!snapshotDue_ || !havePixels_ || std::chrono::steady_clock::now() < *snapshotDue_) return;
    const std::string path = snapshotPath_;
    HWND active = GetActiveWindow();
    HWND chosen = nullptr;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    std::u16string title;
    {
        std::lock_guard<std::recursive_mutex> tree(user::S().lock);
        std::lock_guard<std::mutex> guard(P().lock);
        for (auto& [hwnd, pr] : P().windows) {
            if (!pr.mapped || pr.shadow.empty()) continue;
            if (chosen && hwnd != active) continue;
            chosen = hwnd;
            pixels = pr.shadow;
            width = pr.width;
            height = pr.height;
            title = pr.title;
        }
        // Save it once what it has to paint is painted.
        auto w = chosen ? user::S().windows.find(reinterpret_cast<uintptr_t>(chosen))
                        : user::S().windows.end();
        if (w != user::S().windows.end() && w->second->queue &&
            w->second->queue->windowsToPaint.load() > 0) {
            snapshotWaiting_ = true;
            return;
        }
        // A paint under way has validated the window but not drawn it yet;
        // its end wakes us.
        for (const auto& [dc, open] : P().openDCs)
            if (open.top == chosen) {
                snapshotWaiting_ = true;
                return;
            }
        // A paint that has just ended is drawn but not yet in the shadow
        // until its thread flushes; that comes at once, so look again soon.
        auto shown = chosen ? P().windows.find(chosen) : P().windows.end();
        if (shown != P().windows.end() && !shown->second.candidates.Empty() &&
            snapshotRechecks_ < kMostRechecks) {
            ++snapshotRechecks_;
            return;
        }
    }
    snapshotDue_.reset();
    snapshotRechecks_ = 0;
    snapshotPath_.clear(); // once
    if (!chosen) {
        std::fprintf(stderr, "winlayer: no window on screen to save as %s\n", path.c_str());
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool saved = false;
    if (bitmap && bits) {
        std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
        saved = win32::SaveBitmapAsPng(bitmap, path);
    }
    if (bitmap) DeleteObject(bitmap);
    if (saved)
        std::fprintf(stderr, "winlayer: saved window \"%s\" (%dx%d) as %s\n", Utf8(title).c_str(),
                     width, height, path.c_str());
    else
        std::fprintf(stderr, "winlayer: could not save a snapshot as %s\n", path.c_str());
    if (snapshotClose_) PostMessageW(chosen, WM_SYSCOMMAND, SC_CLOSE, 0);
}

} // namespace win32::present
