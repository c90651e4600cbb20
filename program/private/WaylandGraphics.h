#pragma once

namespace levyc {

// Qt 6.4 on Wayland loads its EGL client-buffer integration, and with it the
// GPU driver and its compiler, for one question only: whether it may draw
// window decorations. This program draws nothing with OpenGL. Where the
// compositor draws the decorations itself, Qt is told to draw none, unless the
// user has chosen a buffer integration or a decoration setting. Call before
// the application object is made.
void SkipGraphicsIntegrationOnWayland();

} // namespace levyc
