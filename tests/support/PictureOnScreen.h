#pragma once

#include "widgets/PictureBox.h"

#include <QImage>

// The picture's inner area as the window system has it, in device pixels: the
// top-level window's backing store, a plain image on the offscreen platform;
// null elsewhere.
QImage OnScreen(levyc::PictureBox &box);

// Shows or hides Where You Are and Overview with their actions, as the
// picture's menu does.
void ShowOverlays(levyc::PictureBox &box, bool overlay, bool overview);
