#pragma once

#include "open/Failure.h"
#include "open/WorkFolder.h"

#include <QString>
#include <QStringList>

#include <vector>

// Puts extracted files into the user's folder without ever leaving a partial
// file under a final name there. The files are first extracted into a hidden
// work folder made inside the target (same file system, 0700, locked while
// it lives; one a killed run left is removed first), then each is renamed to
// its final name: never over an existing entry, or with force exchanged with
// it so that a failure can still give the old file back. Files and folders
// are made owner-only (the caller's umask 077); each gets the mode the
// user's umask gives as it is placed.
//
// Destroying a Placement that was not committed undoes everything it did:
// placed files are removed (or exchanged back), the folders it made are
// removed, the hidden folder goes. Only names under the target are touched;
// a folder on the way that is a link is refused.
namespace opener {

class Placement {
public:
    // target: the folder as the user named it (relative to the current
    // folder); userMask: the umask to place files and folders with.
    Placement(QString target, unsigned userMask);
    ~Placement();
    Placement(const Placement&) = delete;
    Placement& operator=(const Placement&) = delete;

    // Creates the target (and missing parents) and the hidden folder.
    bool prepare(Failure& failure);

    // The folder to extract into, as a path of plain ASCII where the system
    // allows ("/proc/self/fd/N"), so the archiver component can take it
    // whatever the target's name.
    QString stagingForComponent() const;

    // Gives the staged file name ("/" between folders) its final mode:
    // 0600 when ownerOnly, else 0666 (0444 when it was extracted read-only)
    // less the user's umask.
    bool release(const QString& name, bool ownerOnly, Failure& failure);

    // Moves each staged name to the same name under the target. Without
    // force nothing moves when any final name is taken; a folder in the way
    // is refused even with force.
    bool place(const QStringList& names, bool force, Failure& failure);

    // The target's path for a placed name, as the user spelled the target.
    QString finalPath(const QString& name) const;

    // Keeps what was placed; the hidden folder (and files replaced) go.
    void commit();

private:
    struct Moved {
        QString name;
        bool exchanged = false; // the old file now sits in the hidden folder
    };

    bool makeTarget(Failure& failure);
    bool makeFolder(const platform::Handle& at, const QString& path, bool& made, int& error) const;
    bool makeFolders(const QString& name, Failure& failure);
    bool checkFinal(const QString& name, bool force, Failure& failure) const;
    bool moveOne(const QString& name, bool force, Failure& failure);
    void undo();
    void removeStaging();

    QString m_target;
    QString m_absolute;
    unsigned m_userMask;
    WorkFolder m_work;
    QString m_staged; // the staged files' folder, relative to the target
    platform::Handle m_targetFolder;
    platform::Handle m_stagedFolder;
    bool m_committed = false;
    QStringList m_madeTargets; // the target and parents this run made, outermost first
    QStringList m_madeFolders; // sub-folders under the target, in making order
    std::vector<Moved> m_moved;
};

} // namespace opener
