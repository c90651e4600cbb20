#pragma once

#include "DrawingSurface.h"

#include <functional>
#include <vector>

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

// A surface that remembers what was asked of it instead of drawing.
class RecordingSurface final : public DrawingSurface
{
public:
    void SetScaleLeft(float value) override { ScaleLeft = value; }
    void SetScaleTop(float value) override { ScaleTop = value; }
    void SetScaleWidth(float value) override { ScaleWidth = value; }
    void SetScaleHeight(float value) override { ScaleHeight = value; }
    void SetBackColor(PackedColor color) override { BackColor = color; }
    void SetDrawWidth(int width) override { DrawWidth = width; }
    void Cls() override;
    void Line(float x1, float y1, float x2, float y2, PackedColor color) override;
    void Refresh() override;

    float ScaleLeft = 0, ScaleTop = 0, ScaleWidth = 0, ScaleHeight = 0;
    PackedColor BackColor = -1;
    int DrawWidth = 0;

    long Lines = 0;
    long Refreshes = 0;
    std::vector<long> RefreshedAfterLine; // line numbers, 1-based
    std::vector<long> ClsBeforeLine;      // the number of lines drawn when Cls came
    std::vector<Stroke> Strokes;
    bool KeepLines = false;
    std::vector<RecordedLine> Kept;
    // Called after each line with its number, 1-based.
    std::function<void(long)> OnLine;

private:
    bool strokeOpen_ = false;
};
