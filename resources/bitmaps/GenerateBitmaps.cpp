// Build-time tool: draws the editor's bitmaps, writes each as a PNG and as a BMP into the output
// folder, and writes a C++ source that embeds the PNGs by resource id. Each picture is also drawn
// at the larger scales of high-density displays, from the same drawing code, so that those are as
// sharp as the 1x picture. The Windows module's resources take the 1x BMPs and the larger PNGs;
// the BMPs of every scale are the pixels its tests hold the module's pictures against.
// Usage: marrowfold_bitmap_generator <output folder>

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/bitmaps/BitmapArt.h"
#include "resources/bitmaps/BitmapResources.h"

namespace {

using namespace marrowfold;
using namespace marrowfold::art;

using DrawFunction = void (*)(cairo_t*);

// Each bitmap's picture, by resource id; the sizes are the panel's own.
constexpr KeyedEntry<DrawFunction> kPictureEntries[] = {
    {PanelBitmap, drawPanel},
    {SplashBitmap, drawSplash},
    {EditBitmap, drawEditButton},
    {DeleteBitmap, [](cairo_t* cr) { drawSmallButton(cr, 1); }},
    {LampBitmap, [](cairo_t* cr) { drawSmallButton(cr, 0); }},
    {ClipBitmap, drawClipLamp},
    {FirstShapeBitmap, [](cairo_t* cr) { drawShapeButton(cr, 0); }},
    {FirstShapeBitmap + 1, [](cairo_t* cr) { drawShapeButton(cr, 1); }},
    {FirstShapeBitmap + 2, [](cairo_t* cr) { drawShapeButton(cr, 2); }},
    {FirstShapeBitmap + 3, [](cairo_t* cr) { drawShapeButton(cr, 3); }},
    {FirstShapeBitmap + 4, [](cairo_t* cr) { drawShapeButton(cr, 4); }},
    {SliderHandleBitmap, drawSliderHandle},
    {KnobStripBitmap, drawKnobStrip},
};
constexpr std::array<DrawFunction, kPanelBitmapCount> kPictures =
    tableByKey<DrawFunction, kPanelBitmapCount>(PanelBitmap, kPictureEntries);

struct Picture {
    int id;
    int width;
    int height;
    DrawFunction draw;
};

std::vector<Picture> pictures() {
    std::vector<Picture> all;
    for (int32_t id = PanelBitmap; id < PanelBitmapEnd; ++id) {
        const BitmapSize size = panelBitmapSize(id);
        all.push_back(
            {id, size.width, size.height, kPictures[static_cast<size_t>(id - PanelBitmap)]});
    }
    return all;
}

void putLittleEndian(std::vector<unsigned char>& bytes, uint32_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A 24-bit bottom-up BMP of the surface: rows of blue, green, red padded to four bytes.
bool writeBmp(cairo_surface_t* surface, const std::string& path) {
    constexpr uint32_t kHeaderBytes = 14 + 40;
    constexpr uint32_t kBitsPerPixel = 24;
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(height);
    std::vector<unsigned char> bytes = {'B', 'M'};
    putLittleEndian(bytes, kHeaderBytes + pixelBytes, 4);
    putLittleEndian(bytes, 0, 4);
    putLittleEndian(bytes, kHeaderBytes, 4);
    putLittleEndian(bytes, 40, 4);  // the info header's own size
    putLittleEndian(bytes, static_cast<uint32_t>(width), 4);
    putLittleEndian(bytes, static_cast<uint32_t>(height), 4);
    putLittleEndian(bytes, 1, 2);  // one plane
    putLittleEndian(bytes, kBitsPerPixel, 2);
    putLittleEndian(bytes, 0, 4);  // uncompressed
    putLittleEndian(bytes, pixelBytes, 4);
    for (int i = 0; i < 4; ++i)
        putLittleEndian(bytes, 0, 4);  // resolution and palette: none
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = height - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x)
            putLittleEndian(bytes, row[x] & 0xffffffu, 3);
        bytes.resize(bytes.size() + (rowBytes - static_cast<uint32_t>(width) * 3), 0);
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

// The name a picture's data goes by in the generated source.
std::string dataName(int id, int scale) {
    std::string name = "kPng";
    return name.append(std::to_string(id)).append("x").append(std::to_string(scale));
}

// Every scale goes out as PNG and as BMP (see the top of the file).
std::string render(const Picture& picture, int scale, const std::string& folder) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width * scale,
                                                          picture.height * scale);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    picture.draw(cr);
    cairo_destroy(cr);
    std::string stem = folder + "/bitmap" + std::to_string(picture.id);
    if (scale != 1) stem.append("@").append(std::to_string(scale)).append("x");
    const std::string path = stem + ".png";
    const bool written =
        cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS &&
        writeBmp(surface, stem + ".bmp");
    cairo_surface_destroy(surface);
    return written ? path : std::string();
}

bool embed(std::ofstream& out, const std::string& name, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.empty()) return false;
    out << "const unsigned char " << name << "[] = {";
    for (size_t i = 0; i < bytes.size(); ++i) {
        out << (i % 24 == 0 ? "\n    " : "") << static_cast<int>(bytes[i]) << ",";
    }
    out << "\n};\n";
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::ofstream out(folder + "/BitmapData.cpp");
    out << "// Generated by the bitmap generator; do not edit.\n"
        << "#include \"resources/bitmaps/BitmapResources.h\"\n\n"
        << "namespace marrowfold {\nnamespace {\n";
    for (const Picture& picture : pictures()) {
        for (int scale = 1; scale <= kLargestBitmapScale; ++scale) {
            const std::string path = render(picture, scale, folder);
            if (path.empty() || !embed(out, dataName(picture.id, scale), path)) {
                std::fprintf(stderr, "could not make bitmap %d at %dx\n", picture.id, scale);
                return 1;
            }
        }
    }
    out << "}  // namespace\n\nEmbeddedPicture findScaledBitmapResource(int32_t id, int32_t scale) "
           "{\n    if (scale < 1 || scale > kLargestBitmapScale) return {};\n    switch (id) {\n";
    for (const Picture& picture : pictures()) {
        out << "        case " << picture.id
            << ": {\n            const EmbeddedPicture scaled[] = {";
        for (int scale = 1; scale <= kLargestBitmapScale; ++scale) {
            const std::string name = dataName(picture.id, scale);
            out << "{" << name << ", sizeof(" << name << ")}, ";
        }
        out << "};\n            return scaled[scale - 1];\n        }\n";
    }
    out << "        default: return {};\n    }\n}\n\n}  // namespace marrowfold\n";
    // Font caches are given back so that a leak checker sees a clean exit.
    cairo_debug_reset_static_data();
    FcFini();
    return out.good() ? 0 : 1;
}
