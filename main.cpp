#include "Form1.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Form1 form;
    form.show();
    const int status = QApplication::exec();
    if (QGuiApplication::platformName() == u"wayland") {
        // Qt 6.4's Wayland plugin can wait for ever in its teardown, for an event
        // thread stuck in wl_display_read_events; the window is gone and
        // nothing is left to save, so end here.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
