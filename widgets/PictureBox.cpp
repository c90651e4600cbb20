#include "PictureBox.h"

#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGestureEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPinchGesture>
#include <QScreen>
#include <QTransform>
#include <QWheelEvent>

#include "engine/FrameInterval.h"
#include "views/OverlayText.h"
#include "views/OverviewPlacement.h"
#include "views/PreviewPlacement.h"
#include "views/SharedView.h"
#include "world/PictureWorld.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace levyc {

namespace {

// QT_LOGGING_RULES=levyc.view.debug=true prints each view as it reaches the
// screen, in the form levyc-render --window takes.
Q_LOGGING_CATEGORY(ViewLog, "levyc.view", QtWarningMsg)

// One wheel notch, or one press of + or -, zooms by this.
constexpr double ZoomStep = 1.25;
// A wheel notch in angleDelta() units.
constexpr double NotchAngle = 120.0;
// An arrow key pans by this part of the view.
constexpr double PanStep = 0.1;
// How long "deepest" or "widest" stays after a zoom stopped at a limit.
constexpr int LimitShownMs = 2000;
// The overlay's distance from the picture's corner, and around its text.
constexpr int OverlayMargin = 6;
constexpr int OverlayPadding = 4;
// Dark enough under white text on any colour of the picture.
constexpr int OverlayShade = 170;

int Floor(qreal value)
{
    return static_cast<int>(std::floor(value));
}

int Ceil(qreal value)
{
    return static_cast<int>(std::ceil(value));
}

// The device pixels that a rectangle of logical pixels touches.
QRect ToDevice(const QRect &logical, qreal ratio)
{
    return {QPoint(Floor(logical.left() * ratio), Floor(logical.top() * ratio)),
            QPoint(Ceil((logical.right() + 1) * ratio) - 1, Ceil((logical.bottom() + 1) * ratio) - 1)};
}

// The logical pixels that cover a rectangle of device pixels.
QRect ToLogical(const QRect &device, qreal ratio)
{
    return {QPoint(Floor(device.left() / ratio), Floor(device.top() / ratio)),
            QPoint(Ceil((device.right() + 1) / ratio) - 1, Ceil((device.bottom() + 1) / ratio) - 1)};
}

PackedColor FromQColor(const QColor &color)
{
    return RGB(color.red(), color.green(), color.blue());
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
    , canvas_({}, FromQColor(palette().color(QPalette::Button)))
{
    // A sunken WinPanel frame is always PictureBorderWidth (two) pixels wide.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    // A click or a wheel turn on the picture gives it the keys that explore.
    setFocusPolicy(Qt::WheelFocus);
    // Every pixel is painted from the image; nothing to erase first, nothing to redo on growth.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
    frameTimer_.setSingleShot(true);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &PictureBox::ShowChanges);
    // While the picture has the focus; handled where any press is, so during a
    // drawing too, with the picture as it stands.
    for (QAction *action : {&copyAction_, &saveAction_}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        addAction(action);
    }
    copyAction_.setShortcut(QKeySequence::Copy);
    saveAction_.setShortcut(QKeySequence::Save);
    // Queued, every one: a menu's action runs once the menu's own handler is
    // off the stack, and the menu may be gone.
    connect(&copyAction_, &QAction::triggered, this, &PictureBox::CopyRequested, Qt::QueuedConnection);
    connect(&saveAction_, &QAction::triggered, this, &PictureBox::SaveRequested, Qt::QueuedConnection);
    connect(&saveDiveAction_, &QAction::triggered, this, &PictureBox::SaveDiveRequested, Qt::QueuedConnection);
    connect(&resetViewAction_, &QAction::triggered, this, &PictureBox::ResetView, Qt::QueuedConnection);
    // A dive goes from the Draw's view: there is none before a Draw ends.
    for (QAction *action : {&saveDiveAction_, &resetViewAction_}) {
        action->setEnabled(false);
    }
    // Alt+arrows as in a browser, Backspace as in many image viewers.
    backAction_.setShortcuts({QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::ALT | Qt::Key_Left)});
    forwardAction_.setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    for (QAction *action : {&backAction_, &forwardAction_}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setEnabled(false);
        addAction(action);
    }
    // Views as text wait for the Draw's end, as Reset View does.
    copyViewAction_.setObjectName(QStringLiteral("CopyView"));
    goToViewAction_.setObjectName(QStringLiteral("GoToView"));
    goToViewAction_.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    for (QAction *action : {&copyViewAction_, &goToViewAction_}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setEnabled(false);
        addAction(action);
    }
    connect(&copyViewAction_, &QAction::triggered, this, &PictureBox::CopyView, Qt::QueuedConnection);
    connect(&goToViewAction_, &QAction::triggered, this, &PictureBox::GoToViewRequested, Qt::QueuedConnection);
    connect(&backAction_, &QAction::triggered, this, &PictureBox::Back, Qt::QueuedConnection);
    connect(&forwardAction_, &QAction::triggered, this, &PictureBox::Forward, Qt::QueuedConnection);
    // Waits for a Draw's end, as Reset View does; checked while full screen.
    fullScreenAction_.setObjectName(QStringLiteral("FullScreen"));
    fullScreenAction_.setShortcut(QKeySequence(Qt::Key_F11));
    fullScreenAction_.setShortcutContext(Qt::WidgetShortcut);
    fullScreenAction_.setCheckable(true);
    fullScreenAction_.setEnabled(false);
    addAction(&fullScreenAction_);
    connect(&fullScreenAction_, &QAction::triggered, this, &PictureBox::FullScreenRequested, Qt::QueuedConnection);
    resetViewAction_.setShortcut(QKeySequence(Qt::Key_Home));
    resetViewAction_.setShortcutContext(Qt::WidgetShortcut);
    addAction(&resetViewAction_);
    overlayAction_.setShortcut(QKeySequence(Qt::Key_I));
    overviewAction_.setShortcut(QKeySequence(Qt::Key_O));
    for (QAction *action : {&overlayAction_, &overviewAction_}) {
        action->setCheckable(true);
        action->setChecked(true);
        action->setShortcutContext(Qt::WidgetShortcut);
        addAction(action);
        connect(action, &QAction::toggled, this, [this] { update(contentsRect()); });
    }
    // Help from anywhere in the window, before any Draw too.
    keysAction_.setShortcut(QKeySequence(Qt::Key_F1));
    keysAction_.setShortcutContext(Qt::WindowShortcut);
    addAction(&keysAction_);
    connect(&keysAction_, &QAction::triggered, this, &PictureBox::KeysRequested, Qt::QueuedConnection);
    // P plays the dive Save Dive… would save; there is none before a Draw ends.
    playAction_.setShortcut(QKeySequence(Qt::Key_P));
    playAction_.setShortcutContext(Qt::WidgetShortcut);
    playAction_.setEnabled(false);
    addAction(&playAction_);
    connect(&playAction_, &QAction::triggered, this, &PictureBox::PlayDive, Qt::QueuedConnection);
    connect(&player_, &DivePlayer::Show, this, [this](int frame, const QImage &image) {
        playFrame_ = image;
        // Now, not at the next frame of the display: the schedule counts this moment as shown.
        repaint(contentsRect());
        emit PlayFrameShown(frame);
    });
    connect(&player_, &DivePlayer::Ended, this, &PictureBox::StopPlay);
    for (QAction *action : actions()) {
        action->setShortcutVisibleInContextMenu(true);
    }
    saveDiveAction_.setShortcutVisibleInContextMenu(true);
    limitTimer_.setSingleShot(true);
    limitTimer_.setInterval(LimitShownMs);
    connect(&limitTimer_, &QTimer::timeout, this, [this] {
        limitWord_ = false;
        update(contentsRect());
    });
    connect(&explorer_, &ViewExplorer::LimitReached, this, [this](bool deeper) {
        deepest_ = deeper;
        limitWord_ = true;
        limitTimer_.stop(); // counts from when the exact picture is on screen
        update(contentsRect());
    });
    connect(&explorer_, &ViewExplorer::HistoryChanged, this, [this] {
        backAction_.setEnabled(explorer_.CanGoBack());
        forwardAction_.setEnabled(explorer_.CanGoForward());
        EnableSaveDive();
    });
    connect(&explorer_, &ViewExplorer::ViewChanged, this, [this] {
        // Whatever moved the view, a playing dive ends first.
        StopPlay();
        exactOnScreen_ = false;
        EnableSaveDive();
        Describe();
        // The preview, at the next frame.
        update();
    });
    connect(&explorer_, &ViewExplorer::Ready, this, &PictureBox::ShowRendered);
    connect(&explorer_, &ViewExplorer::PreviewChanged, this, [this] { update(); });
    connect(&explorer_, &ViewExplorer::BoxChanged, this, [this] { update(); });
    grabGesture(Qt::PinchGesture);
    Retranslate();
    FitImage();
}

