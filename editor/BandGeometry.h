#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "editor/ValueScale.h"
#include "gui/Geometry.h"
#include "params/BandLimits.h"

namespace marrowfold {

// The band editor's bands without drawing or the mouse: edges on a log2 frequency axis from
// 25 Hz to half the sample rate and at least half an octave apart, drives from -20 to 20 dB, and
// where their handles sit in the handle area.
//
// Handles are numbered 0 .. 2 x bandCount: handle i < bandCount is the drive handle of band i,
// handle bandCount + e the handle of edge e. Band i lies between edges i and i + 1.
class BandGeometry {
  public:
    static constexpr float kMinFreq = kLowestEdgeHz;
    static constexpr float kMinDrive = kLowestDrive;
    static constexpr float kMaxDrive = kHighestDrive;

    // At least one band. Starts with the default edges and every drive at 0 dB.
    BandGeometry(int32_t bandCount, int32_t sampleRate, const Rect& handleArea);

    int32_t bandCount() const { return bandCount_; }
    int32_t sampleRate() const { return sampleRate_; }
    // The highest edge in Hz: half the sample rate, or more when that leaves too little room.
    float maxFreq() const { return maxFreq_; }
    float edgeLog(int32_t e) const { return edgeLog_[static_cast<size_t>(e)]; }
    float drive(int32_t band) const { return drive_[static_cast<size_t>(band)]; }
    Point edgePoint(int32_t e) const { return edgePoints_[static_cast<size_t>(e)]; }
    Point drivePoint(int32_t band) const { return drivePoints_[static_cast<size_t>(band)]; }
    const Rect& handleArea() const { return handleArea_; }

    // Edge e of bands spread evenly in octaves from 25 Hz to maxFreq, in Hz.
    float defaultEdge(int32_t e) const;
    // Moves the top edge with the rate; edges that no longer fit move down.
    void setSampleRate(int32_t rate);
    // Each value goes through its clamp, and every handle is placed again.
    void setEdge(int32_t e, float log2Hz);
    void setDrive(int32_t band, float db);
    // Edges in Hz (bandCount + 1 of them) and drives in dB (bandCount); false when either is
    // missing, and then nothing changes.
    bool loadBands(const float* edgesHz, const float* drivesDb);
    void storeBands(float* edgesHz, float* drivesDb) const;

    // The edge (log2 Hz) and the drive (dB) a pixel of the handle area stands for; pixels
    // outside the area count as its nearest border.
    float edgeAtPixel(int32_t x) const;
    float driveAtPixel(int32_t y) const;
    // A mouse point relative to the view, limited to the area handles can be taken in.
    Point mousePoint(Point relative) const;
    // The highest handle whose widened hit rectangle holds the point, so edges win over drives;
    // -1 when none does.
    int32_t hitHandle(Point local) const;
    // The last band whose left edge is at or left of x; -1 left of the lowest edge.
    int32_t bandAt(int32_t x) const;

  private:
    // The default edges and every drive at 0 dB.
    void reset();
    void applySampleRate(int32_t rate);
    void rebuildFrequencyScale(float rightPixel);
    void layout();
    Point clampIntoHandleArea(Point p) const;

    int32_t bandCount_;
    int32_t sampleRate_ = 0;
    float maxFreq_ = 0.0f;
    Rect handleArea_;
    ValueScale xScale_;
    ValueScale yScale_;
    std::vector<float> edgeLog_;
    std::vector<float> drive_;
    std::vector<Point> edgePoints_;
    std::vector<Point> drivePoints_;
    std::vector<Rect> hitRects_;
};

}  // namespace marrowfold
