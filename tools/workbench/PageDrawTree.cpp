// The owner-draw tree page: the tree places lines, buttons and selection;
// the page draws each cell itself, a colour swatch and its name.
#include "WorkbenchPage.h"

#include <benchkit/vtree/IDEVirtualTrees.h>
#include <quorlpak/Canvas.h>
#include <runpak/Strings.h>

namespace {

TVirtualDrawTree* Tree = nullptr;

TColor SwatchColor(PVirtualNode Node) {
    const uint32_t v = Node->Index * 2654435761u;
    return TColor(v & 0x00FFFFFF);
}

void Build(TWinControl* Sheet) {
    auto* tree = new TVirtualDrawTree(Sheet);
    Tree = tree;
    tree->SetParent(Sheet);
    tree->SetAlign(alClient);
    tree->SetDefaultNodeHeight(24);
    TVTHeader* header = tree->GetHeader();
    header->SetOptions(header->GetOptions() + hoVisible);
    for (const char16_t* text : {u"Swatch", u"Value"}) {
        TVirtualTreeColumn* column = header->GetColumns()->Add();
        column->SetText(text);
        column->SetWidth(260);
    }
    header->SetMainColumn(0);
    tree->OnInitNode = [](TBaseVirtualTree*, PVirtualNode Parent, PVirtualNode Node,
                          TVirtualNodeInitStates& States) {
        if (!Parent && Node->Index % 4 == 0) States.Include(ivsHasChildren);
    };
    tree->OnInitChildren = [](TBaseVirtualTree*, PVirtualNode, uint32_t& Count) { Count = 4; };
    tree->OnDrawNode = [](TBaseVirtualTree*, const TVTPaintInfo& Info) {
        TCanvas* canvas = Info.Canvas;
        const TRect r = Info.ContentRect;
        const TColor colour = SwatchColor(Info.Node);
        if (Info.Column == 0) {
            canvas->GetPen()->SetColor(clBlack);
            canvas->GetBrush()->SetColor(colour);
            canvas->Rectangle(r.left + 2, r.top + 4, r.left + 18, r.bottom - 4);
            canvas->GetBrush()->SetStyle(bsClear);
            canvas->TextOut(r.left + 24, r.top + 4, u"Swatch " + IntToStr(int(Info.Node->Index)));
        } else {
            canvas->GetBrush()->SetStyle(bsClear);
            canvas->TextOut(r.left + 4, r.top + 4, u"#" + IntToHex(int(colour), 6));
        }
    };
    tree->OnGetNodeWidth = [](TBaseVirtualTree*, TCanvas*, PVirtualNode, TColumnIndex,
                              int& Width) { Width = 120; };
    tree->SetRootNodeCount(1000);
}

void Exercise(TWinControl*) {
    Tree->SetExpanded(Tree->GetFirst(), true);
    PVirtualNode row = Tree->GetNextVisible(Tree->GetFirst());
    Tree->SetSelected(row, true);
    Tree->SetFocusedNode(row);
    PumpWorkbench();
}

} // namespace

extern const TWorkbenchPage DrawTreePage = {"drawtree", u"Draw tree", Build, Exercise};
