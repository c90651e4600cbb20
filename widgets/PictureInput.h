#pragma once

#include "picture/PictureCommand.h"
#include "views/ImagePlacement.h"
#include "world/PixelToWorld.h"
#include "world/WorldWindow.h"

#include <QPointF>
#include <QSize>

#include <functional>
#include <optional>

class QEvent;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace levyc {

class PictureActions;
class ViewExplorer;

// What the mouse, the wheel, a pinch and the keys do to the view while the
// curves are explored. Each call says whether it took the event; one not
// taken goes on as the frame's own.
class PictureInput
{
public:
    // Where the picture stands as an event comes.
    struct Where
    {
        ImagePlacement placement;
        QSize image;
        bool fullScreen = false;
        // The world point under a widget point on the overview, when it is there.
        std::function<std::optional<WorldPoint>(QPointF)> overview;
        // A point of the screen in the widget's coordinates.
        std::function<QPointF(QPointF)> fromGlobal;
    };

    // `run` carries out a command as the picture's menu would.
    PictureInput(ViewExplorer &explorer, PictureActions &actions, std::function<void(PictureCommand, bool)> run);

    // Whether an event is one of those Take() may take: the mouse, the
    // wheel, keys and pinches.
    [[nodiscard]] static bool Takes(int type);
    // A mouse, wheel, key or pinch event: whether it was taken.
    bool Take(QEvent &event, const Where &where);

    bool Wheel(const QWheelEvent &event, const ImagePlacement &placement);
    // `overview`: the world point under the pointer on the overview, when it is there.
    bool Press(const QMouseEvent &event, const ImagePlacement &placement, std::optional<WorldPoint> overview);
    bool Move(const QMouseEvent &event, const ImagePlacement &placement);
    void Release(const QMouseEvent &event);
    bool DoubleClick(const QMouseEvent &event, const ImagePlacement &placement, std::optional<WorldPoint> overview);
    // A key pressed on the picture, or (ExploringKey) anywhere in the window.
    bool Key(const QKeyEvent &event, QSize image, bool fullScreen);
    bool ExploringKey(const QKeyEvent &event, QSize image);
    // A pinch's step about a point of the widget; the view settles once it rests.
    void Pinch(QPointF position, const ImagePlacement &placement, double factor);

private:
    ViewExplorer &explorer_;
    PictureActions &actions_;
    std::function<void(PictureCommand, bool)> run_;
};

} // namespace levyc
