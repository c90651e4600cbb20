#include "FileNames.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <unistd.h>

namespace levyc {

namespace {

// The length of the UTF-8 sequence a byte starts; 0 for a byte that starts none.
qsizetype SequenceLength(unsigned char byte)
{
    if (byte < 0x80) {
        return 1;
    }
    if ((byte >> 5) == 0x6) {
        return 2;
    }
    if ((byte >> 4) == 0xE) {
        return 3;
    }
    return (byte >> 3) == 0x1E ? 4 : 0;
}

} // namespace

QString PrintableName(const QByteArray &name)
{
    QString shown;
    qsizetype i = 0;
    while (i < name.size()) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const qsizetype length = SequenceLength(byte);
        if (length > 0 && i + length <= name.size()) {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString character = decoder.decode(name.mid(i, length));
            const char32_t code = character.isEmpty() ? 0 : character.toUcs4().value(0);
            if (!decoder.hasError() && character.size() <= 2 && QChar::isPrint(code) && code != u'\\') {
                shown += character;
                i += length;
                continue;
            }
        }
        shown += QStringLiteral("\\x%1").arg(byte, 2, 16, QChar(u'0'));
        ++i;
    }
    return shown;
}

int DescriptorNamed(const QByteArray &name)
{
    if (name == "/dev/stdin") {
        return STDIN_FILENO;
    }
    if (name == "/dev/stdout") {
        return STDOUT_FILENO;
    }
    if (name == "/dev/stderr") {
        return STDERR_FILENO;
    }
    static const QRegularExpression pattern(
        QStringLiteral("^(?:/dev/fd|/proc/(self|thread-self|\\d{1,10})/fd)/(\\d{1,9})$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(name));
    if (!match.hasMatch()) {
        return -1;
    }
    const QString process = match.captured(1);
    if (!process.isEmpty() && process != u"self" && process != u"thread-self" &&
        process.toLongLong() != static_cast<long long>(::getpid())) {
        return -1; // another process's descriptor is a file like any other
    }
    return match.captured(2).toInt();
}

} // namespace levyc
