#include "host/RenderPicture.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <utility>

#include "resources/bitmaps/PanelBitmaps.h"

namespace marrowfold {

namespace {

struct Rgb {
    double r, g, b;
};

constexpr Rgb rgb(int red, int green, int blue) {
    return {red / 255.0, green / 255.0, blue / 255.0};
}

constexpr Rgb rgb(PaletteColour colour) {
    return rgb(colour.red, colour.green, colour.blue);
}

// The panel colours of the module's own look.
constexpr Rgb kPanelBlue = rgb(palette::kPanelBlue);
constexpr Rgb kLightBlue = rgb(palette::kLightBlue);
constexpr Rgb kPaleCyan = rgb(palette::kPaleCyan);
constexpr Rgb kPlotBackground = rgb(6, 27, 88);
constexpr Rgb kGridLine = rgb(32, 60, 128);
constexpr Rgb kWhite = rgb(255, 255, 255);
constexpr Rgb kMutedText = rgb(170, 190, 225);

constexpr int kWidth = 1200;
constexpr int kHeight = 850;
constexpr double kLeft = 90.0;
constexpr double kPlotWidth = 1070.0;
constexpr double kWaveHeight = 290.0;
constexpr double kLaneGap = 30.0;
constexpr double kBandHeight = 250.0;
constexpr double kWaveTop = 120.0;
constexpr double kBandTop = 530.0;
constexpr char kFont[] = "Liberation Sans";

constexpr double kLowestFrequency = 20.0;
constexpr double kDriveRange = 20.0;  // dB either side of 0

struct Plot {
    double left, top, width, height;
    double right() const { return left + width; }
    double bottom() const { return top + height; }
};

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

void setColour(cairo_t* cr, const Rgb& colour, double alpha = 1.0) {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

enum class Align { Left, Centre, Right };

// Sets the font and answers where text of this alignment starts and how wide it is.
std::pair<double, double> placeText(cairo_t* cr, double x, const std::string& text, double size,
                                    Align align, bool bold) {
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    const double shift = align == Align::Left     ? 0.0
                         : align == Align::Centre ? extents.x_advance / 2.0
                                                  : extents.x_advance;
    return {x - shift, extents.x_advance};
}

void drawText(cairo_t* cr, double x, double y, const std::string& text, double size,
              const Rgb& colour, Align align = Align::Left, bool bold = false) {
    const double left = placeText(cr, x, text, size, align, bold).first;
    setColour(cr, colour);
    cairo_move_to(cr, left, y);
    cairo_show_text(cr, text.c_str());
}

// Text on a backing of the plot's colour, readable over envelopes and bars.
void drawBackedText(cairo_t* cr, double x, double y, const std::string& text, double size,
                    const Rgb& colour, Align align = Align::Left, bool bold = false) {
    constexpr double kPadding = 3.0;
    const auto [left, width] = placeText(cr, x, text, size, align, bold);
    setColour(cr, kPlotBackground, 0.85);
    cairo_rectangle(cr, left - kPadding, y - size, width + 2.0 * kPadding, size + kPadding);
    cairo_fill(cr);
    drawText(cr, x, y, text, size, colour, align, bold);
}

void drawVerticalTitle(cairo_t* cr, double x, double y, const std::string& text) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, -std::numbers::pi / 2.0);
    drawText(cr, 0.0, 0.0, text, 13.0, kMutedText, Align::Centre);
    cairo_restore(cr);
}

std::string formatted(const char* format, double value) {
    char text[48];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void horizontalLine(cairo_t* cr, const Plot& plot, double y, const Rgb& colour, double alpha) {
    setColour(cr, colour, alpha);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, plot.left, std::round(y) + 0.5);
    cairo_line_to(cr, plot.right(), std::round(y) + 0.5);
    cairo_stroke(cr);
}

void verticalLine(cairo_t* cr, const Plot& plot, double x, const Rgb& colour, double alpha) {
    setColour(cr, colour, alpha);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, std::round(x) + 0.5, plot.top);
    cairo_line_to(cr, std::round(x) + 0.5, plot.bottom());
    cairo_stroke(cr);
}

void drawPlotFrame(cairo_t* cr, const Plot& plot, const std::string& heading) {
    setColour(cr, kPlotBackground);
    cairo_rectangle(cr, plot.left, plot.top, plot.width, plot.height);
    cairo_fill(cr);
    drawText(cr, plot.left, plot.top - 14.0, heading, 16.0, kWhite, Align::Left, true);
}

void outlinePlot(cairo_t* cr, const Plot& plot) {
    setColour(cr, kLightBlue, 0.6);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, plot.left + 0.5, plot.top + 0.5, plot.width - 1.0, plot.height - 1.0);
    cairo_stroke(cr);
}

// Full scale of a waveform lane: 1, or more in half steps when the signal goes beyond it.
double laneScale(const std::vector<float>& peaks) {
    const float highest = peaks.empty() ? 0.0f : *std::max_element(peaks.begin(), peaks.end());
    return std::max(1.0, std::ceil(highest * 2.0) / 2.0);
}

