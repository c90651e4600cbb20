#include "PictureBox.h"

#include "ExploringKeys.h"
#include "PicturePainter.h"
#include "video/DiveChoices.h"

#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGestureEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMimeData>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPinchGesture>
#include <QScreen>
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
PackedColor FromQColor(const QColor &color)
{
    return RGB(color.red(), color.green(), color.blue());
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
    , canvas_({}, FromQColor(palette().color(QPalette::Button)))
    , actions_(new PictureActions(this))
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
    connect(actions_, &PictureActions::Chosen, this, &PictureBox::Run);
    connect(actions_, &PictureActions::ShownChanged, this, [this] { update(contentsRect()); });
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
    connect(&explorer_, &ViewExplorer::HistoryChanged, this, &PictureBox::UpdateActions);
    connect(&explorer_, &ViewExplorer::ViewChanged, this, [this] {
        // Whatever moved the view, a playing dive ends first.
        StopPlay();
        exactOnScreen_ = false;
        UpdateActions();
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
    actions_->Retranslate();
    setToolTip(explored_ ? tr("The picture. Once a drawing has ended:") + QLatin1Char('\n') + ExploringKeys::Text()
                         : tr("The picture. Press Draw (描画) to draw the curves, then explore them here."));
    setAccessibleName(tr("Picture"));
    Describe();
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
    actions_->Popup(this, event->globalPos());
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
    ScaleOverview();
    UpdateActions();
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

void PictureBox::UpdateActions()
{
    actions_->Update({.exploring = Exploring(),
                      .canGoBack = explorer_.CanGoBack(),
                      .canGoForward = explorer_.CanGoForward(),
                      .canDive = CanDive(View(), Visited()),
                      .fullScreen = fullScreen_});
}

void PictureBox::Run(PictureCommand command, bool checked)
{
    switch (command) {
    case PictureCommand::Copy:
        emit CopyRequested();
        break;
    case PictureCommand::Save:
        emit SaveRequested();
        break;
    case PictureCommand::SaveDive:
        emit SaveDiveRequested();
        break;
    case PictureCommand::Play:
        emit PlayRequested();
        break;
    case PictureCommand::ResetView:
        ResetView();
        break;
    case PictureCommand::Back:
        Back();
        break;
    case PictureCommand::Forward:
        Forward();
        break;
    case PictureCommand::CopyView:
        CopyView();
        break;
    case PictureCommand::GoToView:
        emit GoToViewRequested();
        break;
    case PictureCommand::FullScreen:
        emit FullScreenRequested(checked);
        break;
    case PictureCommand::Keys:
        emit KeysRequested();
        break;
    case PictureCommand::Overlay:
    case PictureCommand::Overview:
    case PictureCommand::ZoomIn:
    case PictureCommand::ZoomOut:
        break; // painted as they change; the keys zoom in TakeKey()
    }
}

void PictureBox::StopExploring()
{
    StopPlay();
    explorer_.Stop();
    drawn_ = overviewImage_ = {};
    limitTimer_.stop();
    limitWord_ = false;
    UpdateActions();
    Describe();
}

void PictureBox::SetFullScreen(bool on)
{
    fullScreen_ = on;
    UpdateActions();
}

void PictureBox::CopyView() const
{
    if (Exploring()) {
        QGuiApplication::clipboard()->setText(ViewLines(View(), ImageSize()));
    }
}

void PictureBox::BeginFilm()
{
    filmOn_ = true;
}

void PictureBox::ShowFrame(int frame, const QImage &image)
{
    if (!filmOn_) {
        return;
    }
    playFrame_ = image;
    // Now, not at the next frame of the display: the film's schedule counts this moment as shown.
    repaint(contentsRect());
    emit PlayFrameShown(frame);
}

void PictureBox::EndFilm()
{
    if (!filmOn_) {
        return;
    }
    filmOn_ = false;
    playFrame_ = {};
    // The view's own picture, which the film never touched.
    update(contentsRect());
    emit PlayStopped();
}

void PictureBox::StopPlay()
{
    if (filmOn_) {
        emit FilmInterrupted();
    }
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
    return Placement().ToImage(position);
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

bool PictureBox::TakeKey(const QKeyEvent &event)
{
    if (Playing() && isEnabled()) {
        if (!event.isAutoRepeat()) {
            StopPlay();
        }
        return true;
    }
    const std::optional<PictureCommand> command = ExploringKeys::ExploringCommand(event);
    if (!Exploring() || !isEnabled() || !command) {
        return false;
    }
    if (command == PictureCommand::ZoomIn || command == PictureCommand::ZoomOut) {
        const QSizeF size(ImageSize());
        // The middle of the image, which at an odd size is the middle of its middle pixel.
        const QPointF centre(size.width() / 2, size.height() / 2);
        explorer_.ZoomAbout(centre, command == PictureCommand::ZoomIn ? ZoomStep : 1 / ZoomStep);
        explorer_.Settle();
        return true;
    }
    // The picture's own actions, as their shortcuts would.
    actions_->Trigger(QKeySequence(event.keyCombination().key() | (event.modifiers() & ~Qt::KeypadModifier)));
    return true;
}

bool PictureBox::event(QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        const QRect rect = static_cast<QPaintEvent *>(event)->rect();
        const bool done = QFrame::event(event);
        Painted(rect);
        return done;
    }
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

ImagePlacement PictureBox::Placement() const
{
    return {contentsRect(), WindowOrigin(), devicePixelRatioF()};
}

QRect PictureBox::TakeDirty()
{
    const QRect imageRect = canvas_.TakeDirty();
    return imageRect.isEmpty() ? QRect() : Placement().WidgetPixelsOver(imageRect);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter qpainter(this);
    PicturePainter painter(qpainter, contentsRect(), Placement());
    if (!contentsRect().contains(event->rect())) {
        drawFrame(&qpainter);
        if (hasFocus()) {
            painter.FocusRing(palette().color(QPalette::Highlight));
        }
    }
    if (!playFrame_.isNull()) {
        // The dive's frame alone: a film, nothing over it.
        painter.Image(playFrame_, event->rect());
        return;
    }
    if (explorer_.Shown() != explorer_.View()) {
        painter.Preview(explorer_.Preview(), explorer_.PlacePreview());
    } else {
        painter.Image(canvas_.Image(), event->rect());
    }
    if (const std::optional<QRectF> &box = explorer_.Box()) {
        painter.Box(*box);
    }
    if (OverviewVisible()) {
        painter.Overview(overviewImage_, View());
    }
    if (const QString text = OverlayLines(); !text.isEmpty()) {
        painter.Overlay(text, font());
    }
}

void PictureBox::Painted(const QRect &rect)
{
    if (!playFrame_.isNull()) {
        return;
    }
    const WorldWindow &view = explorer_.View();
    if (explorer_.Shown() != view) {
        // How many device pixels each of the picture's spans here, and how
        // far the view it is placed for lags the view asked for; placed
        // again only when that is asked for.
        if (!ViewLog().isDebugEnabled() || explorer_.Preview().isNull()) {
            return;
        }
        if (const std::optional<PreviewPlacement> placed = explorer_.PlacePreview()) {
            qCDebug(ViewLog, "preview enlarged %.6g behind %.6g",
                    std::max(placed->target.width() / placed->source.width(),
                             placed->target.height() / placed->source.height()),
                    explorer_.PlacedFor().Width() / view.Width());
        }
        return;
    }
    if (!exactOnScreen_) {
        // The exact picture replaces the whole preview.
        if (rect.contains(contentsRect())) {
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

void PictureBox::ScaleOverview()
{
    if (drawn_.isNull()) {
        overviewImage_ = {};
        return;
    }
    const QSize pixels =
        (OverviewPlacement(QSizeF(contentsRect().size())).Frame().size() * devicePixelRatioF()).toSize();
    if (overviewImage_.size() != pixels) {
        // Smoothly: the Draw's thin lines stay in sight at a quarter of the size.
        overviewImage_ = drawn_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
}

QString PictureBox::OverlayLines() const
{
    const bool atLimit = limitWord_;
    if (!Exploring() || !OverlayShown() || (View() == PictureWorld && !atLimit)) {
        return {};
    }
    const OverlayText where(View(), ImageSize());
    QStringList lines{where.ZoomText(), where.CentreText()};
    if (atLimit) {
        lines << (deepest_ ? tr("deepest") : tr("widest"));
    }
    return lines.join(QLatin1Char('\n'));
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
    if (Placement().DeviceInner().size() != ImageSize()) {
        StopPlay(); // its frames are of the old size
    }
    canvas_.Resize(Placement().DeviceInner().size(), devicePixelRatioF());
    ScaleOverview();
    if (FullScreen()) {
        explorer_.ResizeAboutCentre(ImageSize());
    } else {
        explorer_.Resize(ImageSize());
    }
}

} // namespace levyc
