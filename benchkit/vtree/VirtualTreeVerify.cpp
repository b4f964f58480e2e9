// The whole-tree check: every rule of the node model written as code. Tests
// call it after each change they make; builds that check call it at the end
// of each outermost structural operation.
#include "benchkit/vtree/IDEVirtualTrees.h"

#include <win32/Verify.h>

#include <exception>

namespace {

// Walks a subtree; false at the first broken rule, named in Error.
struct TTreeChecker {
    PVirtualNode Root;
    uint32_t FullyVisible = 0;
    std::string Error;

    bool Check(PVirtualNode Node, bool Shown) {
        uint32_t count = 0;
        uint64_t total = 1;
        uint64_t height = Node->NodeHeight;
        PVirtualNode prev = nullptr;
        for (PVirtualNode child = Node->FirstChild; child; child = child->NextSibling) {
            if (child->Parent != Node) return Fail(child, "parent link");
            if (child->PrevSibling != prev) return Fail(child, "previous link");
            if (child->Index != count) return Fail(child, "index");
            const bool childShown = Shown && child->States.Contains(vsVisible);
            if (childShown) ++FullyVisible;
            if (!Check(child, childShown && child->States.Contains(vsExpanded))) return false;
            total += child->TotalCount;
            if (Node->States.Contains(vsExpanded) && child->States.Contains(vsVisible))
                height += child->TotalHeight;
            prev = child;
            ++count;
        }
        if (Node->LastChild != prev) return Fail(Node, "last child");
        if (Node->ChildCount != count) return Fail(Node, "child count");
        if (Node->TotalCount != total) return Fail(Node, "total count");
        if (Node->TotalHeight != height) return Fail(Node, "total height");
        if (count > 0 && !Node->States.Contains(vsHasChildren)) return Fail(Node, "has children");
        if (Node != Root && Node->States.Contains(vsExpanded) && count == 0)
            return Fail(Node, "expanded without children");
        return true;
    }
    bool Fail(PVirtualNode Node, const char* What) {
        Error = std::string(What) + " wrong at node index " + std::to_string(Node->Index);
        return false;
    }
};

} // namespace

std::string TBaseVirtualTree::VerifyTree() const {
    TTreeChecker checker{FRoot};
    if (!checker.Check(FRoot, true)) return checker.Error;
    if (checker.FullyVisible != FVisibleCount)
        return "visible count " + std::to_string(FVisibleCount) + ", counted " +
               std::to_string(checker.FullyVisible);
    if (FRoot->NextSibling != FRoot || FRoot->PrevSibling != FRoot) return "root sibling links";
    return {};
}

void TBaseVirtualTree::EndCheckedChange(bool Check) {
    --FChangeDepth;
    if constexpr (win32::VerifyActive) {
        // An operation left by an error is not checked: the error is the news.
        if (!Check || FChangeDepth > 0 || FUpdateCount > 0 || FDestroying ||
            std::uncaught_exceptions() > 0)
            return;
        const std::string error = VerifyTree();
        if (!error.empty())
            win32::VerifyFailed(("the tree after a change: " + error).c_str(), __FILE__, __LINE__);
    }
}
