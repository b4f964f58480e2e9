// A fixture with the application up on the manual clock, a tree class that
// opens the hooks tests look through, and a check of every counter and link
// the node model keeps.
#pragma once

#include "benchkit/vtree/IDEVirtualTrees.h"

#include <quorlpak/Forms.h>
#include <quorlpak/Quorlpak.h>
#include <win32/TestSeams.h>
#include <win32/windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class TTestTree : public TBaseVirtualTree {
public:
    explicit TTestTree(TComponent* AOwner) : TBaseVirtualTree(AOwner) {}

    using TBaseVirtualTree::AllocateInternalDataArea;
    using TBaseVirtualTree::CalculateCacheEntryCount;
    using TBaseVirtualTree::Change;
    using TBaseVirtualTree::CreateParams;
    using TBaseVirtualTree::DoColumnResize;
    using TBaseVirtualTree::DoHeaderClick;
    using TBaseVirtualTree::DoHeaderDragging;
    using TBaseVirtualTree::DoValidateCache;
    using TBaseVirtualTree::FTempNodeCache;
    using TBaseVirtualTree::GetMaxColumnWidth;
    using TBaseVirtualTree::InitNode;
    using TBaseVirtualTree::InternalAddToSelection;
    using TBaseVirtualTree::InternalCacheNode;
    using TBaseVirtualTree::StructureChange;

    int ScrollBarUpdates = 0;
    int DropTargetRegistrations = 0;
    int DropTargetRevocations = 0;
    int BitmapPreparations = 0;
    int WindowsMade = 0;
    void SetOffsets(int X, int Y, int RangeX) {
        FOffsetX = X;
        FOffsetY = Y;
        FRangeX = RangeX;
    }
    // Whether any part of the window waits to be painted (and forgets it).
    bool TakeInvalidation() {
        RECT r;
        const bool invalid = GetUpdateRect(GetHandle(), &r, FALSE) != 0;
        ValidateRect(GetHandle(), nullptr);
        return invalid;
    }

protected:
    void CreateWnd() override {
        ++WindowsMade;
        TBaseVirtualTree::CreateWnd();
    }
    void UpdateScrollBars(bool) override { ++ScrollBarUpdates; }
    void RegisterDropTarget() override { ++DropTargetRegistrations; }
    void RevokeDropTarget() override { ++DropTargetRevocations; }
    void PrepareBitmaps(bool, bool) override { ++BitmapPreparations; }
};

class VirtualTreeTest : public testing::Test {
protected:
    void SetUp() override {
        TestSeams::UseManualClock(100000);
        InitializeQuorlpak();
        InitializeIDEVirtualTrees();
    }
    void TearDown() override {
        FinalizeQuorlpak();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        FinalizeIDEVirtualTrees();
        TestSeams::UseRealClock();
    }
    static void Pump() { Application->ProcessMessages(); }
    static void Advance(unsigned ms) {
        TestSeams::AdvanceClock(ms);
        Pump();
    }
    // A tree owned by the application, without a window.
    static TTestTree* MakeTree() { return new TTestTree(Application); }
    // A tree with a window, on a shown form.
    static TTestTree* MakeWindowedTree() {
        auto* form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(300);
        form->SetClientHeight(200);
        form->Show();
        auto* tree = new TTestTree(form);
        tree->SetParent(form);
        tree->HandleNeeded();
        Pump();
        return tree;
    }
};

// The node at a path of child indexes from the root ({} is the root).
inline PVirtualNode NodeAt(TBaseVirtualTree* Tree, const std::vector<uint32_t>& Path) {
    PVirtualNode node = Tree->GetRootNode();
    for (uint32_t index : Path) {
        node = node->FirstChild;
        for (uint32_t i = 0; node && i < index; ++i)
            node = node->NextSibling;
        if (!node) return nullptr;
    }
    return node;
}

// Every invariant of the node model, with the first broken one named.
inline testing::AssertionResult TreeIsConsistent(TBaseVirtualTree* Tree) {
    PVirtualNode root = Tree->GetRootNode();
    uint32_t fullyVisible = 0;
    std::string error;
    // Returns false on the first broken rule.
    struct Checker {
        PVirtualNode Root;
        uint32_t& FullyVisible;
        std::string& Error;
        bool Check(PVirtualNode node, bool shown) {
            uint32_t count = 0;
            uint64_t total = 1;
            uint64_t height = node->NodeHeight;
            PVirtualNode prev = nullptr;
            for (PVirtualNode child = node->FirstChild; child; child = child->NextSibling) {
                if (child->Parent != node) return Fail(child, "parent link");
                if (child->PrevSibling != prev) return Fail(child, "previous link");
                if (child->Index != count) return Fail(child, "index");
                const bool childShown = shown && child->States.Contains(vsVisible);
                if (childShown) ++FullyVisible;
                if (!Check(child, childShown && child->States.Contains(vsExpanded))) return false;
                total += child->TotalCount;
                if (node->States.Contains(vsExpanded) && child->States.Contains(vsVisible))
                    height += child->TotalHeight;
                prev = child;
                ++count;
            }
            if (node->LastChild != prev) return Fail(node, "last child");
            if (node->ChildCount != count) return Fail(node, "child count");
            if (node->TotalCount != total) return Fail(node, "total count");
            if (node->TotalHeight != height) return Fail(node, "total height");
            if (count > 0 && !node->States.Contains(vsHasChildren))
                return Fail(node, "has children");
            if (node != Root && node->States.Contains(vsExpanded) && count == 0)
                return Fail(node, "expanded without children");
            return true;
        }
        bool Fail(PVirtualNode node, const char* what) {
            Error = std::string(what) + " wrong at node index " + std::to_string(node->Index);
            return false;
        }
    } checker{root, fullyVisible, error};
    if (!checker.Check(root, true)) return testing::AssertionFailure() << error;
    if (fullyVisible != Tree->GetVisibleCount())
        return testing::AssertionFailure()
               << "visible count " << Tree->GetVisibleCount() << ", counted " << fullyVisible;
    if (root->NextSibling != root || root->PrevSibling != root)
        return testing::AssertionFailure() << "root sibling links";
    return testing::AssertionSuccess();
}
