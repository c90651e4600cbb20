#pragma once

#include "JobRunner.h"
#include "ViewRenderThread.h"
#include "world/WorldWindow.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>

#include <vector>

namespace levyc {

// Small pictures of views, made off the window's thread in the order they
// are asked for, and kept: in memory, and with a folder also on disk, where
// a later run finds them instead of drawing them again.
class Thumbnails final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Thumbnails)

public:
    static constexpr int Width = 96;

    // `folder`: where they are kept between runs; empty to keep them in memory only.
    Thumbnails(SharedCurves curves, QString folder, QObject *parent = nullptr);
    ~Thumbnails() override = default;

    // A thumbnail's size for a view of `size`: Width wide, in its shape.
    static QSize SizeFor(QSize size);

    // The thumbnail of `window` in the shape of `size`, once made; null,
    // and asked for, until then.
    QImage Get(const WorldWindow &window, QSize size);

signals:
    // One more thumbnail is there to Get().
    void Made();

private:
    struct Request
    {
        WorldWindow window;
        QSize size;
        QString key;
    };
    // Starts on the waiting requests unless a job is on them already.
    void Start();
    [[nodiscard]] QImage Make(const Request &request) const;

    SharedCurves curves_;
    QString folder_;
    QHash<QString, QImage> made_;
    QSet<QString> asked_;
    std::vector<Request> waiting_;
    bool running_ = false;
    JobRunner runner_; // last: its thread ends before the rest goes
};

} // namespace levyc
