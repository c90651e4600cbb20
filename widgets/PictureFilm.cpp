#include "PictureFilm.h"

#include <QWidget>

namespace levyc {

PictureFilm::PictureFilm(QWidget &picture)
    : QObject(&picture)
    , picture_(picture)
{
}

void PictureFilm::Show(const QImage &image)
{
    if (!on_) {
        return;
    }
    frame_ = image;
    picture_.repaint(picture_.contentsRect());
}

void PictureFilm::SetPreparing(bool preparing)
{
    if (preparing_ != (on_ && preparing)) {
        preparing_ = on_ && preparing;
        picture_.update(picture_.contentsRect());
    }
}

void PictureFilm::End()
{
    if (!on_) {
        return;
    }
    on_ = false;
    preparing_ = false;
    frame_ = {};
    picture_.update(picture_.contentsRect());
}

void PictureFilm::Interrupt()
{
    if (on_) {
        emit Interrupted();
    }
}

} // namespace levyc
