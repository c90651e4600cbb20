#include "PictureBox.h"

#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGestureEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPinchGesture>
#include <QScreen>
#include <QTransform>
#include <QWheelEvent>

#include "ViewNavigation.h"
#include "ViewRender.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace levyc {

namespace {

// QT_LOGGING_RULES=levyc.view.debug=true prints each view as it reaches the
// screen, in the form levyc-render --window takes.
Q_LOGGING_CATEGORY(ViewLog, "levyc.view", QtWarningMsg)

// When the screen does not say: most displays run at 60 Hz.
constexpr qreal FallbackRefreshRate = 60.0;
// One wheel notch, or one press of + or -, zooms by this.
constexpr double ZoomStep = 1.25;
// A wheel notch in angleDelta() units.
constexpr double NotchAngle = 120.0;
// An arrow key pans by this part of the view.
constexpr double PanStep = 0.1;

int Floor(qreal value)
{
    return static_cast<int>(std::floor(value));
}

int Ceil(qreal value)
{
    return static_cast<int>(std::ceil(value));
}

// The device pixels that a rectangle of logical pixels touches.
QRect ToDevice(const QRect &logical, qreal ratio)
{
    return {QPoint(Floor(logical.left() * ratio), Floor(logical.top() * ratio)),
            QPoint(Ceil((logical.right() + 1) * ratio) - 1, Ceil((logical.bottom() + 1) * ratio) - 1)};
}

// The logical pixels that cover a rectangle of device pixels.
QRect ToLogical(const QRect &device, qreal ratio)
{
    return {QPoint(Floor(device.left() / ratio), Floor(device.top() / ratio)),
            QPoint(Ceil((device.right() + 1) / ratio) - 1, Ceil((device.bottom() + 1) / ratio) - 1)};
}

PackedColor FromQColor(const QColor &color)
{
    return RGB(color.red(), color.green(), color.blue());
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
    , canvas_({}, FromQColor(palette().color(QPalette::Button)))
{
    // A sunken WinPanel frame is always PictureBorderWidth (two) pixels wide.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted from the image; nothing to erase first, nothing to redo on growth.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
    frameTimer_.setSingleShot(true);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &PictureBox::ShowChanges);
    // While the picture has the focus; handled where any press is, so during a
    // drawing too, with the picture as it stands.
    for (QAction *action : {&copyAction_, &saveAction_}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        addAction(action);
    }
    copyAction_.setShortcut(QKeySequence::Copy);
    saveAction_.setShortcut(QKeySequence::Save);
    connect(&copyAction_, &QAction::triggered, this, &PictureBox::Copy);
    connect(&saveAction_, &QAction::triggered, this, &PictureBox::SaveRequested);
    connect(&saveDiveAction_, &QAction::triggered, this, &PictureBox::SaveDiveRequested);
    connect(&resetViewAction_, &QAction::triggered, this, &PictureBox::ResetView);
    resetViewAction_.setEnabled(false);
    connect(&renderer_, &ViewRenderThread::Rendered, this,
            [this](const QImage &image, double left, double top, double right, double bottom) {
                ShowRendered(image, {left, top, right, bottom});
            });
    grabGesture(Qt::PinchGesture);
    Retranslate();
    FitImage();
}

void PictureBox::Retranslate()
{
    copyAction_.setText(tr("&Copy"));
    saveAction_.setText(tr("&Save As…"));
    saveDiveAction_.setText(tr("Save &Dive…"));
    resetViewAction_.setText(tr("&Reset View"));
    setToolTip(tr("The picture. Turn the wheel to zoom, drag to move it, right-click to copy it or save it as PNG."));
    setAccessibleName(tr("Picture"));
    setAccessibleDescription(
        tr("The Lévy C curves drawn so far. Once drawn, + and - zoom, the arrow keys move the view and Home resets it. "
           "Ctrl+C copies the picture, Ctrl+S saves it as a PNG file."));
}

void PictureBox::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QFrame::changeEvent(event);
}