void PictureBox::Retranslate()
{
    copyAction_.setText(tr("&Copy"));
    saveAction_.setText(tr("&Save As…"));
    saveDiveAction_.setText(tr("Save &Dive…"));
    resetViewAction_.setText(tr("&Reset View"));
    backAction_.setText(tr("&Back"));
    forwardAction_.setText(tr("&Forward"));
    copyViewAction_.setText(tr("Copy &View"));
    goToViewAction_.setText(tr("&Go to View…"));
    overlayAction_.setText(tr("Show &Where You Are"));
    overviewAction_.setText(tr("Show &Overview"));
    keysAction_.setText(tr("&Keys…"));
    fullScreenAction_.setText(tr("F&ull Screen"));
    playAction_.setText(tr("&Play Dive"));
    setToolTip(explored_ ? tr("The picture. Once a drawing has ended:") + QLatin1Char('\n') + KeysText()
                         : tr("The picture. Press Draw (描画) to draw the curves, then explore them here."));
    setAccessibleName(tr("Picture"));
    Describe();
}

QString PictureBox::KeysText()
{
    return tr("Wheel, + or -: zoom in or out\n"
              "Drag, or the arrow keys on the picture: move the view\n"
              "Shift+drag: zoom to a box; Esc cancels it\n"
              "Double-click: zoom in twice as close\n"
              "Home: back to the Draw's view\n"
              "Backspace or Alt+Left: back; Alt+Right: forward\n"
              "I: show or hide where you are\n"
              "O: show or hide the overview; a click on it goes there\n"
              "Ctrl+G: go to a view\n"
              "F11: full screen; F11 or Esc: back\n"
              "P: play the dive Save Dive… would save; any key stops it\n"
              "Ctrl+C: copy the picture; Ctrl+S: save it\n"
              "Right-click: more; F1: these keys");
}

