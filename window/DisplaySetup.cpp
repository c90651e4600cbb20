#include "DisplaySetup.h"

#include <QByteArray>
#include <QtGlobal>

void SetUpDisplay()
{
    // A drawing refreshes a small box synchronously every 1001 lines. Through
    // the xcb plugin's default shared-memory path every such flush waits for the
    // X server to finish with the segment: measured on Xvfb, 3519 refreshes
    // cost about 80 us each and a whole Draw 6 to 15 times the headless
    // render, against about 10 us and under 3 times with plain image requests.
    // Whole-area repaints get slower (about 1.1 ms against 0.5 ms), but a Draw
    // has two.
    // Set the variable yourself to choose otherwise; any value turns it off.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
    }
}
