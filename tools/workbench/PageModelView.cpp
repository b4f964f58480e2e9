// The model-view page: a tree control over a linked-tree model, part of it
// opened, one row under the keyboard cursor and selected.
#include "WorkbenchPage.h"

#include <benchkit/mvc/IDETreeControl.h>
#include <quorlpak/StdCtrls.h>
#include <runpak/Strings.h>

#include <vector>

namespace {

InterfacePtr<IInterface> Item(const UnicodeString& text, int index) {
    return InterfacePtr<IInterface>(static_cast<IPair*>(new TTextIndexObject(text, index)));
}

void Build(TWinControl* Sheet) {
    auto* title = new TLabel(Sheet);
    title->SetParent(Sheet);
    title->SetBounds(8, 8, 500, 16);
    title->SetCaption(u"Tree control over a linked tree (keys, clicks and F2 edit in place)");

    auto* tree = new TTreeControl(Sheet);
    tree->SetName(u"ModelViewTree");
    tree->SetBounds(8, 30, 420, 360);
    tree->SetParent(Sheet);
    tree->SetColor(clWindow);
    const char16_t* groups[] = {u"Sources", u"Headers", u"資料", u"Tests"};
    InterfacePtr<IGraphLocation> root = tree->SetRoot(Item(u"Project", 0).Get());
    std::vector<InterfacePtr<IGraphLocation>> open{root};
    for (int g = 0; g < 4; ++g) {
        InterfacePtr<IGraphLocation> group = tree->AddChild(root.Get(), Item(groups[g], g).Get());
        for (int i = 0; i < 6; ++i) {
            InterfacePtr<IGraphLocation> file = tree->AddChild(
                group.Get(), Item(UnicodeString(groups[g]) + u" item " + IntToStr(i + 1), i).Get());
            if (i == 2)
                for (int k = 0; k < 3; ++k)
                    tree->AddChild(file.Get(), Item(u"detail " + IntToStr(k + 1), k).Get());
        }
        if (g != 1) open.push_back(group);
    }
    // Rows open once they have children, the outer ones first.
    for (auto& node : open) tree->Expand(node.Get());
}

void Exercise(TWinControl* Sheet) {
    auto* tree = static_cast<TTreeControl*>(Sheet->FindComponent(u"ModelViewTree"));
    if (!tree) return;
    tree->SetFocus();
    PumpWorkbench();
    for (int i = 0; i < 4; ++i) tree->Perform(WM_KEYDOWN, VK_DOWN, 0);
    tree->Perform(WM_KEYDOWN, VK_RIGHT, 0);
    PumpWorkbench();
}

} // namespace

extern const TWorkbenchPage ModelViewPage = {"modelview", u"Model view", Build, Exercise};
