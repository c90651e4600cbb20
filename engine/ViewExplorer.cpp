#include "ViewExplorer.h"

#include "views/BoxZoom.h"
#include "views/ViewNavigation.h"
#include "views/ViewText.h"
#include "world/PictureWorld.h"

#include <QLoggingCategory>

#include <algorithm>

namespace levyc {

namespace {

// QT_LOGGING_RULES=levyc.view.debug=true prints each view as it reaches the
// screen, in the form levyc-render --window takes.
Q_LOGGING_CATEGORY(ViewLog, "levyc.view", QtWarningMsg)

} // namespace

namespace {

// A wheel that rests this long has settled on its view.
constexpr int SettleAfterMs = 300;

} // namespace

ViewExplorer::ViewExplorer(ViewRenderFunction render, QObject *parent)
    : QObject(parent)
    , view_(PictureWorld)
    , shown_(PictureWorld)
    , renderer_(std::move(render), this)
{
    connect(&renderer_, &ViewRenderThread::Rendered, this, &ViewExplorer::Take);
    settleTimer_.setSingleShot(true);
    settleTimer_.setInterval(SettleAfterMs);
    connect(&settleTimer_, &QTimer::timeout, this, &ViewExplorer::Settle);
}

void ViewExplorer::Explore(const std::vector<CurveRecord> &curves, const QImage &drawn)
{
    Stop();
    curves_ = std::make_shared<const std::vector<CurveRecord>>(curves);
    drawn_ = drawn;
    size_ = drawn.size();
    plan_.Start(view_, size_);
    preview_ = drawn;
    history_.Start(view_);
    emit HistoryChanged();
}

void ViewExplorer::Stop()
{
    renderer_.Drop();
    underWay_ = 0;
    plan_.Start(PictureWorld, size_);
    preview_ = {};
    curves_.reset();
    drawn_ = {};
    dragFrom_.reset();
    CancelBox();
    settleTimer_.stop();
    history_.Start(PictureWorld);
    emit HistoryChanged();
    const bool moved = view_ != PictureWorld || shown_ != PictureWorld;
    view_ = shown_ = PictureWorld;
    if (moved) {
        exactOnScreen_ = false;
        emit ViewChanged();
    }
}

void ViewExplorer::SetView(const WorldWindow &window)
{
    if (!Exploring() || size_.isEmpty() || window == view_) {
        return;
    }
    view_ = window;
    Request();
}

std::vector<WorldWindow> ViewExplorer::Visited() const
{
    return history_.Between(PictureWorld, view_);
}

void ViewExplorer::ResetView()
{
    SetView(PictureWorld);
}

void ViewExplorer::ZoomAbout(QPointF pixel, double factor)
{
    const WorldWindow zoomed = ZoomedAbout(view_, QSizeF(size_), pixel, factor);
    if (Exploring() && zoomed == view_ && factor != 1.0) {
        emit LimitReached(factor > 1.0);
        return;
    }
    SetView(zoomed);
}

void ViewExplorer::Pan(QPointF pixels)
{
    SetView(Panned(view_, QSizeF(size_), pixels));
}

void ViewExplorer::DragTo(QPointF pixel)
{
    if (!dragFrom_) {
        return;
    }
    const QPointF moved = pixel - *dragFrom_;
    dragFrom_ = pixel;
    Pan(moved);
}

void ViewExplorer::Release()
{
    if (dragFrom_) {
        dragFrom_.reset();
        Settle();
    }
}

void ViewExplorer::BeginBox(QPointF pixel)
{
    if (Exploring()) {
        box_ = QRectF(pixel, pixel);
        emit BoxChanged();
    }
}

void ViewExplorer::BoxTo(QPointF pixel)
{
    if (box_) {
        box_->setBottomRight(pixel);
        emit BoxChanged();
    }
}

void ViewExplorer::EndBox()
{
    if (const std::optional<QRectF> box = box_) {
        CancelBox();
        SetView(ZoomedToBox(view_, QSizeF(size_), *box));
        Settle();
    }
}

void ViewExplorer::CancelBox()
{
    if (box_) {
        box_.reset();
        emit BoxChanged();
    }
}

void ViewExplorer::Settle()
{
    settleTimer_.stop();
    if (Exploring()) {
        history_.Settle(view_);
        emit HistoryChanged();
    }
}

void ViewExplorer::SettleLater()
{
    if (Exploring()) {
        settleTimer_.start();
    }
}

void ViewExplorer::Back()
{
    Settle();
    if (const std::optional<WorldWindow> view = history_.Back()) {
        SetView(*view);
        emit HistoryChanged();
    }
}

void ViewExplorer::Forward()
{
    Settle();
    if (const std::optional<WorldWindow> view = history_.Forward()) {
        SetView(*view);
        emit HistoryChanged();
    }
}

void ViewExplorer::Resize(QSize size)
{
    const QSize before = size_;
    size_ = size;
    if (Exploring() && size != before && !before.isEmpty() && (view_ != PictureWorld || shown_ != PictureWorld)) {
        shown_ = Resized(shown_, QSizeF(before), QSizeF(size));
        view_ = Resized(view_, QSizeF(before), QSizeF(size));
        plan_.Resize(size, Resized(plan_.PlacedFor(), QSizeF(before), QSizeF(size)));
        Request();
    } else {
        plan_.Resize(size, plan_.PlacedFor());
    }
}

void ViewExplorer::ResizeAboutCentre(QSize size)
{
    const QSize before = size_;
    size_ = size;
    if (!Exploring() || size == before || before.isEmpty() || size.isEmpty()) {
        plan_.Resize(size, plan_.PlacedFor());
        return;
    }
    dragFrom_.reset();
    CancelBox();
    resize_.Switch(before, size);
    view_ = resize_.Carry(view_);
    history_.Replace([this](const WorldWindow &view) { return resize_.Carry(view); });
    // The last image stays at the top-left corner of the resized one.
    shown_ = Resized(shown_, QSizeF(before), QSizeF(size));
    plan_.Resize(size, Resized(plan_.PlacedFor(), QSizeF(before), QSizeF(size)));
    Request();
}

void ViewExplorer::Request()
{
    if (view_ == PictureWorld && DrawnFits()) {
        // The Draw's own picture is at hand: no render, and none in progress kept.
        renderer_.Drop();
        underWay_ = 0;
        plan_.Start(view_, size_);
        preview_ = drawn_;
        shown_ = view_;
        exactOnScreen_ = false;
        emit ViewChanged();
        emit Ready(drawn_);
        return;
    }
    if (plan_.Ask(view_, renderer_.Progress(underWay_))) {
        renderer_.Cancel(underWay_);
    }
    RenderNext();
    exactOnScreen_ = false;
    emit ViewChanged();
}

void ViewExplorer::RenderNext()
{
    if (underWay_ == 0) {
        if (const std::optional<ViewJob> job = plan_.Next()) {
            underWay_ = renderer_.Render(curves_, job->window, job->size);
        }
    }
}

void ViewExplorer::Take(quint64 number, const QImage &image)
{
    if (number != underWay_) {
        return; // asked for before a Stop or the Draw's view
    }
    underWay_ = 0;
    switch (plan_.Ended(image.size())) {
    case PreviewPlan::Use::Exact:
        preview_ = image;
        shown_ = view_;
        emit Ready(image);
        break;
    case PreviewPlan::Use::Preview:
        preview_ = image;
        emit PreviewChanged();
        break;
    case PreviewPlan::Use::Drop:
        break;
    }
    RenderNext();
}

std::optional<PreviewPlacement> ViewExplorer::PlacePreview() const
{
    return levyc::PlacePreview(plan_.OnScreen().window, plan_.PlacedFor(), preview_.size(), size_);
}

std::function<QImage(const std::atomic<bool> *)> ViewExplorer::PictureRenderer(const QImage &onScreen) const
{
    std::function<QImage(const std::atomic<bool> *)> render;
    if (shown_ == view_) {
        render = [image = onScreen.copy()](const std::atomic<bool> *) { return image; };
    } else if (view_ == PictureWorld && DrawnFits()) {
        render = [image = drawn_](const std::atomic<bool> *) { return image; };
    } else if (Exploring()) {
        render = [curves = curves_, view = view_, size = size_](const std::atomic<bool> *cancel) {
            ViewRenderOptions options;
            options.cancel = cancel;
            return RenderView(*curves, view, size, options).image;
        };
    } else {
        render = [](const std::atomic<bool> *) { return QImage(); };
    }
    // A view's picture says which view it is, as levyc-render --window takes it.
    const QString text = Exploring() ? WindowLine(view_, size_) : QString();
    return [render = std::move(render), text](const std::atomic<bool> *cancel) {
        QImage image = render(cancel);
        image.setDevicePixelRatio(1.0);
        if (!text.isEmpty()) {
            image.setText(QString::fromLatin1(ViewTextKey), text);
        }
        return image;
    };
}

} // namespace levyc

namespace levyc {

ViewExplorer::OnScreen ViewExplorer::Painted(bool whole)
{
    if (shown_ != view_) {
        // How many device pixels each of the picture's spans here, and how
        // far the view it is placed for lags the view asked for; placed
        // again only when that is asked for.
        if (ViewLog().isDebugEnabled() && !preview_.isNull()) {
            if (const std::optional<PreviewPlacement> placed = PlacePreview()) {
                qCDebug(ViewLog, "preview enlarged %.6g behind %.6g",
                        std::max(placed->target.width() / placed->source.width(),
                                 placed->target.height() / placed->source.height()),
                        PlacedFor().Width() / view_.Width());
            }
        }
        return OnScreen::Preview;
    }
    if (!exactOnScreen_ && whole) {
        // The exact picture has replaced the whole preview.
        exactOnScreen_ = true;
        qCDebug(ViewLog, "shown %.17g,%.17g,%.17g,%.17g", view_.Left, view_.Top, view_.Right, view_.Bottom);
    }
    return exactOnScreen_ ? OnScreen::Exact : OnScreen::Partly;
}

} // namespace levyc
