#include "Plotter.h"

void Plotter::SetWorldWindow(DrawingSurface &area, double x1, double y1, double x2, double y2)
{
    area.SetScaleLeft(static_cast<float>(x1));
    area.SetScaleTop(static_cast<float>(y1));
    area.SetScaleWidth(static_cast<float>(x2 - x1));
    area.SetScaleHeight(static_cast<float>(y2 - y1));
}
