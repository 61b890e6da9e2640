#include "open/OutputReader.h"

#include "cab32.h"
#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "platform/Cp932.h"
#include "platform/OpenSupport.h"
#include "platform/crypto/FileAccess.h"
#include "platform/crypto/CryptoProvider.h"

#include <QDir>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace opener {
namespace {

// The component's own header fixes the signatures.
static_assert(std::is_same_v<decltype(&::CabList),
    int (*)(
        const char*, int, int (*)(void*, const char*, unsigned long long), int (*)(void*), void*)>);
static_assert(std::is_same_v<decltype(&::CabReadFile),
    int (*)(const char*, const char*, char*, unsigned long, unsigned long long*, int (*)(void*),
        void*)>);

// The fixed part of a cabinet's header; its field at 8 is the cabinet's size.
constexpr qint64 kCabHeaderSize = 36;
constexpr unsigned long kHeaderLimit = 4096;
const QString kWorkPrefix = QStringLiteral("tamberlox-open-");

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

Failure cannotUse(const QString& detail)
{
    return ioFailure(QStringLiteral("CAB32.DLL を使えません"),
        QStringLiteral("cannot use the archiver"), detail, QString());
}

// The system's files, except that the output clsCryptFile is given (a name
// that never exists) is written into the unnamed file instead.
class UnnamedOutput final : public platform::FileAccess {
public:
    UnnamedOutput(QString name, QString target)
        : m_name(std::move(name))
        , m_target(std::move(target))
    {
    }
    std::unique_ptr<platform::FileStream> openExisting(const QString& path, int& error) override
    {
        return m_system->openExisting(path, error);
    }
    std::unique_ptr<platform::FileStream> createAlways(const QString& path, int& error) override
    {
        return m_system->createAlways(path == m_name ? m_target : path, error);
    }
    int removeFile(const QString& path) override { return m_system->removeFile(path); }

private:
    QString m_name;
    QString m_target;
    std::shared_ptr<platform::FileAccess> m_system = platform::systemFileAccess();
};

} // namespace

OutputReader::OutputReader(platform::ComponentLookup components, StopCheck stop)
    : m_components(std::move(components))
    , m_stop(std::move(stop))
{
}

OutputReader::~OutputReader()
{
    // Closed before the work folder goes.
    m_cabinet.close();
    m_input.close();
}

int OutputReader::askStop(void* self)
{
    auto* reader = static_cast<OutputReader*>(self);
    if (!reader->m_stopped && reader->m_stop)
        reader->m_stopped = reader->m_stop(reader->m_step);
    return reader->m_stopped ? 1 : 0;
}

int OutputReader::addFile(void* self, const char* name, unsigned long long size)
{
    static_cast<OutputReader*>(self)->m_files.append(
        { QString::fromUtf8(name), static_cast<qint64>(size) });
    return 0;
}

bool OutputReader::open(const QString& file, Failure& failure)
{
    m_file = file;
    return decrypt(failure) && checkSize(failure) && loadComponent(failure) && list(failure);
}

qint64 OutputReader::totalSize() const
{
    qint64 total = 0;
    for (const ArchivedFile& file : m_files)
        total += file.size;
    return total;
}

QByteArray OutputReader::cabinetPath() const
{
    return m_cabinet.componentPath().toLatin1();
}

bool OutputReader::decrypt(Failure& failure)
{
    int error = 0;
    // Links followed, no waiting on a pipe; EISDIR for a folder, EINVAL for
    // anything else but a regular file.
    m_input = platform::openInput(m_file, error);
    if (!m_input.isOpen())
        return fail(failure,
            systemFailure(
                QStringLiteral("読めません"), QStringLiteral("cannot read"), m_file, error));
    const QString temp = QDir::tempPath();
    {
        const platform::Handle tempFolder = platform::openFolder(temp, error);
        if (tempFolder.isOpen()) {
            removeAbandoned(tempFolder, kWorkPrefix);
            // No name from its creation on: the decrypted cabinet is gone
            // with the process, however it ends.
            if (m_work.create(tempFolder, kWorkPrefix, error))
                m_cabinet = platform::createUnnamedFile(m_work.folder(), error);
        }
    }
    if (error != 0)
        return fail(failure,
            systemFailure(QStringLiteral("一時フォルダを作れません"),
                QStringLiteral("cannot make a temporary folder"), temp, error));

    // A key container of its own in the work folder: file mode needs a
    // context but no key pair, and the user's container stays untouched
    // (Windows: the system's default container, which file mode only opens).
    const QString outName = m_work.path() + QStringLiteral("/cabinet");
    clsCryptFile::Environment environment;
    environment.provider = platform::makeCryptoProvider(m_work.path() + QStringLiteral("/key"));
    environment.files = std::make_shared<UnnamedOutput>(outName, m_cabinet.componentPath());
    environment.componentLookup = m_components;
    clsCryptFile crypt(std::move(environment));
    crypt.StopRequested = [this] { return askStop(this) != 0; };
    // The file just checked, whatever its name: clsCryptFile takes no
    // relative or hidden name.
    crypt.setInFile(m_input.componentPath());
    crypt.setOutFile(outName);
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
    char head[12] = {};
    const qint64 size = platform::fileSize(m_cabinet);
    const bool read = size >= 0
        && platform::readAt(m_cabinet, 0, head, sizeof head) == static_cast<qint64>(sizeof head);
    const bool claimsOtherSize
        = read && std::memcmp(head, "MSCF", 4) == 0 && qFromLittleEndian<quint32>(head + 8) != size;
    if (read && size >= kCabHeaderSize && !claimsOtherSize)
        return true;
    failure
        = notAnOutput(QStringLiteral("大きさが合いません"), QStringLiteral("wrong size"), m_file);
    return false;
}

