#pragma once

#include "ViewNavigation.h"

#include <QSize>
#include <QString>

namespace levyc {

// A view as text, the way it is shared and typed back:
//   --window X1,Y1,X2,Y2 --size WxH
//   --centre X,Y --zoom Z --size WxH
// The second keeps the Draw's pixel shape at any size. Its zoom is the scale
// of a pixel: a pixel is (810 / 573) / Z world units wide and (910 / 413) / Z
// tall, the Draw's pixel at Z = 1. At the Draw's width of 573 pixels that is
// the window's own zoom, 810 / the view's width; at W pixels it is that zoom
// times W / 573, so a larger size shows more around the same centre.

// The key of the PNG text that holds a picture's view, as levyc-render's --window takes it.
inline constexpr const char *ViewTextKey = "levyc-view";

// The view centred on `centre` at `zoom`, at `size` pixels. Zoom 1 at the
// Draw's size, centred on the Draw's centre, is the Draw's window exactly;
// a zoom below 0 turns the view half way round.
WorldWindow CentredView(WorldPoint centre, double zoom, QSize size);

// The centre line's zoom for a window shown at `size`: the largest whose
// centred view holds the whole window, so that a window of another pixel
// shape comes back reshaped, centred, as a dive's last view is. Below 0 for
// a window turned half way round, its corners both ways reversed.
double ViewZoom(const WorldWindow &window, QSize size);

// The two lines, each number with 17 significant digits so that it reads back
// as the same double.
QString WindowLine(const WorldWindow &window, QSize size);
QString CentreLine(const WorldWindow &window, QSize size);

struct ParsedView
{
    WorldWindow window;
    QSize size;
    QString error; // why the text is refused; empty when it is a view
};

// Either line, typed or pasted, with any spacing and "--name=value" too;
// without --size the view is at `size`. Refused, with the reason, unless
// the view can be drawn.
ParsedView ParseViewText(const QString &text, QSize size);

} // namespace levyc