void PictureBox::contextMenuEvent(QContextMenuEvent *event)
{
    // Not exec(): a drawing goes on while the menu is open.
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(&copyAction_);
    menu->addAction(&saveAction_);
    menu->addAction(&saveDiveAction_);
    menu->addAction(&resetViewAction_);
    menu->popup(event->globalPos());
}

QImage PictureBox::Picture() const
{
    QImage image = shown_ == view_ || !Exploring() ? canvas_.Image().copy()
                                                   : levyc::RenderView(*curves_, view_, canvas_.Image().size()).image;
    image.setDevicePixelRatio(1.0);
    return image;
}

void PictureBox::Explore(const std::vector<CurveRecord> &curves)
{
    curves_ = std::make_shared<const std::vector<CurveRecord>>(curves);
    view_ = shown_ = PictureWorld;
    resetViewAction_.setEnabled(true);
}

void PictureBox::StopExploring()
{
    renderer_.Drop();
    curves_.reset();
    dragFrom_.reset();
    resetViewAction_.setEnabled(false);
    if (view_ != PictureWorld || shown_ != PictureWorld) {
        view_ = shown_ = PictureWorld;
        update();
    }
}

void PictureBox::SetView(const WorldWindow &window)
{
    if (!Exploring() || canvas_.Image().isNull() || window == view_) {
        return;
    }
    view_ = window;
    RenderView();
}

void PictureBox::RenderView()
{
    exactOnScreen_ = false;
    renderer_.Render(curves_, view_, canvas_.Image().size());
    // The preview, at the next frame.
    update();
}

void PictureBox::ShowRendered(const QImage &image, const WorldWindow &window)
{
    if (!Exploring() || window != view_ || !canvas_.Adopt(image)) {
        return; // stale, or made for another size
    }
    shown_ = window;
    static_cast<void>(canvas_.TakeDirty());
    update();
}

QPointF PictureBox::ImagePoint(QPointF position) const
{
    return (position + WindowOrigin()) * devicePixelRatioF() - QPointF(DeviceInner().topLeft());
}

void PictureBox::ZoomAbout(QPointF position, double factor)
{
    SetView(levyc::ZoomedAbout(view_, ImageSize(), ImagePoint(position), factor));
}

void PictureBox::wheelEvent(QWheelEvent *event)
{
    if (!Exploring()) {
        QFrame::wheelEvent(event);
        return;
    }
    // Touchpads send parts of a notch, and zoom smoothly for it.
    ZoomAbout(event->position(), std::pow(ZoomStep, event->angleDelta().y() / NotchAngle));
    event->accept();
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    if (Exploring() && event->button() == Qt::LeftButton) {
        dragFrom_ = event->position();
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    if (!Exploring() || !dragFrom_ || !(event->buttons() & Qt::LeftButton)) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    const QPointF moved = (event->position() - *dragFrom_) * devicePixelRatioF();
    dragFrom_ = event->position();
    SetView(Panned(view_, ImageSize(), moved));
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        dragFrom_.reset();
    }
    QFrame::mouseReleaseEvent(event);
}

