#pragma once

#include "drawing/CurveRecord.h"
#include "encoding/WebPAnimation.h"
#include "world/WorldWindow.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <vector>

namespace levyc {

// The Draw's animation: its 102 curves in about five seconds, the finished
// picture held for two.
constexpr AnimationTiming DrawAnimationTiming{49, 2000};

// A drawing as an animation: the picture cleared to black, then the picture
// after each curve, on a picture of `size` pixels showing `world`: at the
// Draw's window drawn as a Draw draws them (a segment limit of one world unit,
// a thin pen), elsewhere as a view of them.
// Only the picture and the encoder's few frames are held, however many curves.
bool AnimateCurves(QSize size, const WorldWindow &world, const std::vector<CurveRecord> &curves, AnimationTiming timing,
                   QByteArray *webp, QString *error, const FrameProgress &progress = {});

} // namespace levyc
