#include "ViewHistory.h"

#include <algorithm>

namespace levyc {

void ViewHistory::Start(const WorldWindow &first)
{
    views_.assign(1, first);
    current_ = 0;
}

void ViewHistory::Settle(const WorldWindow &view)
{
    if (!views_.empty() && views_[current_] == view) {
        return;
    }
    if (!views_.empty()) {
        views_.resize(current_ + 1);
    }
    views_.push_back(view);
    current_ = views_.size() - 1;
}

std::optional<WorldWindow> ViewHistory::Back()
{
    if (!CanGoBack()) {
        return std::nullopt;
    }
    return views_[--current_];
}

std::optional<WorldWindow> ViewHistory::Forward()
{
    if (!CanGoForward()) {
        return std::nullopt;
    }
    return views_[++current_];
}

std::vector<WorldWindow> ViewHistory::Between(const WorldWindow &from, const WorldWindow &to) const
{
    std::vector<WorldWindow> between;
    for (std::size_t i = 0; i < views_.size() && i <= current_; ++i) {
        const WorldWindow &view = views_[i];
        if (view != from && view != to && std::find(between.begin(), between.end(), view) == between.end()) {
            between.push_back(view);
        }
    }
    return between;
}

} // namespace levyc