void PictureBox::Describe()
{
    QString description = tr("The Lévy C curves drawn so far.");
    if (Exploring()) {
        const OverlayText where(View(), ImageSize());
        description += QLatin1Char(' ') + tr("Zoom %1, centred on %2.").arg(where.ZoomText(), where.CentreText());
    }
    setAccessibleDescription(description + QLatin1Char(' ') + tr("Press F1 for the keys."));
}

void PictureBox::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        StopPlay(); // a save has begun
    }
    QFrame::changeEvent(event);
}

void PictureBox::contextMenuEvent(QContextMenuEvent *event)
{
    StopPlay();
    // Not exec(): a drawing goes on while the menu is open.
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(&copyAction_);
    menu->addAction(&saveAction_);
    menu->addAction(&saveDiveAction_);
    menu->addAction(&playAction_);
    menu->addAction(&resetViewAction_);
    menu->addAction(&backAction_);
    menu->addAction(&forwardAction_);
    menu->addAction(&copyViewAction_);
    menu->addAction(&goToViewAction_);
    menu->addSeparator();
    menu->addAction(&fullScreenAction_);
    menu->addAction(&overlayAction_);
    menu->addAction(&overviewAction_);
    menu->addAction(&keysAction_);
    menu->popup(event->globalPos());
}

QImage PictureBox::Picture() const
{
    return PictureRenderer()(nullptr);
}

