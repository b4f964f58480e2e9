// The drag image on the screen: its alpha channel, blending over what lies
// beneath it, moving by strips or in full, and a tree that shows it while
// its nodes are dragged.
#include "VirtualTreeTestSupport.h"

#include <quorlpak/Bitmap.h>
#include <quorlpak/Canvas.h>
#include <win32/ole2.h>
#include <win32/readback.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

constexpr COLORREF kImageColour = RGB(200, 40, 0);
constexpr COLORREF kKeyColour = RGB(0, 255, 0);
// The screen area the cases paint their background on.
constexpr RECT kArea{100, 100, 400, 400};

// Every pixel differs from its neighbours, so a strip restored or captured
// one pixel off shows.
COLORREF Back(int x, int y) {
    return RGB(x & 0xFF, y & 0xFF, (x * 7 + y * 3) & 0xFF);
}

std::vector<COLORREF> Screen(const RECT& R) {
    HDC dc = GetDC(nullptr);
    std::vector<COLORREF> pixels = win32::ReadPixels(dc, R);
    ReleaseDC(nullptr, dc);
    return pixels;
}

uint8_t Mix(int Under, int Over, int Alpha) {
    return uint8_t((256 * Under + Alpha * (Over - Under)) >> 8);
}

COLORREF Blend(COLORREF Under, COLORREF Over, int Alpha) {
    return RGB(Mix(GetRValue(Under), GetRValue(Over), Alpha),
               Mix(GetGValue(Under), GetGValue(Over), Alpha),
               Mix(GetBValue(Under), GetBValue(Over), Alpha));
}

