#include "BookmarkStore.h"

#include "output/FileOutput.h"
#include "output/TemporaryRemovedOnSignals.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace levyc {

namespace {

QString Tr(const char *text)
{
    return QCoreApplication::translate("levyc::BookmarkStore", text);
}

// The header written above the views.
constexpr char Header[] = "# levyc bookmarks: a view a line, as levyc-render --path reads them\n";

} // namespace

QString BookmarkStore::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/levyc/bookmarks.txt");
}

BookmarkStore::BookmarkStore(QString path)
    : path_(std::move(path))
{
}

QString BookmarkStore::Load()
{
    views_.clear();
    writable_ = true;
    QFile file(path_);
    if (!file.exists()) {
        return {};
    }
    QString why;
    if (!file.open(QIODevice::ReadOnly)) {
        why = file.errorString();
    } else {
        const QByteArray bytes = file.readAll();
        const QString text = QString::fromUtf8(bytes);
        // Not UTF-8: some other program's file, kept as it is.
        if (text.toUtf8() != bytes) {
            why = Tr("not UTF-8 text");
        } else {
            ParsedViewList list = ParseViewList(text, QSize(1, 1));
            if (list.error.isEmpty()) {
                views_ = std::move(list.views);
                return {};
            }
            why = list.error;
        }
    }
    file.close();
    const QString aside = path_ + QStringLiteral(".unreadable-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (!QFile::rename(path_, aside)) {
        writable_ = false;
        return Tr("The bookmarks in %1 cannot be read (%2), nor moved aside: they are left as they are, and new "
                  "bookmarks are not kept.")
            .arg(QDir::toNativeSeparators(path_), why);
    }
    return Tr("The bookmarks in %1 cannot be read (%2): the file is kept as %3, and the list starts empty.")
        .arg(QDir::toNativeSeparators(path_), why, QDir::toNativeSeparators(aside));
}

bool BookmarkStore::Keep(std::vector<ListedView> views, QString *error)
{
    if (!writable_) {
        *error =
            Tr("the bookmarks file %1 could not be read, and is not overwritten").arg(QDir::toNativeSeparators(path_));
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path_).absolutePath())) {
        *error = Tr("cannot make the folder %1").arg(QDir::toNativeSeparators(QFileInfo(path_).absolutePath()));
        return false;
    }
    // A signal while it is written ends the program with the old list whole.
    const TemporaryRemovedOnSignals cleanup;
    FileOutput output(FileOutput::Wait::Never);
    if (!output.Open(QFile::encodeName(path_), error) ||
        !output.Write(QByteArray(Header) + ViewListText(views).toUtf8(), error)) {
        return false;
    }
    views_ = std::move(views);
    return true;
}

bool BookmarkStore::Add(const ListedView &view, QString *error)
{
    std::vector<ListedView> views = views_;
    views.push_back(view);
    return Keep(std::move(views), error);
}

bool BookmarkStore::Rename(int index, const QString &name, QString *error)
{
    std::vector<ListedView> views = views_;
    views.at(static_cast<std::size_t>(index)).name = name.simplified();
    return Keep(std::move(views), error);
}

bool BookmarkStore::Remove(int index, QString *error)
{
    std::vector<ListedView> views = views_;
    views.erase(views.begin() + index);
    return Keep(std::move(views), error);
}

bool BookmarkStore::Move(int from, int to, QString *error)
{
    std::vector<ListedView> views = views_;
    ListedView moved = std::move(views.at(static_cast<std::size_t>(from)));
    views.erase(views.begin() + from);
    views.insert(views.begin() + std::clamp(to, 0, static_cast<int>(views.size())), std::move(moved));
    return Keep(std::move(views), error);
}

int BookmarkStore::Import(const QString &text, QSize size, QString *error)
{
    ParsedViewList list = ParseViewList(text, size);
    if (!list.error.isEmpty()) {
        *error = list.error;
        return -1;
    }
    std::vector<ListedView> views = views_;
    int added = 0;
    for (ListedView &view : list.views) {
        const bool there = std::any_of(views.begin(), views.end(), [&](const ListedView &kept) {
            return kept.window == view.window && kept.size == view.size;
        });
        if (!there) {
            views.push_back(std::move(view));
            ++added;
        }
    }
    return added == 0 || Keep(std::move(views), error) ? added : -1;
}

QString BookmarkStore::Export() const
{
    return QString::fromLatin1(Header) + ViewListText(views_);
}

} // namespace levyc
