#pragma once

class QImage;

namespace levyc {

// The picture on the clipboard, as an image and as PNG.
void CopyToClipboard(const QImage &image);

} // namespace levyc