std::function<QImage(const std::atomic<bool> *)> PictureBox::PictureRenderer() const
{
    std::function<QImage(const std::atomic<bool> *)> render;
    if (PictureReady()) {
        render = [image = canvas_.Image().copy()](const std::atomic<bool> *) { return image; };
    } else {
        render = explorer_.Renderer();
    }
    // A view's picture says which view it is, as levyc-render --window takes it.
    const QString view = Exploring() ? WindowLine(View(), ImageSize()) : QString();
    return [render = std::move(render), view](const std::atomic<bool> *cancel) {
        QImage image = render(cancel);
        image.setDevicePixelRatio(1.0);
        if (!view.isEmpty()) {
            image.setText(QString::fromLatin1(ViewTextKey), view);
        }
        return image;
    };
}

void PictureBox::Explore(const std::vector<CurveRecord> &curves)
{
    explorer_.Explore(curves, canvas_.Image());
    drawn_ = canvas_.Image();
    overviewImage_ = {};
    resetViewAction_.setEnabled(true);
    EnableSaveDive();
    playAction_.setEnabled(true);
    copyViewAction_.setEnabled(true);
    goToViewAction_.setEnabled(true);
    fullScreenAction_.setEnabled(true);
    if (!explored_) {
        explored_ = true;
        Retranslate();
    }
    Describe();
}

bool PictureBox::AtDrawsView() const
{
    return View() == PictureWorld;
}

void PictureBox::EnableSaveDive()
{
    // A dive from the Draw's view to itself is a still, unless it tours.
    saveDiveAction_.setEnabled(Exploring() && (!AtDrawsView() || !Visited().empty()));
}

void PictureBox::StopExploring()
{
    StopPlay();
    explorer_.Stop();
    drawn_ = overviewImage_ = {};
    limitTimer_.stop();
    limitWord_ = false;
    resetViewAction_.setEnabled(false);
    saveDiveAction_.setEnabled(false);
    playAction_.setEnabled(false);
    copyViewAction_.setEnabled(false);
    goToViewAction_.setEnabled(false);
    fullScreenAction_.setEnabled(false);
    Describe();
}

void PictureBox::SetFullScreen(bool on)
{
    fullScreen_ = on;
    fullScreenAction_.setChecked(on);
}

void PictureBox::CopyView() const
{
    if (Exploring()) {
        QGuiApplication::clipboard()->setText(ViewLines(View(), ImageSize()));
    }
}

void PictureBox::PlayDive()
{
    if (!Exploring() || !isEnabled() || Playing() || !saveDiveAction_.isEnabled()) {
        return; // at the Draw's own view, with nothing visited, there is nowhere to dive
    }
    // On screen: the picture's size, its whole pixels.
    DiveChoices choices = diveChoices_;
    choices.size = DiveChoices::Size::Picture;
    choices.format = DiveFormat::WebP;
    const Dive dive = DiveOf(choices, ImageSize(), View(), Visited());
    player_.Start(explorer_.Curves(), PathOf(dive), dive.size, dive.fps);
}

void PictureBox::StopPlay()
{
    if (!Playing() && playFrame_.isNull()) {
        return;
    }
    player_.Stop();
    playFrame_ = {};
    // The view's own picture, which the dive never touched.
    update(contentsRect());
    emit PlayStopped();
}

void PictureBox::SetView(const WorldWindow &window)
{
    explorer_.SetView(window);
    explorer_.Settle();
}

void PictureBox::ResetView()
{
    explorer_.ResetView();
    explorer_.Settle();
}

void PictureBox::ZoomAbout(QPointF position, double factor)
{
    explorer_.ZoomAbout(ImagePoint(position), factor);
    explorer_.SettleLater();
}

void PictureBox::ShowRendered(const QImage &image)
{
    if (canvas_.Adopt(image)) {
        static_cast<void>(canvas_.TakeDirty());
        update();
    }
}

QPointF PictureBox::ImagePoint(QPointF position) const
{
    return (position + WindowOrigin()) * devicePixelRatioF() - QPointF(DeviceInner().topLeft());
}

