// The string tree on screen: a million rows in four columns in an 800 x 600
// client. The first full paint, scrolling by a page and repainting,
// expanding 100 x 1000 nodes and painting, and the node at a position in a
// validated tree.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/Forms.h>
#include <quorlpak/Quorlpak.h>
#include <runpak/Strings.h>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr uint32_t kMillion = 1000000;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

class TBenchStringTree : public TVirtualStringTree {
public:
    using TVirtualStringTree::TVirtualStringTree;
    void BuildCache() {
        DoStateChange({}, {tsStopValidation});
        DoValidateCache();
        DoStateChange({tsUseCache});
    }
};

// A form with a string tree of four columns whose client is 800 x 600.
struct TFixture {
    TForm* Form;
    TBenchStringTree* Tree;
    TBitmap Target;

    TFixture() {
        Form = new TForm(Application);
        Form->AfterConstruction();
        Form->SetClientWidth(kWidth + 40);
        Form->SetClientHeight(kHeight + 60);
        Tree = new TBenchStringTree(Form);
        Tree->SetParent(Form);
        Tree->SetBorderStyle(bsNone);
        Tree->GetScrollBarOptions()->SetScrollBars(TScrollStyle::ssNone);
        Tree->SetBounds(0, 0, kWidth, kHeight);
        Tree->HandleNeeded();
        const char16_t* names[] = {u"Name", u"Word", u"Text", u"Number"};
        for (int i = 0; i < 4; ++i) {
            TVirtualTreeColumn* column = Tree->GetHeader()->GetColumns()->Add();
            column->SetText(names[i]);
            column->SetWidth(200);
        }
        Tree->GetHeader()->SetMainColumn(0);
        Tree->OnGetText = [](TBaseVirtualTree*, PVirtualNode Node, TColumnIndex Column,
                             TQOZTextType, UnicodeString& Text) {
            static const char16_t* words[] = {u"amber", u"birch", u"cobalt", u"delta"};
            switch (Column) {
            case 0:
                Text = u"Item " + IntToStr(int(Node->Index));
                break;
            case 1:
                Text = words[Node->Index % 4];
                break;
            case 2:
                Text = u"桜の項目";
                break;
            default:
                Text = IntToStr(int(Node->Index * 7 % 1000));
                break;
            }
        };
        Target.SetPixelFormat(pf32bit);
        Target.SetSize(kWidth, kHeight);
    }
    ~TFixture() { delete Form; }

    void PaintClient() {
        const TPoint offset = Tree->GetOffsetXY();
        Tree->PaintTree(Target.GetCanvas(),
                        TRect{-offset.x, -offset.y, -offset.x + kWidth, -offset.y + kHeight},
                        TPoint{0, 0}, WindowPaintOptions);
    }
};

void BM_FirstPaint(benchmark::State& state) {
    TFixture f;
    for (auto _ : state) {
        state.PauseTiming();
        f.Tree->Clear();
        f.Tree->SetRootNodeCount(kMillion);
        state.ResumeTiming();
        f.PaintClient();
    }
}
BENCHMARK(BM_FirstPaint)->Unit(benchmark::kMillisecond);

void BM_ScrollPageAndRepaint(benchmark::State& state) {
    TFixture f;
    f.Tree->SetRootNodeCount(kMillion);
    f.Tree->UpdateScrollBars(false);
    f.PaintClient();
    int direction = -1;
    int pages = 0;
    for (auto _ : state) {
        // Down a thousand pages, then back up, so that each page is new to the paint.
        if (++pages % 1000 == 0) direction = -direction;
        f.Tree->SetOffsetY(f.Tree->GetOffsetY() + direction * kHeight);
        f.PaintClient();
    }
}
BENCHMARK(BM_ScrollPageAndRepaint)->Unit(benchmark::kMillisecond);

void BM_FullExpand100x1000AndPaint(benchmark::State& state) {
    TFixture f;
    for (auto _ : state) {
        state.PauseTiming();
        f.Tree->Clear();
        f.Tree->BeginUpdate();
        f.Tree->SetRootNodeCount(100);
        for (PVirtualNode n = f.Tree->GetFirstNoInit(); n; n = n->NextSibling)
            f.Tree->SetChildCount(n, 1000);
        f.Tree->EndUpdate();
        state.ResumeTiming();
        f.Tree->FullExpand();
        f.PaintClient();
    }
    state.counters["visible"] = f.Tree->GetVisibleCount();
}
BENCHMARK(BM_FullExpand100x1000AndPaint)->Unit(benchmark::kMillisecond);

void BM_NodeAtPosition(benchmark::State& state) {
    TFixture f;
    f.Tree->SetRootNodeCount(kMillion);
    f.Tree->BuildCache();
    std::mt19937 rng(5);
    const uint32_t height = f.Tree->GetContentHeight();
    for (auto _ : state) {
        int top = 0;
        benchmark::DoNotOptimize(f.Tree->GetNodeAt(0, int(rng() % height), false, top));
    }
}
BENCHMARK(BM_NodeAtPosition)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    InitializeQuorlpak();
    InitializeIDEVirtualTrees();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FinalizeQuorlpak();
    FinalizeIDEVirtualTrees();
    return 0;
}
