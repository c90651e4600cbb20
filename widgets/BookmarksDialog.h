#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace levyc {

class BookmarkStore;
class PictureBox;
class Thumbnails;

// The bookmarks, listed by name with thumbnails: go to one, rename it in place, delete it,
// move it up or down, and export or import the list as text. Every change
// is kept at once; one that cannot be written leaves the list as it was and
// says why under it.
class BookmarksDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BookmarksDialog)

public:
    BookmarksDialog(BookmarkStore &store, Thumbnails &thumbnails, PictureBox *picture, QWidget *parent);
    ~BookmarksDialog() override = default;

    // Opens one over `parent`, gone once closed; raises the one that is open already.
    static void Open(BookmarkStore &store, Thumbnails &thumbnails, PictureBox *picture, QWidget *parent);

protected:
    void changeEvent(QEvent *event) override;

private:
    // The list as the store has it, `current` selected.
    void Fill(int current);
    // Each item's thumbnail, where it is made; a grey place for it until then.
    void ShowThumbnails();
    void GoTo();
    void Move(int by);
    void Export();
    void Import();
    // Whether a change worked; its reason under the list when not.
    void Told(bool worked, const QString &error);
    void Retranslate();

    BookmarkStore &store_;
    Thumbnails &thumbnails_;
    PictureBox *picture_;
    QListWidget *list_;
    QLabel *error_;
    QPushButton *goTo_;
    QPushButton *rename_;
    QPushButton *remove_;
    QPushButton *up_;
    QPushButton *down_;
    QPushButton *export_;
    QPushButton *import_;
};

} // namespace levyc
