#pragma once

#include <QString>

namespace levyc {

// The view a PNG file carries, saved or copied from a view or written by
// levyc-render: its --window line, from the text the file holds under
// ViewTextKey. The image itself is not read.
struct PngView
{
    QString line;
    QString error; // why there is no view to read, in one line; empty when there is
};

PngView ViewOfPng(const QString &path);

} // namespace levyc
