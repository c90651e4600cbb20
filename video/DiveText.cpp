#include "DiveText.h"

#include "VideoModule.h"
#include "output/FileNames.h"
#include "views/OptionText.h"
#include "world/PictureWorld.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace levyc {

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("levyc::DiveText", text);
}

} // namespace

QString DiveText::Duration(double seconds)
{
    const long whole = std::lround(std::max(1.0, seconds));
    if (whole < 60) {
        return Tr("%1 s").arg(whole);
    }
    if (whole < 3600) {
        return Tr("%1 min %2 s").arg(whole / 60).arg(whole % 60);
    }
    return Tr("%1 h %2 min").arg(whole / 3600).arg(whole / 60 % 60);
}

QString DiveText::RangeProblem(const DiveChoices &choices)
{
    if (choices.seconds < DivePath::MinSeconds || choices.seconds > DivePath::MaxSeconds) {
        return Tr("Type a length from %1 to %2 s.").arg(DivePath::MinSeconds).arg(DivePath::MaxSeconds);
    }
    if (choices.fps < 1 || choices.fps > DivePath::MaxFps) {
        return Tr("Type from 1 to %1 frames a second.").arg(DivePath::MaxFps);
    }
    if (choices.format != DiveFormat::WebP && choices.quality > VideoSettings::MaxQuality) {
        return Tr("Type a quality from 0 to %1.").arg(VideoSettings::MaxQuality);
    }
    return {};
}

QString DiveText::Problem(const DiveChoices &choices, QSize picture, const WorldWindow &view,
                          const std::vector<WorldWindow> &visited)
{
    if (QString range = RangeProblem(choices); !range.isEmpty()) {
        return range;
    }
    if (FramesOf(choices) < DivePath::MinFrames) {
        return Tr("Fewer than %1 frames: make the dive longer or its frames more.").arg(DivePath::MinFrames);
    }
    if (choices.size == DiveChoices::Size::Typed && choices.typed.isEmpty()) {
        return Tr("Type the size as WxH, such as 640x360, each side from 1 to %1.").arg(OptionText::MaxSide);
    }
    const QSize size = FrameSizeOf(choices, picture);
    if (QSize largest; !DiveSizeFits(choices.format, size, &largest)) {
        return Tr("Too large for this format: at most %1 wide at that height, %2 high at that width.")
            .arg(largest.width())
            .arg(largest.height());
    }
    if (const std::optional<WorldWindow> widest = levyc::BeyondReach(DiveOf(choices, picture, view, visited))) {
        return BeyondReach(*widest);
    }
    return {};
}

QString DiveText::FileProblem(const QString &path, DiveChoices choices, QSize picture, const WorldWindow &view,
                              const std::vector<WorldWindow> &visited)
{
    const QString named = FormatNamed(QFile::encodeName(path));
    if (named == u"PNG") {
        return Tr("A dive is MP4, WebM or WebP, not PNG: '%1'. Save As… writes PNG.").arg(QFileInfo(path).fileName());
    }
    choices.format = DiveFormatNamed(named).value_or(choices.format);
    if (QString noVideo; choices.format != DiveFormat::WebP && !VideoModule::Available(&noVideo)) {
        return noVideo;
    }
    return Problem(choices, picture, view, visited);
}

QString DiveText::NotAPicture(const QString &path)
{
    const QString named = FormatNamed(QFile::encodeName(path));
    if (named != u"MP4" && named != u"WebM") {
        return {};
    }
    return Tr("'%1' would hold a PNG picture, not %2: Save Dive… writes %2.").arg(QFileInfo(path).fileName(), named);
}

QString DiveText::BeyondReach(const WorldWindow &widest)
{
    return Tr("On its way the dive would zoom out to a view %1 by %2 world units, more than %3: choose views nearer "
              "each other.")
        .arg(std::abs(widest.Width()), 0, 'g', 3)
        .arg(std::abs(widest.Height()), 0, 'g', 3)
        .arg(MaxViewSpan);
}

QString DiveText::Estimate(int frames, QSize size, const std::optional<DiveEstimate> &measured,
                           const QString &unmeasured)
{
    const QString shape = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    if (measured) {
        return Tr("%1 frames at %2: about %3 of work and %4.")
            .arg(frames)
            .arg(shape, Duration(measured->seconds),
                 QLocale().formattedDataSize(static_cast<qint64>(measured->bytes), 1, QLocale::DataSizeSIFormat));
    }
    if (unmeasured.isEmpty()) {
        return Tr("%1 frames at %2: measuring what they cost…").arg(frames).arg(shape);
    }
    return Tr("%1 frames at %2: what they cost cannot be measured: %3").arg(frames).arg(shape, unmeasured);
}

QString DiveText::Progress(int done, int total, qint64 elapsedMs)
{
    QString frames = Tr("Saving the dive: frame %1 of %2").arg(done).arg(total);
    if (done <= 0 || done >= total) {
        return frames;
    }
    const double left = static_cast<double>(elapsedMs) / 1000 * (total - done) / done;
    return Tr("%1, about %2 left").arg(frames, Duration(left));
}

} // namespace levyc