void PictureBox::wheelEvent(QWheelEvent *event)
{
    // As the window system's wheel events do for a wheel-focus widget, and
    // for one sent straight to the widget too.
    setFocus(Qt::MouseFocusReason);
    StopPlay();
    if (!Exploring()) {
        QFrame::wheelEvent(event);
        return;
    }
    // Touchpads send parts of a notch, and zoom smoothly for it.
    ZoomAbout(event->position(), std::pow(ZoomStep, event->angleDelta().y() / NotchAngle));
    event->accept();
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    StopPlay();
    if (Exploring() && event->button() == Qt::BackButton) {
        Back();
        event->accept();
        return;
    }
    if (Exploring() && event->button() == Qt::ForwardButton) {
        Forward();
        event->accept();
        return;
    }
    if (const std::optional<WorldPoint> point = OverviewPoint(event->position());
        point && event->button() == Qt::LeftButton) {
        // Centred there, at the same scale; on the history as any step is.
        SetView(OverviewPlacement::CentredOn(View(), *point));
        event->accept();
        return;
    }
    if (Exploring() && event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ShiftModifier)) {
        explorer_.BeginBox(ImagePoint(event->position()));
        event->accept();
        return;
    }
    if (Exploring() && event->button() == Qt::LeftButton) {
        explorer_.Press(ImagePoint(event->position()));
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    if (explorer_.Box() && (event->buttons() & Qt::LeftButton)) {
        explorer_.BoxTo(ImagePoint(event->position()));
        event->accept();
        return;
    }
    if (!Exploring() || !explorer_.Dragging() || !(event->buttons() & Qt::LeftButton)) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    explorer_.DragTo(ImagePoint(event->position()));
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        explorer_.EndBox();
        explorer_.Release();
    }
    QFrame::mouseReleaseEvent(event);
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    StopPlay();
    if (OverviewPoint(event->position())) {
        // The second click of two on the overview: another click there.
        mousePressEvent(event);
        return;
    }
    if (Exploring() && event->button() == Qt::LeftButton && !event->modifiers().testFlag(Qt::ShiftModifier)) {
        explorer_.ZoomAbout(ImagePoint(event->position()), 2);
        explorer_.Settle();
        event->accept();
        return;
    }
    QFrame::mouseDoubleClickEvent(event);
}

void PictureBox::keyPressEvent(QKeyEvent *event)
{
    if (Playing()) {
        // Any key stops a dive and does nothing else, back at the view; a
        // held P repeating is not a new press.
        if (!event->isAutoRepeat()) {
            StopPlay();
        }
        event->accept();
        return;
    }
    if (!Exploring()) {
        QFrame::keyPressEvent(event);
        return;
    }
    if (explorer_.Box() && event->key() == Qt::Key_Escape) {
        explorer_.CancelBox();
        event->accept();
        return;
    }
    if (FullScreen() && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit FullScreenRequested(false);
        event->accept();
        return;
    }
    if (TakeKey(*event)) {
        event->accept();
        return;
    }
    const QSizeF size(ImageSize());
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        explorer_.Pan({(event->key() == Qt::Key_Left ? PanStep : -PanStep) * size.width(), 0});
        break;
    case Qt::Key_Up:
        explorer_.Pan({0, PanStep * size.height()});
        break;
    case Qt::Key_Down:
        explorer_.Pan({0, -PanStep * size.height()});
        break;
    default:
        QFrame::keyPressEvent(event);
        return;
    }
    explorer_.Settle();
    event->accept();
}

bool PictureBox::IsExploringKey(const QKeyEvent &event)
{
    // The keypad's + and - are the same keys; Shift makes + on many layouts.
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    switch (event.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: // + without Shift on many layouts
    case Qt::Key_Minus:
    case Qt::Key_Home:
    case Qt::Key_Backspace:
    case Qt::Key_I:
    case Qt::Key_O:
    case Qt::Key_P:
    case Qt::Key_F11:
        return modifiers == Qt::NoModifier;
    case Qt::Key_Left:
    case Qt::Key_Right:
        return modifiers == Qt::AltModifier;
    case Qt::Key_G:
        return modifiers == Qt::ControlModifier;
    default:
        return false;
    }
}

