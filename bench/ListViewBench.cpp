// The list view in owner-data mode with a million items in four report
// columns, in an 800 x 600 client: the first paint after the count is set,
// scrolling by a page and repainting, and the heap the control takes per
// item (the goal is none: the owner makes every text when it is shown).
#include <win32/commctrl.h>
#include <win32/windows.h>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>

namespace {

constexpr int kMillion = 1000000;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The owner: every text is made from the item's index when asked.
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr->code == LVN_GETDISPINFOW) {
            auto& item = reinterpret_cast<NMLVDISPINFOW*>(hdr)->item;
            if (item.mask & LVIF_TEXT) {
                static const char16_t* words[] = {u"amber", u"birch", u"cobalt", u"delta"};
                std::u16string text;
                switch (item.iSubItem) {
                case 0:
                    text = u"Item ";
                    break;
                case 1:
                    text = words[item.iItem % 4];
                    break;
                case 2:
                    text = u"桜の項目 ";
                    break;
                default:
                    break;
                }
                for (char c : std::to_string(item.iItem * (item.iSubItem == 3 ? 7 : 1)))
                    text += static_cast<char16_t>(c);
                const size_t n = std::min<size_t>(text.size(), item.cchTextMax - 1);
                std::copy_n(text.begin(), n, item.pszText);
                item.pszText[n] = 0;
            }
            if (item.mask & LVIF_IMAGE) item.iImage = -1;
            return 0;
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct Fixture {
    HWND host = nullptr;
    HWND list = nullptr;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;

    Fixture() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = HostProc;
        wc.lpszClassName = u"ListViewBenchHost";
        RegisterClassW(&wc);
        host = CreateWindowExW(0, wc.lpszClassName, u"", WS_OVERLAPPEDWINDOW, 0, 0, kWidth + 40,
                               kHeight + 60, nullptr, nullptr, nullptr, nullptr);
        list =
            CreateWindowExW(0, WC_LISTVIEWW, u"",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                            0, 0, kWidth, kHeight, host, nullptr, nullptr, nullptr);
        const char16_t* names[] = {u"Name", u"Word", u"Text", u"Number"};
        for (int i = 0; i < 4; ++i) {
            std::u16string name = names[i];
            LVCOLUMNW c{};
            c.mask = LVCF_TEXT | LVCF_WIDTH;
            c.pszText = name.data();
            c.cx = 190;
            SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&c));
        }
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
    }
    ~Fixture() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        DestroyWindow(host);
    }
    // The whole client into the memory DC, as a buffered owner asks for it.
    void Paint() { SendMessageW(list, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0); }
    void SetCount(int n) { SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(n), 0); }
};

void BM_OwnerDataFirstPaint(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        state.PauseTiming();
        f.SetCount(0);
        state.ResumeTiming();
        f.SetCount(kMillion);
        f.Paint();
    }
}
BENCHMARK(BM_OwnerDataFirstPaint)->Unit(benchmark::kMillisecond);

void BM_OwnerDataScrollPageAndRepaint(benchmark::State& state) {
    Fixture f;
    f.SetCount(kMillion);
    f.Paint();
    int direction = 1;
    int pages = 0;
    for (auto _ : state) {
        // Down a thousand pages and back up, so that each page is new to the paint.
        if (++pages % 1000 == 0) direction = -direction;
        SendMessageW(f.list, WM_VSCROLL, direction > 0 ? SB_PAGEDOWN : SB_PAGEUP, 0);
        f.Paint();
    }
    state.counters["top"] = static_cast<double>(SendMessageW(f.list, LVM_GETTOPINDEX, 0, 0));
}
BENCHMARK(BM_OwnerDataScrollPageAndRepaint)->Unit(benchmark::kMillisecond);

// The heap taken by a million items, all of them selected and the last focused.
void BM_OwnerDataHeapPerItem(benchmark::State& state) {
    Fixture f;
    f.Paint();
    double perItem = 0;
    for (auto _ : state) {
        f.SetCount(0);
        const size_t before = mallinfo2().uordblks;
        f.SetCount(kMillion);
        LVITEMW all{};
        all.state = all.stateMask = LVIS_SELECTED;
        SendMessageW(f.list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&all));
        SendMessageW(f.list, WM_KEYDOWN, VK_END, 0);
        f.Paint();
        const size_t after = mallinfo2().uordblks;
        perItem = (static_cast<double>(after) - static_cast<double>(before)) / kMillion;
    }
    state.counters["bytes_per_item"] = perItem;
}
BENCHMARK(BM_OwnerDataHeapPerItem)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
