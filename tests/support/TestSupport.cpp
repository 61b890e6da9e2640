#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <array>
#include <numeric>

namespace testsupport {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                      | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readBytes(path));
    }
    return files;
}

int runProgram(const QString& program, const QStringList& arguments, QByteArray* output,
               const QString& workingFolder)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return -1;
    process.closeWriteChannel();
    process.waitForFinished(600000);
    if (output != nullptr)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int runLinuxTool(const QString& tool, const QStringList& arguments, QByteArray* output)
{
    if (!onWindows())
        return runProgram(tool, arguments, output);
    QStringList linuxArguments;
    for (const QString& argument : arguments) {
        const bool onZ = argument.size() > 2 && argument.at(0).toUpper() == QLatin1Char('Z')
            && argument.at(1) == QLatin1Char(':') && (argument.at(2) == QLatin1Char('/') || argument.at(2) == QLatin1Char('\\'));
        linuxArguments << (onZ ? QDir::fromNativeSeparators(argument.mid(2)) : argument);
    }
    // Wine hands back no handle that waits for a Linux program: a shell
    // notes the exit status when the tool has ended, in a file renamed into
    // place, and that file's arrival is awaited.
    QTemporaryDir exchange;
    const QString linuxExchange = QDir::fromNativeSeparators(exchange.path()).mid(2);
    const QString script = QStringLiteral(
        "cd \"$1\" && shift && \"$@\" >output 2>&1; echo $? >status.new && mv status.new status");
    if (runProgram(QStringLiteral("Z:/bin/sh"),
            QStringList{QStringLiteral("-c"), script, QStringLiteral("sh"), linuxExchange,
                QStringLiteral("/usr/bin/") + tool}
                + linuxArguments)
        != 0)
        return -1;
    const QString status = exchange.filePath(QStringLiteral("status"));
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(status) && waited.elapsed() < 600000)
        QThread::msleep(20);
    if (output != nullptr)
        *output = readBytes(exchange.filePath(QStringLiteral("output")));
    bool ok = false;
    const int code = readBytes(status).trimmed().toInt(&ok);
    return ok ? code : -1;
}

bool makeLink(const QString& target, const QString& link)
{
    if (!onWindows())
        return QFile::link(target, link);
    return runLinuxTool(QStringLiteral("ln"), {QStringLiteral("-s"), target, link}) == 0;
}

int cabextract(const QString& archive, const QString& folder, QByteArray* output)
{
    return runLinuxTool(QStringLiteral("cabextract"), {QStringLiteral("-q"), QStringLiteral("-e"), QStringLiteral("CP932"),
                                                       QStringLiteral("-d"), folder, archive},
                        output);
}

unsigned fileMode(const QString& path)
{
    if (!QFileInfo::exists(path))
        return ~0u;
    // Qt's permission bits, owner to other, as the octal mode reads them.
    const QFileDevice::Permissions p = QFile::permissions(path);
    const std::pair<QFileDevice::Permission, unsigned> bits[] = {
        {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200}, {QFileDevice::ExeOwner, 0100},
        {QFileDevice::ReadGroup, 040},  {QFileDevice::WriteGroup, 020},  {QFileDevice::ExeGroup, 010},
        {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},   {QFileDevice::ExeOther, 01},
    };
    unsigned mode = 0;
    for (const auto& [permission, bit] : bits)
        if (p.testFlag(permission))
            mode |= bit;
    return mode;
}

bool isPrivate(const QString& path)
{
    if (onWindows())
        return QFileInfo(path).isFile() && QFileInfo(path).isWritable();
    return fileMode(path) == 0600u;
}

QByteArray rc4(const QByteArray& key5, QByteArray data)
{
    const QByteArray key = key5.left(5) + QByteArray(11, '\0');
    std::array<std::uint8_t, 256> s{};
    std::iota(s.begin(), s.end(), 0);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<std::uint8_t>(key[i % 16])) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < data.size(); ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] = static_cast<char>(data[n] ^ s[(s[i] + s[j]) & 0xFF]);
    }
    return data;
}

} // namespace testsupport
