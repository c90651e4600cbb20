#include "PngView.h"

#include "views/ViewText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>

namespace levyc {

PngView ViewOfPng(const QString &path)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("levyc::PngView", text); };
    const QString name = QFileInfo(path).fileName();
    QImageReader reader(path, "png");
    if (!reader.canRead()) {
        return {{}, tr("'%1' is not a PNG image that can be read: %2").arg(name, reader.errorString())};
    }
    const QString line = reader.text(QString::fromLatin1(ViewTextKey)).trimmed();
    if (line.isEmpty()) {
        return {{},
                tr("'%1' holds no view: only a PNG saved or copied from a view, or made by levyc-render with "
                   "--window or --centre, does")
                    .arg(name)};
    }
    return {line, {}};
}

} // namespace levyc