class DragImage : public VirtualTreeTest {
protected:
    void SetUp() override {
        VirtualTreeTest::SetUp();
        savedMMX = MMXAvailable;
        MMXAvailable = true;
        TBitmap back;
        back.SetPixelFormat(pf32bit);
        back.SetSize(kArea.right - kArea.left, kArea.bottom - kArea.top);
        for (int y = 0; y < back.GetHeight(); ++y) {
            auto* row = static_cast<uint8_t*>(back.GetScanLine(y));
            for (int x = 0; x < back.GetWidth(); ++x) {
                const COLORREF c = Back(kArea.left + x, kArea.top + y);
                row[x * 4] = GetBValue(c);
                row[x * 4 + 1] = GetGValue(c);
                row[x * 4 + 2] = GetRValue(c);
            }
        }
        HDC dc = GetDC(nullptr);
        BitBlt(dc, kArea.left, kArea.top, back.GetWidth(), back.GetHeight(),
               back.GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
        ReleaseDC(nullptr, dc);
    }
    void TearDown() override {
        image.reset();
        MMXAvailable = savedMMX;
        VirtualTreeTest::TearDown();
    }
    static std::unique_ptr<TBitmap> Solid(int Width, int Height, COLORREF Colour) {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetPixelFormat(pf32bit);
        bitmap->SetSize(Width, Height);
        bitmap->GetCanvas()->GetBrush()->SetColor(TColor(Colour));
        bitmap->GetCanvas()->FillRect(TRect{0, 0, Width, Height});
        return bitmap;
    }
    // A 40 x 30 image in one colour at (150, 150), the mouse at (170, 165).
    void Prepare(uint8_t Transparency = 128) {
        image = std::make_unique<TVTDragImage>(nullptr);
        image->SetTransparency(Transparency);
        auto picture = Solid(40, 30, kImageColour);
        image->PrepareDrag(picture.get(), TPoint{150, 150}, TPoint{170, 165}, nullptr);
    }
    // The screen shows the background everywhere, blended with the image
    // inside Under (empty: nowhere).
    testing::AssertionResult ShowsImageAt(const RECT& Under, int Alpha) {
        const std::vector<COLORREF> pixels = Screen(kArea);
        const int width = kArea.right - kArea.left;
        for (int y = kArea.top; y < kArea.bottom; ++y)
            for (int x = kArea.left; x < kArea.right; ++x) {
                const COLORREF seen = pixels[size_t((y - kArea.top) * width + x - kArea.left)];
                const POINT p{x, y};
                const COLORREF want =
                    PtInRect(&Under, p) ? Blend(Back(x, y), kImageColour, Alpha) : Back(x, y);
                if (seen != want)
                    return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is "
                                                       << std::hex << seen << ", expected " << want;
            }
        return testing::AssertionSuccess();
    }
    std::unique_ptr<TVTDragImage> image;
    bool savedMMX = false;
};

uint8_t AlphaAt(TBitmap* Bitmap, int X, int Y) {
    return static_cast<const uint8_t*>(Bitmap->GetScanLine(Y))[X * 4 + 3];
}

TEST_F(DragImage, TheAlphaChannelFadesFromTheCentreAndClearsTheKeyColour) {
    const struct {
        bool fade;
        bool keyed;
    } cases[] = {{true, false}, {true, true}, {false, true}, {false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "fade " << c.fade << ", key " << c.keyed);
        auto picture = Solid(41, 41, kImageColour);
        picture->GetCanvas()->GetBrush()->SetColor(TColor(kKeyColour));
        picture->GetCanvas()->FillRect(TRect{0, 0, 41, 1}); // the top row in the key colour
        TVTDragImage drag(nullptr);
        drag.SetFade(c.fade);
        if (c.keyed) drag.SetColorKey(TColor(kKeyColour));
        drag.PrepareDrag(picture.get(), TPoint{0, 0}, TPoint{20, 20}, nullptr);
        TBitmap* prepared = drag.GetPreparedImage();
        ASSERT_NE(prepared, nullptr);
        EXPECT_EQ(AlphaAt(prepared, 20, 20), 255);
        EXPECT_EQ(AlphaAt(prepared, 5, 0), c.keyed ? 0 : c.fade ? AlphaAt(prepared, 0, 5) : 255);
        if (c.fade) {
            // Falls off along the diagonal to almost nothing in the corner.
            for (int i = 20; i < 40; ++i)
                EXPECT_GE(AlphaAt(prepared, i, i), AlphaAt(prepared, i + 1, i + 1)) << i;
            EXPECT_LT(AlphaAt(prepared, 40, 40), 5);
            EXPECT_GT(AlphaAt(prepared, 21, 20), 200);
        } else {
            // Without fading every pixel outside the key colour is opaque.
            EXPECT_EQ(AlphaAt(prepared, 40, 40), 255);
        }
    }
}

TEST_F(DragImage, ShowingBlendsOverTheScreenAndHidingPutsTheScreenBack) {
    Prepare(128);
    EXPECT_FALSE(image->Visible()) << "prepared images start hidden";
    EXPECT_TRUE(ShowsImageAt(RECT{}, 0));
    image->ShowDragImage();
    EXPECT_TRUE(image->Visible());
    EXPECT_TRUE(ShowsImageAt(RECT{150, 150, 190, 180}, 128));
    image->HideDragImage();
    EXPECT_FALSE(image->Visible());
    EXPECT_TRUE(ShowsImageAt(RECT{}, 0));
    image->ShowDragImage();
    image->EndDrag();
    EXPECT_EQ(image->GetStates(), TVTDragImageStates{});
    EXPECT_TRUE(ShowsImageAt(RECT{}, 0)) << "ending a drag takes the image off the screen";
}

TEST_F(DragImage, AFadingImageStaysTranslucentAtItsCentre) {
    image = std::make_unique<TVTDragImage>(nullptr);
    image->SetFade(true);
    image->SetTransparency(128);
    auto picture = Solid(41, 41, kImageColour);
    image->PrepareDrag(picture.get(), TPoint{150, 150}, TPoint{170, 170}, nullptr);
    image->ShowDragImage();
    // The centre's own alpha is full; the image's transparency still applies.
    EXPECT_EQ(Screen(RECT{170, 170, 171, 171})[0],
              Blend(Back(170, 170), kImageColour, 128 * 255 / 256));
    // Far from the centre the background shows through almost unchanged.
    const COLORREF corner = Screen(RECT{190, 190, 191, 191})[0];
    EXPECT_LE(std::abs(int(GetRValue(corner)) - int(GetRValue(Back(190, 190)))), 1);
}

TEST_F(DragImage, SmallMovesRepaintStripsAndLargeOnesTheWhole) {
    const struct {
        int dx, dy;
        bool force;
    } cases[] = {{3, 0, false},  {0, -3, false},  {-3, 2, false},   {5, 7, false},
                 {40, 0, false}, {0, -30, false}, {-90, 60, false}, {0, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "move " << c.dx << ", " << c.dy);
        Prepare(160);
        image->ShowDragImage();
        // Two steps, so that a strip error of the first is carried into the second.
        for (int step = 1; step <= 2; ++step) {
            EXPECT_TRUE(image->DragTo(TPoint{170 + step * c.dx, 165 + step * c.dy}, c.force));
            const RECT at{150 + step * c.dx, 150 + step * c.dy, 190 + step * c.dx,
                          180 + step * c.dy};
            ASSERT_TRUE(ShowsImageAt(at, 160)) << "step " << step;
        }
        image->HideDragImage();
        ASSERT_TRUE(ShowsImageAt(RECT{}, 0));
    }
}

TEST_F(DragImage, ARestrictedImageFollowsOnlyItsAxis) {
    const struct {
        TVTDragMoveRestriction restriction;
        TPoint ignored;  // a move the image does not follow
        TPoint followed; // and one it follows, with where the image ends up
        TPoint position;
    } cases[] = {
        {dmrHorizontalOnly, {170, 175}, {176, 160}, {156, 150}},
        {dmrVerticalOnly, {180, 165}, {160, 171}, {150, 156}},
        {dmrNone, {170, 165}, {176, 171}, {156, 156}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.restriction));
        Prepare();
        image->SetMoveRestriction(c.restriction);
        image->ShowDragImage();
        EXPECT_FALSE(image->WillMove(c.ignored));
        EXPECT_FALSE(image->DragTo(c.ignored));
        EXPECT_TRUE(image->WillMove(c.followed));
        EXPECT_TRUE(image->DragTo(c.followed));
        EXPECT_EQ(image->GetImagePosition(), c.position);
        image->EndDrag();
        EXPECT_FALSE(image->WillMove(TPoint{0, 0})) << "nothing moves once the drag ended";
    }
}

