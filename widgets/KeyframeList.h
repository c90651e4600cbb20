#pragma once

#include "views/ViewList.h"

#include <QWidget>

#include <vector>

class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace levyc {

class Thumbnails;

// The views a film passes, first to last, with thumbnails in the film's
// shape: views are added from the bookmarks, the views visited or the view
// on screen, dropped, moved, held for seconds, and saved to or loaded from
// a file with a view a line.
class KeyframeList final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyframeList)

public:
    // Where views come from: each named as the list shows it.
    struct Sources
    {
        ListedView start;   // the Draw's view
        ListedView current; // the view on screen
        std::vector<ListedView> visited;
        std::vector<ListedView> bookmarks;
    };

    KeyframeList(std::vector<ListedView> views, Sources sources, Thumbnails &thumbnails, QWidget *parent);
    ~KeyframeList() override = default;

    // A view's name until the user gives it one: where it is.
    static QString NameOf(const WorldWindow &window, QSize size);

    [[nodiscard]] const std::vector<ListedView> &Views() const { return views_; }
    // The film's size, whose shape the thumbnails take and at which a view may show nothing.
    void SetFilmSize(QSize size);
    void Retranslate();

signals:
    void Changed();

private:
    // The list as views_ has it, `current` selected; Changed() unless `quiet`.
    void Fill(int current, bool quiet = false);
    // Adds `view` after the one selected, or at the end.
    void Add(const ListedView &view);
    void Move(int by);
    void Save();
    void Load();
    // Rebuilds the Add menu from the sources.
    void FillAddMenu();
    [[nodiscard]] QString ItemText(int row, bool empty) const;

    std::vector<ListedView> views_;
    Sources sources_;
    Thumbnails &thumbnails_;
    QSize filmSize_;
    QListWidget *list_;
    QPushButton *add_; // with the menu of where views come from
    QPushButton *remove_;
    QPushButton *up_;
    QPushButton *down_;
    QDoubleSpinBox *hold_;
    QPushButton *save_;
    QPushButton *load_;
    QLabel *error_;
};

} // namespace levyc
