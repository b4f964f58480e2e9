// The tree stream reader on arbitrary bytes, through both ways in: it either
// reads nodes, and the tree's counters and links hold, or it raises the
// tree's error (or the stream's, for a short magic) and the tree is exactly
// as before.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Quorlpak.h>
#include <runpak/Streams.h>

#include <cstdint>
#include <cstdlib>

namespace {

TBaseVirtualTree* Tree() {
    static TBaseVirtualTree* tree = [] {
        InitializeQuorlpak();
        InitializeIDEVirtualTrees();
        auto* t = new TBaseVirtualTree(nullptr);
        t->AfterConstruction();
        t->SetNodeDataSize(4);
        // The application's data: whatever the chunk holds, at most 4 bytes.
        t->OnLoadNode = [t](TBaseVirtualTree*, PVirtualNode node, TStream* s) {
            s->Read(t->GetNodeData(node), 4);
        };
        return t;
    }();
    return tree;
}

void Check(bool Condition) {
    if (!Condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBaseVirtualTree* tree = Tree();
    tree->Clear();
    tree->SetRootNodeCount(2);
    const bool add = size % 2 == 1;
    TBytesStream stream(TBytes(data, data + size));
    try {
        if (add)
            tree->AddFromStream(&stream, tree->GetRootNode()->FirstChild);
        else
            tree->LoadFromStream(&stream);
    } catch (const EVirtualTreeError&) {
        Check(tree->GetRootNode()->TotalCount == (add ? 3u : 1u));
    } catch (const EReadError&) {
        Check(add && tree->GetRootNode()->TotalCount == 3u);
    }
    Check(tree->VerifyTree().empty());

    // What was read writes and reads back to the same number of nodes.
    const uint32_t total = tree->GetRootNode()->TotalCount;
    TBytesStream saved;
    tree->SaveToStream(&saved);
    saved.SetPosition(0);
    tree->LoadFromStream(&saved);
    Check(tree->GetRootNode()->TotalCount == total);
    Check(tree->VerifyTree().empty());
    return 0;
}
