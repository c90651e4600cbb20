#include "Form1.h"

#include "BookmarksDialog.h"
#include "DiveDialog.h"
#include "GoToViewDialog.h"
#include "KeyframeList.h"
#include "WindowLayout.h"
#include "drawing/Passes.h"
#include "engine/SaveWork.h"
#include "engine/Thumbnails.h"
#include "picture/ExploringKeys.h"
#include "picture/PictureClipboard.h"
#include "picture/PngView.h"

#include "output/FileNames.h"
#include "output/SaveFolder.h"
#include "private/CheckedFileDialog.h"
#include "private/NameOnlyIconProvider.h"
#include "private/WindowManager.h"
#include "video/DiveText.h"
#include "video/VideoModule.h"
#include "views/SharedView.h"
#include "world/PictureWorld.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include <memory>
#include <utility>

namespace levyc {

namespace {

constexpr int ClientWidthTwips = 11985;
// How long a finished save's notice stays: long enough to read a folder's name.
constexpr int NoticeMs = 6000;
constexpr int ClientHeightTwips = 6900;

template <typename Control> Control *Place(Control *control, const char *name, QRect geometry)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

QPushButton *CommandButton(QWidget *parent, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    // Enter presses a focused button as Space does; outside a dialog that makes
    // no button the default.
    button->setAutoDefault(true);
    return button;
}

// What a screen reader announces: the window as a window, not as a filler
// inside one, and the picture area as an image, not as a frame.
QAccessibleInterface *AccessibleRoles(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (className == u"levyc::Form1") {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    if (className == u"levyc::PictureBox") {
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    }
    return nullptr;
}

// Before any widget exists: an interface made earlier keeps its role.
void InstallAccessibleRoles()
{
    QAccessible::installFactory(AccessibleRoles);
}
Q_CONSTRUCTOR_FUNCTION(InstallAccessibleRoles)

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent)
    , Picture1(Place(new PictureBox(this), "Picture1", Picture1Geometry))
    , plotter_(*Picture1)
    , commands_(*Picture1, plotter_)
    , playback_(*Picture1, this)
{
    setWindowTitle(QStringLiteral("Form1"));
    setAcceptDrops(true); // a PNG of a view, to open
    resize(ClientWidthTwips / TwipsPerPixel, ClientHeightTwips / TwipsPerPixel);

    auto *command1 = Place(CommandButton(this, QStringLiteral("描画")), "Command1", FromTwips(9600, 120, 1095, 375));
    auto *label1 = Place(new QLabel(QStringLiteral("形式1最大値"), this), "Label1", FromTwips(9120, 720, 1095, 255));
    auto *label2 = Place(new QLabel(QStringLiteral("表示最大値"), this), "Label2", FromTwips(9120, 1200, 1095, 255));
    auto *text1 = Place(new QLineEdit(QStringLiteral("60"), this), "Text1", FromTwips(10200, 600, 615, 375));
    auto *text2 = Place(new QLineEdit(QStringLiteral("90"), this), "Text2", FromTwips(10200, 1080, 615, 375));
    auto *command3 =
        Place(CommandButton(this, QStringLiteral("描画中止")), "Command3", FromTwips(9480, 2760, 1215, 375));
    // Each label reaches one pixel into its field; the field is drawn over it.
    label1->lower();
    label2->lower();
    // Where a finished save says where it went, for a while, with nothing to dismiss.
    notice_ = Place(new QLabel(this), "SaveNotice", FromTwips(9120, 3300, 2745, 1500));
    notice_->setWordWrap(true);
    notice_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice_->hide();
    noticeTimer_.setSingleShot(true);
    noticeTimer_.setInterval(NoticeMs);
    connect(&noticeTimer_, &QTimer::timeout, notice_, &QWidget::hide);

    setTabOrder(Picture1, command1);
    setTabOrder(command1, text1);
    setTabOrder(text1, text2);
    setTabOrder(text2, command3);
    Picture1->setFocus();

    // Screen readers name each field by its label.
    label1->setBuddy(text1);
    label2->setBuddy(text2);
    Retranslate();

    connect(command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Picture1, &PictureBox::Chosen, this, &Form1::Run);
    // Queued: the dialog opens once the film's end has run its course.
    connect(
        &playback_, &DivePlayback::Ended, this,
        [this] {
            if (std::exchange(shapeAfterPlay_, false)) {
                SaveDive();
            }
        },
        Qt::QueuedConnection);
    // Keys the buttons ignore come up to the window; Alt+arrows the buttons
    // would take to move the focus. The fields keep every key they are given.
    for (QObject *watched : std::initializer_list<QObject *>{this, command1, command3, text1, text2}) {
        watched->installEventFilter(this);
    }
}

void Form1::Run(PictureCommand command, bool checked)
{
    switch (command) {
    case PictureCommand::Copy:
        Copy();
        break;
    case PictureCommand::Save:
        SaveAs();
        break;
    case PictureCommand::SaveDive:
        SaveDive();
        break;
    case PictureCommand::GoToView:
        GoToViewDialog::Open(Picture1, this);
        break;
    case PictureCommand::AddBookmark:
        AddBookmark();
        break;
    case PictureCommand::Bookmarks:
        BookmarksDialog::Open(Bookmarks(), BookmarkThumbnails(), Picture1, this);
        break;
    case PictureCommand::OpenView:
        OpenView();
        break;
    case PictureCommand::Keys:
        ShowKeys();
        break;
    case PictureCommand::FullScreen:
        SetFullScreen(checked);
        break;
    default:
        break; // Play is the playback's
    }
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    const bool typing = qobject_cast<QLineEdit *>(focusWidget()) != nullptr;
    if (event->type() == QEvent::ShortcutOverride && Picture1->Playing()) {
        // Any key stops a playing dive, as a press, before a shortcut runs.
        event->accept();
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride && typing &&
        ExploringKeys::ExploringCommand(*static_cast<QKeyEvent *>(event))) {
        // Typed into the field, never taken by a shortcut of the window.
        event->accept();
        return false;
    }
    if (event->type() == QEvent::KeyPress && !typing && watched != Picture1 &&
        Picture1->TakeKey(*static_cast<QKeyEvent *>(event))) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::SetFullScreen(bool on)
{
    if (on == WindowFullScreen() || (on && Drawing())) {
        Picture1->SetFullScreen(fullScreen_); // the action's check as the layout is
        return;
    }
    if (OnBareX()) {
        // Nobody there acts on a request: the window takes the screen itself.
        if (on) {
            normalGeometry_ = geometry();
        }
        bareFullScreen_ = on;
        setGeometry(on ? screen()->geometry() : normalGeometry_);
        FollowWindowState();
        return;
    }
    // Only asked for here. A window manager may take requests late, and
    // quick presses would otherwise leave a layout it does not show.
    if (on) {
        showFullScreen();
    } else {
        showNormal();
    }
}

void Form1::FollowWindowState()
{
    const bool on = WindowFullScreen();
    if (on == fullScreen_) {
        return;
    }
    if (on && Drawing()) {
        showNormal(); // the drawing keeps its picture's size
        return;
    }
    fullScreen_ = on;
    static constexpr const char *Controls[] = {"Command1", "Command3", "Label1", "Label2", "Text1", "Text2"};
    if (on) {
        focusBefore_ = focusWidget();
        notice_->hide();
        Picture1->SetFullScreen(true);
        for (const char *name : Controls) {
            findChild<QWidget *>(QLatin1String(name))->hide();
        }
        Picture1->setFocus();
        // Again in resizeEvent() if the window system has yet to make it the screen's.
        Picture1->setGeometry(rect());
        return;
    }
    // Back to the fixed layout in one step, the views carried with it.
    Picture1->setGeometry(Picture1Geometry);
    Picture1->SetFullScreen(false);
    for (const char *name : Controls) {
        findChild<QWidget *>(QLatin1String(name))->show();
    }
    if (focusBefore_ != nullptr) {
        focusBefore_->setFocus();
    }
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (fullScreen_) {
        Picture1->setGeometry(rect());
    }
}

void Form1::ShowKeys()
{
    if (auto *shown = findChild<QMessageBox *>(QStringLiteral("KeysHelp"))) {
        shown->raise();
        shown->activateWindow();
        return;
    }
    // Not exec(): a drawing goes on while it is open.
    auto *box = new QMessageBox(QMessageBox::Information, tr("Keys"), ExploringKeys::Text(), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("KeysHelp"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Form1::Retranslate()
{
    // The captions stay as they are; what they mean is said here, in the
    // user's language.
    const auto explain = [this](const char *name, const QString &label, const QString &description,
                                const QString &tip = {}) {
        auto *control = findChild<QWidget *>(QLatin1String(name));
        control->setAccessibleName(label);
        control->setAccessibleDescription(description);
        control->setToolTip(tip);
    };
    explain("Command1", tr("Draw"),
            tr("Clears the picture and draws 101 Lévy C curves in rainbow colours, then the last one in white."),
            tr("Draw: clear the picture and draw the curves"));
    explain("Command3", tr("Stop drawing"), tr("Ends the drawing once the curve in progress is complete."),
            tr("Stop drawing after the curve in progress"));
    explain("Label1", tr("Type-1 maximum"), tr("The label of the first field."));
    // The fields look like settings of the drawing: their tips say they are not.
    explain("Text1", tr("Type-1 maximum"), tr("A field the drawing does not use."),
            tr("Type-1 maximum: the largest value of the first kind. The drawing does not read this field."));
    explain("Label2", tr("Display maximum"), tr("The label of the second field."));
    explain("Text2", tr("Display maximum"), tr("A field the drawing does not use."),
            tr("Display maximum: the largest value to show. The drawing does not read this field."));
}

void Form1::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    if (event->type() == QEvent::WindowStateChange) {
        FollowWindowState();
    }
    QWidget::changeEvent(event);
}

QString Form1::AskFileName(const QString &title, const QString &name, const QList<FileKind> &kinds,
                           const std::function<QString(const QString &path)> &refused)
{
    NameOnlyIconProvider icons;
    QStringList filters;
    for (const FileKind &kind : kinds) {
        filters << kind.filter;
    }
    // A folder where saving failed is no place to start the next time: it is
    // remembered once the save has worked.
    CheckedFileDialog dialog(this, title, SaveFolder(saveDirectory_), filters.join(QStringLiteral(";;")), refused);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(kinds.front().suffix);
    dialog.selectFile(name + u'.' + kinds.front().suffix);
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, kinds](const QString &filter) {
        for (const FileKind &kind : kinds) {
            if (kind.filter == filter) {
                dialog.setDefaultSuffix(kind.suffix);
            }
        }
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

void Form1::SaveAs()
{
    const QString path = AskFileName(
        tr("Save the Picture"), QStringLiteral("levyc"),
        {{tr("PNG images (*.png)"), QStringLiteral("png")}, {tr("Animated WebP (*.webp)"), QStringLiteral("webp")}},
        &DiveText::NotAPicture);
    if (!path.isEmpty()) {
        SavePictureTo(path);
    }
}

void Form1::SavePictureTo(const QString &path)
{
    const bool animation = path.endsWith(QStringLiteral(".webp"), Qt::CaseInsensitive);
    SaveJob::Work work;
    if (!animation) {
        work = PictureWork(path, Picture1->PictureRenderer());
    } else if (everDrawn_) {
        work = AnimationWork(path, commands_.Drawn(), Picture1->ImageSize(), Picture1->View());
    } else {
        work = StillWebPWork(path, Picture1->PictureRenderer()); // no Draw to show
    }
    RunSave(std::move(work), animation ? tr("Saving the animation…") : tr("Saving the picture…"), "SaveProgress",
            tr("Cannot Save the Picture"), [this, path] { SavedTo(path); });
}

void Form1::SaveDive()
{
    // Loads the FFmpeg module the first time: only what can be made is offered.
    QString noVideo;
    DiveChoices choices = diveChoices_;
    if (!VideoModule::Available(&noVideo)) {
        choices.format = DiveFormat::WebP;
    } else {
        noVideo.clear();
    }
    if (!CanDive(Picture1->View(), Picture1->Visited())) {
        return; // a still: the menu no longer offers it
    }
    DiveDialog shape(choices, Picture1->ImageSize(), Picture1->View(), Picture1->Visited(), Bookmarks().Views(),
                     std::make_shared<const std::vector<CurveRecord>>(commands_.Drawn()), noVideo, this);
    const int answer = shape.exec();
    if (answer == QDialog::Rejected) {
        return;
    }
    diveChoices_ = shape.Choices();
    playback_.SetChoices(diveChoices_);
    if (answer == DiveDialog::Played) {
        // Tried, to be changed: the dialog comes back, as it was left.
        playback_.Play();
        shapeAfterPlay_ = Picture1->Playing();
        return;
    }
    const DiveFormat format = diveChoices_.format;
    const QString filter = format == DiveFormat::Mp4    ? tr("MP4 video (*.mp4)")
                           : format == DiveFormat::WebM ? tr("WebM video (*.webm)")
                                                        : tr("Animated WebP (*.webp)");
    const auto refused = [this, picture = Picture1->ImageSize(), view = Picture1->View(),
                          visited = Picture1->Visited()](const QString &path) {
        return DiveText::FileProblem(path, diveChoices_, picture, view, visited);
    };
    const QString path = AskFileName(tr("Save a Dive"), QStringLiteral("levyc-dive"),
                                     {{filter, DiveFormatName(format).toLower()}}, refused);
    if (!path.isEmpty()) {
        SaveDiveTo(path);
    }
}

void Form1::SaveDiveTo(const QString &path)
{
    DiveChoices choices = diveChoices_;
    // A name that says its format is that format.
    if (const std::optional<DiveFormat> named = DiveFormatOf(QFile::encodeName(path))) {
        choices.format = *named;
    }
    const Dive dive = DiveOf(choices, Picture1->ImageSize(), Picture1->View(), Picture1->Visited());
    RunSave(
        DiveWork(path, std::make_shared<const std::vector<CurveRecord>>(commands_.Drawn()), dive),
        tr("Saving the dive…"), "DiveProgress", tr("Cannot Save the Dive"), [this, path] { SavedTo(path); },
        &DiveText::Progress);
}

void Form1::Copy()
{
    if (Picture1->PictureReady()) {
        CopyToClipboard(Picture1->Picture());
        return;
    }
    auto image = std::make_shared<QImage>();
    SaveJob::Work work = PictureCopyWork(Picture1->PictureRenderer(), image);
    RunSave(std::move(work), tr("Copying the picture…"), "CopyProgress", tr("Cannot Copy the Picture"),
            [image] { CopyToClipboard(*image); });
}

void Form1::RunSave(SaveJob::Work work, const QString &label, const char *name, const QString &failed,
                    std::function<void()> done, const ProgressText &text)
{
    if (job_ != nullptr) {
        return; // one at a time: the dialog of the one that runs is in the way
    }
    // Named before it joins the window, so that the window's children are
    // only ever whole, named jobs.
    job_ = new SaveJob(std::move(work));
    job_->setObjectName(QStringLiteral("SaveJob"));
    job_->setParent(this);
    afterSave_ = std::move(done);
    // Draw and exploring wait for the save. Not by a modal dialog: the toolkit
    // would then drop the window system's request to close the window, which
    // must ask whether to cancel the save.
    SetSaving(true);
    // Shown at once, on top of the window, and never through setValue(),
    // which handles events.
    progress_ = new QProgressDialog(label, tr("Cancel"), 0, 0, this);
    progress_->setObjectName(QLatin1String(name));
    progress_->setWindowTitle(tr("Saving"));
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    auto *bar = new QProgressBar(progress_);
    bar->setRange(0, 0);
    progress_->setBar(bar);
    connect(progress_, &QProgressDialog::canceled, job_, &SaveJob::Cancel);
    connect(job_, &SaveJob::Progress, bar, [bar](int done, int total) {
        bar->setRange(0, total);
        bar->setValue(done);
    });
    if (text) {
        QElapsedTimer since;
        since.start();
        connect(job_, &SaveJob::Progress, progress_, [dialog = progress_, text, since](int done, int total) {
            dialog->setLabelText(text(done, total, since.elapsed()));
        });
    }
    connect(job_, &SaveJob::Finished, this,
            [this, failed](bool saved, const QString &error) { EndSave(saved, error, failed); });
    progress_->show();
    job_->Start();
}

void Form1::EndSave(bool saved, const QString &error, const QString &failed)
{
    // The window has the keys again, as a window manager would see to; the
    // dialog goes later, as this may run inside its own handler.
    const bool active = progress_->isActiveWindow();
    progress_->hide();
    if (active) {
        activateWindow();
    }
    progress_->deleteLater();
    progress_ = nullptr;
    job_->deleteLater();
    job_ = nullptr;
    SetSaving(false);
    std::function<void()> done = std::move(afterSave_);
    afterSave_ = {};
    if (saved && done) {
        done();
    }
    if (!error.isEmpty() && !closeAfterSave_) {
        ShowSaveError(failed, error);
    }
    emit Saved(saved);
    if (closeAfterSave_) {
        close();
    }
}

void Form1::SavedTo(const QString &path)
{
    const QFileInfo saved(path);
    saveDirectory_ = saved.absolutePath();
    Notify(tr("Saved %1 in %2.").arg(saved.fileName(), QDir::toNativeSeparators(saveDirectory_)));
}

void Form1::Notify(const QString &text)
{
    notice_->setText(text);
    notice_->setVisible(!fullScreen_);
    noticeTimer_.start();
}

BookmarkStore &Form1::Bookmarks()
{
    if (!bookmarks_) {
        bookmarks_.emplace(BookmarkStore::DefaultPath());
        if (const QString problem = bookmarks_->Load(); !problem.isEmpty()) {
            ShowSaveError(tr("Bookmarks"), problem);
        }
    }
    return *bookmarks_;
}

Thumbnails &Form1::BookmarkThumbnails()
{
    if (!bookmarkThumbnails_) {
        bookmarkThumbnails_ =
            std::make_unique<Thumbnails>(std::make_shared<const std::vector<CurveRecord>>(PictureCurves()),
                                         QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                                             QStringLiteral("/levyc/thumbnails"));
    }
    return *bookmarkThumbnails_;
}

void Form1::OpenView()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open a View"), SaveFolder(saveDirectory_), tr("PNG images (*.png)"));
    if (!path.isEmpty()) {
        OpenViewOf(path);
    }
}

void Form1::OpenViewOf(const QString &path)
{
    if (Drawing() || job_ != nullptr) {
        Notify(tr("A view opens once the drawing or the save has ended."));
        return;
    }
    const PngView png = ViewOfPng(path);
    if (!png.error.isEmpty()) {
        Notify(png.error);
        return;
    }
    if (!Picture1->Exploring()) {
        Command1_Click(); // its view is on the Draw's curves
        if (!Picture1->Exploring()) {
            return; // stopped, or the window closed meanwhile
        }
    }
    const ParsedView view = ViewToShow(png.line, Picture1->View(), Picture1->ImageSize());
    if (!view.error.isEmpty()) {
        Notify(tr("'%1' holds no view that can be shown: %2").arg(QFileInfo(path).fileName(), view.error));
        return;
    }
    Picture1->SetView(view.window);
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void Form1::dropEvent(QDropEvent *event)
{
    const QString path = event->mimeData()->urls().value(0).toLocalFile();
    event->acceptProposedAction();
    // Once the drop is over: a Draw may run first.
    QMetaObject::invokeMethod(
        this, [this, path] { OpenViewOf(path); }, Qt::QueuedConnection);
}

void Form1::AddBookmark()
{
    const WorldWindow view = Picture1->View();
    const QSize size = Picture1->ImageSize();
    const QString name = KeyframeList::NameOf(view, size);
    QString error;
    if (Bookmarks().Add({view, size, 0, name}, &error)) {
        BookmarkThumbnails().Get(view, size); // made now, off this thread, for the list
        Notify(tr("Kept as the bookmark “%1”.").arg(name));
    } else {
        ShowSaveError(tr("Cannot Keep the Bookmark"), error);
    }
}

void Form1::SetSaving(bool saving)
{
    // The window's focus, whether or not it is active.
    const bool hadFocus = focusWidget() == Picture1;
    findChild<QWidget *>(QStringLiteral("Command1"))->setEnabled(!saving);
    Picture1->setEnabled(!saving);
    if (saving) {
        pictureHadFocus_ = hadFocus;
    } else if (pictureHadFocus_) {
        Picture1->setFocus();
    }
}

void Form1::ShowSaveError(const QString &title, const QString &error)
{
    // Not exec(): a drawing may be waiting for its next pass.
    auto *box = new QMessageBox(QMessageBox::Warning, title, error, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("SaveError"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

Form1::~Form1()
{
    // Its work holds copies only, but it must not outlive the window's handlers.
    delete job_;
}

void Form1::Command1_Click()
{
    // A Draw shows its own view, and nothing moves it until the drawing ends.
    Picture1->StopExploring();
    everDrawn_ = true;
    commands_.Command1_Click();
    if (!Drawing() && !closeWhenIdle_) {
        Picture1->Explore(commands_.Drawn());
    }
    if (closeWhenIdle_ && !Drawing()) {
        // Close from the event loop, with no drawing left on the stack.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void Form1::AskToCancelAndClose()
{
    if (findChild<QMessageBox *>(QStringLiteral("CancelSaveQuestion")) != nullptr) {
        return; // asked already
    }
    auto *box = new QMessageBox(QMessageBox::Question, tr("Close the Window"),
                                tr("A save is still running. Cancel it and close the window?"),
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("CancelSaveQuestion"));
    box->setDefaultButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this](int answer) {
        if (answer != QMessageBox::Yes) {
            return;
        }
        closeAfterSave_ = true;
        if (job_ != nullptr) {
            job_->Cancel();
        } else {
            close(); // it ended meanwhile
        }
    });
    box->open();
}

void Form1::Command3_Click()
{
    commands_.Command3_Click();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (job_ != nullptr) {
        event->ignore();
        if (!closeAfterSave_) {
            AskToCancelAndClose();
        }
        return;
    }
    if (Drawing()) {
        // The runs still on the stack draw on this window: let them end first.
        closeWhenIdle_ = true;
        commands_.Abandon();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace levyc
