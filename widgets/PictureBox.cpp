#include "PictureBox.h"

#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTransform>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace levyc {

namespace {

// When the screen does not say: most displays run at 60 Hz.
constexpr qreal FallbackRefreshRate = 60.0;

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
    Retranslate();
    FitImage();
}

void PictureBox::Retranslate()
{
    copyAction_.setText(tr("&Copy"));
    saveAction_.setText(tr("&Save As…"));
    setToolTip(tr("The picture. Right-click to copy it or save it as PNG."));
    setAccessibleName(tr("Picture"));
    setAccessibleDescription(
        tr("The Lévy C curves drawn so far. Ctrl+C copies the picture, Ctrl+S saves it as a PNG file."));
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
    menu->popup(event->globalPos());
}

QImage PictureBox::Picture() const
{
    QImage image = canvas_.Image().copy();
    image.setDevicePixelRatio(1.0);
    return image;
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
    canvas_.Resize(DeviceInner().size(), devicePixelRatioF());
}

} // namespace levyc
