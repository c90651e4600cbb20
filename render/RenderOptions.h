#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace levyc {

struct RenderOptions
{
    static constexpr int MaxSide = 16384;
    static constexpr int DefaultIconSide = 256;

    QSize size;
    bool time = false;
    bool icon = false; // the application icon instead of the picture
    bool help = false;
    bool version = false;
    QString output;
    QString error; // set when the arguments are unusable
};

// Reads the arguments after the program's name.
RenderOptions ParseRenderOptions(const QStringList &arguments, QSize defaultSize);

QString RenderUsage(QSize defaultSize);

} // namespace levyc
