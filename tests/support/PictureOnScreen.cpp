#include "PictureOnScreen.h"

#include <QAction>
#include <QBackingStore>

QImage OnScreen(levyc::PictureBox &box)
{
    QPaintDevice *device = box.backingStore()->paintDevice();
    if (device->devType() != QInternal::Image) {
        return {};
    }
    const qreal ratio = box.devicePixelRatioF();
    const QPoint inner = box.mapTo(box.window(), box.contentsRect().topLeft());
    const QRect shown(QPoint(qRound(inner.x() * ratio), qRound(inner.y() * ratio)), box.ImageSize());
    QImage image = static_cast<QImage *>(device)->copy(shown).convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    return image;
}

void ShowOverlays(levyc::PictureBox &box, bool overlay, bool overview)
{
    for (QAction *action : box.actions()) {
        const bool isOverlay = action->objectName() == u"Overlay";
        if ((isOverlay || action->objectName() == u"Overview") &&
            action->isChecked() != (isOverlay ? overlay : overview)) {
            action->trigger();
        }
    }
}
