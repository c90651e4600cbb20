#include "FormTest.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>

using namespace levyc;

void FormTest::init()
{
    form_ = std::make_unique<Form1>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void FormTest::cleanup()
{
    form_.reset();
}

QWidget *FormTest::Child(const char *name) const
{
    return form_->findChild<QWidget *>(QString::fromLatin1(name));
}

PictureBox *FormTest::Picture() const
{
    return form_->findChild<PictureBox *>(QStringLiteral("Picture1"));
}

void FormTest::Draw() const
{
    QTest::mouseClick(Child("Command1"), Qt::LeftButton);
}

namespace {

PlayLogWatch *watching = nullptr;

} // namespace

PlayLogWatch::PlayLogWatch(std::function<void(const QString &line)> seen)
    : seen_(std::move(seen))
    , before_(qInstallMessageHandler(Take))
{
    watching = this;
    QLoggingCategory::setFilterRules(QStringLiteral("levyc.play.debug=true"));
}

PlayLogWatch::~PlayLogWatch()
{
    QLoggingCategory::setFilterRules(QStringLiteral("levyc.play.debug=false"));
    qInstallMessageHandler(before_);
    watching = nullptr;
}

void PlayLogWatch::Take(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (watching != nullptr && qstrcmp(context.category, "levyc.play") == 0) {
        watching->seen_(message);
    } else if (watching != nullptr && watching->before_ != nullptr) {
        watching->before_(type, context, message);
    }
}

SaveWatch::SaveWatch(Form1 &form, std::function<void(SaveJob &job)> started)
    : started_(std::move(started))
{
    form.installEventFilter(this);
}

bool SaveWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ChildAdded) {
        if (auto *job = qobject_cast<SaveJob *>(static_cast<QChildEvent *>(event)->child())) {
            started_(*job);
        }
    }
    return QObject::eventFilter(watched, event);
}

SaveHold::SaveHold(Form1 &form, int at)
    : at_(at)
    , watch_(form, [this](SaveJob &job) {
        // Gone with the hold, so that a save outliving a failed row
        // does not count into freed memory.
        QObject::connect(
            &job, &SaveJob::Progress, &context_,
            [this](int, int) {
                if (++reports_ == at_) {
                    reached_.release();
                    go_.acquire();
                }
            },
            Qt::DirectConnection);
        QObject::connect(
            &job, &SaveJob::Finished, &context_,
            [this](bool, const QString &) {
                if (reports_ < at_) {
                    ended_ = true;
                    reached_.release();
                }
            },
            Qt::DirectConnection);
    })
{
}

void ShapeDive(DiveDialog &dialog, double seconds, int fps)
{
    dialog.findChild<QDoubleSpinBox *>(QStringLiteral("DiveSeconds"))->setValue(seconds);
    dialog.findChild<QSpinBox *>(QStringLiteral("DiveFps"))->setValue(fps);
}

int CountPixels(const QImage &image, QRgb rgb)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        count += static_cast<int>(std::count(line, line + image.width(), rgb));
    }
    return count;
}

void AnswerNextFileDialog(QString *start, const QString &file)
{
    auto *timer = new QTimer(QCoreApplication::instance()); // deleteLater() may not come round before the end
    QObject::connect(timer, &QTimer::timeout, [timer, start, file] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        timer->deleteLater();
        *start = dialog->directory().absolutePath();
        if (file.isEmpty()) {
            dialog->reject();
        } else {
            // Typed, as a user would: selectFile() would open the file's folder.
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(file);
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog's own is protected
        }
    });
    timer->start(10);
}

void AnswerNextReplaceQuestion()
{
    auto *timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer] {
        if (auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            question->button(QMessageBox::Yes)->click();
        }
    });
    timer->start(10);
}

bool SaveAndWait(Form1 &form, const QString &path)
{
    QSignalSpy saved(&form, &Form1::Saved);
    form.SavePictureTo(path);
    return (!saved.isEmpty() || saved.wait(600000)) && saved.constFirst().constFirst().toBool();
}

QAction *MenuAction(QWidget *picture, const QString &text)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 100), picture->mapToGlobal(QPoint(100, 100)));
    QApplication::sendEvent(picture, &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        return nullptr;
    }
    for (QAction *action : menu->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

QStringList Entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
}

void AnswerNextDiveDialog(const std::function<void(DiveDialog &)> &shape)
{
    auto *timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer, shape] {
        auto *dialog = qobject_cast<DiveDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        timer->deleteLater();
        if (shape) {
            shape(*dialog);
        }
        if (dialog->isVisible()) {
            dialog->accept();
        }
    });
    timer->start(10);
}

bool SaveDiveThroughMenu(Form1 &form, const QString &file, const std::function<void(DiveDialog &)> &shape)
{
    QAction *action = MenuAction(form.findChild<QWidget *>(QStringLiteral("Picture1")), QStringLiteral("Save &Dive…"));
    QApplication::activePopupWidget()->close();
    if (action == nullptr || !action->isEnabled()) {
        return false;
    }
    static QString start; // outlives the dialog's answer
    AnswerNextDiveDialog(shape);
    AnswerNextFileDialog(&start, file);
    if (QFile::exists(file)) {
        AnswerNextReplaceQuestion();
    }
    bool started = false;
    const SaveWatch watch(form, [&started](SaveJob &) { started = true; });
    action->trigger();
    return QTest::qWaitFor([&started] { return started; }, 600000);
}
