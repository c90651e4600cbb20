#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>

// An animated WebP as a viewer shows it, through libwebp's own decoder.
struct WebPFrame
{
    int start = 0; // ms
    int end = 0;
    QImage image; // the whole canvas, RGB32
};

struct WebPAnimation
{
    bool valid = false;
    QSize size;
    int loops = 0;
    QList<WebPFrame> frames;
};

WebPAnimation DecodeWebPAnimation(const QByteArray &file);
// The file at `path`, or an invalid animation when it cannot be read.
WebPAnimation DecodeWebPFile(const QString &path);
// Every frame of the file at `path` at `fps` as shown, a frame the encoder
// merged with the one before it as many times as it lasts; none when it
// cannot be read.
QList<QImage> WebPFramesAt(const QString &path, int fps);
