// tamberlox-open run as the user runs it: the fixture of its suites.
#pragma once

#include "RunFixture.h"

#include "archive/clsCab32.h"
#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "open/OpenCommand.h"
#include "platform/Folders.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>

#include <tuple>

using namespace Qt::StringLiterals;
using testsupport::entriesOf;
using testsupport::readBytes;

// Exit code, standard output, standard error.
using Ran = std::tuple<int, QString, QString>;

// A refusal: nothing on standard output, one line on standard error.
inline Ran refused(int code, const QString& message)
{
    return { code, {}, u"tamberlox-open: "_s + message + '\n' };
}

// Compressible, and out of step with the archive's 32 KiB blocks, so a
// misplaced block shows.
inline const QByteArray kReport = QByteArray("0123456789,abcdefghij\r\n").repeated(3044).left(70000);

class OpenTest : public RunFixture {
protected:
    // Set up the child before it starts (limits, for instance).
    virtual void prepare(QProcess&) { }
    Ran open(const QStringList& arguments)
    {
        QProcess process;
        prepare(process);
        // The system's texts in English.
        process.setEnvironment(QProcess::systemEnvironment() << u"LC_ALL=C.UTF-8"_s);
        process.start(platform::programFolder() + u"/tamberlox-open"_s, arguments);
        process.waitForFinished(600000);
        // Windows' C runtime ends each printed line in CR LF.
        const auto text = [](QByteArray bytes) {
            return QString::fromUtf8(bytes.replace("\r\n", "\n"));
        };
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            text(process.readAllStandardOutput()), text(process.readAllStandardError()) };
    }
    // Every path under the test's tree, and the temporary folder's entries.
    QStringList world() const
    {
        QStringList paths = entriesOf(QDir::tempPath());
        for (QDirIterator it(m_root.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                 QDirIterator::Subdirectories);
             it.hasNext();)
            paths << it.next();
        return paths;
    }
    // Whether any file under the test's tree or the temporary folder holds
    // the password of the valid settings in plain text.
    bool passwordOnDisk() const
    {
        for (const QString& root : { m_root.path(), QDir::tempPath() })
            for (QDirIterator it(
                     root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
                 it.hasNext();)
                if (readBytes(it.next()).contains(",word1,"))
                    return true;
        return false;
    }
    // The files (name -> content) packed by our own archiver, encrypted as a run does.
    QString pack(const QMap<QString, QByteArray>& files, const QString& out)
    {
        for (auto it = files.begin(); it != files.end(); ++it)
            EXPECT_TRUE(testsupport::writeBytes(at(out + u".d/"_s + it.key()), it.value()));
        struct : CabOwner {
            std::int32_t hwnd() const override { return 0; }
        } owner;
        clsCab32 cab(m_context.components);
        cab.setInFile(at(out + u".d"_s));
        cab.setOutFile(at(out + u".cab"_s));
        EXPECT_TRUE(cab.Cabcmp(&owner)) << cab.GetErrMsg().toStdString();
        EXPECT_TRUE(QDir(at(out + u".d"_s)).removeRecursively());
        return encrypt(at(out + u".cab"_s), out);
    }
    QString realOutput()
    {
        writeValidSettings();
        addReport(u"表示ソフト能力.csv"_s, kReport);
        addReport(u"〜波.txt"_s, "wave");
        run().cmdSend_Click();
        return at(u"output/TMPA12320261206030405.txt"_s);
    }
    // in, encrypted as a run encrypts its output.
    QString encrypt(const QString& in, const QString& out)
    {
        clsCryptFile file;
        // The drive too: a Windows path from the root alone is refused.
        file.setInFile(QFileInfo(in).absoluteFilePath());
        file.setOutFile(at(out));
        file.setPassword(passPhrase());
        EXPECT_TRUE(file.Encrypt()) << file.GetErrMsg().toStdString();
        return at(out);
    }
};