bool PictureBox::TakeKey(const QKeyEvent &event)
{
    if (Playing() && isEnabled()) {
        if (!event.isAutoRepeat()) {
            StopPlay();
        }
        return true;
    }
    if (!Exploring() || !isEnabled() || !IsExploringKey(event)) {
        return false;
    }
    const QSizeF size(ImageSize());
    // The middle of the image, which at an odd size is the middle of its middle pixel.
    const QPointF centre(size.width() / 2, size.height() / 2);
    switch (event.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        explorer_.ZoomAbout(centre, ZoomStep);
        explorer_.Settle();
        return true;
    case Qt::Key_Minus:
        explorer_.ZoomAbout(centre, 1 / ZoomStep);
        explorer_.Settle();
        return true;
    default:
        break;
    }
    // The picture's own actions, as their shortcuts would; a key whose action
    // is off, as Back at the history's start, does nothing.
    const QKeySequence pressed(event.keyCombination().key() | (event.modifiers() & ~Qt::KeypadModifier));
    for (QAction *action : actions()) {
        if (action->shortcuts().contains(pressed)) {
            if (action->isEnabled()) {
                action->trigger();
            }
            break;
        }
    }
    return true;
}

bool PictureBox::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && Playing()) {
        // Every key comes as a press, which stops the dive, and no shortcut runs.
        event->accept();
        return true;
    }
    // A touchpad pinch on Wayland, and on X11 with XInput 2.4.
    if (event->type() == QEvent::NativeGesture && Exploring()) {
        const auto *gesture = static_cast<QNativeGestureEvent *>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            ZoomAbout(gesture->position(), 1.0 + gesture->value());
            return true;
        }
    }
    // A touchscreen pinch.
    if (event->type() == QEvent::Gesture && Exploring()) {
        auto *gestures = static_cast<QGestureEvent *>(event);
        if (auto *pinch = static_cast<QPinchGesture *>(gestures->gesture(Qt::PinchGesture))) {
            ZoomAbout(mapFromGlobal(pinch->centerPoint()), pinch->scaleFactor());
            gestures->accept(pinch);
            return true;
        }
    }
    return QFrame::event(event);
}

void PictureBox::CopyToClipboard(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    auto *data = new QMimeData;
    data->setImageData(image);
    // Offered as it is, so that every program that takes PNG gets these bytes.
    data->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(data);
}

void PictureBox::SetBackColor(PackedColor color)
{
    canvas_.SetBackColor(color);
    ShowChanges();
}

void PictureBox::Cls()
{
    canvas_.Cls();
    ShowChanges();
}

void PictureBox::Refresh()
{
    ShowChanges();
}

qint64 PictureBox::FrameWaitNs() const
{
    return sinceFrame_.isValid() ? std::max<qint64>(FrameIntervalNs(screen()) - sinceFrame_.nsecsElapsed(), 0) : 0;
}

void PictureBox::ScheduleShow()
{
    // One timer for both: at 0 ms it fires when events are next handled.
    if (!frameTimer_.isActive()) {
        frameTimer_.start(std::chrono::ceil<std::chrono::milliseconds>(std::chrono::nanoseconds(FrameWaitNs())));
    }
}

void PictureBox::ShowChanges()
{
    // Each synchronous repaint is a frame for the window system; on Wayland one
    // that comes before the compositor has let go of the last costs a copy of
    // the whole window. No one sees more than one frame per display frame.
    if (FrameWaitNs() > 0) {
        ScheduleShow();
        return;
    }
    if (const QRect dirty = TakeDirty(); !dirty.isEmpty()) {
        repaint(dirty);
        sinceFrame_.start();
    }
}