// --- The tree as drag source ------------------------------------------------------------------

class TreeDragImage : public DragImage {
protected:
    void SetUp() override {
        DragImage::SetUp();
        form = new TForm(Application);
        form->AfterConstruction();
        form->SetClientWidth(420);
        form->SetClientHeight(200);
        form->Show();
        source = MakeTree(0, u"source");
        target = MakeTree(210, u"target");
        MMXAvailable = true; // the first tree's set-up measured the processor again
        Pump();
    }
    TVirtualStringTree* MakeTree(int Left, UnicodeString Text) {
        auto* tree = new TVirtualStringTree(form);
        tree->SetParent(form);
        tree->SetBounds(Left, 0, 200, 200);
        tree->OnGetText = [Text](TBaseVirtualTree*, PVirtualNode, TColumnIndex, TQOZTextType,
                                 UnicodeString& CellText) { CellText = Text; };
        tree->SetRootNodeCount(3);
        tree->HandleNeeded();
        return tree;
    }
    // Drags the source's second node onto the target's first with the
    // mouse, recording what the image does on the way.
    void DragNode() {
        const PVirtualNode node = NodeAt(source, {1});
        source->SetFocusedNode(node);
        source->SetSelected(node, true);
        const TRect r = source->GetDisplayRect(node, NoColumn, true);
        const TPoint from{r.left + 5, (r.top + r.bottom) / 2};
        target->OnDragOver = [this](TBaseVirtualTree*, TObject* Source, TShiftState,
                                    TDragState State, TPoint, TDropMode, uint32_t&, bool& Accept) {
            Accept = Source == source;
            if (State != dsDragMove) return;
            TVTDragImage* drag = source->GetDragImage();
            visibleDuringDrag = drag->Visible();
            if (!drag->GetPreparedImage()) return;
            // The dragged row is opaque at the hot spot; the tree's empty
            // space below the rows is the key colour and clear.
            const int hotX = source->GetDragWidth() / 2, hotY = source->GetDragHeight() / 2;
            rowAlpha = AlphaAt(drag->GetPreparedImage(), hotX, hotY);
            emptyAlpha = AlphaAt(drag->GetPreparedImage(), hotX, hotY + 100);
            imageRect = drag->GetDragImageRect();
        };
        TestSeams::MouseDown(TestSeams::ClientPoint(source->GetHandle(), from.x, from.y));
        Pump();
        TestSeams::MouseMove(TestSeams::ClientPoint(target->GetHandle(), 20, 9));
        TestSeams::MouseMove(TestSeams::ClientPoint(target->GetHandle(), 24, 10));
        TestSeams::MouseUp(TestSeams::ClientPoint(target->GetHandle(), 24, 10));
        source->StartOLEDrag(from);
    }
    TForm* form = nullptr;
    TVirtualStringTree* source = nullptr;
    TVirtualStringTree* target = nullptr;
    bool visibleDuringDrag = false;
    int rowAlpha = -1, emptyAlpha = -1;
    RECT imageRect{};
};

TEST_F(TreeDragImage, TheSourceShowsItsNodesOverTheTargetUntilTheDrop) {
    const RECT all{0, 0, 800, 600};
    const std::vector<COLORREF> before = Screen(all);
    DragNode();
    EXPECT_TRUE(visibleDuringDrag);
    EXPECT_GT(rowAlpha, 0);
    EXPECT_EQ(emptyAlpha, 0);
    EXPECT_EQ(imageRect.right - imageRect.left, source->GetDragWidth());
    EXPECT_EQ(source->GetDragImage()->GetStates(), TVTDragImageStates{});
    EXPECT_FALSE(source->Dragging());

    // The image left the screen as it found it, except where the target
    // repainted its rows under the image meanwhile: the saved background
    // took those pixels (the drop target's highlight) and gave them back.
    RECT window;
    GetWindowRect(target->GetHandle(), &window);
    const std::vector<COLORREF> after = Screen(all);
    int recaptured = 0;
    for (int y = all.top; y < all.bottom; ++y)
        for (int x = all.left; x < all.right; ++x) {
            const size_t i = size_t(y * 800 + x);
            if (after[i] == before[i]) continue;
            const POINT p{x, y};
            ASSERT_TRUE(PtInRect(&window, p) && PtInRect(&imageRect, p))
                << "changed outside the target under the image at " << x << ", " << y;
            ++recaptured;
        }
    EXPECT_GT(recaptured, 0) << "the drop target's row lies under the image";
}

TEST_F(TreeDragImage, NoImageKindDragsWithoutAPicture) {
    source->SetDragImageKind(diNoImage);
    DragNode();
    EXPECT_FALSE(visibleDuringDrag);
    EXPECT_EQ(rowAlpha, -1);
}

} // namespace
