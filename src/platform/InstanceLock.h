#pragma once

#include <QString>
#include <memory>


namespace platform {

// The previous-instance indicator, held for the life of the object: a per-user
// lock file (a lock left by a crashed copy is taken over), or on Windows a
// named mutex, which the system releases when its owner ends.
class InstanceLock {
public:
    // lockPath empty: a per-user file in the runtime (or temporary) folder.
    explicit InstanceLock(const QString& lockPath = QString());
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the lock; false when another running
    // copy holds it.
    bool tryLock();

    static QString defaultLockPath();

private:
    struct Held;
    QString m_path;
    std::unique_ptr<Held> m_held;
};

} // namespace platform
