// The string tree's texts and their measuring, and the drawing utilities
// its painting relies on: shortening, rectangle order and blending.
#include "VirtualTreeTestSupport.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <quorlpak/Font.h>
#include <quorlpak/ImgList.h>

namespace {

class TOpenStringTree : public TVirtualStringTree {
public:
    using TVirtualStringTree::TVirtualStringTree;
    using TBaseVirtualTree::GetMaxColumnWidth;
};

class TOpenDrawTree : public TVirtualDrawTree {
public:
    using TVirtualDrawTree::TVirtualDrawTree;
    using TBaseVirtualTree::GetMaxColumnWidth;
};

class StringTree : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        auto* form = new TForm(Application);
        form->AfterConstruction();
        form->Show();
        tree = new TOpenStringTree(form);
        tree->SetParent(form);
        tree->HandleNeeded();
        tree->OnGetText = [this](TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex,
                                 TQOZTextType Type, UnicodeString& Text) {
            ++asked;
            if (Type == ttStatic) return;
            Text = Sender->GetNodeParent(Node) ? u"leaf" : u"top";
        };
        tree->SetRootNodeCount(2);
        tree->SetChildCount(tree->GetFirst(), 1);
    }
    TOpenStringTree* tree = nullptr;
    int asked = 0;
};

TEST_F(StringTree, PathsEndWithTheDelimiter) {
    PVirtualNode top = tree->GetFirst();
    EXPECT_EQ(tree->Path(top, NoColumn, ttNormal, u'\\'), u"top\\");
    EXPECT_EQ(tree->Path(tree->GetFirstChild(top), NoColumn, ttNormal, u'\\'), u"top\\leaf\\");
    EXPECT_EQ(tree->Path(nullptr, NoColumn, ttNormal, u'\\'), u"\\");
}

TEST_F(StringTree, TheMainColumnWidthIsCachedUntilTheFontChanges) {
    tree->GetCanvas()->SetFont(tree->GetFont());
    SIZE extent{};
    GetTextExtentPoint32W(tree->GetCanvas()->GetHandle(), reinterpret_cast<LPCWSTR>(u"top"), 3,
                          &extent);
    const int width = tree->GetMaxColumnWidth(NoColumn);
    EXPECT_EQ(width, tree->GetMargin() + tree->GetIndent() + extent.cx + 2 * tree->GetTextMargin());
    const int before = asked;
    tree->GetMaxColumnWidth(NoColumn);
    EXPECT_EQ(asked, before) << "widths come from the cache";
    tree->GetFont()->SetSize(tree->GetFont()->GetSize() * 2);
    const int wider = tree->GetMaxColumnWidth(NoColumn);
    EXPECT_GT(asked, before);
    EXPECT_GT(wider, width);
}

TEST_F(StringTree, ALongTextIsShortenedWithAnEllipsis) {
    TBitmap bitmap;
    bitmap.SetSize(10, 10);
    HDC dc = bitmap.GetCanvas()->GetHandle();
    auto width = [dc](const char16_t* s) {
        SIZE size{};
        GetTextExtentPoint32W(dc, reinterpret_cast<LPCWSTR>(s), int(std::char_traits<char16_t>::length(s)),
                              &size);
        return int(size.cx);
    };
    const UnicodeString text = u"Wonderful meadow";
    const int limit = width(u"Wonder") + width(u"...");
    const UnicodeString shortened = ShortenString(dc, text, limit);
    EXPECT_EQ(shortened, u"Wonder...");
    EXPECT_EQ(ShortenString(dc, text, width(u"..") ), u"");
    EXPECT_EQ(ShortenString(dc, u"", 100), u"");
    EXPECT_EQ(ShortenString(dc, text, 0), u"");
}

TEST(DrawingUtilities, OrderRectPutsCornersInOrder) {
    const TRect r = OrderRect(TRect{10, 20, 0, 5});
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.right, 10);
    EXPECT_EQ(r.bottom, 20);
}

