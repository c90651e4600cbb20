#pragma once

#include <QImage>
#include <QObject>

class QWidget;

namespace levyc {

// A film over the picture: from Begin() to End() its frames alone show. Any
// key, click or wheel turn, a change of view or size, or the picture turning
// off asks for its end with Interrupted().
class PictureFilm final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureFilm)

public:
    explicit PictureFilm(QWidget &picture);
    ~PictureFilm() override = default;

    void Begin() { on_ = true; }
    // A frame, on screen now rather than at the display's next frame: the
    // film's schedule counts this moment as shown.
    void Show(const QImage &image);
    // Back to the view, which the film never touched.
    void End();
    void Interrupt();
    [[nodiscard]] bool Playing() const { return on_; }
    // Whether the picture marks that the next frame is still being drawn:
    // the film never stands still without saying so.
    void SetPreparing(bool preparing);
    [[nodiscard]] bool Preparing() const { return preparing_; }
    // The frame on screen; null when none.
    [[nodiscard]] const QImage &Frame() const { return frame_; }

signals:
    void Interrupted();

private:
    QWidget &picture_;
    bool on_ = false;
    bool preparing_ = false;
    QImage frame_;
};

} // namespace levyc