// A mirrored envelope: peaks above the lane's centre line and their reflection below it.
void envelopePath(cairo_t* cr, const Plot& lane, const std::vector<float>& peaks, double scale) {
    const double centre = lane.top + lane.height / 2.0;
    const double half = lane.height / 2.0 / scale;
    const double step = lane.width / static_cast<double>(peaks.size());
    cairo_move_to(cr, lane.left, centre);
    for (size_t i = 0; i < peaks.size(); ++i)
        cairo_line_to(cr, lane.left + step * (i + 0.5), centre - half * peaks[i]);
    cairo_line_to(cr, lane.right(), centre);
    for (size_t i = peaks.size(); i-- > 0;)
        cairo_line_to(cr, lane.left + step * (i + 0.5), centre + half * peaks[i]);
    cairo_close_path(cr);
}

void drawLane(cairo_t* cr, const Plot& lane, const std::vector<float>& peaks, const Rgb& colour,
              const std::string& label) {
    const double scale = laneScale(peaks);
    for (double level : {-scale, 0.0, scale}) {
        const double y = lane.top + lane.height / 2.0 * (1.0 - level / scale);
        horizontalLine(cr, lane, y, kGridLine, 1.0);
        drawText(cr, lane.left - 8.0, y + 4.0, formatted("%.1f", level), 12.0, kMutedText,
                 Align::Right);
    }
    envelopePath(cr, lane, peaks, scale);
    setColour(cr, colour, 0.45);
    cairo_fill_preserve(cr);
    setColour(cr, colour, 0.95);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    drawBackedText(cr, lane.left + 10.0, lane.top + 20.0, label, 13.0, colour, Align::Left, true);
}

void drawWaveforms(cairo_t* cr, const Plot& plot, const PictureContent& content) {
    drawPlotFrame(cr, plot, "Waveform envelope");
    const double secondStep = content.seconds > 20.0 ? 5.0 : 1.0;
    for (double t = 0.0; t <= content.seconds + 1e-9; t += secondStep) {
        const double x = plot.left + plot.width * t / std::max(content.seconds, 1e-9);
        verticalLine(cr, plot, x, kGridLine, 1.0);
        drawText(cr, x, plot.bottom() + 18.0, formatted("%.0f", t), 12.0, kMutedText,
                 Align::Centre);
    }
    const double laneHeight = (plot.height - kLaneGap) / 2.0;
    drawLane(cr, Plot{plot.left, plot.top, plot.width, laneHeight}, content.inputPeaks, kLightBlue,
             "input");
    drawLane(cr, Plot{plot.left, plot.bottom() - laneHeight, plot.width, laneHeight},
             content.outputPeaks, kPaleCyan, "output");
    outlinePlot(cr, plot);
    drawText(cr, plot.left + plot.width / 2.0, plot.bottom() + 40.0, "time (s)", 13.0, kMutedText,
             Align::Centre);
    drawVerticalTitle(cr, plot.left - 52.0, plot.top + plot.height / 2.0, "peak level");
}

// Logarithmic frequency axis from 20 Hz to the Nyquist frequency.
struct FrequencyAxis {
    const Plot& plot;
    double highest;

    double x(double frequency) const {
        const double clamped = std::clamp(frequency, kLowestFrequency, highest);
        return plot.left + plot.width * std::log(clamped / kLowestFrequency) /
                               std::log(highest / kLowestFrequency);
    }
};

double driveY(const Plot& plot, double drive) {
    const double clamped = std::clamp(drive, -kDriveRange, kDriveRange);
    return plot.top + plot.height / 2.0 * (1.0 - clamped / kDriveRange);
}

std::string frequencyLabel(double frequency) {
    return frequency >= 1000.0 ? formatted("%gk", frequency / 1000.0) : formatted("%g", frequency);
}

void drawFrequencyGrid(cairo_t* cr, const Plot& plot, const FrequencyAxis& axis) {
    for (double decade = 10.0; decade <= axis.highest; decade *= 10.0) {
        for (double multiple : {1.0, 2.0, 5.0}) {
            const double frequency = decade * multiple;
            if (frequency < kLowestFrequency || frequency > axis.highest) continue;
            verticalLine(cr, plot, axis.x(frequency), kGridLine, 1.0);
            drawText(cr, axis.x(frequency), plot.bottom() + 18.0, frequencyLabel(frequency), 12.0,
                     kMutedText, Align::Centre);
        }
    }
    for (double drive = -kDriveRange; drive <= kDriveRange; drive += 10.0) {
        horizontalLine(cr, plot, driveY(plot, drive), kGridLine, 1.0);
        drawText(cr, plot.left - 8.0, driveY(plot, drive) + 4.0, formatted("%+.0f", drive), 12.0,
                 kMutedText, Align::Right);
    }
}

