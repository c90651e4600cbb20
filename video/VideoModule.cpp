#include "VideoModule.h"

#include "output/OutOfMemory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <mutex>

#include <dlfcn.h>

namespace levyc {

namespace {

constexpr const char *FileName = "levyc-ffmpeg.so";

struct Loaded
{
    MakeVideoEncoding make = nullptr;
    QString why;         // when `make` is null
    bool memory = false; // for want of memory, which may pass
};

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
        return {nullptr, QStringLiteral("MP4 and WebM need %1, found in none of %2: reinstall levyc")
                             .arg(QLatin1String(FileName), folders.join(QStringLiteral(", ")))};
    }
    // Never closed: FFmpeg's libraries are not made to be unloaded.
    void *module = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        QString reason = QString::fromLocal8Bit(::dlerror());
        reason.remove(path + QStringLiteral(": "));
        // A library that cannot be mapped is there: memory ran short.
        if (reason.contains(QLatin1String("failed to map segment")) || OutOfMemory::Said(reason)) {
            return {nullptr, QStringLiteral("not enough memory to load FFmpeg's libraries (%1)").arg(reason), true};
        }
        return {nullptr, QStringLiteral("MP4 and WebM need FFmpeg's libraries: install %1 (%2)")
                             .arg(QLatin1String(LEVYC_FFMPEG_PACKAGES), reason)};
    }
    auto make = reinterpret_cast<MakeVideoEncoding>(::dlsym(module, MakeVideoEncodingSymbol));
    if (make == nullptr) {
        return {nullptr, QStringLiteral("%1 is not levyc's video module: reinstall levyc").arg(path)};
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
