#include "RecordingSurface.h"

namespace levyc {

void RecordingSurface::Cls()
{
    ClsBeforeLine.push_back(Lines);
    strokeOpen_ = false;
}

void RecordingSurface::Line(float x1, float y1, float x2, float y2, PackedColor color)
{
    ++Lines;
    if (KeepLines) {
        Kept.push_back({x1, y1, x2, y2, color});
    }
    Stroke *last = Strokes.empty() ? nullptr : &Strokes.back();
    if (strokeOpen_ && last != nullptr && last->color == color && last->endX == x1 && last->endY == y1) {
        last->endX = x2;
        last->endY = y2;
        ++last->lines;
    } else {
        Strokes.push_back({x1, y1, x2, y2, color, 1});
        strokeOpen_ = true;
    }
    if (OnLine) {
        OnLine(Lines);
    }
}

void RecordingSurface::Refresh()
{
    ++Refreshes;
    RefreshedAfterLine.push_back(Lines);
}

} // namespace levyc
