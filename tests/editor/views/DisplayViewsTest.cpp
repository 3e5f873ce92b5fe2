// The grid, the readout label and the preset name: where they draw, where the readout box goes,
// and that the name view redraws only when its name changes.

#include <gtest/gtest.h>

#include <string>

#include "editor/GridView.h"
#include "editor/PresetNameView.h"
#include "editor/ReadoutLabel.h"
#include "tests/editor/views/ViewTestSupport.h"

namespace marrowfold::testing {
namespace {

constexpr uint32_t kMagenta = 0xff00ff;

// The view drawn in its own coordinates on a magenta surface (owned by the caller).
cairo_surface_t* drawnOn(View& view, int width, int height) {
    cairo_surface_t* surface = filledSurface(width, height, kMagenta);
    {
        CairoCanvas canvas(nullptr, surface);
        view.draw(&canvas);
    }
    return surface;
}

// Pixels inside the rectangle for which the test holds.
template <typename Test>
int countWhere(cairo_surface_t* surface, const Rect& r, Test test) {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x)
            count += test(pixelAt(surface, x, y));
    }
    return count;
}

TEST(GridView, DrawsLinesAcrossTheRectangleAndItsOutlineFromItsOwnCopies) {
    int32_t xs[] = {10, 20};
    int32_t ys[] = {8, 15};
    OwnedView<GridView> grid(new GridView({2, 3, 37, 27}, 2, 2, xs, ys, kRed));
    xs[0] = 30;  // the grid keeps what it was given
    cairo_surface_t* surface = drawnOn(*grid, 40, 30);
    const auto on = [&](int x, int y) { return pixelAt(surface, x, y) == 0xff0000; };
    EXPECT_TRUE(on(10, 5));
    EXPECT_TRUE(on(20, 12));
    EXPECT_FALSE(on(30, 12));
    EXPECT_TRUE(on(5, 8));
    EXPECT_TRUE(on(33, 15));
    EXPECT_TRUE(on(2, 3));    // outline, left-top
    EXPECT_TRUE(on(37, 27));  // the outline covers the right and bottom edges
    EXPECT_FALSE(on(38, 8));
    EXPECT_FALSE(on(1, 15));
    EXPECT_FALSE(on(15, 12));
    cairo_surface_destroy(surface);

    const int32_t moved[] = {30};
    grid->setTicks(1, 0, moved, nullptr);
    grid->setGridColour(kWhite);
    surface = drawnOn(*grid, 40, 30);
    EXPECT_EQ(pixelAt(surface, 30, 12), 0xffffffu);
    EXPECT_NE(pixelAt(surface, 10, 12), 0xffffffu);
    EXPECT_NE(pixelAt(surface, 5, 8), 0xffffffu);
    cairo_surface_destroy(surface);
}

// The band view's handle area.
constexpr Rect kArea{5, 6, 238, 127};

TEST(ReadoutLabel, StandsAboveThePointInsideTheArea) {
    OwnedView<ReadoutLabel> label(new ReadoutLabel(kArea, kWhite));
    label->show(" 4.0 kHz", 120, 80);
    EXPECT_EQ(label->box(), (Rect{100, 60, 140, 70}));
    label->show("x", 125, 11);  // 5 pixels below the top: no room above, so below
    EXPECT_EQ(label->box(), (Rect{105, 31, 145, 41}));
    EXPECT_GT(label->box().top, 11);
    label->show("x", 237, 60);  // near the right edge: shifted left to stay inside
    EXPECT_EQ(label->box(), (Rect{198, 40, 238, 50}));
    label->show("x", 6, 60);
    EXPECT_EQ(label->box(), (Rect{5, 40, 45, 50}));
}

TEST(ReadoutLabel, SplitsTextIntoAtMostSixLinesOf32Characters) {
    OwnedView<ReadoutLabel> label(new ReadoutLabel(kArea, kWhite));
    label->show("a\nbb\nccc", 120, 80);
    ASSERT_EQ(label->lineCount(), 3);
    EXPECT_EQ(label->line(2), "ccc");
    // Rows 1.2 font heights (10.8 pixels) apart, truncated, one pixel below the box top.
    EXPECT_EQ(label->lineRect(0), (Rect{100, 61, 140, 71}));
    EXPECT_EQ(label->lineRect(1), (Rect{100, 71, 140, 82}));
    EXPECT_EQ(label->lineRect(2), (Rect{100, 82, 140, 93}));

    label->show("1\n2\n3\n4\n5\n6\n7\n8", 120, 80);
    ASSERT_EQ(label->lineCount(), 6);
    EXPECT_EQ(label->line(5), "6");
    label->show(std::string(40, 'w').c_str(), 120, 80);
    EXPECT_EQ(label->line(0), std::string(32, 'w'));
    label->show("", 120, 80);
    EXPECT_EQ(label->lineCount(), 1);
}

