#include "ExploringKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

namespace levyc {

namespace {

struct Row
{
    PictureCommand command;
    QList<QKeySequence> keys;
    int named = 1;          // how many of them the list names
    bool exploring = false; // from anywhere in the window once a Draw has ended
    bool fromWindow = false;
};

const std::vector<Row> &Table()
{
    using enum PictureCommand;
    // The standard keys come from the platform, once there is one.
    static const std::vector<Row> rows{
        {Copy, QKeySequence::keyBindings(QKeySequence::Copy)},
        {Save, QKeySequence::keyBindings(QKeySequence::Save)},
        {Play, {QKeySequence(Qt::Key_P)}, 1, true},
        {ResetView, {QKeySequence(Qt::Key_Home)}, 1, true},
        // Alt+arrows as in a browser, Backspace as in many image viewers.
        {Back, {QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::ALT | Qt::Key_Left)}, 2, true},
        {Forward, {QKeySequence(Qt::ALT | Qt::Key_Right)}, 1, true},
        {GoToView, {QKeySequence(Qt::CTRL | Qt::Key_G)}, 1, true},
        {AddBookmark, {QKeySequence(Qt::CTRL | Qt::Key_D)}, 1, true},
        {Bookmarks, {QKeySequence(Qt::CTRL | Qt::Key_B)}, 1, true},
        // Before any Draw too: it runs one.
        {OpenView, QKeySequence::keyBindings(QKeySequence::Open), 1, false, true},
        {FullScreen, {QKeySequence(Qt::Key_F11)}, 1, true},
        {Overlay, {QKeySequence(Qt::Key_I)}, 1, true},
        {Overview, {QKeySequence(Qt::Key_O)}, 1, true},
        // Help from anywhere in the window, before any Draw too.
        {Keys, {QKeySequence(Qt::Key_F1)}, 1, false, true},
        // = is + without Shift on many layouts.
        {ZoomIn, {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal)}, 1, true},
        {ZoomOut, {QKeySequence(Qt::Key_Minus)}, 1, true},
    };
    return rows;
}

const Row *RowOf(PictureCommand command)
{
    const auto &rows = Table();
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const Row &row) { return row.command == command; });
    return found == rows.end() ? nullptr : &*found;
}

QString Tr(const char *text)
{
    return QCoreApplication::translate("levyc::ExploringKeys", text);
}

// The keys the list names for a command, "Backspace or Alt+Left".
QString Named(PictureCommand command)
{
    const Row *row = RowOf(command);
    if (row == nullptr || row->keys.isEmpty()) {
        return {};
    }
    QString named = row->keys.front().toString(QKeySequence::PortableText);
    for (qsizetype i = 1; i < std::min<qsizetype>(row->named, row->keys.size()); ++i) {
        named = Tr(QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1 or %2"))
                    .arg(named, row->keys.at(i).toString(QKeySequence::PortableText));
    }
    return named;
}

struct Line
{
    const char *text; // %1 and %2 name the commands' keys
    std::array<std::optional<PictureCommand>, 2> commands{};
};

} // namespace

QList<QKeySequence> ExploringKeys::Of(PictureCommand command)
{
    const Row *row = RowOf(command);
    return row == nullptr ? QList<QKeySequence>{} : row->keys;
}

bool ExploringKeys::FromWindow(PictureCommand command)
{
    const Row *row = RowOf(command);
    return row != nullptr && row->fromWindow;
}

std::optional<PictureCommand> ExploringKeys::ExploringCommand(const QKeyEvent &event)
{
    // The keypad's + and - are the same keys; Shift makes + on many layouts.
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    const QKeySequence pressed(QKeyCombination(modifiers, static_cast<Qt::Key>(event.key())));
    for (const Row &row : Table()) {
        if (row.exploring && row.keys.contains(pressed)) {
            return row.command;
        }
    }
    return std::nullopt;
}

QString ExploringKeys::Text()
{
    using enum PictureCommand;
    static const Line lines[]{
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "Wheel, %1 or %2: zoom in or out"), {ZoomIn, ZoomOut}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "Drag, or the arrow keys on the picture: move the view")},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "Shift+drag: zoom to a box; Esc cancels it")},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "Double-click: zoom in twice as close")},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1: back to the Draw's view"), {ResetView}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1: back; %2: forward"), {Back, Forward}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1: show or hide where you are"), {Overlay}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1: show or hide the overview; a click on it goes there"),
         {Overview}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1: go to a view"), {GoToView}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1: keep the view as a bookmark; %2: the bookmarks"),
         {AddBookmark, Bookmarks}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1, or a PNG dropped on the window: open the view it holds"),
         {OpenView}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1: full screen; %1 or Esc: back"), {FullScreen}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1: play the dive Save Dive… would save; any key stops it"),
         {Play}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "%1: copy the picture; %2: save it"), {Copy, Save}},
        {QT_TRANSLATE_NOOP("levyc::ExploringKeys", "Right-click: more; %1: these keys"), {Keys}},
    };
    QStringList text;
    for (const Line &line : lines) {
        QString shown = Tr(line.text);
        for (const std::optional<PictureCommand> &command : line.commands) {
            if (command) {
                shown = shown.arg(Named(*command));
            }
        }
        text << shown;
    }
    return text.join(QLatin1Char('\n'));
}

} // namespace levyc