TEST(DrawingUtilities, BlendingNeedsTwo32BitSurfaces) {
    TBitmap source, target;
    for (TBitmap* b : {&source, &target}) {
        b->SetPixelFormat(pf32bit);
        b->SetSize(4, 4);
    }
    source.GetCanvas()->GetBrush()->SetColor(clWhite);
    source.GetCanvas()->FillRect(TRect{0, 0, 4, 4});
    target.GetCanvas()->GetBrush()->SetColor(clBlack);
    target.GetCanvas()->FillRect(TRect{0, 0, 4, 4});
    HDC s = source.GetCanvas()->GetHandle(), t = target.GetCanvas()->GetHandle();
    AlphaBlend(s, t, TRect{0, 0, 4, 4}, TPoint{0, 0}, bmConstantAlpha, 0, 0);
    EXPECT_EQ(GetPixel(t, 1, 1), RGB(0, 0, 0)) << "alpha 0 leaves the target";
    AlphaBlend(s, t, TRect{0, 0, 4, 4}, TPoint{0, 0}, bmConstantAlpha, 128, 0);
    EXPECT_EQ(GetRValue(GetPixel(t, 1, 1)), 127);
    AlphaBlend(nullptr, t, TRect{0, 0, 2, 2}, TPoint{0, 0}, bmConstantAlphaAndColor, 256,
               int(RGB(255, 0, 0)));
    EXPECT_EQ(GetPixel(t, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetRValue(GetPixel(t, 3, 3)), 127) << "outside the rectangle";
    // A surface without a 32-bit section is left alone.
    HDC plain = CreateCompatibleDC(nullptr);
    AlphaBlend(s, plain, TRect{0, 0, 4, 4}, TPoint{0, 0}, bmConstantAlpha, 255, 0);
    DeleteDC(plain);
}

TEST(OwnerDrawTree, WithoutAWidthEventEveryNodeIsTwoMarginsWide) {
    TestSeams::UseManualClock(100000);
    InitializeQuorlpak();
    InitializeIDEVirtualTrees();
    {
        TOpenDrawTree tree(nullptr);
        tree.SetRootNodeCount(1);
        EXPECT_EQ(tree.GetMaxColumnWidth(NoColumn),
                  tree.GetMargin() + tree.GetIndent() + 2 * tree.GetTextMargin());
        tree.OnGetNodeWidth = [](TBaseVirtualTree*, TCanvas*, PVirtualNode, TColumnIndex,
                                 int& Width) { Width = 50; };
        EXPECT_EQ(tree.GetMaxColumnWidth(NoColumn), tree.GetMargin() + tree.GetIndent() + 50);
        // Check boxes and images count toward the widest content.
        TCustomImageList images(16, 16);
        tree.SetImages(&images);
        tree.OnGetImageIndex = [](TBaseVirtualTree*, PVirtualNode, TVTImageKind Kind, TColumnIndex,
                                  bool&, int& Index) { Index = Kind == ikNormal ? 0 : -1; };
        tree.GetTreeOptions()->SetMiscOptions(tree.GetTreeOptions()->GetMiscOptions() +
                                              toCheckSupport);
        tree.SetCheckType(tree.GetFirst(), ctCheckBox);
        EXPECT_EQ(tree.GetMaxColumnWidth(NoColumn), tree.GetMargin() + tree.GetIndent() + 50 + 18 +
                                                        tree.GetCheckImages()->GetWidth() + 2);
        tree.SetImages(nullptr);
        TRect r{};
        tree.DoGetHintSize(tree.GetFirst(), NoColumn, r);
        EXPECT_TRUE(IsRectEmpty(&r)) << "no hint without the size event";
    }
    FinalizeQuorlpak();
    FinalizeIDEVirtualTrees();
    TestSeams::UseRealClock();
}

} // namespace

namespace {

TEST_F(StringTree, DeletingASelectedNodeReportsTheChangeAtOnce) {
    tree->SetChangeDelay(500);
    PVirtualNode second = tree->GetNextSibling(tree->GetFirst());
    tree->SetSelected(second, true);
    std::vector<PVirtualNode> changed;
    tree->OnChange = [&](TBaseVirtualTree*, PVirtualNode Node) { changed.push_back(Node); };
    tree->DeleteNode(second);
    EXPECT_EQ(changed, std::vector<PVirtualNode>{second});
    EXPECT_EQ(tree->GetSelectedCount(), 0u);
    EXPECT_FALSE(tree->HasState(tsSynchMode));
    tree->OnChange = nullptr;
}

} // namespace
