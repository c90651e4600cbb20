#include "FileNames.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

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

// The descriptors open at the start, in order; unset before the note.
struct Inherited
{
    bool noted = false;
    std::vector<int> descriptors;
};

Inherited &InheritedDescriptors()
{
    static Inherited inherited;
    return inherited;
}

} // namespace

void NoteInheritedDescriptors()
{
    Inherited &inherited = InheritedDescriptors();
    inherited.descriptors.clear();
    if (DIR *directory = ::opendir("/proc/self/fd"); directory != nullptr) {
        while (const dirent *entry = ::readdir(directory)) {
            char *end = nullptr;
            const long fd = std::strtol(entry->d_name, &end, 10);
            if (end != entry->d_name && *end == '\0' && fd != ::dirfd(directory)) {
                inherited.descriptors.push_back(static_cast<int>(fd));
            }
        }
        ::closedir(directory);
    } else {
        // Without /proc: ask each descriptor the limit allows, up to a bound.
        struct rlimit limit = {};
        const rlim_t last = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 ? std::min<rlim_t>(limit.rlim_cur, 65536) : 1024;
        for (int fd = 0; static_cast<rlim_t>(fd) < last; ++fd) {
            if (::fcntl(fd, F_GETFD) >= 0) {
                inherited.descriptors.push_back(fd);
            }
        }
    }
    std::sort(inherited.descriptors.begin(), inherited.descriptors.end());
    inherited.noted = true;
}

bool IsInheritedDescriptor(int fd)
{
    const Inherited &inherited = InheritedDescriptors();
    return !inherited.noted || std::binary_search(inherited.descriptors.begin(), inherited.descriptors.end(), fd);
}

QString FormatNamed(const QByteArray &name)
{
    const QByteArray lower = name.toLower();
    for (const char *format : {"PNG", "WebP", "MP4", "WebM"}) {
        if (lower.endsWith("." + QByteArray(format).toLower())) {
            return QLatin1String(format);
        }
    }
    return {};
}

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
