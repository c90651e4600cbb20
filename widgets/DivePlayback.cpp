#include "DivePlayback.h"

#include "PictureBox.h"

namespace levyc {

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
    connect(&player_, &DivePlayer::Show, &picture_.Film(), &PictureFilm::Show);
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
    player_.Stop();
    picture_.Film().End();
}

} // namespace levyc
