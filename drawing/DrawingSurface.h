#pragma once

#include "Runtime.h"

class Canvas;

// A picture area with a world window and a persistent image.
class DrawingSurface
{
public:
    DrawingSurface() = default;
    virtual ~DrawingSurface() = default;
    DrawingSurface(const DrawingSurface &) = delete;
    DrawingSurface &operator=(const DrawingSurface &) = delete;
    DrawingSurface(DrawingSurface &&) = delete;
    DrawingSurface &operator=(DrawingSurface &&) = delete;

    // The world window; drawn pixels stay when it changes.
    virtual void SetScaleLeft(float value) = 0;
    virtual void SetScaleTop(float value) = 0;
    virtual void SetScaleWidth(float value) = 0;
    virtual void SetScaleHeight(float value) = 0;

    // Fills image and screen with the colour.
    virtual void SetBackColor(PackedColor color) = 0;
    // Width of later lines, in image pixels.
    virtual void SetDrawWidth(int width) = 0;
    // Fills image and screen with BackColor.
    virtual void Cls() = 0;
    // Sets every pixel the line covers to the colour: no anti-aliasing, no blending.
    virtual void Line(float x1, float y1, float x2, float y2, PackedColor color) = 0;
    // Brings the changed part of the image to the screen before returning.
    virtual void Refresh() = 0;

    // The image that Line draws into, for callers that draw many lines and
    // want no call per line; the surface still learns of them by the next
    // Refresh or handled events. Null when there is none.
    virtual Canvas *DirectCanvas() { return nullptr; }
};
