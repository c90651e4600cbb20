#include "DivePlayback.h"

#include "PictureBox.h"

#include <QLoggingCategory>

namespace levyc {

namespace {

// QT_LOGGING_RULES=levyc.play.debug=true prints each frame of a dive played
// as it reaches the screen, 0 the first, and at the film's end its frames
// shown late and how far behind its time they put it.
Q_LOGGING_CATEGORY(PlayLog, "levyc.play", QtWarningMsg)

} // namespace

DivePlayback::DivePlayback(PictureBox &picture, QObject *parent)
    : QObject(parent)
    , picture_(picture)
{
    connect(&picture_, &PictureBox::Chosen, this, [this](PictureCommand command) {
        if (command == PictureCommand::Play) {
            Play();
        }
    });
    connect(&picture_.Film(), &PictureFilm::Interrupted, this, &DivePlayback::Stop);
    connect(&player_, &DivePlayer::Show, this, [this](int frame, const QImage &image) {
        picture_.Film().Show(image);
        qCDebug(PlayLog, "frame %d shown", frame);
    });
    connect(&player_, &DivePlayer::Preparing, &picture_.Film(), &PictureFilm::SetPreparing);
    connect(&player_, &DivePlayer::Ended, this, &DivePlayback::Stop);
}

void DivePlayback::Play()
{
    const WorldWindow &view = picture_.View();
    const std::vector<WorldWindow> visited = picture_.Visited();
    if (!picture_.Exploring() || !picture_.isEnabled() || picture_.Playing() || !CanDive(view, visited)) {
        return;
    }
    // On screen: the picture's size, its whole pixels.
    DiveChoices choices = choices_;
    choices.size = DiveChoices::Size::Picture;
    choices.format = DiveFormat::WebP;
    const Dive dive = DiveOf(choices, picture_.ImageSize(), view, visited);
    picture_.Film().Begin();
    player_.Start(picture_.Curves(), PathOf(dive), dive.size, dive.fps);
}

void DivePlayback::Stop()
{
    const bool playing = picture_.Playing();
    player_.Stop();
    picture_.Film().End();
    if (playing) {
        qCDebug(PlayLog, "ended: %d late, %.6f ms behind", player_.Late(),
                static_cast<double>(player_.SlippedNs()) / 1e6);
        emit Ended();
    }
}

} // namespace levyc
