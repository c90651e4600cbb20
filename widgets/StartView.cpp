#include "StartView.h"

#include "Form1.h"
#include "PictureBox.h"
#include "drawing/PictureSize.h"
#include "views/SharedView.h"
#include "world/PictureWorld.h"

#include <QPushButton>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

namespace levyc {

namespace {

constexpr std::array<std::string_view, 4> ViewOptions = {"--window", "--centre", "--zoom", "--size"};

} // namespace

bool StartView::Take(int argc, char *argv[], int &i, bool *taken, QString *error)
{
    const std::string_view argument(argv[i]);
    const std::string_view name = argument.substr(0, argument.find('='));
    *taken = std::find(ViewOptions.begin(), ViewOptions.end(), name) != ViewOptions.end();
    if (!*taken) {
        return true;
    }
    QString value;
    if (name.size() < argument.size()) {
        value = QString::fromLocal8Bit(argument.substr(name.size() + 1));
    } else if (i + 1 < argc) {
        value = QString::fromLocal8Bit(argv[++i]);
    } else {
        *error = QStringLiteral("option '%1' needs a value").arg(QLatin1String(name.data(), qsizetype(name.size())));
        return false;
    }
    // Spaces inside a value would split it into words of its own.
    text_ += QLatin1String(name.data(), qsizetype(name.size())) + u' ' + value.simplified().remove(u' ') + u' ';
    return true;
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
