#include "Thumbnails.h"

#include "views/ViewRender.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace levyc {

Thumbnails::Thumbnails(SharedCurves curves, QString folder, QObject *parent)
    : QObject(parent)
    , curves_(std::move(curves))
    , folder_(std::move(folder))
{
}

QSize Thumbnails::SizeFor(QSize size)
{
    const int height =
        size.width() > 0 ? static_cast<int>(std::lround(double(Width) * size.height() / size.width())) : 1;
    return {Width, std::clamp(height, 1, 4 * Width)};
}

QImage Thumbnails::Get(const WorldWindow &window, QSize size)
{
    const QSize thumbnail = SizeFor(size);
    // Every digit: views a hair apart have pictures of their own.
    const QString text = QStringLiteral("%1,%2,%3,%4 %5x%6")
                             .arg(window.Left, 0, 'g', 17)
                             .arg(window.Top, 0, 'g', 17)
                             .arg(window.Right, 0, 'g', 17)
                             .arg(window.Bottom, 0, 'g', 17)
                             .arg(thumbnail.width())
                             .arg(thumbnail.height());
    const QString key = QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex());
    if (const auto made = made_.constFind(key); made != made_.constEnd()) {
        return *made;
    }
    if (!asked_.contains(key)) {
        asked_.insert(key);
        waiting_.push_back({window, thumbnail, key});
        Start();
    }
    return {};
}

void Thumbnails::Start()
{
    if (running_ || waiting_.empty()) {
        return;
    }
    running_ = true;
    runner_.Run([this, requests = std::exchange(waiting_, {})](const JobRunner::Job &job) {
        for (const Request &request : requests) {
            if (job.cancelled) {
                return;
            }
            QImage image = Make(request);
            JobRunner::Post(this, [this, key = request.key, image = std::move(image)] {
                made_.insert(key, image);
                emit Made();
            });
        }
        JobRunner::Post(this, [this] {
            running_ = false;
            Start();
        });
    });
}

QImage Thumbnails::Make(const Request &request) const
{
    const QString path =
        folder_.isEmpty() ? QString() : folder_ + QLatin1Char('/') + request.key + QStringLiteral(".png");
    if (!path.isEmpty()) {
        if (QImage kept(path); kept.size() == request.size) {
            return kept;
        }
    }
    QImage image = RenderView(*curves_, request.window, request.size).image;
    // A cache: a thumbnail that cannot be kept is drawn again next time.
    if (!path.isEmpty() && !image.isNull() && QDir().mkpath(folder_)) {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && image.save(&file, "PNG")) {
            file.commit();
        }
    }
    return image;
}

} // namespace levyc