TEST(ReadoutLabel, DrawsABlackBoxFramedInTheTextColour) {
    const Color readout{97, 200, 255, 0};
    OwnedView<ReadoutLabel> label(new ReadoutLabel({0, 0, 60, 30}, readout));
    label->show(" 742 Hz", 30, 25);
    ASSERT_EQ(label->box(), (Rect{10, 5, 50, 15}));
    cairo_surface_t* surface = renderAlone(*label);
    EXPECT_EQ(pixelAt(surface, 10, 5), rgb(readout));
    EXPECT_EQ(pixelAt(surface, 50, 15), rgb(readout));
    EXPECT_EQ(pixelAt(surface, 30, 5), rgb(readout));
    EXPECT_EQ(pixelAt(surface, 11, 6), 0u);  // inside, left of the centred text
    EXPECT_EQ(pixelAt(surface, 9, 10), kMagenta);
    int lit = 0;  // the text: pixels in neither the fill nor the background
    for (int x = 12; x < 49; ++x) {
        for (int y = 6; y < 15; ++y)
            lit += pixelAt(surface, x, y) != 0u;
    }
    EXPECT_GT(lit, 10);
    cairo_surface_destroy(surface);
}

class PresetNameTest : public ControlTest {
  protected:
    static constexpr Rect kPlace{122, 127, 242, 138};  // where the editor puts it

    PresetNameView* makeView(int32_t style = 0) {
        auto* name = add(new PresetNameView(kPlace, nullptr, style));
        name->chooseFont(6);
        name->chooseTextColour(kWhite);
        name->setBackdropColour(kPanelBlue);
        return name;
    }
    // Paints over the view's place in the window, so that only a new draw can change it.
    void smear() {
        cairo_t* cr = cairo_create(surface());
        cairo_set_source_rgb(cr, 1, 0, 1);
        cairo_rectangle(cr, kPlace.left, kPlace.top, kPlace.width(), kPlace.height());
        cairo_fill(cr);
        cairo_destroy(cr);
        cairo_surface_mark_dirty(surface());
    }
    int smeared() {
        return countPixels(surface(), kMagenta, kPlace.left, kPlace.top, kPlace.right,
                           kPlace.bottom);
    }
    // Text pixels: antialiased white on blue, so brighter than the background in red.
    int textPixels() {
        return countWhere(surface(), kPlace, [](uint32_t c) { return (c >> 16) > 0x40; });
    }
    // Shadow pixels: red on blue, with little green.
    int shadowPixels() {
        return countWhere(surface(), kPlace,
                          [](uint32_t c) { return (c >> 16) > 0x60 && ((c >> 8) & 0xff) < 0x40; });
    }
};

TEST_F(PresetNameTest, RedrawsOnlyWhenTheNameChanges) {
    PresetNameView* name = makeView();
    EXPECT_EQ(name->tag(), 0);
    EXPECT_EQ(name->listener(), nullptr);
    name->showName("Guitar");
    editor->idle();
    EXPECT_EQ(smeared(), 0);
    EXPECT_GT(textPixels(), 10);
    EXPECT_EQ(pixelAt(surface(), kPlace.left, kPlace.top), rgb(kPanelBlue));

    smear();
    editor->idle();
    EXPECT_EQ(smeared(), kPlace.width() * kPlace.height()) << "nothing changed, nothing drawn";
    name->showName("Guitar");
    editor->idle();
    EXPECT_EQ(smeared(), kPlace.width() * kPlace.height()) << "the same name again";
    name->showName("Bass");
    editor->idle();
    EXPECT_EQ(smeared(), 0);
}

TEST_F(PresetNameTest, ShadowStyleDrawsTheTextOffsetInTheShadowColour) {
    PresetNameView* plain = makeView();
    plain->setShadowColour(kRed);
    plain->showName("Drums");
    editor->idle();
    EXPECT_GT(textPixels(), 10);
    EXPECT_EQ(shadowPixels(), 0);
    frame->takeOutView(plain, true);

    PresetNameView* shadowed = makeView(PresetNameView::kShadow);
    shadowed->setShadowColour(kRed);
    shadowed->showName("Drums");
    editor->idle();
    EXPECT_GT(shadowPixels(), 5);
}

TEST_F(PresetNameTest, KeepsAtMost127Characters) {
    PresetNameView* name = makeView();
    name->showName(std::string(200, 'n').c_str());
    EXPECT_EQ(name->name().size(), 127u);
    name->showName(nullptr);
    EXPECT_EQ(name->name(), "");
}

}  // namespace
}  // namespace marrowfold::testing
