// The model-view tree on a linked tree of 100,000 nodes (100 x 999 under one
// root): expanding everything (states built, rows measured and laid out)
// and painting a screenful of the expanded tree at the top and in the middle.
#include "benchkit/mvc/IDEBasicViewManager.h"
#include "benchkit/mvc/IDETreeView.h"

#include <quorlpak/Forms.h>
#include <quorlpak/Quorlpak.h>

#include <benchmark/benchmark.h>

#include <string>

namespace {

InterfacePtr<IInterface> Text(const std::string& s) {
    return InterfacePtr<IInterface>(
        static_cast<IStringObject*>(new TTextObject(std::u16string(s.begin(), s.end()))));
}

InterfacePtr<TBasicTreeContainer> MakeModel() {
    InterfacePtr<TBasicTreeContainer> model(new TBasicTreeContainer(Text("root").Get()));
    InterfacePtr<IGraphLocation> root = model->GetRoot();
    model->EnableModelEvents(false);
    for (int i = 0; i < 100; ++i) {
        InterfacePtr<IGraphLocation> p =
            model->AddChild(root.Get(), Text("node " + std::to_string(i)).Get());
        for (int j = 0; j < 999; ++j)
            model->AddChild(p.Get(),
                            Text("leaf " + std::to_string(i) + "." + std::to_string(j)).Get());
    }
    model->EnableModelEvents(true);
    return model;
}

// A shown 800 x 600 view over the model, laid out once.
struct TBench {
    TForm* Form;
    TTreeView2* View;
    InterfacePtr<TBasicTreeContainer> Model = MakeModel();
    TBench() {
        InitializeQuorlpak();
        Form = new TForm(Application);
        Form->AfterConstruction();
        Form->SetClientWidth(800);
        Form->SetClientHeight(600);
        Form->Show();
        View = new TTreeView2(Form);
        View->SetAlign(alClient);
        View->SetParent(Form);
        InterfacePtr<IGraphViewManager> vm(
            new TBasicViewManager(new TSelectableTextItemPainter, new TExpandingTextItemEditor));
        View->SetViewManager(vm.Get());
        View->SetModel(Model.Get());
        Application->ProcessMessages();
    }
    ~TBench() {
        Model = nullptr;
        FinalizeQuorlpak();
    }
    void Paint() {
        InvalidateRect(View->GetHandle(), nullptr, FALSE);
        UpdateWindow(View->GetHandle());
    }
};

void BM_ExpandAll100k(benchmark::State& state) {
    TBench bench;
    int rows = 0;
    for (auto _ : state) {
        bench.View->ExpandAll(bench.Model->GetRoot().Get());
        Application->ProcessMessages(); // the queued layout
        state.PauseTiming();
        rows = bench.View->GetLineCount();
        bench.View->CollapseChildNodes(bench.Model->GetRoot().Get());
        Application->ProcessMessages();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_ExpandAll100k)->Unit(benchmark::kMillisecond);

void BM_PaintScreenful(benchmark::State& state) {
    TBench bench;
    bench.View->ExpandAll(bench.Model->GetRoot().Get());
    Application->ProcessMessages();
    const int y = int(state.range(0)) * bench.View->GetPreferredSize().Height / 2;
    bench.View->SetScrollPosition(0, y);
    Application->ProcessMessages();
    for (auto _ : state)
        bench.Paint();
    state.counters["rows"] = bench.View->GetLineCount();
}
BENCHMARK(BM_PaintScreenful)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ExpandAndPaint100k(benchmark::State& state) {
    TBench bench;
    for (auto _ : state) {
        bench.View->ExpandAll(bench.Model->GetRoot().Get());
        Application->ProcessMessages();
        bench.Paint();
        state.PauseTiming();
        bench.View->CollapseChildNodes(bench.Model->GetRoot().Get());
        Application->ProcessMessages();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandAndPaint100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
