#include "tests/editor/views/ViewTestSupport.h"

namespace marrowfold::testing {

void paintInEditorColours(BandEditorView& view) {
    view.setGridColour(kSlate);
    view.setBackdropColour(kPanelBlue);
    view.setBandColour(kLightBlue);
    view.setSelectedBandColour(kPaleCyan);
}

cairo_surface_t* renderAlone(View& view) {
    const Rect& r = view.bounds();
    cairo_surface_t* surface = filledSurface(r.width(), r.height(), 0xff00ff);
    {
        CairoCanvas canvas(nullptr, surface);
        canvas.setOriginOffset({-r.left, -r.top});
        view.draw(&canvas);
    }
    return surface;
}

cairo_surface_t* crop(cairo_surface_t* surface, const Rect& rect) {
    cairo_surface_t* part =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, rect.width(), rect.height());
    cairo_t* cr = cairo_create(part);
    cairo_set_source_surface(cr, surface, -rect.left, -rect.top);
    cairo_paint(cr);
    cairo_destroy(cr);
    return part;
}

void BandViewTest::SetUp() {
    ControlTest::SetUp();
    view =
        new BandEditorView({kOrigin.h, kOrigin.v, kOrigin.h + kViewWidth, kOrigin.v + kViewHeight},
                           &flagListener, 9, 4, 44100);
    paintInEditorColours(*view);
    add(view);
}

void BandViewTest::dragLocal(Point from, const std::vector<Point>& path, uint32_t state,
                             uint32_t holdMs) {
    std::vector<MouseStep> steps;
    for (Point p : path)
        steps.push_back({at(p).h, at(p).v, state, holdMs});
    const Point end = at(path.empty() ? from : path.back());
    steps.push_back({end.h, end.v, 0, 1});
    drag(at(from), steps, state);
}

std::vector<float> BandViewTest::edges() const {
    std::vector<float> hz(5), db(4);
    view->storeBands(hz.data(), db.data());
    return hz;
}

std::vector<float> BandViewTest::drives() const {
    std::vector<float> hz(5), db(4);
    view->storeBands(hz.data(), db.data());
    return db;
}

void BandViewTest::load(std::vector<float> edgesHz, std::vector<float> drivesDb) {
    view->loadBands(edgesHz.data(), drivesDb.data());
}

}  // namespace marrowfold::testing
