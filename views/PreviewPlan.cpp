#include "PreviewPlan.h"

#include "PreviewPlacement.h"

namespace levyc {

namespace {

// Enough views for a long spin to find where its last picture fits.
constexpr std::size_t RecentViews = 256;

// Half the screen's size, rounded up: never less than half.
QSize CoarseSize(QSize screen)
{
    return {(screen.width() + 1) / 2, (screen.height() + 1) / 2};
}

} // namespace

void PreviewPlan::Start(const WorldWindow &view, QSize screen)
{
    size_ = screen;
    asked_ = placedFor_ = view;
    screen_ = {view, screen};
    underWay_.reset();
    queue_.clear();
    recent_ = {view};
}

void PreviewPlan::Resize(QSize screen, const WorldWindow &placedFor)
{
    size_ = screen;
    placedFor_ = placedFor;
    recent_ = {placedFor};
}

double PreviewPlan::Enlargement(const ViewJob &picture, const WorldWindow &view) const
{
    return PreviewEnlargement(picture.window, view, picture.size, size_);
}

bool PreviewPlan::Serves(const ViewJob &picture, const WorldWindow &view) const
{
    return Enlargement(picture, view) <= MaxEnlargement;
}

int PreviewPlan::NewestServed(const ViewJob &picture) const
{
    for (auto index = static_cast<int>(recent_.size()) - 1; index >= 0; --index) {
        if (Serves(picture, recent_[static_cast<std::size_t>(index)])) {
            return index;
        }
    }
    return -1;
}

bool PreviewPlan::Ask(const WorldWindow &view, double progress)
{
    asked_ = view;
    if (recent_.empty() || recent_.back() != view) {
        recent_.push_back(view);
        if (recent_.size() > RecentViews) {
            recent_.pop_front();
        }
    }
    if (Serves(screen_, view)) {
        placedFor_ = view;
    }
    const ViewJob exact{view, size_};
    const bool faster = underWay_.has_value();
    bool cancel = false;
    bool underWayServes = false;
    if (underWay_ && !underWay_->cancelled) {
        if (underWay_->job == exact) {
            queue_.clear();
            return false;
        }
        if (progress >= NearlyDone) {
            underWayServes = Serves(underWay_->job, view);
        } else {
            underWay_->cancelled = cancel = true;
        }
    }
    queue_.clear();
    if (faster && !underWayServes && !Serves(screen_, view)) {
        queue_.push_back({view, CoarseSize(size_)});
    }
    queue_.push_back(exact);
    return cancel;
}

std::optional<ViewJob> PreviewPlan::Next()
{
    if (underWay_) {
        return std::nullopt;
    }
    // A coarse render is worth it only while the screen cannot show the view.
    while (!queue_.empty() && queue_.front().size != size_ && Serves(screen_, queue_.front().window)) {
        queue_.pop_front();
    }
    if (queue_.empty()) {
        return std::nullopt;
    }
    underWay_ = Running{queue_.front()};
    queue_.pop_front();
    return underWay_->job;
}

PreviewPlan::Use PreviewPlan::Ended(QSize size)
{
    if (!underWay_) {
        return Use::Drop;
    }
    const ViewJob job = underWay_->job;
    underWay_.reset();
    if (size.isEmpty() || size != job.size) {
        return Use::Drop;
    }
    if (job.window == asked_ && job.size == size_) {
        screen_ = job;
        placedFor_ = asked_;
        recent_ = {asked_};
        queue_.clear();
        return Use::Exact;
    }
    // The newer the view it can show the better, and at the same view the sharper.
    const int newest = NewestServed(job);
    const int current = NewestServed(screen_);
    if (newest < 0 || newest < current ||
        (newest == current && Enlargement(job, recent_[static_cast<std::size_t>(newest)]) >=
                                  Enlargement(screen_, recent_[static_cast<std::size_t>(newest)]))) {
        return Use::Drop;
    }
    screen_ = job;
    placedFor_ = recent_[static_cast<std::size_t>(newest)];
    // Views older than the one shown cannot be wanted again.
    recent_.erase(recent_.begin(), recent_.begin() + newest);
    return Use::Preview;
}

} // namespace levyc
