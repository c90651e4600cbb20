#include "PictureInput.h"

#include "PictureActions.h"
#include "engine/ViewExplorer.h"
#include "picture/ExploringKeys.h"
#include "views/OverviewPlacement.h"

#include <QGestureEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPinchGesture>
#include <QWheelEvent>

#include <cmath>
#include <utility>

namespace levyc {

namespace {

// One wheel notch, or one press of + or -, zooms by this.
constexpr double ZoomStep = 1.25;
// A wheel notch in angleDelta() units.
constexpr double NotchAngle = 120.0;
// An arrow key pans by this part of the view.
constexpr double PanStep = 0.1;

} // namespace

PictureInput::PictureInput(ViewExplorer &explorer, PictureActions &actions,
                           std::function<void(PictureCommand, bool)> run)
    : explorer_(explorer)
    , actions_(actions)
    , run_(std::move(run))
{
}

bool PictureInput::Takes(int type)
{
    switch (type) {
    case QEvent::Wheel:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::KeyPress:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
        return true;
    default:
        return false;
    }
}

bool PictureInput::Take(QEvent &event, const Where &where)
{
    switch (event.type()) {
    case QEvent::Wheel:
        return Wheel(static_cast<QWheelEvent &>(event), where.placement);
    case QEvent::MouseButtonPress: {
        const auto &mouse = static_cast<QMouseEvent &>(event);
        return Press(mouse, where.placement, where.overview(mouse.position()));
    }
    case QEvent::MouseButtonDblClick: {
        const auto &mouse = static_cast<QMouseEvent &>(event);
        return DoubleClick(mouse, where.placement, where.overview(mouse.position()));
    }
    case QEvent::MouseMove:
        return Move(static_cast<QMouseEvent &>(event), where.placement);
    case QEvent::MouseButtonRelease:
        Release(static_cast<QMouseEvent &>(event));
        return false;
    case QEvent::KeyPress:
        return Key(static_cast<QKeyEvent &>(event), where.image, where.fullScreen);
    case QEvent::NativeGesture: {
        // A touchpad pinch on Wayland, and on X11 with XInput 2.4.
        const auto &gesture = static_cast<QNativeGestureEvent &>(event);
        if (!explorer_.Exploring() || gesture.gestureType() != Qt::ZoomNativeGesture) {
            return false;
        }
        Pinch(gesture.position(), where.placement, 1.0 + gesture.value());
        return true;
    }
    case QEvent::Gesture: {
        // A touchscreen pinch.
        auto &gestures = static_cast<QGestureEvent &>(event);
        auto *pinch = static_cast<QPinchGesture *>(gestures.gesture(Qt::PinchGesture));
        if (!explorer_.Exploring() || pinch == nullptr) {
            return false;
        }
        Pinch(where.fromGlobal(pinch->centerPoint()), where.placement, pinch->scaleFactor());
        gestures.accept(pinch);
        return true;
    }
    default:
        return false;
    }
}

bool PictureInput::Wheel(const QWheelEvent &event, const ImagePlacement &placement)
{
    if (!explorer_.Exploring()) {
        return false;
    }
    // Touchpads send parts of a notch, and zoom smoothly for it.
    Pinch(event.position(), placement, std::pow(ZoomStep, event.angleDelta().y() / NotchAngle));
    return true;
}

void PictureInput::Pinch(QPointF position, const ImagePlacement &placement, double factor)
{
    explorer_.ZoomAbout(placement.ToImage(position), factor);
    explorer_.SettleLater();
}

bool PictureInput::Press(const QMouseEvent &event, const ImagePlacement &placement, std::optional<WorldPoint> overview)
{
    const bool exploring = explorer_.Exploring();
    if (exploring && event.button() == Qt::BackButton) {
        explorer_.Back();
    } else if (exploring && event.button() == Qt::ForwardButton) {
        explorer_.Forward();
    } else if (overview && event.button() == Qt::LeftButton) {
        // Centred there, at the same scale; on the history as any step is.
        explorer_.SetView(OverviewPlacement::CentredOn(explorer_.View(), *overview));
        explorer_.Settle();
    } else if (exploring && event.button() == Qt::LeftButton) {
        if (event.modifiers().testFlag(Qt::ShiftModifier)) {
            explorer_.BeginBox(placement.ToImage(event.position()));
        } else {
            explorer_.Press(placement.ToImage(event.position()));
        }
    } else {
        return false;
    }
    return true;
}

bool PictureInput::Move(const QMouseEvent &event, const ImagePlacement &placement)
{
    if (!(event.buttons() & Qt::LeftButton)) {
        return false;
    }
    if (explorer_.Box()) {
        explorer_.BoxTo(placement.ToImage(event.position()));
        return true;
    }
    if (!explorer_.Exploring() || !explorer_.Dragging()) {
        return false;
    }
    explorer_.DragTo(placement.ToImage(event.position()));
    return true;
}

void PictureInput::Release(const QMouseEvent &event)
{
    if (event.button() == Qt::LeftButton) {
        explorer_.EndBox();
        explorer_.Release();
    }
}

bool PictureInput::DoubleClick(const QMouseEvent &event, const ImagePlacement &placement,
                               std::optional<WorldPoint> overview)
{
    if (overview) {
        // The second click of two on the overview: another click there.
        return Press(event, placement, overview);
    }
    if (!explorer_.Exploring() || event.button() != Qt::LeftButton || event.modifiers().testFlag(Qt::ShiftModifier)) {
        return false;
    }
    explorer_.ZoomAbout(placement.ToImage(event.position()), 2);
    explorer_.Settle();
    return true;
}

bool PictureInput::Key(const QKeyEvent &event, QSize image, bool fullScreen)
{
    if (!explorer_.Exploring()) {
        return false;
    }
    if (explorer_.Box() && event.key() == Qt::Key_Escape) {
        explorer_.CancelBox();
        return true;
    }
    if (fullScreen && event.key() == Qt::Key_Escape && event.modifiers() == Qt::NoModifier) {
        run_(PictureCommand::FullScreen, false);
        return true;
    }
    if (ExploringKey(event, image)) {
        return true;
    }
    const QSizeF size(image);
    switch (event.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        explorer_.Pan({(event.key() == Qt::Key_Left ? PanStep : -PanStep) * size.width(), 0});
        break;
    case Qt::Key_Up:
        explorer_.Pan({0, PanStep * size.height()});
        break;
    case Qt::Key_Down:
        explorer_.Pan({0, -PanStep * size.height()});
        break;
    default:
        return false;
    }
    explorer_.Settle();
    return true;
}

bool PictureInput::ExploringKey(const QKeyEvent &event, QSize image)
{
    const std::optional<PictureCommand> command = ExploringKeys::ExploringCommand(event);
    if (!explorer_.Exploring() || !command) {
        return false;
    }
    if (command == PictureCommand::ZoomIn || command == PictureCommand::ZoomOut) {
        // The middle of the image, which at an odd size is the middle of its middle pixel.
        const QPointF centre(image.width() / 2.0, image.height() / 2.0);
        explorer_.ZoomAbout(centre, command == PictureCommand::ZoomIn ? ZoomStep : 1 / ZoomStep);
        explorer_.Settle();
        return true;
    }
    // The picture's own actions, as their shortcuts would.
    actions_.Trigger(QKeySequence(event.keyCombination().key() | (event.modifiers() & ~Qt::KeypadModifier)));
    return true;
}

} // namespace levyc
