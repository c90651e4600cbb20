#pragma once

#include "SaveJob.h"
#include "ViewRenderThread.h"
#include "drawing/CurveRecord.h"
#include "video/DiveMovie.h"
#include "world/WorldWindow.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace levyc {

// Draws the picture as it stands, at its full size; null when cancelled.
using PictureRender = std::function<QImage(const std::atomic<bool> *cancel)>;

// The work of saving the picture as a PNG file.
SaveJob::Work PictureWork(const QString &path, PictureRender render);
// The work of saving the picture as a still WebP, for a window not drawn yet.
SaveJob::Work StillWebPWork(const QString &path, PictureRender render);
// The work of saving a Draw as an animated WebP, a frame a curve.
SaveJob::Work AnimationWork(const QString &path, std::vector<CurveRecord> curves, QSize size, const WorldWindow &view);
// The work of drawing the picture into `image`, for the clipboard.
SaveJob::Work PictureCopyWork(PictureRender render, std::shared_ptr<QImage> image);
// The work of saving a dive into the curves, as levyc-render --dive makes
// it. It holds its own copies; a failed or cancelled dive leaves the old file
// as it was and no temporary file behind.
SaveJob::Work DiveWork(const QString &path, SharedCurves curves, const Dive &dive);

} // namespace levyc
