#include "VideoModule.h"

#include "output/OutOfMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

namespace levyc {

namespace {

constexpr const char *FileName = "levyc-ffmpeg.so";

// In the window's language; levyc-render's is English.
QString Tr(const char *text)
{
    return QCoreApplication::translate("levyc::VideoModule", text);
}

struct Loaded
{
    MakeVideoEncoding make = nullptr;
    QString why;         // when `make` is null
    bool memory = false; // for want of memory, which may pass
};

// Whether the module's file ends before the parts its header says it loads:
// cut short, as by a full disk. Mapping such a file would fault in the loader.
bool CutShort(const QString &path)
{
    QFile file(path);
    ElfW(Ehdr) header{};
    if (!file.open(QIODevice::ReadOnly) ||
        file.read(reinterpret_cast<char *>(&header), sizeof header) != sizeof header ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_phentsize != sizeof(ElfW(Phdr))) {
        return false; // not one the loader will map: it says why itself
    }
    for (std::uint64_t i = 0; i < header.e_phnum; ++i) {
        ElfW(Phdr) segment{};
        const std::uint64_t at = header.e_phoff + i * sizeof segment;
        if (!file.seek(static_cast<qint64>(at)) ||
            file.read(reinterpret_cast<char *>(&segment), sizeof segment) != sizeof segment) {
            return true;
        }
        if (segment.p_type == PT_LOAD && segment.p_offset + segment.p_filesz > static_cast<quint64>(file.size())) {
            return true;
        }
    }
    return false;
}

Loaded Load()
{
    QString path;
    const QStringList folders = VideoModule::Folders();
    for (const QString &folder : folders) {
        const QString candidate = QDir(folder).filePath(QLatin1String(FileName));
        if (QFileInfo::exists(candidate)) {
            path = candidate;
            break;
        }
    }
    if (path.isEmpty()) {
        return {nullptr, Tr("MP4 and WebM need %1, found in none of %2: reinstall levyc")
                             .arg(QLatin1String(FileName), folders.join(QStringLiteral(", ")))};
    }
    if (CutShort(path)) {
        return {nullptr, Tr("MP4 and WebM need %1, which is damaged (%2): reinstall levyc").arg(path, Tr("cut short"))};
    }
    // Never closed: FFmpeg's libraries are not made to be unloaded.
    void *module = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        QString reason = QString::fromLocal8Bit(::dlerror());
        reason.remove(path + QStringLiteral(": "));
        // A library that cannot be mapped is there: memory ran short.
        if (reason.contains(QLatin1String("failed to map segment")) || OutOfMemory::Said(reason)) {
            return {nullptr, Tr("not enough memory to load FFmpeg's libraries (%1)").arg(reason), true};
        }
        // "libname: cannot open…" is a library the module needs; anything else is the module's own fault.
        if (reason.contains(QLatin1String(": cannot open shared object file"))) {
            return {nullptr, Tr("MP4 and WebM need FFmpeg's libraries: install %1 (%2)")
                                 .arg(QLatin1String(LEVYC_FFMPEG_PACKAGES), reason)};
        }
        return {nullptr, Tr("MP4 and WebM need %1, which is damaged (%2): reinstall levyc").arg(path, reason)};
    }
    auto make = reinterpret_cast<MakeVideoEncoding>(::dlsym(module, MakeVideoEncodingSymbol));
    if (make == nullptr) {
        return {nullptr, Tr("MP4 and WebM need levyc's video module, and %1 is not one: reinstall levyc").arg(path)};
    }
    auto version = reinterpret_cast<VideoModuleVersion>(::dlsym(module, VideoModuleVersionSymbol));
    const QString built = version != nullptr ? QString::fromLatin1(version()) : Tr("an older version");
    if (built != QLatin1String(LEVYC_VERSION)) {
        return {nullptr, Tr("MP4 and WebM need the video module of levyc %1, and %2 is of %3: reinstall levyc")
                             .arg(QLatin1String(LEVYC_VERSION), path, built)};
    }
    return {make, {}};
}

Loaded Module()
{
    // Loaded once; tried again only after memory ran short.
    static std::mutex mutex;
    static Loaded loaded{nullptr, {}, true};
    const std::lock_guard lock(mutex);
    if (loaded.memory) {
        loaded = Load();
    }
    return loaded;
}

} // namespace

QStringList VideoModule::Folders()
{
    // The installed one last: a build tree's programs use their own.
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return {QFileInfo(program).absolutePath(), QStringLiteral(LEVYC_MODULE_DIR)};
}

bool VideoModule::Available(QString *why)
{
    const Loaded loaded = Module();
    if (why != nullptr) {
        *why = loaded.why;
    }
    return loaded.make != nullptr;
}

std::unique_ptr<VideoEncoding> VideoModule::MakeEncoder(QString *error)
{
    const Loaded loaded = Module();
    if (loaded.make == nullptr) {
        *error = loaded.why;
        return nullptr;
    }
    return std::unique_ptr<VideoEncoding>(loaded.make());
}

} // namespace levyc
