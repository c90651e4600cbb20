#pragma once

#include "PictureCommand.h"

#include <QKeySequence>
#include <QList>
#include <QString>

#include <optional>

class QKeyEvent;

namespace levyc {

// The picture's keys, in one table: the actions' shortcuts, the keys that
// explore from anywhere in the window, and the list F1 shows.
class ExploringKeys final
{
public:
    ExploringKeys() = delete;

    // The keys of a command, the first of them the one the list names first.
    [[nodiscard]] static QList<QKeySequence> Of(PictureCommand command);
    // Whether the command's keys work wherever the focus is in the window.
    [[nodiscard]] static bool FromWindow(PictureCommand command);
    // The command of a key that explores from anywhere in the window, once a
    // Draw has ended; Shift and the keypad aside.
    [[nodiscard]] static std::optional<PictureCommand> ExploringCommand(const QKeyEvent &event);
    // The keys and what they do, one a line, in the current language.
    [[nodiscard]] static QString Text();
};

} // namespace levyc
