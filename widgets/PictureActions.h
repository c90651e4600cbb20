#pragma once

#include "picture/PictureCommand.h"

#include <QAction>
#include <QObject>
#include <QString>

#include <array>

class QWidget;
class QPoint;

namespace levyc {

// Where the picture stands, for its actions.
struct PictureState
{
    bool exploring = false; // a Draw has ended and its curves can be explored
    bool canGoBack = false;
    bool canGoForward = false;
    bool canDive = false; // Save Dive… and Play Dive
    QString noDive;       // why not, when a dive would move but cannot be made
    bool fullScreen = false;
};

// The picture's actions: their texts, their keys from the keys' table, the
// context menu, and when each may be chosen.
class PictureActions final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureActions)

public:
    // Every action is the widget's too, so that its keys work there.
    explicit PictureActions(QWidget *widget);
    ~PictureActions() override;

    [[nodiscard]] QAction &Action(PictureCommand command);
    [[nodiscard]] const QAction &Action(PictureCommand command) const;
    [[nodiscard]] bool Checked(PictureCommand command) const { return Action(command).isChecked(); }
    // Enables each action, and checks Full Screen, from one state.
    void Update(const PictureState &state);
    // The texts, in the current language.
    void Retranslate();
    // The context menu, at a point of the screen; it goes when closed.
    void Popup(QWidget *parent, const QPoint &at);
    // Runs the action whose key was pressed, when it is on.
    void Trigger(const QKeySequence &pressed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // An action was chosen, after the handler that chose it (a menu's) has
    // returned; `checked` is its state then.
    void Chosen(levyc::PictureCommand command, bool checked);
    // Where You Are or Overview was shown or hidden.
    void ShownChanged();

private:
    std::array<QAction, PictureActionCount> actions_;
};

} // namespace levyc
