#pragma once

#include "widgets/PictureBox.h"

#include <QImage>

// The picture's inner area as the window system has it, in device pixels: the
// top-level window's backing store, a plain image on the offscreen platform;
// null elsewhere.
QImage OnScreen(levyc::PictureBox &box);
