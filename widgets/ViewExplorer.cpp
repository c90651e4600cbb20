#include "ViewExplorer.h"

#include "views/BoxZoom.h"
#include "views/ViewNavigation.h"
#include "world/PictureWorld.h"

namespace levyc {

namespace {

// A wheel that rests this long has settled on its view.
constexpr int SettleAfterMs = 300;

} // namespace

ViewExplorer::ViewExplorer(ViewRenderFunction render, QObject *parent)
    : QObject(parent)
    , view_(PictureWorld)
    , shown_(PictureWorld)
    , requested_(PictureWorld)
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
    history_.Start(view_);
    emit HistoryChanged();
}

void ViewExplorer::Stop()
{
    renderer_.Drop();
    wanted_ = 0;
    curves_.reset();
    drawn_ = {};
    dragFrom_.reset();
    CancelBox();
    settleTimer_.stop();
    history_.Start(PictureWorld);
    emit HistoryChanged();
    const bool moved = view_ != PictureWorld || shown_ != PictureWorld;
    view_ = shown_ = requested_ = PictureWorld;
    if (moved) {
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
    if (drawn_.size() != size) {
        drawn_ = {};
    }
    if (Exploring() && size != before && !before.isEmpty() && (view_ != PictureWorld || shown_ != PictureWorld)) {
        shown_ = Resized(shown_, QSizeF(before), QSizeF(size));
        view_ = Resized(view_, QSizeF(before), QSizeF(size));
        Request();
    }
}

void ViewExplorer::Request()
{
    if (view_ == PictureWorld && !drawn_.isNull()) {
        // The Draw's own picture is at hand: no render, and none in progress kept.
        renderer_.Drop();
        wanted_ = 0;
        shown_ = requested_ = view_;
        emit ViewChanged();
        emit Ready(drawn_);
        return;
    }
    requested_ = view_;
    wanted_ = renderer_.Render(curves_, view_, size_);
    emit ViewChanged();
}

void ViewExplorer::Take(quint64 number, const QImage &image)
{
    if (number != wanted_ || image.size() != size_) {
        return; // stale
    }
    wanted_ = 0;
    shown_ = requested_;
    emit Ready(image);
}

QImage ViewExplorer::RenderNow() const
{
    return Renderer()(nullptr);
}

std::function<QImage(const std::atomic<bool> *)> ViewExplorer::Renderer() const
{
    if ((view_ == PictureWorld && !drawn_.isNull()) || !Exploring()) {
        return [image = view_ == PictureWorld ? drawn_ : QImage()](const std::atomic<bool> *) { return image; };
    }
    return [curves = curves_, view = view_, size = size_](const std::atomic<bool> *cancel) {
        ViewRenderOptions options;
        options.cancel = cancel;
        return RenderView(*curves, view, size, options).image;
    };
}

} // namespace levyc
