#include "platform/InstanceLock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <unistd.h>

namespace platform {

struct InstanceLock::Held {
    explicit Held(const QString& path) : lock(path)
    {
        // Never age out a lock of a copy that is still running; a dead owner
        // is detected by its process id instead.
        lock.setStaleLockTime(0);
    }
    QLockFile lock;
};

InstanceLock::InstanceLock(const QString& lockPath)
    : m_path(lockPath.isEmpty() ? defaultLockPath() : lockPath), m_held(std::make_unique<Held>(m_path))
{
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock()
{
    return m_held->lock.isLocked() || m_held->lock.tryLock(0);
}

QString InstanceLock::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/tamberlox-%1.lock").arg(::getuid());
}

} // namespace platform
