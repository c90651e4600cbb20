#include "RenderPicture.h"

#include "Canvas.h"
#include "DrawCommands.h"
#include "Form1.h"
#include "PictureBox.h"
#include "Plotter.h"

#include <QElapsedTimer>

#include <memory>

QSize DefaultPictureSize()
{
    return PictureBox::InnerSize(Form1::Picture1Geometry().size());
}

RenderedPicture RenderPicture(QSize size)
{
    RenderedPicture result;
    // On the heap: the image itself is, and a Canvas is not movable.
    const auto canvas = std::make_unique<Canvas>(size);
    if (canvas->Image().isNull()) {
        return result;
    }
    Plotter plotter(*canvas);
    DrawCommands commands(*canvas, plotter);
    QElapsedTimer timer;
    timer.start();
    commands.Command1_Click();
    result.milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    result.lines = canvas->LinesDrawn();
    // Shared, not copied: the canvas goes now and draws nothing more.
    result.image = canvas->Image();
    return result;
}
