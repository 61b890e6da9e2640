#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace platform {

// The previous-instance indicator: a per-user lock file held for the life of
// the object. A lock left by a crashed copy is taken over.
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
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace platform
