#pragma once

#include "ViewText.h"

namespace levyc {

// A view shared as text, shown on a picture: the window as given when it has
// the picture's shape, else reshaped to it, centred, holding all of it, as a
// dive's last view is. `current` is the view the picture shows and `size` its
// pixels, which a line without --size is taken at.
// Either of Copy View's lines goes, and so do both of them pasted together.
ParsedView ViewToShow(const QString &text, const WorldWindow &current, QSize size);

// Both of Copy View's lines for a view shown at `size` pixels.
QString ViewLines(const WorldWindow &window, QSize size);

} // namespace levyc
