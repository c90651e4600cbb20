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

// How long "deepest" or "widest" stays after a zoom stopped at a limit.
constexpr int LimitShownMs = 2000;

// Tab and Backtab move the focus before the picture sees them.
bool MovesFocus(const QKeyEvent &key)
{
    return (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) &&
           !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

PackedColor FromQColor(const QColor &color)
{
    return RGB(color.red(), color.green(), color.blue());
}

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
    , canvas_({}, FromQColor(palette().color(QPalette::Button)))
    , pacer_([this] { ShowChanges(); })
    , actions_(new PictureActions(this))
    , input_(explorer_, *actions_, [this](PictureCommand command, bool checked) { Run(command, checked); })
{
    // A sunken WinPanel frame is always PictureBorderWidth (two) pixels wide.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    // A click or a wheel turn on the picture gives it the keys that explore.
    setFocusPolicy(Qt::WheelFocus);
    // Every pixel is painted from the image; nothing to erase first, nothing to redo on growth.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_StaticContents);
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
    overview_.SetDrawn(canvas_.Image());
    overview_.Fit(QSizeF(contentsRect().size()), devicePixelRatioF());
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
    case PictureCommand::ResetView:
        ResetView();
        break;
    case PictureCommand::Back:
        explorer_.Back();
        break;
    case PictureCommand::Forward:
        explorer_.Forward();
        break;
    case PictureCommand::CopyView:
        if (Exploring()) {
            QGuiApplication::clipboard()->setText(ViewLines(View(), ImageSize()));
        }
        break;
    case PictureCommand::Overlay:
    case PictureCommand::Overview:
    case PictureCommand::ZoomIn:
    case PictureCommand::ZoomOut:
        break; // painted as they change; the keys zoom in PictureInput
    default:
        emit Chosen(command, checked);
    }
}

void PictureBox::StopExploring()
{
    StopPlay();
    explorer_.Stop();
    overview_.SetDrawn({});
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

void PictureBox::ShowRendered(const QImage &image)
{
    if (canvas_.Adopt(image)) {
        static_cast<void>(canvas_.TakeDirty());
        update();
    }
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
    if (Input(event)) {
        event->accept();
        return true;
    }
    return QFrame::event(event);
}

bool PictureBox::Input(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Wheel:
        // As the window system's wheel events do for a wheel-focus widget, and
        // for one sent straight to the widget too.
        setFocus(Qt::MouseFocusReason);
        StopPlay();
        return input_.Wheel(*static_cast<QWheelEvent *>(event), Placement());
    case QEvent::MouseButtonPress: {
        StopPlay();
        const auto &mouse = *static_cast<QMouseEvent *>(event);
        return input_.Press(mouse, Placement(), OverviewPoint(mouse.position()));
    }
    case QEvent::MouseButtonDblClick: {
        StopPlay();
        const auto &mouse = *static_cast<QMouseEvent *>(event);
        return input_.DoubleClick(mouse, Placement(), OverviewPoint(mouse.position()));
    }
    case QEvent::MouseMove:
        return input_.Move(*static_cast<QMouseEvent *>(event), Placement());
    case QEvent::MouseButtonRelease:
        input_.Release(*static_cast<QMouseEvent *>(event));
        return false;
    case QEvent::KeyPress: {
        const auto &key = *static_cast<QKeyEvent *>(event);
        if (MovesFocus(key)) {
            return false;
        }
        if (Playing()) {
            // Any other key stops a dive and does nothing else, back at the
            // view; a held P repeating is not a new press.
            if (!key.isAutoRepeat()) {
                StopPlay();
            }
            return true;
        }
        return input_.Key(key, ImageSize(), FullScreen());
    }
    case QEvent::NativeGesture: {
        // A touchpad pinch on Wayland, and on X11 with XInput 2.4.
        const auto *gesture = static_cast<QNativeGestureEvent *>(event);
        if (!Exploring() || gesture->gestureType() != Qt::ZoomNativeGesture) {
            return false;
        }
        input_.Pinch(gesture->position(), Placement(), 1.0 + gesture->value());
        return true;
    }
    case QEvent::Gesture: {
        // A touchscreen pinch.
        auto *gestures = static_cast<QGestureEvent *>(event);
        auto *pinch = static_cast<QPinchGesture *>(gestures->gesture(Qt::PinchGesture));
        if (!Exploring() || pinch == nullptr) {
            return false;
        }
        input_.Pinch(mapFromGlobal(pinch->centerPoint()), Placement(), pinch->scaleFactor());
        gestures->accept(pinch);
        return true;
    }
    default:
        return false;
    }
}

bool PictureBox::TakeKey(const QKeyEvent &event)
{
    if (!isEnabled()) {
        return false;
    }
    if (Playing()) {
        if (!event.isAutoRepeat()) {
            StopPlay();
        }
        return true;
    }
    return input_.ExploringKey(event, ImageSize());
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

void PictureBox::ShowChanges()
{
    if (!pacer_.Due(screen())) {
        pacer_.Schedule(screen());
        return;
    }
    if (const QRect changed = canvas_.TakeDirty(); !changed.isEmpty()) {
        repaint(Placement().WidgetPixelsOver(changed));
        pacer_.Shown();
    }
}

ImagePlacement PictureBox::Placement() const
{
    // Where this widget stands in its window decides which device pixels it covers.
    return {contentsRect(), mapTo(window(), QPoint(0, 0)), devicePixelRatioF()};
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
        painter.Overview(overview_.Scaled(), View());
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
    return Exploring() && OverviewShown() && overview_.HasDrawn() && OverviewPlacement::Shows(View());
}

std::optional<WorldPoint> PictureBox::OverviewPoint(QPointF position) const
{
    if (!OverviewVisible()) {
        return std::nullopt;
    }
    const QRect inner = contentsRect();
    return OverviewPlacement(QSizeF(inner.size())).WorldAt(position - QPointF(inner.topLeft()));
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
    overview_.Fit(QSizeF(contentsRect().size()), devicePixelRatioF());
    if (FullScreen()) {
        explorer_.ResizeAboutCentre(ImageSize());
    } else {
        explorer_.Resize(ImageSize());
    }
}

} // namespace levyc
