#include "Runtime.h"

#include <QCoreApplication>

void DoEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
