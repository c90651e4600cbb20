#include "PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {

PackedColor FromQColor(const QColor &color)
{
    return RGB(color.red(), color.green(), color.blue());
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
    , canvas_({}, FromQColor(palette().color(QPalette::Button)))
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted from the image; nothing to erase first, nothing to redo on growth.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
    FitImage();
}

void PictureBox::SetBackColor(PackedColor color)
{
    canvas_.SetBackColor(color);
    RepaintNow();
}

void PictureBox::Cls()
{
    canvas_.Cls();
    RepaintNow();
}

void PictureBox::Refresh()
{
    RepaintNow();
}

void PictureBox::RepaintNow()
{
    if (const QRect dirty = TakeDirty(); !dirty.isEmpty()) {
        repaint(dirty);
    }
}

void PictureBox::QueueFlush()
{
    // Lines only mark the image; the screen catches up when events are next handled.
    flushPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            flushPosted_ = false;
            if (const QRect dirty = TakeDirty(); !dirty.isEmpty()) {
                update(dirty);
            }
        },
        Qt::QueuedConnection);
}

QRect PictureBox::TakeDirty()
{
    const QRect imageRect = canvas_.TakeDirty();
    if (imageRect.isEmpty()) {
        return {};
    }
    const qreal ratio = canvas_.Image().devicePixelRatio();
    const int left = static_cast<int>(std::floor(imageRect.left() / ratio));
    const int top = static_cast<int>(std::floor(imageRect.top() / ratio));
    const int right = static_cast<int>(std::ceil((imageRect.right() + 1) / ratio));
    const int bottom = static_cast<int>(std::ceil((imageRect.bottom() + 1) / ratio));
    return QRect(left, top, right - left, bottom - top).translated(contentsRect().topLeft());
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect inner = contentsRect();
    if (!inner.contains(event->rect())) {
        drawFrame(&painter);
    }
    const QRect target = event->rect() & inner;
    if (target.isEmpty()) {
        return;
    }
    const QImage &image = canvas_.Image();
    const qreal ratio = image.devicePixelRatio();
    const QRectF source((target.x() - inner.x()) * ratio, (target.y() - inner.y()) * ratio, target.width() * ratio,
                        target.height() * ratio);
    painter.drawImage(QRectF(target), image, source);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    FitImage();
}

void PictureBox::FitImage()
{
    const qreal ratio = devicePixelRatioF();
    const QSize logical = contentsRect().size();
    canvas_.Resize(QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio)), ratio);
}
