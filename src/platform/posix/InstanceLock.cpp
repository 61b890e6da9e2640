#include "platform/InstanceLock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <unistd.h>

namespace platform {

InstanceLock::InstanceLock(const QString& lockPath)
    : m_lock(std::make_unique<QLockFile>(lockPath.isEmpty() ? defaultLockPath() : lockPath))
{
    // Never age out a lock of a copy that is still running; a dead owner is
    // detected by its process id instead.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock()
{
    return m_lock->isLocked() || m_lock->tryLock(0);
}

QString InstanceLock::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/tamberlox-%1.lock").arg(::getuid());
}

} // namespace platform
