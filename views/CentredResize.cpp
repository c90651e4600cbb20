#include "CentredResize.h"

#include <algorithm>

namespace levyc {

WorldWindow CentredResized(const WorldWindow &window, QSize from, QSize to)
{
    if (from.isEmpty() || to.isEmpty() || from == to) {
        return window;
    }
    const double x = window.CentreX();
    const double y = window.CentreY();
    const double width = window.Width() * to.width() / from.width();
    const double height = window.Height() * to.height() / from.height();
    const WorldWindow resized{x - width / 2, y - height / 2, x + width / 2, y + height / 2};
    return IsDrawableWindow(resized) ? resized : window;
}

void CentredResize::Switch(QSize from, QSize to)
{
    if (from != to_) {
        // Not where the last switch left the views: a chain of its own.
        carried_.clear();
        base_ = from;
    }
    before_ = std::move(carried_);
    carried_.clear();
    from_ = from;
    to_ = to;
}

WorldWindow CentredResize::Carry(const WorldWindow &view)
{
    const auto known =
        std::find_if(before_.begin(), before_.end(), [&view](const auto &pair) { return pair.first == view; });
    // Always from the base size, so that rounding never adds up along the way.
    const WorldWindow origin = known != before_.end() ? known->second : CentredResized(view, from_, base_);
    const WorldWindow carried =
        to_ == base_ ? origin
                     : (known != before_.end() ? CentredResized(origin, base_, to_) : CentredResized(view, from_, to_));
    carried_.emplace_back(carried, origin);
    return carried;
}

} // namespace levyc
