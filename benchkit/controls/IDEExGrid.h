// A draw grid that asks its user, cell by cell, whether the editor may show,
// and lets it answer hint requests.
#pragma once
#pragma GCC visibility push(default)

#include <quorlpak/Grids.h>

using TEditRequestEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, bool& CanEdit)>;
using THintEvent = std::function<void(TObject* Sender, THintInfo* HintInfo)>;

class TTDStringGrid : public TDrawGrid {
public:
    using TDrawGrid::TDrawGrid;
    static TClass StaticClass();
    TClass ClassType() const override { return StaticClass(); }

    void Dispatch(TMessage& Message) override;

    TEditRequestEvent OnEditRequest;
    THintEvent OnHint;

protected:
    bool CanEditShow() override;
};

#pragma GCC visibility pop
