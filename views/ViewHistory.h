#pragma once

#include "world/WorldWindow.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace levyc {

// The views that settled, in order, and where Back and Forward stand among them.
class ViewHistory
{
public:
    // A new list holding one view.
    void Start(const WorldWindow &first);
    // A view settled: it follows the current one, and what lay ahead is gone.
    // The current view again changes nothing.
    void Settle(const WorldWindow &view);
    // The view one step back or forward, which becomes the current one;
    // nothing at either end.
    std::optional<WorldWindow> Back();
    std::optional<WorldWindow> Forward();
    [[nodiscard]] bool CanGoBack() const { return current_ > 0; }
    [[nodiscard]] bool CanGoForward() const { return current_ + 1 < views_.size(); }
    // Every view replaced by what `change` makes of it, in order, as when the
    // picture changes size.
    template <typename Map> void Replace(Map &&change)
    {
        for (WorldWindow &view : views_) {
            view = change(view);
        }
    }
    // The views that settled up to the current one, in order, each once and
    // neither `from` nor `to`: the way from one to the other through the
    // views visited, as a dive's views between.
    [[nodiscard]] std::vector<WorldWindow> Between(const WorldWindow &from, const WorldWindow &to) const;

private:
    std::vector<WorldWindow> views_;
    std::size_t current_ = 0;
};

} // namespace levyc