void PictureBox::keyPressEvent(QKeyEvent *event)
{
    if (!Exploring()) {
        QFrame::keyPressEvent(event);
        return;
    }
    const QSizeF size = ImageSize();
    const QPointF centre(contentsRect().center());
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: // + without Shift on many layouts
        ZoomAbout(centre, ZoomStep);
        break;
    case Qt::Key_Minus:
        ZoomAbout(centre, 1 / ZoomStep);
        break;
    case Qt::Key_Left:
        SetView(Panned(view_, size, {PanStep * size.width(), 0}));
        break;
    case Qt::Key_Right:
        SetView(Panned(view_, size, {-PanStep * size.width(), 0}));
        break;
    case Qt::Key_Up:
        SetView(Panned(view_, size, {0, PanStep * size.height()}));
        break;
    case Qt::Key_Down:
        SetView(Panned(view_, size, {0, -PanStep * size.height()}));
        break;
    case Qt::Key_Home:
        ResetView();
        break;
    default:
        QFrame::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool PictureBox::event(QEvent *event)
{
    // A touchpad pinch on Wayland, and on X11 with XInput 2.4.
    if (event->type() == QEvent::NativeGesture && Exploring()) {
        const auto *gesture = static_cast<QNativeGestureEvent *>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            ZoomAbout(gesture->position(), 1.0 + gesture->value());
            return true;
        }
    }
    // A touchscreen pinch.
    if (event->type() == QEvent::Gesture && Exploring()) {
        auto *gestures = static_cast<QGestureEvent *>(event);
        if (auto *pinch = static_cast<QPinchGesture *>(gestures->gesture(Qt::PinchGesture))) {
            ZoomAbout(mapFromGlobal(pinch->centerPoint()), pinch->scaleFactor());
            gestures->accept(pinch);
            return true;
        }
    }
    return QFrame::event(event);
}

void PictureBox::Copy() const
{
    const QImage image = Picture();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    auto *data = new QMimeData;
    data->setImageData(image);
    // Offered as it is, so that every program that takes PNG gets these bytes.
    data->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(data);
}

qint64 PictureBox::FrameIntervalNs() const
{
    const QScreen *shown = screen();
    const qreal rate = shown != nullptr && shown->refreshRate() >= 1.0 ? shown->refreshRate() : FallbackRefreshRate;
    return static_cast<qint64>(1e9 / rate);
}

void PictureBox::SetBackColor(PackedColor color)
{
    canvas_.SetBackColor(color);
    ShowChanges();
}

void PictureBox::Cls()
{
    canvas_.Cls();
    ShowChanges();
}

void PictureBox::Refresh()
{
    ShowChanges();
}

qint64 PictureBox::FrameWaitNs() const
{
    return sinceFrame_.isValid() ? std::max<qint64>(FrameIntervalNs() - sinceFrame_.nsecsElapsed(), 0) : 0;
}

void PictureBox::ScheduleShow()
{
    // One timer for both: at 0 ms it fires when events are next handled.
    if (!frameTimer_.isActive()) {
        frameTimer_.start(std::chrono::ceil<std::chrono::milliseconds>(std::chrono::nanoseconds(FrameWaitNs())));
    }
}

void PictureBox::ShowChanges()
{
    // Each synchronous repaint is a frame for the window system; on Wayland one
    // that comes before the compositor has let go of the last costs a copy of
    // the whole window. No one sees more than one frame per display frame.
    if (FrameWaitNs() > 0) {
        ScheduleShow();
        return;
    }
    if (const QRect dirty = TakeDirty(); !dirty.isEmpty()) {
        repaint(dirty);
        sinceFrame_.start();
    }
}

