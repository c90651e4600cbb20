#pragma once

#include <QByteArray>
#include <QString>

namespace levyc {

class Form1;

// The view levyc's command line asks for: --window, or --centre with --zoom,
// and the --size it was shared at, as Copy View gives them.
class StartView
{
public:
    // Whether an option, named without its value, is one of the view's.
    [[nodiscard]] static bool Takes(const QByteArray &name);
    // One of the view's options, with its value.
    void Add(const QByteArray &name, const QByteArray &value);
    // Whether any was given.
    [[nodiscard]] bool Given() const { return !text_.isEmpty(); }
    // Why the view given cannot be shown in the window; empty when it can.
    [[nodiscard]] QString Refused() const;
    // A PNG file whose view is to be shown.
    void SetPng(const QString &path) { png_ = path; }
    [[nodiscard]] const QString &Png() const { return png_; }
    // Reads the PNG's view, if one was given: why it gives none, or goes
    // with other options of the view; empty when it is read.
    QString ReadPng();
    // Runs the Draw, as a press of Draw does, then shows the view.
    void DrawThenShow(Form1 &form) const;

private:
    QString text_;
    QString png_;
};

} // namespace levyc