void drawBand(cairo_t* cr, const Plot& plot, const FrequencyAxis& axis, const ChunkPreset& preset,
              size_t band) {
    const double left = axis.x(preset.bandEdge[band]);
    const double right = axis.x(preset.bandEdge[band + 1]);
    const double zero = driveY(plot, 0.0);
    const double top = driveY(plot, preset.bandDrive[band]);
    const Rgb& colour = band % 2 == 0 ? kLightBlue : kPaleCyan;
    setColour(cr, colour, 0.4);
    cairo_rectangle(cr, left, std::min(zero, top), right - left, std::fabs(top - zero));
    cairo_fill(cr);
    setColour(cr, colour);
    cairo_set_line_width(cr, 3.0);
    cairo_move_to(cr, left, top);
    cairo_line_to(cr, right, top);
    cairo_stroke(cr);
    const double centre = (left + right) / 2.0;
    // Above a raised drive, below a lowered one, and inside the bar where the band name sits.
    const bool roomAbove = top - plot.top > 48.0;
    const double labelY = preset.bandDrive[band] >= 0.0 && roomAbove ? top - 10.0 : top + 20.0;
    drawText(cr, centre, labelY, formatted("%+.1f dB", preset.bandDrive[band]), 13.0, kWhite,
             Align::Centre, true);
    drawText(cr, centre, plot.top + 20.0, "band " + std::to_string(band + 1), 13.0, colour,
             Align::Centre, true);
}

void drawEdges(cairo_t* cr, const Plot& plot, const FrequencyAxis& axis,
               const ChunkPreset& preset) {
    for (size_t edge = 0; edge < preset.bandEdge.size(); ++edge) {
        const double x = axis.x(preset.bandEdge[edge]);
        setColour(cr, kWhite, 0.55);
        cairo_set_line_width(cr, 1.0);
        const std::array<double, 2> dash{4.0, 4.0};
        cairo_set_dash(cr, dash.data(), dash.size(), 0.0);
        cairo_move_to(cr, std::round(x) + 0.5, plot.top);
        cairo_line_to(cr, std::round(x) + 0.5, plot.bottom());
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0.0);
        const double labelY = plot.bottom() - 8.0 - (edge % 2) * 16.0;
        const bool nearRight = plot.right() - x < 70.0;
        drawBackedText(cr, nearRight ? x - 4.0 : x + 4.0, labelY,
                       formatted("%.0f Hz", preset.bandEdge[edge]), 11.0, kMutedText,
                       nearRight ? Align::Right : Align::Left);
    }
}

void drawBands(cairo_t* cr, const Plot& plot, const PictureContent& content) {
    drawPlotFrame(cr, plot, "Bands and drives");
    const FrequencyAxis axis{plot, std::max(content.nyquist, 2.0 * kLowestFrequency)};
    drawFrequencyGrid(cr, plot, axis);
    horizontalLine(cr, plot, driveY(plot, 0.0), kLightBlue, 0.8);
    for (size_t band = 0; band + 1 < content.preset.bandEdge.size(); ++band)
        drawBand(cr, plot, axis, content.preset, band);
    drawEdges(cr, plot, axis, content.preset);
    outlinePlot(cr, plot);
    drawText(cr, plot.left + plot.width / 2.0, plot.bottom() + 40.0, "frequency (Hz)", 13.0,
             kMutedText, Align::Centre);
    drawVerticalTitle(cr, plot.left - 52.0, plot.top + plot.height / 2.0, "drive (dB)");
}

void drawHeading(cairo_t* cr, const PictureContent& content) {
    const ChunkPreset& preset = content.preset;
    drawText(cr, kLeft, 46.0, content.title, 26.0, kWhite, Align::Left, true);
    char line[160];
    std::snprintf(line, sizeof line,
                  "shape %d   \xC2\xB7   In %+.1f dB   \xC2\xB7   Out %+.1f dB   \xC2\xB7   "
                  "band levels %+.1f / %+.1f / %+.1f / %+.1f dB",
                  preset.shape, preset.inputGain, preset.outputGain, preset.bandLevel[0],
                  preset.bandLevel[1], preset.bandLevel[2], preset.bandLevel[3]);
    drawText(cr, kLeft, 74.0, line, 15.0, kPaleCyan);
    drawText(cr, kWidth - 40.0, 46.0, "MARROWFOLD", 16.0, kLightBlue, Align::Right, true);
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::vector<uint8_t> drawRenderPicture(const PictureContent& content, double scale) {
    Surface surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(kWidth * scale)),
                                   static_cast<int>(std::ceil(kHeight * scale))),
        &cairo_surface_destroy);
    Context context(cairo_create(surface.get()), &cairo_destroy);
    cairo_t* cr = context.get();
    cairo_scale(cr, scale, scale);
    setColour(cr, kPanelBlue);
    cairo_paint(cr);
    drawHeading(cr, content);
    drawWaveforms(cr, Plot{kLeft, kWaveTop, kPlotWidth, kWaveHeight}, content);
    drawBands(cr, Plot{kLeft, kBandTop, kPlotWidth, kBandHeight}, content);
    std::vector<uint8_t> png;
    cairo_surface_flush(surface.get());
    cairo_surface_write_to_png_stream(surface.get(), appendBytes, &png);
    return png;
}

}  // namespace marrowfold
