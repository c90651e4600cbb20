#include "private/DestroyedWindowWatcher.h"

#include <QWidget>

#include <xcb/xproto.h>

namespace levyc {

bool DestroyedWindowWatcher::nativeEventFilter(const QByteArray &eventType, void *message, qintptr * /*result*/)
{
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // The top bit marks an event another client sent.
    if ((event->response_type & 0x7F) == XCB_DESTROY_NOTIFY &&
        reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == window_->winId()) {
        // From the event loop: a drawing on the stack ends first, as on any close.
        QMetaObject::invokeMethod(window_, &QWidget::close, Qt::QueuedConnection);
    }
    return false;
}

} // namespace levyc
