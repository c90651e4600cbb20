#pragma once

#include "drawing/Color.h"
#include "world/WorldWindow.h"

#include <functional>
#include <vector>

namespace levyc {

struct RecordedLine
{
    float x1, y1, x2, y2;
    PackedColor color;
};

// A run of joined lines of one colour: a curve, as the plotter draws it.
struct Stroke
{
    float startX, startY, endX, endY;
    PackedColor color;
    long lines;
};

// A surface that remembers what was asked of it instead of drawing. A curve's
// lines come through the same walk as on the canvas, one Line each.
class RecordingSurface final
{
public:
    void SetScaleLeft(float value) { ScaleLeft = value; }
    void SetScaleTop(float value) { ScaleTop = value; }
    void SetScaleWidth(float value) { ScaleWidth = value; }
    void SetScaleHeight(float value) { ScaleHeight = value; }
    void SetBackColor(PackedColor color) { BackColor = color; }
    void SetDrawWidth(int width) { DrawWidth = width; }
    void Cls();
    void Line(float x1, float y1, float x2, float y2, PackedColor color);
    void Refresh();
    template <typename Walk> void Curve(const WorldBox &reach, Walk &&walk)
    {
        Reaches.push_back(reach);
        const auto line = [this](float x1, float y1, float x2, float y2, PackedColor color) {
            Line(x1, y1, x2, y2, color);
        };
        walk(line, line);
    }

    float ScaleLeft = 0, ScaleTop = 0, ScaleWidth = 0, ScaleHeight = 0;
    PackedColor BackColor = -1;
    int DrawWidth = 0;

    long Lines = 0;
    long Refreshes = 0;
    std::vector<long> RefreshedAfterLine; // line numbers, 1-based
    std::vector<long> ClsBeforeLine;      // the number of lines drawn when Cls came
    std::vector<Stroke> Strokes;
    std::vector<WorldBox> Reaches; // one per curve
    bool KeepLines = false;
    std::vector<RecordedLine> Kept;
    // Called after each line with its number, 1-based.
    std::function<void(long)> OnLine;

private:
    bool strokeOpen_ = false;
};

} // namespace levyc
