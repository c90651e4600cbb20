#pragma once

#include <QByteArray>
#include <QList>

#include <optional>
#include <utility>

namespace levyc {

// Words of a command line, or of a view's text, read an option at a time:
// "--name VALUE" or "--name=VALUE".
class OptionWords
{
public:
    explicit OptionWords(QList<QByteArray> words)
        : words_(std::move(words))
    {
    }

    [[nodiscard]] bool AtEnd() const { return at_ >= words_.size(); }
    // The next word, whole.
    [[nodiscard]] const QByteArray &Word() const { return words_.at(at_); }
    // The word after it; empty when there is none.
    [[nodiscard]] QByteArray Following() const { return words_.value(at_ + 1); }
    // The next word's name: an option's is the word up to its '='.
    [[nodiscard]] QByteArray Name() const;
    // Moves past the next word.
    QByteArray Take() { return words_.at(at_++); }
    // Moves past the next word, an option, and its value: after its '=', or
    // the word after it. None when it has none.
    std::optional<QByteArray> TakeValue();

private:
    QList<QByteArray> words_;
    qsizetype at_ = 0;
};

} // namespace levyc
