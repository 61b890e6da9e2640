#include "platform/InstanceLock.h"

#include <windows.h>

namespace platform {

// A named mutex: the system closes it with the last handle, so a crashed
// copy never leaves it behind.
struct InstanceLock::Held {
    HANDLE mutex = nullptr;
    ~Held()
    {
        if (mutex != nullptr)
            ::CloseHandle(mutex);
    }
};

InstanceLock::InstanceLock(const QString& lockPath)
    : m_path(lockPath.isEmpty() ? defaultLockPath() : lockPath)
    , m_held(std::make_unique<Held>())
{
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock()
{
    if (m_held->mutex != nullptr)
        return true;
    QString name = m_path;
    name.replace(QLatin1Char('\\'), QLatin1Char('_')).replace(QLatin1Char('/'), QLatin1Char('_'));
    HANDLE mutex
        = ::CreateMutexW(nullptr, TRUE, (QStringLiteral("Local\\") + name).toStdWString().c_str());
    if (mutex == nullptr)
        return false;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return false;
    }
    m_held->mutex = mutex;
    return true;
}

QString InstanceLock::defaultLockPath()
{
    // One per user session: "Local\" already keeps sessions apart.
    return QStringLiteral("Tamberlox.PrevInstance");
}

} // namespace platform
