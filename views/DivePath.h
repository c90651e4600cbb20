#pragma once

#include "WorldWindow.h"

namespace levyc {

// The world windows of a dive: a steady zoom from one view to another about
// the one world point that sits at the same place on screen in both, so that
// the view's width shrinks by the same factor from frame to frame. The zoom
// eases in over the first EaseSeconds and out over the last.
class DivePath
{
public:
    static constexpr double EaseSeconds = 0.5;

    // `to` takes `from`'s shape (see WithShapeOf); `seconds` and `fps` above 0.
    DivePath(const WorldWindow &from, const WorldWindow &to, double seconds, int fps);

    // At least two, one per 1/fps of the dive's time.
    int Frames() const { return frames_; }
    // The window of a frame from 0 to Frames() - 1: the first and the last are
    // `from` and the reshaped `to` exactly.
    WorldWindow Frame(int index) const;
    const WorldWindow &First() const { return from_; }
    const WorldWindow &Last() const { return to_; }

    // A window with the given centre's, holding all of `window`, with
    // `shape`'s width to height and its directions.
    static WorldWindow WithShapeOf(const WorldWindow &window, const WorldWindow &shape);

private:
    // How far along the zoom a frame is, from 0 to 1, in the logarithm of the width.
    double Progress(int index) const;

    WorldWindow from_;
    WorldWindow to_;
    int fps_;
    int frames_;
    double ratio_; // the last window's width over the first's
};

} // namespace levyc