QRect PictureBox::DeviceInner() const
{
    // Where the window system puts the inner area's edges: each one rounded to
    // the nearest device pixel, as it clips the widget's painting.
    const qreal ratio = devicePixelRatioF();
    const QRect inner = contentsRect().translated(WindowOrigin());
    const int left = qRound(inner.left() * ratio);
    const int top = qRound(inner.top() * ratio);
    const int right = qRound((inner.right() + 1) * ratio);
    const int bottom = qRound((inner.bottom() + 1) * ratio);
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

QRect PictureBox::TakeDirty()
{
    const QRect imageRect = canvas_.TakeDirty();
    if (imageRect.isEmpty()) {
        return {};
    }
    // Image pixels to device pixels of the window, then out to whole logical ones.
    const QRect device = imageRect.translated(DeviceInner().topLeft());
    return ToLogical(device, devicePixelRatioF()).translated(-WindowOrigin());
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (!contentsRect().contains(event->rect())) {
        drawFrame(&painter);
    }
    if (shown_ != view_) {
        PaintPreview(painter);
        return;
    }
    if (!exactOnScreen_) {
        // The exact picture replaces the whole preview.
        if (event->rect().contains(contentsRect())) {
            exactOnScreen_ = true;
            qCDebug(ViewLog, "shown %.17g,%.17g,%.17g,%.17g", view_.Left, view_.Top, view_.Right, view_.Bottom);
            emit ViewPainted();
        } else {
            update(contentsRect());
        }
    }
    const QImage &image = canvas_.Image();
    const qreal ratio = devicePixelRatioF();
    const QRect device = DeviceInner();
    const QPoint origin = WindowOrigin();
    // The part of the image under the paint event, in image pixels.
    const QRect source = ToDevice(event->rect().translated(origin), ratio).translated(-device.topLeft()) & image.rect();
    if (source.isEmpty()) {
        return;
    }
    // One image pixel to one device pixel, whatever the scale: the image is
    // copied, never resampled. Image (x, y) lands on device pixel
    // (x, y) + device.topLeft().
    painter.setWorldTransform(
        QTransform(1 / ratio, 0, 0, 1 / ratio, device.left() / ratio - origin.x(), device.top() / ratio - origin.y()));
    painter.drawImage(QRectF(source), image, QRectF(source));
}

void PictureBox::PaintPreview(QPainter &painter)
{
    painter.fillRect(contentsRect(), Qt::black);
    const QImage &image = canvas_.Image();
    if (image.isNull()) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QRect device = DeviceInner();
    const QPoint origin = WindowOrigin();
    // Image pixel u of the shown view lands on pixel scale u + offset of the new one.
    const QSizeF size = ImageSize();
    const double scaleX = (shown_.Right - shown_.Left) / (view_.Right - view_.Left);
    const double scaleY = (shown_.Bottom - shown_.Top) / (view_.Bottom - view_.Top);
    const double offsetX = (shown_.Left - view_.Left) / (view_.Right - view_.Left) * size.width();
    const double offsetY = (shown_.Top - view_.Top) / (view_.Bottom - view_.Top) * size.height();
    if (!(scaleX > 0.0) || !(scaleY > 0.0)) {
        return;
    }
    // Only the part of the image that stays in sight: deep in, a few pixels
    // scaled a billionfold.
    const QRectF wanted(QPointF(-offsetX / scaleX, -offsetY / scaleY),
                        QPointF((size.width() - offsetX) / scaleX, (size.height() - offsetY) / scaleY));
    const QRectF source = QRectF(QPointF(std::floor(wanted.left()), std::floor(wanted.top())),
                                 QPointF(std::ceil(wanted.right()), std::ceil(wanted.bottom()))) &
                          QRectF(image.rect());
    if (source.isEmpty()) {
        return;
    }
    const QRectF target(QPointF(source.left() * scaleX + offsetX, source.top() * scaleY + offsetY),
                        QPointF(source.right() * scaleX + offsetX, source.bottom() * scaleY + offsetY));
    painter.setClipRect(contentsRect());
    painter.setWorldTransform(
        QTransform(1 / ratio, 0, 0, 1 / ratio, device.left() / ratio - origin.x(), device.top() / ratio - origin.y()));
    painter.drawImage(target, image, source);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    FitImage();
}

void PictureBox::moveEvent(QMoveEvent *event)
{
    QFrame::moveEvent(event);
    // At a fractional scale the inner area's size in device pixels depends on
    // where it stands.
    FitImage();
}

void PictureBox::FitImage()
{
    const QSizeF before = ImageSize();
    canvas_.Resize(DeviceInner().size(), devicePixelRatioF());
    if (Exploring() && ImageSize() != before && (view_ != PictureWorld || shown_ != PictureWorld)) {
        // What fits stays where it was, at the same scale; the rest is drawn anew.
        shown_ = Resized(shown_, before, ImageSize());
        view_ = Resized(view_, before, ImageSize());
        RenderView();
    }
}

} // namespace levyc
