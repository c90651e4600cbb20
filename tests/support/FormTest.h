#pragma once

#include "Sanitized.h"
#include "widgets/DiveDialog.h"
#include "widgets/Form1.h"
#include "widgets/PictureBox.h"

#include <QImage>
#include <QObject>
#include <QSemaphore>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class QAction;
class QTemporaryDir;

// Each test function gets a window of its own, shown and active.
class FormTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

protected:
    [[nodiscard]] levyc::Form1 &Form() const { return *form_; }
    [[nodiscard]] QWidget *Child(const char *name) const;
    [[nodiscard]] levyc::PictureBox *Picture() const;
    // Presses Draw and waits for the drawing's end.
    void Draw() const;

private:
    std::unique_ptr<levyc::Form1> form_;
};

int CountPixels(const QImage &image, QRgb rgb);

// Answers the next file dialog: notes the folder it starts in, then picks the
// file, or cancels when none is given.
void AnswerNextFileDialog(QString *start, const QString &file);
// Answers Yes when the file dialog next asks whether to replace a file.
void AnswerNextReplaceQuestion();

// Starts a save as the window's menu does, and waits for its end: whether it saved.
bool SaveAndWait(levyc::Form1 &form, const QString &path);

// Calls `seen` with each line the window logs about a dive it plays
// ("frame N shown", "ended: …"), as it is logged.
class PlayLogWatch final
{
public:
    explicit PlayLogWatch(std::function<void(const QString &line)> seen);
    ~PlayLogWatch();
    Q_DISABLE_COPY_MOVE(PlayLogWatch)

private:
    static void Take(QtMsgType type, const QMessageLogContext &context, const QString &message);

    std::function<void(const QString &line)> seen_;
    QtMessageHandler before_;
};

// Calls `started` with each save the window starts, as it joins the window,
// before its work begins.
class SaveWatch final : public QObject
{
public:
    SaveWatch(levyc::Form1 &form, std::function<void(levyc::SaveJob &job)> started);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(levyc::SaveJob &job)> started_;
};

// Holds the worker of the next save at report `at` until released: the
// window is seen while the save certainly runs, however fast it is.
class SaveHold final
{
public:
    explicit SaveHold(levyc::Form1 &form, int at = 3);
    ~SaveHold() { Release(); }
    SaveHold(const SaveHold &) = delete;
    SaveHold &operator=(const SaveHold &) = delete;
    SaveHold(SaveHold &&) = delete;
    SaveHold &operator=(SaveHold &&) = delete;

    // True once the save is held at report `at`; false at once if it
    // ended before that.
    bool Reached() { return reached_.tryAcquire(1, 600000) && !ended_; }
    void Release() { go_.release(); }

private:
    QObject context_;
    int at_;
    SaveWatch watch_;
    int reports_ = 0; // on the worker only
    std::atomic<bool> ended_ = false;
    QSemaphore reached_;
    QSemaphore go_;
};

// The action of the picture's context menu with this text, opened as the
// pointer opens it.
QAction *MenuAction(QWidget *picture, const QString &text);

QStringList Entries(const QTemporaryDir &dir);

// Answers the next dive dialog: `shape` sees it, then it is accepted as it
// stands, unless `shape` closed it.
void AnswerNextDiveDialog(const std::function<void(levyc::DiveDialog &)> &shape = {});

// Sets the dive dialog's length and rate.
void ShapeDive(levyc::DiveDialog &dialog, double seconds, int fps);

// Chooses Save Dive… from the picture's context menu, lets `shape` set its
// dialog, accepts it and types `file` into the file dialog: whether a save began.
bool SaveDiveThroughMenu(levyc::Form1 &form, const QString &file,
                         const std::function<void(levyc::DiveDialog &)> &shape = {});

// A dive of ten frames: what a choice or a cancel needs.
inline void ShortDive(levyc::DiveDialog &dialog)
{
    ShapeDive(dialog, 1, 10);
}
