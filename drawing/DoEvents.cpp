#include "DoEvents.h"

#include <QCoreApplication>

namespace levyc {

void DoEvents()
{
    // Inside a handler that is itself a posted event, the dispatcher's nested
    // pass skips events posted before that handler began; send them first.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace levyc
