#include "StartView.h"

#include "drawing/PictureSize.h"
#include "picture/PngView.h"
#include "views/SharedView.h"
#include "widgets/Form1.h"
#include "widgets/PictureBox.h"
#include "world/PictureWorld.h"

#include <QPushButton>

#include <cstdio>

namespace levyc {

bool StartView::Takes(const QByteArray &name)
{
    return QList<QByteArray>{"--window", "--centre", "--zoom", "--size"}.contains(name);
}

void StartView::Add(const QByteArray &name, const QByteArray &value)
{
    // Read as Go to View reads it: a value typed with spaces after its commas is one.
    text_ += QString::fromLatin1(name) + u' ' + QString::fromLocal8Bit(value) + u' ';
}

QString StartView::ReadPng()
{
    if (png_.isEmpty()) {
        return {};
    }
    if (Given()) {
        return QStringLiteral("a PNG's view does not go with --window, --centre, --zoom or --size");
    }
    const PngView view = ViewOfPng(png_);
    text_ = view.line;
    return view.error;
}

QString StartView::Refused() const
{
    // The window opens at the Draw's size: a view fits there, or nowhere.
    return ViewToShow(text_, PictureWorld, PictureSize).error;
}

void StartView::DrawThenShow(Form1 &form) const
{
    form.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    auto *picture = form.findChild<PictureBox *>(QStringLiteral("Picture1"));
    // Closed during the Draw: no view to show.
    if (!picture->Exploring()) {
        return;
    }
    const ParsedView view = ViewToShow(text_, picture->View(), picture->ImageSize());
    if (!view.error.isEmpty()) {
        std::fprintf(stderr, "levyc: %s\n", qPrintable(view.error));
        return;
    }
    picture->SetView(view.window);
}

} // namespace levyc
