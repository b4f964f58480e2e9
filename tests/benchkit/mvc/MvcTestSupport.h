// A listener that writes down what it hears, for the model-view tests.
#pragma once

#include "benchkit/mvc/IDEGraphImpl.h"
#include "benchkit/mvc/IDESingletonImpl.h"
#include "benchkit/mvc/IDEVectorImpl.h"

#include <runpak/UString.h>

#include <functional>
#include <string>
#include <vector>

// Records each call as "<operation> <change>@<location>" (hex change codes).
class TRecorder : public TInterfacedObject,
                  public ISingletonModelListener,
                  public IVectorModelListener,
                  public IGraphModelListener,
                  public IVectorSelectionListener,
                  public IGraphSelectionListener,
                  public IBatchUpdate {
public:
    explicit TRecorder(std::string Name = "") : FName(std::move(Name)) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override {
        if (ProvideInterface<ISingletonModelListener, IVectorModelListener, IGraphModelListener,
                             IVectorSelectionListener, IGraphSelectionListener, IBatchUpdate,
                             IEventListener>(this, iid, out))
            return S_OK;
        return TInterfacedObject::QueryInterface(iid, out);
    }

    void ModelContentChanged(ISingletonModelEvent* E) override { Note("content", 1, ""); }
    void ModelStructureChanged(IVectorModelEvent* E) override {
        Note("structure", E->GetChange(), std::to_string(E->GetLocation()));
    }
    void ModelContentChanged(IVectorModelEvent* E) override {
        Note("content", E->GetChange(), std::to_string(E->GetLocation()));
    }
    void ModelStructureChanged(IGraphModelEvent* E) override {
        Note("structure", E->GetChange(), Where(E->GetLocation().Get()));
    }
    void ModelContentChanged(IGraphModelEvent* E) override {
        Note("content", E->GetChange(), Where(E->GetLocation().Get()));
    }
    void SelectionItemChanged(IVectorSelectionEvent* E) override {
        Note("item", E->GetChange(), std::to_string(E->GetLocation()));
    }
    void SelectionRangeChanged(IVectorSelectionEvent* E) override {
        Note("range", E->GetChange(),
             std::to_string(E->GetRangeStart()) + ".." + std::to_string(E->GetRangeEnd()));
    }
    void SelectionChanged(IVectorSelectionEvent* E) override { Note("all", E->GetChange(), ""); }
    void SelectionItemChanged(IGraphSelectionEvent* E) override {
        Note("item", E->GetChange(), Where(E->GetLocation().Get()));
    }
    void SelectionChanged(IGraphSelectionEvent* E) override { Note("all", E->GetChange(), ""); }
    void BeginUpdate() override { Log.push_back(FName + "begin"); }
    void EndUpdate() override { Log.push_back(FName + "end"); }

    // Names for locations in the log; unnamed ones are "?", nil is "nil".
    std::function<std::string(IGraphLocation*)> Namer;
    // Runs after each model or selection call is written down.
    std::function<void()> OnCall;
    std::vector<std::string> Log;

private:
    void Note(const char* what, int change, const std::string& where) {
        char code[16];
        snprintf(code, sizeof code, "%X", change);
        Log.push_back(FName + what + " " + code + (where.empty() ? "" : "@" + where));
        if (OnCall) OnCall();
    }
    std::string Where(IGraphLocation* location) {
        if (!location) return "nil";
        return Namer ? Namer(location) : "?";
    }

    std::string FName;
};

using Log = std::vector<std::string>;

inline InterfacePtr<IInterfaceList> Locations(std::initializer_list<int> values) {
    InterfacePtr<IInterfaceList> list(new TInterfaceList);
    for (int v : values)
        list->Add(static_cast<IIndexObject*>(new TIntegerObject(v)));
    return list;
}
