#include "open/OutputReader.h"

#include "cab32.h"
#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "open/Placement.h"
#include "platform/Cp932.h"
#include "platform/Folders.h"
#include "platform/crypto/OpenSslCryptoProvider.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace opener {
namespace {

// The fixed part of a cabinet's header; its field at 8 is the cabinet's size.
constexpr qint64 kCabHeaderSize = 36;
const QString kArchiveName = QStringLiteral("archive.cab");

Failure noCabinet(const QString& file)
{
    return notAnOutput(QStringLiteral("復号しても CAB 書庫になりません"),
        QStringLiteral("no cabinet after decryption"), file);
}

Failure damaged(const QString& file)
{
    return notAnOutput(
        QStringLiteral("書庫が壊れています"), QStringLiteral("damaged archive"), file);
}

// Opens path for reading: the descriptor, or -1 with error set to the errno
// to report (EISDIR for a folder, EINVAL for anything else but a regular
// file: a pipe would block).
int openInput(const QString& path, int& error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    struct stat info { };
    error = ::fstat(fd, &info) != 0 ? errno
        : S_ISDIR(info.st_mode)     ? EISDIR
        : !S_ISREG(info.st_mode)    ? EINVAL
                                    : 0;
    if (error == 0)
        return fd;
    ::close(fd);
    return -1;
}

} // namespace

OutputReader::OutputReader(platform::ComponentLookup components)
    : m_components(std::move(components))
{
}

