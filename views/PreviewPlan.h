#pragma once

#include "world/WorldWindow.h"

#include <QSize>

#include <deque>
#include <optional>

namespace levyc {

// A render: the world window it shows, at a size in pixels.
struct ViewJob
{
    WorldWindow window;
    QSize size;

    friend bool operator==(const ViewJob &, const ViewJob &) = default;
};

// Which picture the screen shows while views come faster than they render,
// and which render comes next.
//
// The screen never shows a picture whose pixels are enlarged more than
// MaxEnlargement times, counting the zoom since it was made and a coarse
// render's lower resolution. Where the newest view would need more, the screen
// stays on the last view its picture could show: it lags the wheel rather than
// blur.
//
// A view that comes while a render is under way comes faster than views
// render: unless the screen can show it already, or the render under way will,
// a coarse render of it at half the size comes before its exact one. A newer
// view cancels the render under way unless it is nearly done: where views
// come faster than any render, the screen waits for the last one. A render
// finished for an older view serves as a preview, placed for the newest view
// it can show, and never as that view's exact picture.
class PreviewPlan
{
public:
    static constexpr double MaxEnlargement = 2.0;
    // The part of a render done, counted in curves, past which a newer view lets it finish.
    static constexpr double NearlyDone = 0.5;

    enum class Use {
        Drop,    // nothing changes on screen
        Preview, // the screen shows it, placed for PlacedFor()
        Exact,   // the exact picture of the view asked for last
    };

    // The exact picture of `view`, at `screen` pixels, is on screen, and no render is under way.
    void Start(const WorldWindow &view, QSize screen);
    // The screen is now `screen` pixels, and its picture placed for `placedFor`,
    // a view at the same scale as before.
    void Resize(QSize screen, const WorldWindow &placedFor);

    // A new view is asked for. `progress`, from 0 to 1, is how far the render
    // under way has come. True when that render is to be cancelled.
    bool Ask(const WorldWindow &view, double progress);
    // The render to start now, if any: it is then under way.
    std::optional<ViewJob> Next();
    // The render under way ended, with an image of `size`: empty when it gave none.
    Use Ended(QSize size);

    // The picture on screen, and the view it is placed for.
    [[nodiscard]] const ViewJob &OnScreen() const { return screen_; }
    [[nodiscard]] const WorldWindow &PlacedFor() const { return placedFor_; }

private:
    struct Running
    {
        ViewJob job;
        bool cancelled = false;
    };

    [[nodiscard]] bool Serves(const ViewJob &picture, const WorldWindow &view) const;
    [[nodiscard]] double Enlargement(const ViewJob &picture, const WorldWindow &view) const;
    // The index in recent_ of the newest view a picture can show; -1 for none.
    [[nodiscard]] int NewestServed(const ViewJob &picture) const;

    QSize size_; // the screen's
    WorldWindow asked_{};
    ViewJob screen_{};
    WorldWindow placedFor_{};
    std::optional<Running> underWay_;
    std::deque<ViewJob> queue_;
    // The views asked for since the last exact picture, oldest first.
    std::deque<WorldWindow> recent_;
};

} // namespace levyc
