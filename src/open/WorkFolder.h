#pragma once

#include <QString>

// A folder of this run, owner only (0700), that holds a lock (flock on its
// file "lock") for as long as it lives, so that another copy can tell it
// from one that a killed copy left behind. Destroying it removes it with
// everything in it.
namespace opener {

class WorkFolder {
public:
    WorkFolder() = default;
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // Makes parentPath/prefix + 8 hex digits (parentFd: that folder open).
    // False with error set to the errno of the failure.
    bool create(int parentFd, const QString& parentPath, const QString& prefix, int& error);

    int fd() const { return m_fd; }
    QString name() const { return m_name; }
    QString path() const { return m_path; }

    // Removes the folder and its content; later calls do nothing.
    void remove();

private:
    int m_fd = -1;
    int m_lockFd = -1;
    QString m_name;
    QString m_path;
};

// Removes every folder parentPath/prefix + 8 hex digits of this user whose
// lock no running copy holds: what a copy killed by SIGKILL left. A folder
// without its lock is still being made and stays.
void removeAbandoned(int parentFd, const QString& parentPath, const QString& prefix);

} // namespace opener
