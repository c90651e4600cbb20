#include "PictureActions.h"

#include "picture/ExploringKeys.h"

#include <QEvent>
#include <QMenu>
#include <QWidget>

namespace levyc {

PictureActions::PictureActions(QWidget *widget)
    : QObject(widget)
{
    for (int i = 0; i < PictureActionCount; ++i) {
        const auto command = static_cast<PictureCommand>(i);
        QAction *action = &actions_.at(i);
        action->setShortcuts(ExploringKeys::Of(command));
        // While the picture has the focus; handled where any press is, so
        // during a drawing too, with the picture as it stands.
        action->setShortcutContext(ExploringKeys::FromWindow(command) ? Qt::WindowShortcut : Qt::WidgetShortcut);
        action->setShortcutVisibleInContextMenu(true);
        widget->addAction(action);
        // Queued, every one: a menu's action runs once the menu's own handler
        // is off the stack, and the menu may be gone.
        connect(
            action, &QAction::triggered, this, [this, command](bool checked) { emit Chosen(command, checked); },
            Qt::QueuedConnection);
    }
    Action(PictureCommand::CopyView).setObjectName(QStringLiteral("CopyView"));
    Action(PictureCommand::GoToView).setObjectName(QStringLiteral("GoToView"));
    Action(PictureCommand::AddBookmark).setObjectName(QStringLiteral("AddBookmark"));
    Action(PictureCommand::Bookmarks).setObjectName(QStringLiteral("Bookmarks"));
    Action(PictureCommand::OpenView).setObjectName(QStringLiteral("OpenView"));
    Action(PictureCommand::FullScreen).setObjectName(QStringLiteral("FullScreen"));
    Action(PictureCommand::FullScreen).setCheckable(true);
    Action(PictureCommand::Overlay).setObjectName(QStringLiteral("Overlay"));
    Action(PictureCommand::Overview).setObjectName(QStringLiteral("Overview"));
    for (const PictureCommand shown : {PictureCommand::Overlay, PictureCommand::Overview}) {
        Action(shown).setCheckable(true);
        Action(shown).setChecked(true);
        connect(&Action(shown), &QAction::toggled, this, &PictureActions::ShownChanged);
    }
    Update({});
    Retranslate();
}

PictureActions::~PictureActions() = default;

QAction &PictureActions::Action(PictureCommand command)
{
    return actions_.at(static_cast<int>(command));
}

const QAction &PictureActions::Action(PictureCommand command) const
{
    return actions_.at(static_cast<int>(command));
}

void PictureActions::Update(const PictureState &state)
{
    using enum PictureCommand;
    // What a Draw's curves are needed for waits for its end.
    for (const PictureCommand command : {ResetView, CopyView, GoToView, AddBookmark, Bookmarks, FullScreen}) {
        Action(command).setEnabled(state.exploring);
    }
    Action(Back).setEnabled(state.exploring && state.canGoBack);
    Action(Forward).setEnabled(state.exploring && state.canGoForward);
    for (const PictureCommand command : {SaveDive, Play}) {
        Action(command).setEnabled(state.exploring && state.canDive);
        Action(command).setToolTip(state.noDive);
    }
    Action(FullScreen).setChecked(state.fullScreen);
}

void PictureActions::Retranslate()
{
    using enum PictureCommand;
    Action(Copy).setText(tr("&Copy"));
    Action(Save).setText(tr("&Save As…"));
    Action(SaveDive).setText(tr("Save &Dive…"));
    Action(Play).setText(tr("&Play Dive"));
    Action(ResetView).setText(tr("&Reset View"));
    Action(Back).setText(tr("&Back"));
    Action(Forward).setText(tr("&Forward"));
    Action(CopyView).setText(tr("Copy &View"));
    Action(GoToView).setText(tr("&Go to View…"));
    Action(AddBookmark).setText(tr("&Add Bookmark"));
    Action(Bookmarks).setText(tr("Book&marks…"));
    Action(OpenView).setText(tr("Op&en View…"));
    Action(FullScreen).setText(tr("F&ull Screen"));
    Action(Overlay).setText(tr("Show &Where You Are"));
    Action(Overview).setText(tr("Show &Overview"));
    Action(Keys).setText(tr("&Keys…"));
}

void PictureActions::Popup(QWidget *parent, const QPoint &at)
{
    // Not exec(): a drawing goes on while the menu is open.
    auto *menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->installEventFilter(this);
    menu->setToolTipsVisible(true); // why a dive cannot be made
    for (int i = 0; i < PictureActionCount; ++i) {
        if (static_cast<PictureCommand>(i) == PictureCommand::FullScreen) {
            menu->addSeparator();
        }
        menu->addAction(&actions_.at(i));
    }
    menu->popup(at);
}

bool PictureActions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QMenu *>(watched) != nullptr) {
        // Keys go to the open menu, its letters among them: the picture's
        // own keys would run their actions under it.
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PictureActions::Trigger(const QKeySequence &pressed)
{
    for (QAction &action : actions_) {
        if (action.shortcuts().contains(pressed)) {
            // A key whose action is off, as Back at the history's start, does nothing.
            if (action.isEnabled()) {
                action.trigger();
            }
            return;
        }
    }
}

} // namespace levyc
