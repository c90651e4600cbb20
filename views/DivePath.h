#pragma once

#include "world/WorldWindow.h"

#include <QSize>

#include <span>
#include <vector>

namespace levyc {

// The world windows of a dive through views, one after another. Between each
// two it follows the zoom-and-pan path of van Wijk and Nuij ("Smooth and
// efficient zooming and panning", 2003): views far apart are reached by
// zooming out and back in, and a view inside another by a zoom whose target
// moves steadily toward the centre. The speed along the path, in that model's
// metric, is the same on every leg; it eases in over the first EaseSeconds
// and out over the last, and does not stop at the views between.
class DivePath
{
public:
    static constexpr double EaseSeconds = 0.5;
    // The model's trade-off between zooming and panning: its recommended value.
    static constexpr double Rho = 1.4142135623730951;
    // A dive's length and rate, wherever one is asked for: so short that a
    // dive at any rate is never less than a tenth of a second, at most an
    // hour, and at most 120 frames a second.
    static constexpr double MinSeconds = 0.1;
    static constexpr double MaxSeconds = 3600;
    static constexpr double DefaultSeconds = 10;
    static constexpr int MaxFps = 120;
    static constexpr int DefaultFps = 30;
    // A dive needs a first view and a last.
    static constexpr int MinFrames = 2;

    // `to` takes `from`'s shape (see WithShapeOf); `seconds` and `fps` above 0.
    // `size` is the frames' size, which makes the model's distances equal
    // across and down the screen; none takes the windows as square.
    DivePath(const WorldWindow &from, const WorldWindow &to, double seconds, int fps, QSize size = {});
    // Through two views or more, in order; each after the first takes its
    // shape. `holds`, when given, has seconds for each view to stay: the
    // film eases into a held view and out of it as at its ends, and each
    // hold adds its frames to the `seconds` of moving.
    DivePath(std::span<const WorldWindow> views, double seconds, int fps, QSize size = {},
             std::span<const double> holds = {});

    // At least two, one per 1/fps of the dive's time, holds included.
    [[nodiscard]] int Frames() const { return frames_; }
    // The window of a frame from 0 to Frames() - 1: from each of Stops()
    // through its hold the view itself exactly, the first and the last
    // among them.
    [[nodiscard]] WorldWindow Frame(int index) const;
    [[nodiscard]] const WorldWindow &First() const { return views_.front(); }
    // The frame that first shows each view, in order.
    [[nodiscard]] const std::vector<int> &Stops() const { return stops_; }
    // The widest window along the whole path.
    [[nodiscard]] WorldWindow Widest() const;
    // How far a frame's density may lean toward the next level of division:
    // 0 at the first and last frames, which are exact views, rising to 1
    // over the eases.
    [[nodiscard]] double Smoothing(int index) const;

    // Where a dive at `size` starts by default: the Draw's view around its
    // centre, holding all of it, with the pixels the Draw's have at the
    // picture's own size, so that a wider film shows more at the sides.
    static WorldWindow StartAt(QSize size);

    // A window with the given centre's, holding all of `window`, with
    // `shape`'s width to height and its directions.
    static WorldWindow WithShapeOf(const WorldWindow &window, const WorldWindow &shape);

private:
    // Whether every view is the first: a still, drawn exact in every frame.
    [[nodiscard]] bool Still() const;
    // One view to the next, in the model: x, y scaled so that pixels are
    // square, and the width.
    struct Leg
    {
        WorldWindow from;
        WorldWindow to;
        double w0 = 0;
        double w1 = 0;
        double u1 = 0; // the distance between the centres
        double r0 = 0; // the model's r0 and r1
        double r1 = 0;
        bool plainZoom = false; // centres too close for them
        double length = 0;      // S, the path's length in the model's metric
    };

    static Leg MakeLeg(const WorldWindow &from, const WorldWindow &to, double yScale);
    // The window at `s` along a leg, from its nearer end.
    [[nodiscard]] WorldWindow AlongLeg(const Leg &leg, double s) const;
    // The frames between two held views (or the ends), moved through at
    // one speed that eases in and out.
    struct Stretch
    {
        int first = 0;
        int last = 0;
    };
    // How far along its stretch a frame is, from 0 to 1.
    [[nodiscard]] double Progress(const Stretch &stretch, int index) const;
    // The frame of a stretch that first reaches a share of its way.
    [[nodiscard]] int FrameAt(const Stretch &stretch, double progress) const;
    [[nodiscard]] double Seconds(const Stretch &stretch) const
    {
        return static_cast<double>(stretch.last - stretch.first) / fps_;
    }

    std::vector<WorldWindow> views_;
    std::vector<Leg> legs_;
    std::vector<int> stops_;
    std::vector<int> departures_;    // the frame that last shows each view
    std::vector<Stretch> stretches_; // the one each leg is on
    int fps_;
    int frames_;
};

} // namespace levyc
