#pragma once

#include "views/ViewList.h"

#include <QString>

#include <vector>

namespace levyc {

// The user's bookmarks: named views kept between runs in one file, a view a
// line as they are exported. Every change is written at once, whole or not
// at all: when it cannot be, the list stays as it was and the reason is
// given. A file that cannot be read is kept aside under another name, never
// overwritten.
class BookmarkStore
{
public:
    // The file in the user's data folder.
    static QString DefaultPath();

    explicit BookmarkStore(QString path);

    // Reads the file; none is an empty list. A file that cannot be read is
    // moved aside and the list starts empty: the reason, to be told once;
    // empty when the file was read.
    QString Load();

    [[nodiscard]] const std::vector<ListedView> &Views() const { return views_; }

    // Each false with the reason when the list cannot be written, and the
    // list as it was.
    bool Add(const ListedView &view, QString *error);
    bool Rename(int index, const QString &name, QString *error);
    bool Remove(int index, QString *error);
    // Moves a bookmark to another place in the list.
    bool Move(int from, int to, QString *error);
    // Adds the views of an exported list after the list's own, skipping
    // those already there: how many were added, or -1 with the reason (a bad
    // line by its number). A line without --size is at `size`.
    int Import(const QString &text, QSize size, QString *error);
    // The list as a text file that Import and levyc-render --path read.
    [[nodiscard]] QString Export() const;

private:
    // Writes `views` and takes them as the list, or keeps the list.
    bool Keep(std::vector<ListedView> views, QString *error);

    QString path_;
    std::vector<ListedView> views_;
    bool writable_ = true; // false while an unreadable file could not be moved aside
};

} // namespace levyc
