#pragma once

#include "engine/DivePlayer.h"
#include "video/DiveChoices.h"

#include <QObject>

namespace levyc {

class PictureBox;

// Plays in the picture, at its size, the dive that Save Dive… would save:
// P, the menu and the dive dialog's Play start it; anything the user does to
// the picture ends it.
class DivePlayback final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DivePlayback)

public:
    DivePlayback(PictureBox &picture, QObject *parent);
    ~DivePlayback() override = default;

    // The length, frames a second and tour, as Save Dive… last left them.
    void SetChoices(const DiveChoices &choices) { choices_ = choices; }
    // Once a Draw has ended, while the picture takes input and there is a dive to make.
    void Play();
    // Back to the view on screen, as it was before the dive played.
    void Stop();

signals:
    // A film that played has ended, or was stopped.
    void Ended();

private:
    PictureBox &picture_;
    DivePlayer player_;
    DiveChoices choices_;
};

} // namespace levyc
