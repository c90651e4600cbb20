#include "OptionWords.h"

namespace levyc {

QByteArray OptionWords::Name() const
{
    const QByteArray &word = Word();
    const qsizetype equals = word.indexOf('=');
    return word.startsWith('-') && equals > 0 ? word.left(equals) : word;
}

std::optional<QByteArray> OptionWords::TakeValue()
{
    const QByteArray name = Name();
    const QByteArray word = Take();
    if (name.size() < word.size()) {
        return word.mid(name.size() + 1);
    }
    if (AtEnd()) {
        return std::nullopt;
    }
    return Take();
}

} // namespace levyc
