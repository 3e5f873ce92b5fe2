// The spectrum and the meters of marrowfold.dll's expanded editor in a host's Win32 window, with
// audio going through the record while the host idles the editor: a tone in band 2 moves band
// 2's meter and In and Out, a 1 kHz and an 8 kHz tone peak at the band editor axis's places for
// them, a guitar-like signal is kept as a screenshot to look at, and silence leaves the picture as
// it was before any audio.
#include <functional>
#include <string>

#include "tests/editor/SpectrumProbe.h"
#include "tests/windows/WindowsEditorFixture.h"

namespace marrowfold::testing {
namespace {

using namespace spectrum;

// Pixels of the picture the band-two tone changes at least; the meters alone change more.
constexpr int kLeastChangedByTone = 100;
// How far band 2's meter rises above the other bands': 10 dB on the meter's scale.
constexpr int kClearlyAbove = 5;

PixelAt pixelsOf(const Picture& picture) {
    return [&picture](int x, int y) { return picture.at(x, y); };
}

class EditorSpectrumTest : public WindowsEditorTest {
  protected:
    // Plays the signal with the editor idled between blocks and the host's messages pumped,
    // lets the last frame paint, and keeps the picture in the screenshot folder under name.
    Picture playAndCapture(float seconds, const std::function<float(int64_t)>& signal,
                           const std::string& name) {
        position = play(host, position, seconds, signal, [this] {
            pumpMessages();
            host.dispatch(ReqEditorIdle);
        });
        idleFor(kSettleMs);
        const Picture picture = captureClient(editor);
        EXPECT_TRUE(saveBitmapFile(picture, screenshotPath(name)));
        return picture;
    }
    Picture playTone(float hz, const std::string& name) {
        return playAndCapture(
            1.0f, [hz](int64_t n) { return tone(hz, n); }, name);
    }

    HWND editor = nullptr;
    int64_t position = 0;
};

TEST_F(EditorSpectrumTest, MetersAndSpectrumFollowTheAudioAndSilenceLeavesNoTrace) {
    host.setSampleRate(kRate);
    host.setActive(true);
    editor = openEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(expandEditor(editor));
    const Picture before = captureClient(editor);
    ASSERT_EQ(before.width, kExpandedWidth);

    const Picture bandTwoTone = playTone(kBandTwoHz, "spectrum_band2_tone.bmp");
    const int bandTwo = meterHeight(pixelsOf(bandTwoTone), pixelsOf(before), kBandTwoMeter);
    EXPECT_GT(bandTwo, kMeterHeight / 2);
    for (const int other : {0, 2, 3}) {
        EXPECT_LE(meterHeight(pixelsOf(bandTwoTone), pixelsOf(before), other),
                  bandTwo - kClearlyAbove)
            << "band " << other + 1;
    }
    EXPECT_GT(meterHeight(pixelsOf(bandTwoTone), pixelsOf(before), kInMeter), 0) << "In";
    EXPECT_GT(meterHeight(pixelsOf(bandTwoTone), pixelsOf(before), kOutMeter), 0) << "Out";
    EXPECT_GT(differingPixels(bandTwoTone, before), kLeastChangedByTone);

    for (const float hz : {1000.0f, 8000.0f}) {
        const Picture shot =
            playTone(hz, "spectrum_" + std::to_string(static_cast<int>(hz)) + "hz.bmp");
        const int line = highestColumnOf(pixelsOf(shot), kSpectrumLine);
        const int fill = highestColumnOf(pixelsOf(shot), kSpectrumFill);
        ASSERT_GE(line, 0) << hz << " Hz: no input line drawn";
        ASSERT_GE(fill, 0) << hz << " Hz: no output curve drawn";
        EXPECT_NEAR(line, axisPixel(hz), kPixelTolerance) << hz << " Hz, input";
        EXPECT_NEAR(fill, axisPixel(hz), kPixelTolerance) << hz << " Hz, output";
    }

    PluckedChord chord;
    const Picture guitar = playAndCapture(1.5f, std::ref(chord), "spectrum_guitar.bmp");
    EXPECT_GE(highestColumnOf(pixelsOf(guitar), kSpectrumFill), 0);
    EXPECT_GE(highestColumnOf(pixelsOf(guitar), kSpectrumLine), 0);

    const Picture after = playAndCapture(
        kSilenceSeconds, [](int64_t) { return 0.0f; }, "spectrum_after_silence.bmp");
    EXPECT_EQ(differingPixels(after, before), 0);
}

}  // namespace
}  // namespace marrowfold::testing
