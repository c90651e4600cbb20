#include "KeyframeList.h"

#include "engine/Thumbnails.h"
#include "output/FileOutput.h"
#include "views/ViewRender.h"

#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace levyc {

namespace {

// A film's list needs where it starts and where it ends.
constexpr std::size_t LeastViews = 2;

} // namespace

KeyframeList::KeyframeList(std::vector<ListedView> views, Sources sources, Thumbnails &thumbnails, QWidget *parent)
    : QWidget(parent)
    , views_(std::move(views))
    , sources_(std::move(sources))
    , thumbnails_(thumbnails)
    , list_(new QListWidget(this))
    , add_(new QPushButton(this))
    , remove_(new QPushButton(this))
    , up_(new QPushButton(this))
    , down_(new QPushButton(this))
    , hold_(new QDoubleSpinBox(this))
    , save_(new QPushButton(this))
    , load_(new QPushButton(this))
    , error_(new QLabel(this))
{
    list_->setObjectName(QStringLiteral("KeyframeList"));
    add_->setObjectName(QStringLiteral("KeyframeAdd"));
    remove_->setObjectName(QStringLiteral("KeyframeRemove"));
    up_->setObjectName(QStringLiteral("KeyframeUp"));
    down_->setObjectName(QStringLiteral("KeyframeDown"));
    hold_->setObjectName(QStringLiteral("KeyframeHold"));
    save_->setObjectName(QStringLiteral("KeyframeSave"));
    load_->setObjectName(QStringLiteral("KeyframeLoad"));
    error_->setObjectName(QStringLiteral("KeyframeError"));
    error_->setWordWrap(true);
    error_->setTextFormat(Qt::PlainText);
    error_->hide();
    list_->setIconSize(Thumbnails::SizeFor({16, 9}));
    list_->setMinimumHeight(4 * list_->iconSize().height());
    // Room for a name beside its thumbnail, wrapped rather than cut.
    list_->setMinimumWidth(4 * Thumbnails::Width);
    list_->setWordWrap(true);
    add_->setMenu(new QMenu(add_));
    // Return in the dialog still saves, wherever the focus is.
    for (QPushButton *button : {add_, remove_, up_, down_, save_, load_}) {
        button->setAutoDefault(false);
    }
    hold_->setDecimals(1);
    hold_->setRange(0, 3600);
    connect(remove_, &QPushButton::clicked, this, [this] {
        const int row = list_->currentRow();
        if (row >= 0) { // there only while the list has more than the two views a film needs
            views_.erase(views_.begin() + row);
            Fill(row);
        }
    });
    connect(up_, &QPushButton::clicked, this, [this] { Move(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { Move(1); });
    connect(save_, &QPushButton::clicked, this, &KeyframeList::Save);
    connect(load_, &QPushButton::clicked, this, &KeyframeList::Load);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        const QSignalBlocker quiet(hold_);
        hold_->setValue(row >= 0 ? views_.at(static_cast<std::size_t>(row)).hold : 0);
        hold_->setEnabled(row >= 0);
        up_->setEnabled(row > 0);
        down_->setEnabled(row >= 0 && row + 1 < list_->count());
        remove_->setEnabled(row >= 0 && views_.size() > LeastViews);
    });
    connect(hold_, &QDoubleSpinBox::valueChanged, this, [this](double seconds) {
        if (const int row = list_->currentRow(); row >= 0) {
            views_.at(static_cast<std::size_t>(row)).hold = seconds;
            Fill(row);
        }
    });
    connect(&thumbnails_, &Thumbnails::Made, this, [this] { Fill(list_->currentRow(), true); });
    auto *holdLabel = new QLabel(this);
    holdLabel->setObjectName(QStringLiteral("KeyframeHoldLabel"));
    holdLabel->setBuddy(hold_);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_, 0, 0, 8, 1);
    int row = 0;
    for (QWidget *control :
         std::initializer_list<QWidget *>{add_, remove_, up_, down_, holdLabel, hold_, save_, load_}) {
        layout->addWidget(control, row++, 1);
    }
    layout->addWidget(error_, 8, 0, 1, 2);
    Fill(0, true);
}

QString KeyframeList::NameOf(const WorldWindow &window, QSize size)
{
    return tr("zoom %1 at %2, %3")
        .arg(std::abs(ViewZoom(window, size)), 0, 'g', 3)
        .arg(window.CentreX(), 0, 'g', 7)
        .arg(window.CentreY(), 0, 'g', 7);
}

void KeyframeList::SetFilmSize(QSize size)
{
    if (size != filmSize_ && !size.isEmpty()) {
        filmSize_ = size;
        list_->setIconSize(Thumbnails::SizeFor(size));
        Fill(list_->currentRow(), true);
    }
}