bool OutputReader::loadComponent(Failure& failure)
{
    QString error, path;
    if (!archive::loadCab32(m_components, m_cab, error)
        || !platform::loadComponent(m_components, platform::kCab32, path, error)
        || !platform::bindEntryPoint(path, platform::kCab32, "CabList", m_list, error)
        || !platform::bindEntryPoint(path, platform::kCab32, "CabReadFile", m_read, error))
        return fail(failure, cannotUse(error));
    if (m_cab.cabStoppable == nullptr)
        return fail(failure, cannotUse(path + QStringLiteral(": CabStoppable")));
    return true;
}

// From the directory alone, then one pass over the data: a cabinet that
// declares more than it holds is refused before a byte is decompressed.
bool OutputReader::list(Failure& failure)
{
    m_step = Step::Checking;
    const int code = m_list(cabinetPath().constData(), 2, addFile, askStop, this);
    if (code != CAB32_OK) {
        m_files.clear();
        return componentFailure(code, QByteArray(), failure);
    }
    std::sort(m_files.begin(), m_files.end(),
        [](const ArchivedFile& a, const ArchivedFile& b) { return a.name < b.name; });
    return true;
}

bool OutputReader::componentFailure(int code, const QByteArray& text, Failure& failure) const
{
    switch (code) {
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
        failure
            = ioFailure(QStringLiteral("展開できません"), QStringLiteral("cannot extract"), m_file,
                text.isEmpty() ? QStringLiteral("CAB32.DLL %1").arg(code, 0, 16)
                               : platform::fromCp932(text));
    }
    return false;
}

bool OutputReader::readHeader(Header& header, Failure& failure)
{
    char buffer[kHeaderLimit];
    unsigned long long length = 0;
    const QByteArray name(kHeaderName);
    const int code = m_read(
        cabinetPath().constData(), name.constData(), buffer, sizeof buffer, &length, askStop, this);
    const bool parsed = code == CAB32_OK
        && parseHeader(QByteArray(buffer, static_cast<qsizetype>(length)), header);
    // It held the password.
    std::memset(buffer, 0, sizeof buffer);
    if (parsed)
        return true;
    if (code != CAB32_OK && code != CAB32_ERROR_NOT_FOUND && code != CAB32_ERROR_LIMIT)
        return componentFailure(code, QByteArray(), failure);
    failure = notAnOutput(QStringLiteral("MAIN_TEXT.txt がないか読めません"),
        QStringLiteral("no readable MAIN_TEXT.txt"), m_file);
    return false;
}

bool OutputReader::extractTo(
    const QString& folder, const std::function<QString(const QString&)>& userPath, Failure& failure)
{
    m_step = Step::Extracting;
    const QByteArray command = "-x -i \"" + cabinetPath() + "\" \"" + folder.toLatin1() + "\" *.*";
    QByteArray output(8192, '\0');
    const int code = m_cab.cabStoppable(nullptr, command.constData(), output.data(),
        static_cast<unsigned long>(output.size()), askStop, this);
    if (code == CAB32_OK)
        return true;
    output.truncate(static_cast<qsizetype>(std::strlen(output.constData())));
    // The listing took every name, so this one is refused by the system we
    // run on (Windows holds no control character, "?", trailing "." ...).
    if (code == CAB32_ERROR_UNSAFE_NAME) {
        const qsizetype colon = output.indexOf(": ");
        return fail(failure,
            ioFailure(QStringLiteral("書き込めません"), QStringLiteral("cannot write"),
                userPath(archivedName(colon < 0 ? QByteArray() : output.mid(colon + 2))),
                QStringLiteral("このシステムでは使えない名前です / a name this system cannot hold")));
    }
    // "cannot write: PATH (errno N)": PATH under folder, as the component got it.
    static const QRegularExpression written(
        QStringLiteral("^cannot write: (.*) \\(errno (\\d+)\\)$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QByteArray prefix = "cannot write: " + folder.toLatin1() + '/';
    const QRegularExpressionMatch match = written.match(QString::fromLatin1(output));
    if (code != CAB32_ERROR_WRITE || !match.hasMatch() || !output.startsWith(prefix))
        return componentFailure(code, output, failure);
    const QByteArray stored = output.mid(prefix.size(), match.capturedEnd(1) - prefix.size());
    failure = systemFailure(QStringLiteral("書き込めません"), QStringLiteral("cannot write"),
        userPath(archivedName(stored)), match.captured(2).toInt());
    return false;
}

QString OutputReader::archivedName(const QByteArray& stored) const
{
    // The component gives CP932 where it holds the name, else UTF-8.
    QString name = QString::fromUtf8(stored);
    for (const ArchivedFile& file : m_files) {
        const QStringList parts = file.name.split(QLatin1Char('/'));
        for (qsizetype i = 1; i <= parts.size(); ++i) {
            const QString candidate = parts.first(i).join(QLatin1Char('/'));
            if (platform::toCp932(candidate) == stored || candidate.toUtf8() == stored)
                name = candidate;
        }
    }
    return name;
}

bool parseHeader(const QByteArray& cp932, Header& header)
{
    QString line = platform::fromCp932(cp932);
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
