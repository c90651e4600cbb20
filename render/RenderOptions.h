#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

struct RenderOptions
{
    static constexpr int MaxSide = 16384;

    QSize size;
    bool time = false;
    bool help = false;
    bool version = false;
    QString output;
    QString error; // set when the arguments are unusable
};

// Reads the arguments after the program's name.
RenderOptions ParseRenderOptions(const QStringList &arguments, QSize defaultSize);

QString RenderUsage(QSize defaultSize);
