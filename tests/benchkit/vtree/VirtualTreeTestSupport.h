// A fixture with the application up on the manual clock, a tree class that
// opens the hooks tests look through, and the tree's own check of every
// counter and link the node model keeps.
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
    void RegisterDropTarget() override {
        ++DropTargetRegistrations;
        TBaseVirtualTree::RegisterDropTarget();
    }
    void RevokeDropTarget() override {
        ++DropTargetRevocations;
        TBaseVirtualTree::RevokeDropTarget();
    }
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
    const std::string error = Tree->VerifyTree();
    if (error.empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << error;
}
