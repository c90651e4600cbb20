#pragma once

#include "DivePlayback.h"
#include "PictureBox.h"
#include "bookmarks/BookmarkStore.h"
#include "drawing/DrawCommands.h"
#include "drawing/Plotter.h"
#include "engine/SaveJob.h"
#include "engine/Thumbnails.h"
#include "video/DiveChoices.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QProgressDialog;

namespace levyc {

// The program's only window: the picture area and, beside it, Draw and Stop
// and two labelled text fields, laid out in twips at 15 to the pixel.
class Form1 final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Whether a drawing runs, nested ones included.
    [[nodiscard]] bool Drawing() const { return commands_.Running(); }

    // Starts writing the picture as it stands to a PNG file, or, for a name
    // ending in .webp, the last Draw as an animated WebP at the picture's size
    // and view (before any Draw, the picture as a still WebP). Saved() tells
    // the end. The save runs on a worker, with a progress dialog that can
    // cancel it. On failure a message box gives the reason and the file is
    // left as it was; a cancelled save leaves it too.
    void SavePictureTo(const QString &path);
    // Starts writing a dive from the Draw's view to the view on screen as
    // the dive's dialog last chose it (at first 10 s at 30 fps at the
    // picture's size), as MP4, WebM or WebP by the name's ending or else as
    // chosen; as for SavePictureTo. At the Draw's own view it tours the views
    // visited.
    void SaveDiveTo(const QString &path);

signals:
    // A save has ended: true when the file is written.
    void Saved(bool saved);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // The exploring keys reach the picture from anywhere but the text fields.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Draw, run by a press of Command1.
    void Command1_Click();
    // Stop, run by a press of Command3.
    void Command3_Click();
    // A command of the picture's menu or keys that the window carries out.
    void Run(PictureCommand command, bool checked);
    // A kind of file a save may write: its filter and its name's ending.
    struct FileKind
    {
        QString filter;
        QString suffix;
    };
    // Asks where to save, offering `name` with the first kind's ending; empty
    // when the user gives up. A name `refused` gives a reason for stays to be mended.
    QString AskFileName(const QString &title, const QString &name, const QList<FileKind> &kinds,
                        const std::function<QString(const QString &path)> &refused);
    // Asks for a file name, then saves the picture there.
    void SaveAs();
    // Asks how to shape a dive, then for a file name, then saves it there.
    void SaveDive();
    // Copies the picture, rendering it on a worker if it is not on screen yet.
    void Copy();
    // What a save's progress dialog says, given the steps done, their total
    // and the milliseconds since it began.
    using ProgressText = std::function<QString(int done, int total, qint64 elapsedMs)>;
    // Runs a save's work on a worker, behind a progress dialog; `done` runs
    // here once it has worked, and a failure is told under the title `failed`.
    void RunSave(SaveJob::Work work, const QString &label, const char *name, const QString &failed,
                 std::function<void()> done, const ProgressText &text = {});
    // A save has ended; a failure is told under the title `failed`.
    void EndSave(bool saved, const QString &error, const QString &failed);
    // A save to `path` has worked: the next starts there, and the window says where it went.
    void SavedTo(const QString &path);
    // Says something done for a while beside the picture, with nothing to dismiss.
    void Notify(const QString &text);
    // The user's bookmarks, read when first wanted; a file that cannot be read is told then.
    BookmarkStore &Bookmarks();
    // The bookmarks' thumbnails, of the whole Draw, whether or not it has run.
    Thumbnails &BookmarkThumbnails();
    // Keeps the view on screen as a bookmark, named by where it is.
    void AddBookmark();
    // Asks for a PNG, then shows the view it holds.
    void OpenView();
    // Shows the view a PNG holds, after a Draw if none has run; says in a
    // line why not, and changes nothing, when it holds none.
    void OpenViewOf(const QString &path);
    // Draw and the picture off while a save runs, and back after it.
    void SetSaving(bool saving);
    // Says why a save failed, in a message box.
    void ShowSaveError(const QString &title, const QString &error);
    // Asks the window system for full screen, or for the window back; not
    // full screen while a drawing runs.
    void SetFullScreen(bool on);
    // The picture alone fills the window, or the layout comes back, as the
    // window's state is now.
    void FollowWindowState();
    [[nodiscard]] bool WindowFullScreen() const { return isFullScreen() || bareFullScreen_; }
    // The keys and what they do, in a window of their own.
    void ShowKeys();
    // Asks whether to cancel the save and close.
    void AskToCancelAndClose();
    // Tooltips and accessible names and descriptions, in the current language.
    void Retranslate();

    // The picture area.
    PictureBox *Picture1;
    Plotter<PictureBox> plotter_;
    DrawCommands<PictureBox> commands_;
    DivePlayback playback_;
    SaveJob *job_ = nullptr;
    QProgressDialog *progress_ = nullptr;
    std::function<void()> afterSave_; // what follows a save that worked
    bool closeAfterSave_ = false;
    bool pictureHadFocus_ = false;
    bool closeWhenIdle_ = false;
    bool fullScreen_ = false;        // the layout's, which follows the window's state
    QWidget *focusBefore_ = nullptr; // one of the window's own controls
    bool bareFullScreen_ = false;    // on an X server with no window manager
    QRect normalGeometry_;           // the window's place before that
    bool everDrawn_ = false;         // until the first Draw the picture is the background
    QString saveDirectory_;          // where the last save that worked went
    QLabel *notice_ = nullptr;       // says where a save went
    QTimer noticeTimer_;
    DiveChoices diveChoices_;     // as the dive's dialog last left them
    bool shapeAfterPlay_ = false; // the dive's dialog comes back when its Play ends
    std::optional<BookmarkStore> bookmarks_;
    std::unique_ptr<Thumbnails> bookmarkThumbnails_; // kept in the user's cache folder
};

} // namespace levyc
