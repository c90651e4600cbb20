#pragma once

#include <QAbstractNativeEventFilter>

class QWidget;

namespace levyc {

// Closes a window whose X11 window another client destroyed (xdotool
// windowclose, xkill -id): the toolkit would go on with no window at all.
class DestroyedWindowWatcher final : public QAbstractNativeEventFilter
{
public:
    explicit DestroyedWindowWatcher(QWidget *window)
        : window_(window)
    {
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    QWidget *window_;
};

} // namespace levyc