void KeyframeList::Fill(int current, bool quiet)
{
    {
        const QSignalBlocker quietList(list_);
        list_->clear();
        for (std::size_t i = 0; i < views_.size(); ++i) {
            const QImage thumbnail = filmSize_.isEmpty() ? QImage() : thumbnails_.Get(views_[i].window, filmSize_);
            QPixmap icon(list_->iconSize());
            if (thumbnail.isNull()) {
                icon.fill(Qt::darkGray); // being drawn
            } else {
                icon = QPixmap::fromImage(thumbnail);
            }
            new QListWidgetItem(icon, ItemText(static_cast<int>(i), !thumbnail.isNull() && !ShowsAnything(thumbnail)),
                                list_);
        }
    }
    list_->setCurrentRow(-1);
    list_->setCurrentRow(std::clamp(current, 0, list_->count() - 1));
    if (!quiet) {
        error_->hide();
        emit Changed();
    }
}

QString KeyframeList::ItemText(int row, bool empty) const
{
    const ListedView &view = views_.at(static_cast<std::size_t>(row));
    const QString name = view.name.isEmpty() ? WindowLine(view.window, view.size) : view.name;
    QString text = row == 0                                     ? tr("Starts at %1").arg(name)
                   : row + 1 == static_cast<int>(views_.size()) ? tr("Ends at %1").arg(name)
                                                                : tr("Passes %1").arg(name);
    if (view.hold > 0) {
        text += QLatin1Char('\n') + tr("holds %1 s").arg(view.hold);
    }
    if (empty) {
        text += QLatin1Char('\n') + tr("(empty: shows nothing at the film's size)");
    }
    return text;
}

void KeyframeList::Add(const ListedView &view)
{
    const int row = list_->currentRow();
    const int at = row >= 0 ? row + 1 : static_cast<int>(views_.size());
    views_.insert(views_.begin() + at, view);
    Fill(at);
}

void KeyframeList::Move(int by)
{
    const int row = list_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(views_.size())) {
        return;
    }
    std::swap(views_.at(static_cast<std::size_t>(row)), views_.at(static_cast<std::size_t>(to)));
    Fill(to);
}

void KeyframeList::Save()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save the Film's Views"), QStringLiteral("levyc-film.txt"), tr("Views, one a line (*.txt)"));
    if (path.isEmpty()) {
        return;
    }
    FileOutput output(FileOutput::Wait::Never);
    QString error;
    if (!output.Open(QFile::encodeName(path), &error) || !output.Write(ViewListText(views_).toUtf8(), &error)) {
        error_->setText(error);
        error_->show();
    }
}

void KeyframeList::Load()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Load a Film's Views"), QString(),
                                                      tr("Views, one a line (*.txt);;Any file (*)"));
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    QString error;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else if (ParsedViewList parsed = ParseViewList(QString::fromUtf8(file.readAll()), sources_.current.size);
               !parsed.error.isEmpty()) {
        error = parsed.error;
    } else if (parsed.views.size() < LeastViews) {
        error = tr("A film needs two views at least: where it starts and where it ends.");
    } else {
        views_ = std::move(parsed.views);
        Fill(0);
        return;
    }
    error_->setText(error);
    error_->show();
}

void KeyframeList::FillAddMenu()
{
    QMenu *menu = add_->menu();
    menu->clear();
    menu->addAction(tr("The view on &screen"), this, [this] { Add(sources_.current); });
    menu->addAction(tr("The &Draw's view"), this, [this] { Add(sources_.start); });
    const auto submenu = [this, menu](const QString &title, const std::vector<ListedView> &views) {
        QMenu *from = menu->addMenu(title);
        from->setEnabled(!views.empty());
        for (const ListedView &view : views) {
            from->addAction(view.name, this, [this, view] { Add(view); });
        }
    };
    submenu(tr("A &bookmark"), sources_.bookmarks);
    submenu(tr("A view I &visited"), sources_.visited);
    menu->addSeparator();
    QAction *all = menu->addAction(tr("&All the views I visited, in order"), this, [this] {
        views_ = {sources_.start};
        views_.insert(views_.end(), sources_.visited.begin(), sources_.visited.end());
        views_.push_back(sources_.current);
        Fill(0);
    });
    all->setEnabled(!sources_.visited.empty());
}

void KeyframeList::Retranslate()
{
    add_->setText(tr("&Add"));
    add_->setToolTip(tr("Adds a view after the one selected."));
    remove_->setText(tr("&Remove"));
    up_->setText(tr("Move &Up"));
    down_->setText(tr("Move Do&wn"));
    if (auto *label = findChild<QLabel *>(QStringLiteral("KeyframeHoldLabel"))) {
        label->setText(tr("&Hold:"));
    }
    hold_->setSuffix(tr(" s"));
    hold_->setToolTip(tr("How long the film stays on the view selected, added to its length."));
    save_->setText(tr("Sa&ve List…"));
    load_->setText(tr("Loa&d List…"));
    FillAddMenu();
    Fill(list_->currentRow(), true);
}

} // namespace levyc
