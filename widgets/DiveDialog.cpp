#include "DiveDialog.h"

#include "KeyframeList.h"

#include "video/DiveText.h"
#include "views/OptionText.h"
#include "world/PictureWorld.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace levyc {

namespace {

// The size box's fixed items, in order; anything else typed is a size of its own.
constexpr DiveChoices::Size SizeItems[] = {DiveChoices::Size::Picture, DiveChoices::Size::Hd,
                                           DiveChoices::Size::FullHd};

// The most a number field takes as typed.
constexpr int TypedMost = 999999;

QString SizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// The default views, named as the list shows them.
std::vector<ListedView> Named(std::vector<ListedView> views)
{
    for (ListedView &view : views) {
        view.name = KeyframeList::NameOf(view.window, view.size);
    }
    if (views.front().window == PictureWorld) {
        views.front().name = KeyframeList::tr("the Draw's view");
    }
    return views;
}

KeyframeList::Sources Sources(QSize picture, const WorldWindow &view, const std::vector<WorldWindow> &visited,
                              std::vector<ListedView> bookmarks)
{
    KeyframeList::Sources sources{{PictureWorld, picture, 0, KeyframeList::tr("the Draw's view")},
                                  {view, picture, 0, KeyframeList::NameOf(view, picture)},
                                  {},
                                  std::move(bookmarks)};
    for (const WorldWindow &window : visited) {
        sources.visited.push_back({window, picture, 0, KeyframeList::NameOf(window, picture)});
    }
    return sources;
}

} // namespace

DiveDialog::DiveDialog(const DiveChoices &choices, QSize picture, const WorldWindow &view,
                       std::vector<WorldWindow> visited, std::vector<ListedView> bookmarks, SharedCurves curves,
                       QString noVideo, QWidget *parent)
    : QDialog(parent)
    , picture_(picture)
    , view_(view)
    , visited_(std::move(visited))
    , keyframesChosen_(choices.keyframes.size() >= 2)
    , form_(new QFormLayout)
    , seconds_(new QDoubleSpinBox(this))
    , fps_(new QSpinBox(this))
    , size_(new QComboBox(this))
    , format_(new QComboBox(this))
    , quality_(new QSpinBox(this))
    , curves_(std::move(curves))
    , thumbnails_(curves_, QString())
    , keyframes_(
          new KeyframeList(keyframesChosen_ ? choices.keyframes : Named(DefaultKeyframes(picture, view, visited_)),
                           Sources(picture, view, visited_, std::move(bookmarks)), thumbnails_, this))
    , estimate_(new QLabel(this))
    , buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
    , play_(buttons_->addButton(QString(), QDialogButtonBox::ActionRole))
    , noVideo_(std::move(noVideo))
{
    setObjectName(QStringLiteral("DiveDialog"));
    seconds_->setObjectName(QStringLiteral("DiveSeconds"));
    fps_->setObjectName(QStringLiteral("DiveFps"));
    size_->setObjectName(QStringLiteral("DiveSize"));
    format_->setObjectName(QStringLiteral("DiveFormat"));
    quality_->setObjectName(QStringLiteral("DiveQuality"));
    estimate_->setObjectName(QStringLiteral("DiveEstimate"));
    // A number past the bounds levyc-render's --seconds, --fps and --quality
    // have stays as typed, and the dialog says what the bounds are: a spin
    // box would drop the digit typed last, or clamp, without a word.
    seconds_->setDecimals(1);
    seconds_->setRange(0, TypedMost);
    fps_->setRange(0, TypedMost);
    quality_->setRange(0, TypedMost);
    size_->setEditable(true);
    size_->setInsertPolicy(QComboBox::NoInsert);
    size_->addItem(QString());
    size_->addItem(SizeText(DiveChoices::HdSize));
    size_->addItem(SizeText(DiveChoices::FullHdSize));
    // Only what can be made is offered.
    if (noVideo_.isEmpty()) {
        format_->addItem(QString(), static_cast<int>(DiveFormat::Mp4));
        format_->addItem(QString(), static_cast<int>(DiveFormat::WebM));
    }
    format_->addItem(QString(), static_cast<int>(DiveFormat::WebP));
    ShowChoices(choices);
    connect(keyframes_, &KeyframeList::Changed, this, [this] {
        keyframesChosen_ = true;
        Update();
    });
    LayOut();
    connect(seconds_, &QDoubleSpinBox::valueChanged, this, &DiveDialog::Update);
    connect(fps_, &QSpinBox::valueChanged, this, &DiveDialog::Update);
    connect(quality_, &QSpinBox::valueChanged, this, &DiveDialog::Update);
    connect(size_, &QComboBox::editTextChanged, this, &DiveDialog::Update);
    connect(format_, &QComboBox::currentIndexChanged, this, &DiveDialog::Update);
    Retranslate();
}

void DiveDialog::ShowChoices(const DiveChoices &choices)
{
    seconds_->setValue(choices.seconds);
    fps_->setValue(choices.fps);
    quality_->setValue(choices.quality);
    if (choices.size == DiveChoices::Size::Typed) {
        size_->setEditText(SizeText(choices.typed));
    } else {
        size_->setCurrentIndex(static_cast<int>(std::find(std::begin(SizeItems), std::end(SizeItems), choices.size) -
                                                std::begin(SizeItems)));
    }
    format_->setCurrentIndex(std::max(0, format_->findData(static_cast<int>(choices.format))));
}

