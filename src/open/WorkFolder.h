#pragma once

#include "platform/OpenSupport.h"

#include <QString>

// A folder of this run, owner only (0700), that holds a lock (on its file
// "lock") for as long as it lives, so that another copy can tell it from one
// that a killed copy left behind. Destroying it removes it with everything
// in it.
namespace opener {

class WorkFolder {
public:
    WorkFolder() = default;
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // Makes prefix + 8 hex digits in parent. False with error set to the
    // errno of the failure.
    bool create(const platform::Handle& parent, const QString& prefix, int& error);

    const platform::Handle& folder() const { return m_folder; }
    QString name() const { return m_name; }
    QString path() const { return m_path; }

    // Removes the folder and its content; later calls do nothing.
    void remove();

private:
    platform::Handle m_folder;
    platform::Handle m_lock;
    QString m_name;
    QString m_path;
};

// Removes every folder prefix + 8 hex digits in parent of this user whose
// lock no running copy holds: what a copy killed by SIGKILL left. A folder
// without its lock is still being made and stays.
void removeAbandoned(const platform::Handle& parent, const QString& prefix);

} // namespace opener
