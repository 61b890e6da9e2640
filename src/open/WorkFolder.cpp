#include "open/WorkFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>

namespace opener {

WorkFolder::~WorkFolder()
{
    remove();
}

bool WorkFolder::create(const platform::Handle& parent, const QString& prefix, int& error)
{
    error = 0;
    for (int attempt = 0; attempt < 100 && m_name.isEmpty(); ++attempt) {
        const QString name = prefix
            + QStringLiteral("%1").arg(
                QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
        error = platform::makeFolderAt(parent, name, 0700);
        if (error == 0)
            m_name = name;
        else if (error != EEXIST)
            break;
    }
    if (m_name.isEmpty())
        return false;
    m_path = parent.path() + QLatin1Char('/') + m_name;
    m_folder = platform::openFolderAt(parent, m_name, error);
    // Locked before it gets the name a cleanup looks for.
    if (m_folder.isOpen())
        m_lock = platform::createLockedMarker(m_folder, QStringLiteral("lock.new"), error);
    if (!m_lock.isOpen()
        || (error = platform::renameReplacing(
                m_folder, QStringLiteral("lock.new"), QStringLiteral("lock")))
            != 0) {
        remove();
        return false;
    }
    return true;
}

void WorkFolder::remove()
{
    if (!m_path.isEmpty())
        QDir(m_path).removeRecursively();
    m_lock.close();
    m_folder.close();
    // Windows removes no file or folder held open: the lock and the folder
    // go once their handles are closed.
    if (!m_path.isEmpty() && QFileInfo::exists(m_path))
        QDir(m_path).removeRecursively();
    m_path.clear();
    m_name.clear();
}

void removeAbandoned(const platform::Handle& parent, const QString& prefix)
{
    const QRegularExpression own(
        QStringLiteral("^%1[0-9a-f]{8}$").arg(QRegularExpression::escape(prefix)));
    const QString parentPath = parent.path();
    const QStringList names = QDir(parentPath)
                                  .entryList({ prefix + QLatin1Char('*') },
                                      QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        platform::EntryStatus status;
        if (!own.match(name).hasMatch() || platform::entryStatusAt(parent, name, status) != 0
            || status.kind != platform::EntryKind::Folder || !status.own)
            continue;
        // Held while removing, so a copy starting now skips it too.
        platform::Handle lock = platform::tryLockMarker(parent, name + QStringLiteral("/lock"));
        if (!lock.isOpen())
            continue;
        QDir folder(parentPath + QLatin1Char('/') + name);
        folder.removeRecursively();
        // On Windows the held marker, and so its folder, outlast that.
        lock.close();
        if (folder.exists())
            folder.removeRecursively();
    }
}

} // namespace opener
