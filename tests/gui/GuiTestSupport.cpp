#include "tests/gui/GuiTestSupport.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <functional>

#include "platform/PictureSource.h"
#include "resources/bitmaps/BitmapResources.h"

namespace marrowfold::testing {

namespace {

constexpr int32_t kHostIdleOpcode = 3;

std::function<void()>& hostIdleAction() {
    static std::function<void()> action;
    return action;
}

intptr_t recordingHost(EffectRecord*, int32_t opcode, int32_t index, intptr_t value, void*, float) {
    RecordingEffect::calls().push_back({opcode, index, value});
    if (opcode == kHostIdleOpcode && hostIdleAction()) hostIdleAction()();
    return 1;
}

// Cairo and fontconfig keep font caches for the life of the process; giving them back at the end
// lets the leak checker of the sanitizer build see only our own allocations.
class FontCacheRelease : public ::testing::Environment {
  public:
    void TearDown() override {
        cairo_debug_reset_static_data();
        FcFini();
    }
};
[[maybe_unused]] ::testing::Environment* const fontCacheRelease =
    ::testing::AddGlobalTestEnvironment(new FontCacheRelease);

// The toolkit's tests draw the module's own bitmaps, offered to the platform as the editor offers
// them.
class ModuleBitmaps : public ::testing::Environment {
  public:
    void SetUp() override { setPictureSource(&findScaledBitmapResource, kLargestBitmapScale); }
};
[[maybe_unused]] ::testing::Environment* const moduleBitmaps =
    ::testing::AddGlobalTestEnvironment(new ModuleBitmaps);

int channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xff);
}

}  // namespace

void HeadlessTest::SetUp() {
    auto platform = std::make_unique<HeadlessPlatform>();
    headless_ = platform.get();
    previous_ = replacePlatform(std::move(platform));
}

void HeadlessTest::TearDown() {
    replacePlatform(std::move(previous_));
}

WindowId HeadlessTest::hostWindow(PixelRect rect, const std::string& cls) {
    return headless().createHostWindow(kNoWindow, cls, rect);
}

uint32_t pixelAt(cairo_surface_t* surface, int x, int y) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xffffff;
}

uint32_t rgb(const Color& colour) {
    return colour.packed();
}

int countPixels(cairo_surface_t* surface, uint32_t colour, int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x)
            count += pixelAt(surface, x, y) == colour;
    }
    return count;
}

cairo_surface_t* filledSurface(int width, int height, uint32_t colour) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, channel(colour, 16) / 255.0, channel(colour, 8) / 255.0,
                         channel(colour, 0) / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return surface;
}

void expectMatchesGolden(cairo_surface_t* surface, const std::string& name, int tolerance) {
    const std::string golden = std::string(MARROWFOLD_GOLDEN_DIR) + "/" + name + ".png";
    const char* write = std::getenv("MARROWFOLD_WRITE_GOLDEN");
    if (write && std::string(write) == "1") {
        ASSERT_EQ(cairo_surface_write_to_png(surface, golden.c_str()), CAIRO_STATUS_SUCCESS);
        return;
    }
    cairo_surface_t* expected = cairo_image_surface_create_from_png(golden.c_str());
    ASSERT_EQ(cairo_surface_status(expected), CAIRO_STATUS_SUCCESS) << "missing " << golden;
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    ASSERT_EQ(cairo_image_surface_get_width(expected), width);
    ASSERT_EQ(cairo_image_surface_get_height(expected), height);
    cairo_surface_t* diff = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    int bad = 0;
    unsigned char* diffData = cairo_image_surface_get_data(diff);
    const int diffStride = cairo_image_surface_get_stride(diff);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t a = pixelAt(surface, x, y);
            const uint32_t b = pixelAt(expected, x, y);
            int worst = 0;
            for (int shift : {0, 8, 16}) {
                worst = std::max(worst, std::abs(channel(a, shift) - channel(b, shift)));
            }
            bad += worst > tolerance;
            reinterpret_cast<uint32_t*>(diffData + y * diffStride)[x] =
                worst > tolerance ? 0xff0000 : (worst ? 0x404040 : 0);
        }
    }
    cairo_surface_mark_dirty(diff);
    if (bad > 0) {
        cairo_surface_write_to_png(surface, (name + ".actual.png").c_str());
        cairo_surface_write_to_png(diff, (name + ".diff.png").c_str());
    }
    EXPECT_EQ(bad, 0) << name << ": pixels beyond tolerance; see " << name << ".diff.png";
    cairo_surface_destroy(diff);
    cairo_surface_destroy(expected);
}

RecordingEffect::RecordingEffect() : HostEffectExt(recordingHost, 1, 1) {
    calls().clear();
}

RecordingEffect::~RecordingEffect() {
    hostIdleAction() = nullptr;
}

std::vector<HostCall>& RecordingEffect::calls() {
    static std::vector<HostCall> all;
    return all;
}

int32_t RecordingEffect::count(int32_t opcode) {
    int32_t n = 0;
    for (const HostCall& call : calls())
        n += call.opcode == opcode;
    return n;
}

void RecordingEffect::onHostIdle(std::function<void()> action) {
    hostIdleAction() = std::move(action);
}

}  // namespace marrowfold::testing
