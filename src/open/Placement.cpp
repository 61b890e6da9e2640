#include "open/Placement.h"

#include "platform/Folders.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace opener {
namespace {

const QString kWriteJa = QStringLiteral("書き込めません");
const QString kWriteEn = QStringLiteral("cannot write");

} // namespace

Placement::Placement(QString target, unsigned userMask)
    : m_target(std::move(target))
    , m_absolute(QDir::cleanPath(QDir().absoluteFilePath(m_target)))
    , m_userMask(userMask)
{
}

// A folder made here is private until it gets the user's mode; made tells
// whether this call made it.
bool Placement::makeFolder(
    const platform::Handle& at, const QString& path, bool& made, int& error) const
{
    error = platform::makeFolderAt(at, path, 0700);
    made = error == 0;
    if (made && (error = platform::setModeAt(at, path, 0777 & ~m_userMask)) != 0) {
        platform::removeFolderAt(at, path);
        return false;
    }
    return made || error == EEXIST;
}

Placement::~Placement()
{
    if (!m_committed)
        undo();
    removeStaging();
    m_targetFolder.close();
    if (!m_committed) {
        for (auto it = m_madeTargets.crbegin(); it != m_madeTargets.crend(); ++it)
            platform::removeFolderAt(platform::Handle(), *it);
    }
}

bool Placement::makeTarget(Failure& failure)
{
    // Each missing folder on the way is made and remembered, so a failed run
    // removes exactly those.
    // Outermost first, the root ("/", "C:/") left out.
    QStringList chain;
    for (QString path = m_absolute; !QDir(path).isRoot();) {
        chain.prepend(path);
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    for (const QString& path : chain) {
        bool made = false;
        int error = 0;
        if (!makeFolder(platform::Handle(), path, made, error))
            return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, error));
        if (made)
            m_madeTargets << path;
    }
    int error = 0;
    m_targetFolder = platform::openFolder(m_absolute, error);
    if (!m_targetFolder.isOpen())
        return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, error));
    return true;
}

bool Placement::prepare(Failure& failure)
{
    if (!makeTarget(failure))
        return false;
    const QString prefix = QStringLiteral(".tamberlox-open-");
    removeAbandoned(m_targetFolder, prefix);
    const QString files = QStringLiteral("files");
    int error = 0;
    if (!m_work.create(m_targetFolder, prefix, error)
        || (error = platform::makeFolderAt(m_work.folder(), files, 0700)) != 0)
        return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, error));
    m_staged = m_work.name() + QLatin1Char('/') + files;
    m_stagedFolder = platform::openFolderAt(m_work.folder(), files, error);
    if (!m_stagedFolder.isOpen())
        return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, error));
    return true;
}

QString Placement::stagingForComponent() const
{
    return m_stagedFolder.componentPath();
}

QString Placement::finalPath(const QString& name) const
{
    return platform::joinPath(m_target, name);
}

bool Placement::release(const QString& name, bool ownerOnly, Failure& failure)
{
    platform::EntryStatus status;
    int error = platform::entryStatusAt(m_stagedFolder, name, status);
    if (error == 0) {
        const unsigned mode = ownerOnly ? 0600 : (status.ownerWritable ? 0666 : 0444) & ~m_userMask;
        error = platform::setModeAt(m_stagedFolder, name, mode);
        if (error == 0)
            return true;
    }
    failure = systemFailure(kWriteJa, kWriteEn, finalPath(name), error);
    return false;
}

bool Placement::makeFolders(const QString& name, Failure& failure)
{
    const QStringList parts = name.split(QLatin1Char('/'));
    QString folder;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        folder += (i > 0 ? QStringLiteral("/") : QString()) + parts[i];
        bool made = false;
        int error = 0;
        if (makeFolder(m_targetFolder, folder, made, error) && made) {
            m_madeFolders << folder;
            continue;
        }
        platform::EntryStatus status;
        // A link here could lead the file out of the target.
        if (error != EEXIST || platform::entryStatusAt(m_targetFolder, folder, status) != 0
            || status.kind != platform::EntryKind::Folder)
            return fail(failure,
                systemFailure(
                    kWriteJa, kWriteEn, finalPath(folder), error == EEXIST ? ENOTDIR : error));
    }
    return true;
}

bool Placement::checkFinal(const QString& name, bool force, Failure& failure) const
{
    platform::EntryStatus status;
    if (platform::entryStatusAt(m_targetFolder, name, status) != 0)
        return true;
    if (status.kind == platform::EntryKind::Folder)
        return fail(failure, systemFailure(kWriteJa, kWriteEn, finalPath(name), EISDIR));
    if (force)
        return true;
    failure = ioFailure(QStringLiteral("既にあります（置き換えるには --force）"),
        QStringLiteral("already exists (--force replaces it)"), finalPath(name), QString());
    return false;
}

bool Placement::moveOne(const QString& name, bool force, Failure& failure)
{
    const QString from = m_staged + QLatin1Char('/') + name;
    int error = platform::renameNoReplace(m_targetFolder, from, name);
    if (error == 0) {
        m_moved.push_back({ name, false });
        return true;
    }
    if (error == EEXIST && force) {
        if (!checkFinal(name, true, failure))
            return false;
        error = platform::exchangeEntries(m_targetFolder, from, name);
        if (error == 0) {
            m_moved.push_back({ name, true });
            return true;
        }
        // No exchange on this file system: a plain replace, which cannot be undone.
        if ((error == EINVAL || error == ENOSYS)
            && (error = platform::renameReplacing(m_targetFolder, from, name)) == 0)
            return true;
    }
    if (error == EEXIST && !checkFinal(name, false, failure))
        return false;
    failure = systemFailure(kWriteJa, kWriteEn, finalPath(name), error);
    return false;
}

bool Placement::place(const QStringList& names, bool force, Failure& failure)
{
    for (const QString& name : names) {
        if (!checkFinal(name, force, failure))
            return false;
    }
    for (const QString& name : names) {
        if (!makeFolders(name, failure) || !moveOne(name, force, failure))
            return false;
    }
    return true;
}

void Placement::commit()
{
    m_committed = true;
}

void Placement::undo()
{
    for (auto it = m_moved.crbegin(); it != m_moved.crend(); ++it) {
        if (it->exchanged)
            platform::exchangeEntries(
                m_targetFolder, m_staged + QLatin1Char('/') + it->name, it->name);
        else
            platform::removeFileAt(m_targetFolder, it->name);
    }
    m_moved.clear();
    for (auto it = m_madeFolders.crbegin(); it != m_madeFolders.crend(); ++it)
        platform::removeFolderAt(m_targetFolder, *it);
    m_madeFolders.clear();
}

void Placement::removeStaging()
{
    m_stagedFolder.close();
    m_work.remove();
}

} // namespace opener
