#include "SaveFolder.h"

#include <QDir>
#include <QFile>

#include <linux/magic.h>
#include <sys/vfs.h>

namespace levyc {

namespace {

bool IsVirtualFolder(const QString &folder)
{
    struct statfs system = {};
    if (::statfs(QFile::encodeName(folder).constData(), &system) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(system.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case PSTOREFS_MAGIC:
    case EFIVARFS_MAGIC:
        return true;
    default:
        return false;
    }
}

} // namespace

QString SaveFolder(const QString &lastSaved)
{
    const QString folder = lastSaved.isEmpty() ? QDir::currentPath() : lastSaved;
    return IsVirtualFolder(folder) ? QDir::homePath() : folder;
}

} // namespace levyc