QRect PictureBox::DeviceInner() const
{
    // Where the window system puts the inner area's edges: each one rounded to
    // the nearest device pixel, as it clips the widget's painting.
    const qreal ratio = devicePixelRatioF();
    const QRect inner = contentsRect().translated(WindowOrigin());
    const int left = qRound(inner.left() * ratio);
    const int top = qRound(inner.top() * ratio);
    const int right = qRound((inner.right() + 1) * ratio);
    const int bottom = qRound((inner.bottom() + 1) * ratio);
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

QRect PictureBox::TakeDirty()
{
    const QRect imageRect = canvas_.TakeDirty();
    if (imageRect.isEmpty()) {
        return {};
    }
    // Image pixels to device pixels of the window, then out to whole logical ones.
    const QRect device = imageRect.translated(DeviceInner().topLeft());
    return ToLogical(device, devicePixelRatioF()).translated(-WindowOrigin());
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (!contentsRect().contains(event->rect())) {
        drawFrame(&painter);
        if (hasFocus()) {
            // The frame's inner ring, never the picture: Copy and the screen's
            // picture stay the same.
            const QRect ring = contentsRect().adjusted(-1, -1, 1, 1);
            const QColor highlight = palette().color(QPalette::Highlight);
            painter.fillRect(QRect(ring.topLeft(), QSize(ring.width(), 1)), highlight);
            painter.fillRect(QRect(ring.bottomLeft(), QSize(ring.width(), 1)), highlight);
            painter.fillRect(QRect(ring.topLeft(), QSize(1, ring.height())), highlight);
            painter.fillRect(QRect(ring.topRight(), QSize(1, ring.height())), highlight);
        }
    }
    if (!playFrame_.isNull()) {
        // The dive's frame alone: a film, nothing over it.
        PaintImage(painter, playFrame_, event->rect());
        return;
    }
    const WorldWindow &view = explorer_.View();
    if (explorer_.Shown() != view) {
        PaintPreview(painter);
        PaintBox(painter);
        PaintOverview(painter);
        PaintOverlay(painter);
        return;
    }
    if (!exactOnScreen_) {
        // The exact picture replaces the whole preview.
        if (event->rect().contains(contentsRect())) {
            exactOnScreen_ = true;
            qCDebug(ViewLog, "shown %.17g,%.17g,%.17g,%.17g", view.Left, view.Top, view.Right, view.Bottom);
        } else {
            update(contentsRect());
        }
    }
    if (limitWord_ && exactOnScreen_ && !limitTimer_.isActive()) {
        // The limit's word stays its two seconds with the picture it is about,
        // however long that took to render.
        limitTimer_.start();
    }
    PaintImage(painter, canvas_.Image(), event->rect());
    PaintBox(painter);
    PaintOverview(painter);
    PaintOverlay(painter);
}

void PictureBox::PaintImage(QPainter &painter, const QImage &image, const QRect &rect) const
{
    const qreal ratio = devicePixelRatioF();
    const QRect device = DeviceInner();
    const QPoint origin = WindowOrigin();
    // The part of the image under the paint event, in image pixels.
    const QRect source = ToDevice(rect.translated(origin), ratio).translated(-device.topLeft()) & image.rect();
    if (source.isEmpty()) {
        return;
    }
    // One image pixel to one device pixel, whatever the scale: the image is
    // copied, never resampled. Image (x, y) lands on device pixel
    // (x, y) + device.topLeft().
    painter.setWorldTransform(
        QTransform(1 / ratio, 0, 0, 1 / ratio, device.left() / ratio - origin.x(), device.top() / ratio - origin.y()));
    painter.drawImage(QRectF(source), image, QRectF(source));
}

bool PictureBox::OverviewVisible() const
{
    return Exploring() && OverviewShown() && !drawn_.isNull() && OverviewPlacement::Shows(View());
}

std::optional<WorldPoint> PictureBox::OverviewPoint(QPointF position) const
{
    if (!OverviewVisible()) {
        return std::nullopt;
    }
    const QRect inner = contentsRect();
    return OverviewPlacement(QSizeF(inner.size())).WorldAt(position - QPointF(inner.topLeft()));
}

void PictureBox::PaintOverview(QPainter &painter)
{
    if (!OverviewVisible()) {
        return;
    }
    const QRect inner = contentsRect();
    const OverviewPlacement overview{QSizeF(inner.size())};
    const QRectF frame = overview.Frame().translated(inner.topLeft());
    painter.resetTransform();
    painter.setClipRect(inner);
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (frame.size() * ratio).toSize();
    if (overviewImage_.size() != pixels) {
        // Smoothly: the Draw's thin lines stay in sight at a quarter of the size.
        overviewImage_ = drawn_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    painter.drawImage(frame, overviewImage_);
    // Black under white: seen on any colour.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(frame.adjusted(-1.5, -1.5, 0.5, 0.5));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(frame.adjusted(-0.5, -0.5, -0.5, -0.5));
    const QRectF mark = overview.Mark(View()).translated(inner.topLeft());
    painter.setClipRect(frame);
    for (const auto &[pen, width] : {std::pair(Qt::black, 3), std::pair(Qt::yellow, 1)}) {
        painter.setPen(QPen(pen, width));
        if (OverviewPlacement::IsCross(mark)) {
            const auto [across, down] = OverviewPlacement::Cross(mark);
            painter.drawLine(across);
            painter.drawLine(down);
        } else {
            painter.drawRect(mark);
        }
    }
}

void PictureBox::PaintOverlay(QPainter &painter) const
{
    const bool atLimit = limitWord_;
    if (!Exploring() || !OverlayShown() || (View() == PictureWorld && !atLimit)) {
        return;
    }
    const OverlayText where(View(), ImageSize());
    QStringList lines{where.ZoomText(), where.CentreText()};
    if (atLimit) {
        lines << (deepest_ ? tr("deepest") : tr("widest"));
    }
    const QString text = lines.join(QLatin1Char('\n'));
    painter.resetTransform();
    painter.setClipRect(contentsRect());
    painter.setFont(font());
    const QPoint corner = contentsRect().topLeft() + QPoint(OverlayMargin, OverlayMargin);
    const QRect textRect = painter.fontMetrics()
                               .boundingRect(QRect(corner, QSize(contentsRect().width(), 0)), Qt::AlignLeft, text)
                               .translated(OverlayPadding, OverlayPadding);
    painter.fillRect(textRect.adjusted(-OverlayPadding, -OverlayPadding, OverlayPadding, OverlayPadding),
                     QColor(0, 0, 0, OverlayShade));
    painter.setPen(Qt::white);
    painter.drawText(textRect, Qt::AlignLeft, text);
}

void PictureBox::PaintBox(QPainter &painter) const
{
    const std::optional<QRectF> &box = explorer_.Box();
    if (!box) {
        return;
    }
    painter.resetTransform();
    painter.setClipRect(contentsRect());
    // Image pixels to widget coordinates.
    const qreal ratio = devicePixelRatioF();
    const QPointF corner = QPointF(DeviceInner().topLeft()) / ratio - QPointF(WindowOrigin());
    const QRectF drawn(box->normalized().topLeft() / ratio + corner, box->normalized().size() / ratio);
    // Black under white dashes: seen on any colour.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(drawn);
    painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
    painter.drawRect(drawn);
}

void PictureBox::PaintPreview(QPainter &painter)
{
    painter.fillRect(contentsRect(), Qt::black);
    const QImage &image = explorer_.Preview();
    const std::optional<PreviewPlacement> placed = explorer_.PlacePreview();
    if (image.isNull() || !placed) {
        return;
    }
    // How many device pixels each of the picture's spans here, and how far
    // the view it is placed for lags the view asked for.
    qCDebug(
        ViewLog, "preview enlarged %.6g behind %.6g",
        std::max(placed->target.width() / placed->source.width(), placed->target.height() / placed->source.height()),
        explorer_.PlacedFor().Width() / explorer_.View().Width());
    const qreal ratio = devicePixelRatioF();
    const QRect device = DeviceInner();
    const QPoint origin = WindowOrigin();
    painter.setClipRect(contentsRect());
    painter.setWorldTransform(
        QTransform(1 / ratio, 0, 0, 1 / ratio, device.left() / ratio - origin.x(), device.top() / ratio - origin.y()));
    painter.drawImage(placed->target, image, placed->source);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    FitImage();
}

void PictureBox::moveEvent(QMoveEvent *event)
{
    QFrame::moveEvent(event);
    // At a fractional scale the inner area's size in device pixels depends on
    // where it stands.
    FitImage();
}

void PictureBox::FitImage()
{
    if (DeviceInner().size() != ImageSize()) {
        StopPlay(); // its frames are of the old size
    }
    canvas_.Resize(DeviceInner().size(), devicePixelRatioF());
    if (FullScreen()) {
        explorer_.ResizeAboutCentre(ImageSize());
    } else {
        explorer_.Resize(ImageSize());
    }
}

} // namespace levyc
