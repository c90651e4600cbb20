#pragma once

namespace levyc {

// Whether the window runs on an X server that no window manager manages, as
// a bare Xvfb: there nobody acts on a request for full screen, and the
// window must take the screen's size itself. Where one does, resizing the
// window by hand would end the full screen it has just granted.
bool OnBareX();

} // namespace levyc