OutputReader::~OutputReader()
{
    for (const int fd : { m_tempFd, m_inputFd }) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool OutputReader::open(const QString& file, Failure& failure)
{
    m_file = file;
    return decrypt(failure) && checkSize(failure) && checkCabinet(failure);
}

bool OutputReader::decrypt(Failure& failure)
{
    int error = 0;
    m_inputFd = openInput(m_file, error);
    if (m_inputFd < 0)
        return fail(failure,
            systemFailure(
                QStringLiteral("読めません"), QStringLiteral("cannot read"), m_file, error));
    if (!m_temp.isValid())
        return fail(failure,
            ioFailure(QStringLiteral("一時フォルダを作れません"),
                QStringLiteral("cannot make a temporary folder"), QDir::tempPath(),
                m_temp.errorString()));
    m_tempFd
        = ::open(QFile::encodeName(m_temp.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_tempFd < 0)
        return fail(failure,
            systemFailure(QStringLiteral("一時フォルダを作れません"),
                QStringLiteral("cannot make a temporary folder"), m_temp.path(), errno));

    // A key container of its own in the temporary folder: file mode needs a
    // context but no key pair, and the user's container stays untouched.
    platform::OpenSslCryptoProvider::Options options;
    options.keyFolder = m_temp.filePath(QStringLiteral("key"));
    clsCryptFile::Environment environment;
    environment.provider = std::make_shared<platform::OpenSslCryptoProvider>(options);
    environment.componentLookup = m_components;
    clsCryptFile crypt(std::move(environment));
    // The file just checked, whatever its name: clsCryptFile takes no
    // relative or hidden name.
    crypt.setInFile(fdPath(m_inputFd));
    crypt.setOutFile(m_temp.filePath(kArchiveName));
    crypt.setPassword(passPhrase());
    if (!crypt.Decrypt(0))
        return fail(failure,
            ioFailure(QStringLiteral("復号できません"), QStringLiteral("cannot decrypt"), m_file,
                crypt.GetErrMsg()));
    return true;
}

// A cut output still decrypts; its cabinet then claims more than it holds.
bool OutputReader::checkSize(Failure& failure) const
{
    QFile archive(m_temp.filePath(kArchiveName));
    const QByteArray head = archive.open(QIODevice::ReadOnly) ? archive.read(12) : QByteArray();
    const bool claimsOtherSize = head.size() == 12 && head.startsWith("MSCF")
        && qFromLittleEndian<quint32>(head.constData() + 8) != archive.size();
    if (archive.size() >= kCabHeaderSize && !claimsOtherSize)
        return true;
    failure
        = notAnOutput(QStringLiteral("大きさが合いません"), QStringLiteral("wrong size"), m_file);
    return false;
}

bool OutputReader::checkCabinet(Failure& failure)
{
    QString error;
    if (!archive::loadCab32(m_components, m_cab, error))
        return fail(failure,
            ioFailure(QStringLiteral("CAB32.DLL を使えません"),
                QStringLiteral("cannot use the archiver"), error, QString()));
    const QByteArray cabinet
        = platform::toCp932(fdPath(m_tempFd) + QLatin1Char('/') + kArchiveName);
    if (m_cab.checkArchive(cabinet.constData(), 1) == 0)
        return fail(failure, noCabinet(m_file));
    if (m_cab.checkArchive(cabinet.constData(), 2) == 0)
        return fail(failure, damaged(m_file));
    return true;
}

bool OutputReader::extractTo(const QString& folder, Failure& failure)
{
    const QString command
        = QStringLiteral("-x -i \"%1/%2\" \"%3\" *.*").arg(fdPath(m_tempFd), kArchiveName, folder);
    char output[512] = {};
    switch (m_cab.cab(nullptr, platform::toCp932(command).constData(), output, sizeof output)) {
    case CAB32_OK:
        return true;
    case CAB32_ERROR_DAMAGED:
        failure = damaged(m_file);
        break;
    case CAB32_ERROR_NOT_ARCHIVE:
        failure = noCabinet(m_file);
        break;
    case CAB32_ERROR_UNSAFE_NAME:
        failure = notAnOutput(QStringLiteral("書庫の外を指す名前があります"),
            QStringLiteral("a name points outside the archive"), m_file);
        break;
    case CAB32_ERROR_EXISTS:
        failure = notAnOutput(QStringLiteral("書庫に同じ名前が2つあります"),
            QStringLiteral("a name occurs twice in the archive"), m_file);
        break;
    default:
        failure = ioFailure(QStringLiteral("展開できません"), QStringLiteral("cannot extract"),
            m_file, platform::fromCp932(QByteArray(output)));
    }
    return false;
}

bool OutputReader::extractToTemporary(QString& hostPath, Failure& failure)
{
    hostPath = m_temp.filePath(QStringLiteral("files"));
    if (::mkdirat(m_tempFd, "files", 0700) != 0)
        return fail(failure,
            systemFailure(
                QStringLiteral("書き込めません"), QStringLiteral("cannot write"), hostPath, errno));
    return extractTo(fdPath(m_tempFd) + QStringLiteral("/files"), failure);
}

QList<ArchivedFile> listFiles(const QString& folder)
{
    QList<ArchivedFile> files;
    const QDir base(folder);
    QDirIterator it(
        folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        files.append({ base.relativeFilePath(info.filePath()), info.size() });
    }
    std::sort(files.begin(), files.end(),
        [](const ArchivedFile& a, const ArchivedFile& b) { return a.name < b.name; });
    return files;
}

bool readHeader(const QString& folder, Header& header)
{
    QFile file(platform::joinPath(folder, QString::fromLatin1(kHeaderName)));
    // One line of four short fields; anything long is not a header.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4096)
        return false;
    QString line = platform::fromCp932(file.readAll());
    if (line.endsWith(QStringLiteral("\r\n")))
        line.chop(2);
    const qsizetype first = line.indexOf(QLatin1Char(','));
    const qsizetype second = first < 0 ? -1 : line.indexOf(QLatin1Char(','), first + 1);
    const qsizetype last = line.lastIndexOf(QLatin1Char(','));
    if (second < 0 || last <= second)
        return false;
    header = { line.left(first), line.mid(first + 1, second - first - 1), line.mid(last + 1) };
    return true;
}

} // namespace opener