void DiveDialog::LayOut()
{
    estimate_->setWordWrap(true);
    // Labels of their own, texts set in Retranslate(): their letters reach the fields.
    for (QWidget *field : std::initializer_list<QWidget *>{seconds_, fps_, size_, format_, quality_}) {
        auto *name = new QLabel(this);
        name->setBuddy(field);
        form_->addRow(name, field);
    }
    form_->addRow(new QLabel(this), keyframes_);
    // Play watches the dive in the picture before any file is made.
    play_->setObjectName(QStringLiteral("DivePlay"));
    connect(play_, &QPushButton::clicked, this, [this] { done(Played); });
    connect(buttons_, &QDialogButtonBox::accepted, this, &DiveDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &DiveDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form_);
    layout->addWidget(estimate_);
    layout->addWidget(buttons_);
}

DiveChoices DiveDialog::Choices() const
{
    DiveChoices choices;
    choices.seconds = seconds_->value();
    choices.fps = fps_->value();
    choices.quality = quality_->value();
    choices.format = static_cast<DiveFormat>(format_->currentData().toInt());
    if (keyframesChosen_) {
        choices.keyframes = keyframes_->Views();
    }
    const QString text = size_->currentText();
    const int item = size_->findText(text);
    if (item >= 0) {
        choices.size = SizeItems[item];
    } else {
        choices.size = DiveChoices::Size::Typed;
        choices.typed = OptionText::Size(text).value_or(QSize());
    }
    return choices;
}

std::optional<DiveEstimate> DiveDialog::Estimate() const
{
    if (!Problem().isEmpty() || measuring_ != DiveOf(Choices(), picture_, view_, visited_)) {
        return std::nullopt;
    }
    return measured_;
}

void DiveDialog::Measure(const Dive &dive)
{
    if (measuring_ == dive) {
        return;
    }
    measuring_ = dive;
    measured_.reset();
    unmeasured_.clear();
    measure_.Run([this, dive, curves = curves_](const JobRunner::Job &job) {
        QString error;
        std::optional<DiveEstimate> estimate = EstimateDive(dive, *curves, job.cancelled, &error);
        if (job.cancelled) {
            return;
        }
        JobRunner::Post(this, [this, dive, estimate, error] {
            if (measuring_ == dive) {
                measured_ = estimate;
                unmeasured_ = error;
                Update();
            }
        });
    });
}

QString DiveDialog::Problem() const
{
    return DiveText::Problem(Choices(), picture_, view_, visited_);
}

void DiveDialog::Update()
{
    const DiveChoices choices = Choices();
    quality_->setEnabled(choices.format != DiveFormat::WebP);
    // Play shows the picture's size, whatever size a file would have.
    DiveChoices played = choices;
    played.size = DiveChoices::Size::Picture;
    play_->setEnabled(DiveText::RangeProblem(choices).isEmpty() && FramesOf(choices) >= DivePath::MinFrames &&
                      !BeyondReach(DiveOf(played, picture_, view_, visited_)));
    keyframes_->SetFilmSize(FrameSizeOf(choices, picture_));
    const QString problem = Problem();
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(problem.isEmpty());
    if (!problem.isEmpty()) {
        estimate_->setText(problem);
        return;
    }
    Measure(DiveOf(choices, picture_, view_, visited_));
    const QString length = tr("The film lasts %1 s and passes %2 views.")
                               .arg(LengthOf(choices), 0, 'g', 4)
                               .arg(keyframes_->Views().size());
    estimate_->setText(length + QLatin1Char('\n') +
                       DiveText::Estimate(std::max(FramesOf(choices), DivePath::MinFrames),
                                          FrameSizeOf(choices, picture_), measured_, unmeasured_));
}

void DiveDialog::Retranslate()
{
    setWindowTitle(tr("Shape the Dive"));
    const auto label = [this](QWidget *field, const QString &text) {
        if (auto *name = qobject_cast<QLabel *>(form_->labelForField(field))) {
            name->setText(text);
        }
    };
    label(seconds_, tr("&Length:"));
    label(fps_, tr("&Frames a second:"));
    label(size_, tr("S&ize:"));
    label(format_, tr("F&ormat:"));
    label(quality_, tr("&Quality:"));
    seconds_->setSuffix(tr(" s"));
    // Renaming the current item would replace a size typed over it.
    const QString typed = size_->findText(size_->currentText()) < 0 ? size_->currentText() : QString();
    size_->setItemText(0, tr("the picture's, %1").arg(SizeText(picture_)));
    if (!typed.isEmpty()) {
        size_->setEditText(typed);
    }
    size_->setToolTip(tr("Choose a size, or type one as WxH."));
    for (int i = 0; i < format_->count(); ++i) {
        switch (static_cast<DiveFormat>(format_->itemData(i).toInt())) {
        case DiveFormat::Mp4:
            format_->setItemText(i, tr("MP4 video (H.264)"));
            break;
        case DiveFormat::WebM:
            format_->setItemText(i, tr("WebM video (VP9)"));
            break;
        case DiveFormat::WebP:
            format_->setItemText(i, tr("Animated WebP (lossless, for short dives)"));
            break;
        }
    }
    format_->setToolTip(noVideo_.isEmpty() ? QString() : tr("Animated WebP only. %1").arg(noVideo_));
    quality_->setToolTip(tr("0 to %1: higher is sharper and larger. A WebP dive is lossless and ignores it.")
                             .arg(VideoSettings::MaxQuality));
    if (auto *name = qobject_cast<QLabel *>(form_->labelForField(keyframes_))) {
        name->setText(tr("Views:"));
    }
    keyframes_->Retranslate();
    buttons_->button(QDialogButtonBox::Ok)->setText(tr("&Save…"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    play_->setText(tr("&Play"));
    play_->setToolTip(tr("Plays the dive in the picture, at its size; any key stops it."));
    Update();
}

void DiveDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QDialog::changeEvent(event);
}

} // namespace levyc
