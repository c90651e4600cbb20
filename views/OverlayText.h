#pragma once

#include "world/WorldWindow.h"

#include <QSize>
#include <QString>

namespace levyc {

// What the corner of the picture says about the view: how deep it is and
// where its centre lies.
class OverlayText
{
public:
    // `view` shown on an image of `size` pixels.
    OverlayText(const WorldWindow &view, QSize size);

    // The scale of a pixel against the Draw's, as --zoom gives it: the same
    // view's scale reads the same in the window and in full screen.
    [[nodiscard]] double Zoom() const { return zoom_; }
    // "×1.25", "×4", "×1.2e6", "×8.1e-5".
    [[nodiscard]] QString ZoomText() const;
    // Decimals that tell apart the centres of two views a pixel apart.
    [[nodiscard]] int Decimals() const { return decimals_; }
    // "X, Y" with Decimals() decimals.
    [[nodiscard]] QString CentreText() const;

private:
    double zoom_;
    double x_;
    double y_;
    int decimals_;
};

} // namespace levyc
