// The simplest view manager: one painter and one editor for every item of
// every kind of view.
#pragma once
#pragma GCC visibility push(default)

#include "benchkit/mvc/IDEViewManager.h"

class TBasicViewManager : public TInterfacedObject,
                          public IGraphViewManager,
                          public IVectorViewManager,
                          public ISingletonViewManager {
public:
    TBasicViewManager(IItemPainter* Painter, IItemEditor* Editor)
        : FPainter(Painter), FEditor(Editor) {}

    HRESULT QueryInterface(REFIID iid, void** out) noexcept override;

    InterfacePtr<IItemPainter> GetPainter() const { return FPainter; }
    void SetPainter(IItemPainter* Value) { FPainter = Value; }
    InterfacePtr<IItemEditor> GetEditor() const { return FEditor; }
    void SetEditor(IItemEditor* Value) { FEditor = Value; }

    InterfacePtr<IItemPainter> GetPainter(IGraphLocation*, IInterface*, TItemState) override {
        return FPainter;
    }
    InterfacePtr<IItemEditor> GetEditor(IGraphLocation*, IInterface*, TItemState) override {
        return FEditor;
    }
    // The view is done with its editor: Editor takes its place.
    void ClearEditor(IItemEditor* Editor) override { FEditor = Editor; }
    InterfacePtr<IItemPainter> GetPainter(int, IInterface*, TItemState) override {
        return FPainter;
    }
    InterfacePtr<IItemEditor> GetEditor(int, IInterface*, TItemState) override { return FEditor; }
    InterfacePtr<IItemPainter> GetPainter(IInterface*, TItemState) override { return FPainter; }
    InterfacePtr<IItemEditor> GetEditor(IInterface*, TItemState) override { return FEditor; }
    InterfacePtr<IItemPainter> GetPainter(int Row, int Col, IInterface*, TItemState) {
        return FPainter;
    }
    InterfacePtr<IItemEditor> GetEditor(int Row, int Col, IInterface*, TItemState) {
        return FEditor;
    }

private:
    InterfacePtr<IItemPainter> FPainter;
    InterfacePtr<IItemEditor> FEditor;
};

#pragma GCC visibility pop
