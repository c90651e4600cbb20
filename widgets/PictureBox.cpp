#include "PictureBox.h"

#include "picture/ExploringKeys.h"
#include "picture/PicturePainter.h"
#include "video/DiveChoices.h"
#include "video/DiveText.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include "views/OverlayText.h"
#include "views/OverviewPlacement.h"
#include "views/PreviewPlacement.h"
#include "views/SharedView.h"
#include "world/PictureWorld.h"

#include <algorithm>

namespace levyc {

namespace {

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
    , pacer_([this] { ShowChanges(); }, [this] { return screen(); })
    , actions_(new PictureActions(this))
    , film_(new PictureFilm(*this))
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
    connect(&explorer_, &ViewExplorer::LimitReached, &limitWord_, &LimitWord::Reached);
    connect(&limitWord_, &LimitWord::Changed, this, [this] { update(contentsRect()); });
    connect(&explorer_, &ViewExplorer::HistoryChanged, this, &PictureBox::UpdateActions);
    connect(&explorer_, &ViewExplorer::ViewChanged, this, [this] {
        // Whatever moved the view, a playing dive ends first.
        film_->Interrupt();
        UpdateActions();
        Describe();
        // The preview, at the next frame.
        update();
    });
    connect(&explorer_, &ViewExplorer::Ready, this, [this](const QImage &image) {
        if (canvas_.Adopt(image)) {
            static_cast<void>(canvas_.TakeDirty());
            update();
        }
    });
    connect(&explorer_, &ViewExplorer::PreviewChanged, this, [this] { update(); });
    connect(&explorer_, &ViewExplorer::BoxChanged, this, [this] { update(); });
    grabGesture(Qt::PinchGesture);
    Retranslate();
    FitImage();
}

void PictureBox::Retranslate()
{
    actions_->Retranslate();
    // A short hint: a tip shows whenever the pointer rests, and the list of keys would cover the picture.
    setToolTip(explored_ ? tr("The picture: drag it, turn the wheel over it, or press F1 for the keys.")
                         : tr("The picture. Press Draw (描画) to draw the curves, then explore them here."));
    setAccessibleName(tr("Picture"));
    Describe();
}

void PictureBox::Describe()
{
    QString description = tr("The Lévy C curves drawn so far.");
    if (Exploring()) {
        const OverlayText where(View(), contentsRect().size());
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
        film_->Interrupt(); // a save has begun
    }
    QFrame::changeEvent(event);
}

void PictureBox::contextMenuEvent(QContextMenuEvent *event)
{
    film_->Interrupt();
    actions_->Popup(this, event->globalPos());
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

void PictureBox::UpdateActions()
{
    // No choice of the dive's dialog brings the way of its plainest dive within reach.
    const bool moves = CanDive(View(), Visited());
    const auto beyond = moves ? BeyondReach(DiveOf({}, ImageSize(), View(), Visited())) : std::nullopt;
    actions_->Update({.exploring = Exploring(),
                      .canGoBack = explorer_.CanGoBack(),
                      .canGoForward = explorer_.CanGoForward(),
                      .canDive = moves && !beyond,
                      .noDive = beyond ? DiveText::BeyondReach(*beyond) : QString(),
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
    film_->Interrupt();
    explorer_.Stop();
    overview_.SetDrawn({});
    limitWord_.Clear();
    UpdateActions();
    Describe();
}

void PictureBox::SetFullScreen(bool on)
{
    fullScreen_ = on;
    UpdateActions();
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

bool PictureBox::event(QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        const QRect rect = static_cast<QPaintEvent *>(event)->rect();
        const bool done = QFrame::event(event);
        Painted(rect);
        return done;
    }
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
        // At a fractional scale the inner area's size in device pixels also
        // depends on where it stands.
        const bool done = QFrame::event(event);
        FitImage();
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

// The mouse, the wheel, pinches and keys: whether the input took the event,
// which the frame would otherwise handle.
bool PictureBox::Input(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (!PictureInput::Takes(type)) {
        return false; // nor is the picture whole yet when its children are added
    }
    if (type == QEvent::Wheel) {
        // As the window system's wheel events do for a wheel-focus widget, and
        // for one sent straight to the widget too.
        setFocus(Qt::MouseFocusReason);
    }
    if (type == QEvent::Wheel || type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        film_->Interrupt();
    }
    if (type == QEvent::KeyPress && Playing()) {
        const auto &key = *static_cast<QKeyEvent *>(event);
        // Any key but those that move the focus stops a dive and does nothing
        // else, back at the view; a held P repeating is not a new press.
        if (!key.isAutoRepeat() && !MovesFocus(key)) {
            film_->Interrupt();
        }
        return !MovesFocus(key);
    }
    return input_.Take(*event, {.placement = Placement(),
                                .image = ImageSize(),
                                .fullScreen = FullScreen(),
                                .overview = [this](QPointF at) { return OverviewPoint(at); },
                                .fromGlobal = [this](QPointF at) { return mapFromGlobal(at); }});
}

bool PictureBox::TakeKey(const QKeyEvent &event)
{
    if (!isEnabled()) {
        return false;
    }
    if (Playing()) {
        if (!event.isAutoRepeat()) {
            film_->Interrupt();
        }
        return true;
    }
    return input_.ExploringKey(event, ImageSize());
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
    if (!pacer_.Due()) {
        pacer_.Schedule();
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
    // While a film waits for a frame, only that is said over the picture.
    const QString preparing = film_->Preparing() ? tr("Preparing the dive…") : QString();
    if (!film_->Frame().isNull()) {
        // The dive's frame alone: a film, nothing over it but that mark.
        painter.Image(film_->Frame(), event->rect());
        if (!preparing.isEmpty()) {
            painter.Overlay(preparing, font());
        }
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
    if (const QString text = preparing.isEmpty() ? OverlayLines() : preparing; !text.isEmpty()) {
        painter.Overlay(text, font());
    }
}

// After a paint: the exact picture may be on screen now.
void PictureBox::Painted(const QRect &rect)
{
    if (!film_->Frame().isNull()) {
        return;
    }
    switch (explorer_.Painted(rect.contains(contentsRect()))) {
    case ViewExplorer::OnScreen::Partly:
        update(contentsRect()); // the exact picture replaces the whole preview
        break;
    case ViewExplorer::OnScreen::Exact:
        limitWord_.OnScreen();
        break;
    case ViewExplorer::OnScreen::Preview:
        break;
    }
}

bool PictureBox::OverviewVisible() const
{
    // The zoom in the pixels a user sees, not the device's: the same at any scale of the screen.
    return Exploring() && OverviewShown() && overview_.HasDrawn() &&
           OverviewPlacement::Shows(View(), contentsRect().size());
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
    const QString limit = limitWord_.Text();
    if (!Exploring() || !OverlayShown() || (View() == PictureWorld && limit.isEmpty())) {
        return {};
    }
    const OverlayText where(View(), contentsRect().size()); // as the overview, at any scale of the screen
    QStringList lines{where.ZoomText(), where.CentreText()};
    if (!limit.isEmpty()) {
        lines << limit;
    }
    return lines.join(QLatin1Char('\n'));
}

void PictureBox::FitImage()
{
    if (Placement().DeviceInner().size() != ImageSize()) {
        film_->Interrupt(); // its frames are of the old size
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
