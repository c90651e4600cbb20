#include "private/NameOnlyIconProvider.h"

namespace levyc {

QIcon NameOnlyIconProvider::icon(const QFileInfo &info) const
{
    if (info.isDir()) {
        return QFileIconProvider::icon(Folder);
    }
    const QMimeType mime = mimeTypes_.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    return QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), QFileIconProvider::icon(File)));
}

QString NameOnlyIconProvider::type(const QFileInfo &info) const
{
    if (info.isDir()) {
        return QFileIconProvider::type(info); // says "Folder" without reading
    }
    return mimeTypes_.mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
}

} // namespace levyc
