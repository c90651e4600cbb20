#pragma once

#include "world/PixelToWorld.h"
#include "world/WorldWindow.h"

#include <QSize>
#include <QStringView>

#include <optional>

namespace levyc {

// The values a view, a picture or a film is given by, as levyc-render, levyc
// and Go to View all read them.
class OptionText final
{
public:
    OptionText() = delete;

    // The largest side a picture, a view or a film may have. A format's own
    // limit, such as WebP's, stays with the format.
    static constexpr int MaxSide = 16384;

    // "WxH" or "W×H", spaces allowed around each part, each side 1 to MaxSide.
    [[nodiscard]] static std::optional<QSize> Size(QStringView text);
    // "X1,Y1,X2,Y2": four finite numbers, spaces allowed around each. Whether
    // the window can be drawn is the caller's to ask.
    [[nodiscard]] static std::optional<WorldWindow> Window(QStringView text);
    // "X,Y": two finite numbers.
    [[nodiscard]] static std::optional<WorldPoint> Centre(QStringView text);
    // A finite number other than 0; below 0 the view is turned half way round.
    [[nodiscard]] static std::optional<double> Zoom(QStringView text);
};

} // namespace levyc
