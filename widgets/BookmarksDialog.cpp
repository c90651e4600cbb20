#include "BookmarksDialog.h"

#include "PictureBox.h"
#include "bookmarks/BookmarkStore.h"
#include "engine/Thumbnails.h"
#include "output/FileOutput.h"
#include "views/SharedView.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

namespace levyc {

BookmarksDialog::BookmarksDialog(BookmarkStore &store, Thumbnails &thumbnails, PictureBox *picture, QWidget *parent)
    : QDialog(parent)
    , store_(store)
    , thumbnails_(thumbnails)
    , picture_(picture)
    , list_(new QListWidget(this))
    , error_(new QLabel(this))
    , goTo_(new QPushButton(this))
    , rename_(new QPushButton(this))
    , remove_(new QPushButton(this))
    , up_(new QPushButton(this))
    , down_(new QPushButton(this))
    , export_(new QPushButton(this))
    , import_(new QPushButton(this))
{
    setObjectName(QStringLiteral("BookmarksDialog"));
    list_->setObjectName(QStringLiteral("BookmarkList"));
    error_->setObjectName(QStringLiteral("BookmarkError"));
    goTo_->setObjectName(QStringLiteral("BookmarkGoTo"));
    rename_->setObjectName(QStringLiteral("BookmarkRename"));
    remove_->setObjectName(QStringLiteral("BookmarkDelete"));
    up_->setObjectName(QStringLiteral("BookmarkUp"));
    down_->setObjectName(QStringLiteral("BookmarkDown"));
    export_->setObjectName(QStringLiteral("BookmarkExport"));
    import_->setObjectName(QStringLiteral("BookmarkImport"));
    list_->setIconSize(Thumbnails::SizeFor(picture_->ImageSize()));
    list_->setUniformItemSizes(true); // a long list opens at once
    list_->setMinimumWidth(3 * Thumbnails::Width);
    connect(&thumbnails_, &Thumbnails::Made, this, &BookmarksDialog::ShowThumbnails);
    error_->setWordWrap(true);
    error_->setTextFormat(Qt::PlainText);
    error_->hide();
    goTo_->setDefault(true);
    connect(goTo_, &QPushButton::clicked, this, &BookmarksDialog::GoTo);
    connect(list_, &QListWidget::itemActivated, this, &BookmarksDialog::GoTo);
    connect(rename_, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem *item = list_->currentItem()) {
            list_->editItem(item);
        }
    });
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        const int row = list_->row(item);
        QString error;
        Told(store_.Rename(row, item->text(), &error), error);
        Fill(row);
    });
    connect(remove_, &QPushButton::clicked, this, [this] {
        const int row = list_->currentRow();
        QString error;
        if (row >= 0) {
            Told(store_.Remove(row, &error), error);
            Fill(row);
        }
    });
    connect(up_, &QPushButton::clicked, this, [this] { Move(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { Move(1); });
    connect(export_, &QPushButton::clicked, this, &BookmarksDialog::Export);
    connect(import_, &QPushButton::clicked, this, &BookmarksDialog::Import);
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &BookmarksDialog::reject);
    auto *layout = new QGridLayout(this);
    layout->addWidget(list_, 0, 0, 8, 1);
    int row = 0;
    for (QPushButton *button : {goTo_, rename_, remove_, up_, down_, export_, import_}) {
        button->setAutoDefault(false);
        layout->addWidget(button, row++, 1);
    }
    layout->setRowStretch(row, 1);
    layout->addWidget(error_, 8, 0, 1, 2);
    layout->addWidget(close, 9, 0, 1, 2);
    Fill(0);
    Retranslate();
}

void BookmarksDialog::Open(BookmarkStore &store, Thumbnails &thumbnails, PictureBox *picture, QWidget *parent)
{
    if (auto *open = parent->findChild<BookmarksDialog *>(QString(), Qt::FindDirectChildrenOnly)) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto *dialog = new BookmarksDialog(store, thumbnails, picture, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void BookmarksDialog::Fill(int current)
{
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const ListedView &view : store_.Views()) {
        auto *item = new QListWidgetItem(view.name, list_);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    ShowThumbnails();
    list_->setCurrentRow(std::min(current, list_->count() - 1));
    for (QPushButton *button : {goTo_, rename_, remove_, up_, down_}) {
        button->setEnabled(list_->count() > 0);
    }
    export_->setEnabled(list_->count() > 0);
}

void BookmarksDialog::ShowThumbnails()
{
    const QSignalBlocker quiet(list_);
    QPixmap waiting(list_->iconSize());
    waiting.fill(Qt::darkGray);
    const std::vector<ListedView> &views = store_.Views();
    for (int row = 0; row < list_->count() && row < static_cast<int>(views.size()); ++row) {
        const ListedView &view = views.at(static_cast<std::size_t>(row));
        const QImage thumbnail = thumbnails_.Get(view.window, view.size);
        list_->item(row)->setIcon(thumbnail.isNull() ? waiting : QPixmap::fromImage(thumbnail));
    }
}

void BookmarksDialog::GoTo()
{
    const int row = list_->currentRow();
    if (row < 0 || !picture_->Exploring()) {
        return; // a Draw runs: its view is the Draw's
    }
    const ListedView &view = store_.Views().at(static_cast<std::size_t>(row));
    const ParsedView shown = ViewToShow(WindowLine(view.window, view.size), picture_->View(), picture_->ImageSize());
    if (!shown.error.isEmpty()) {
        Told(false, shown.error);
        return;
    }
    Told(true, {});
    picture_->SetView(shown.window);
}

void BookmarksDialog::Move(int by)
{
    const int row = list_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= list_->count()) {
        return;
    }
    QString error;
    const bool moved = store_.Move(row, to, &error);
    Told(moved, error);
    Fill(moved ? to : row);
}

void BookmarksDialog::Export()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export the Bookmarks"), QStringLiteral("levyc-bookmarks.txt"), tr("Views, one a line (*.txt)"));
    if (path.isEmpty()) {
        return;
    }
    FileOutput output(FileOutput::Wait::Never);
    QString error;
    Told(output.Open(QFile::encodeName(path), &error) && output.Write(store_.Export().toUtf8(), &error), error);
}

void BookmarksDialog::Import()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Import Bookmarks"), QString(),
                                                      tr("Views, one a line (*.txt);;Any file (*)"));
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Told(false, file.errorString());
        return;
    }
    QString error;
    const int before = static_cast<int>(store_.Views().size());
    const int added = store_.Import(QString::fromUtf8(file.readAll()), picture_->ImageSize(), &error);
    Told(added >= 0, error);
    Fill(added > 0 ? before : list_->currentRow());
}

void BookmarksDialog::Told(bool worked, const QString &error)
{
    error_->setText(worked ? QString() : error);
    error_->setVisible(!worked);
}

void BookmarksDialog::Retranslate()
{
    setWindowTitle(tr("Bookmarks"));
    goTo_->setText(tr("&Go to"));
    rename_->setText(tr("&Rename"));
    remove_->setText(tr("&Delete"));
    up_->setText(tr("Move &Up"));
    down_->setText(tr("Move Do&wn"));
    export_->setText(tr("&Export…"));
    import_->setText(tr("&Import…"));
}

void BookmarksDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QDialog::changeEvent(event);
}

} // namespace levyc
