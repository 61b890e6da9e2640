// The header, archive, naming and encryption steps of the output run.
#include "mainwindow/OutputRun.h"

#include "archive/clsCab32.h"
#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "mainwindow/RunFailure.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/DateTimeText.h"
#include "platform/Folders.h"
#include "settings/SettingsModel.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <future>
#include <utility>

namespace {

// The main window as the archiver's owner, its handle taken on the
// window's thread.
class WindowOwner : public CabOwner {
public:
    explicit WindowOwner(const IOutputWindow& window) : m_hwnd(window.hwnd()) {}
    std::int32_t hwnd() const override { return m_hwnd; }

private:
    std::int32_t m_hwnd;
};

// What the archiver has written so far: the files beside the staging folder.
qint64 bytesWritten(const QString& workDir)
{
    qint64 bytes = 0;
    for (const QFileInfo& entry : QDir(workDir).entryInfoList(QDir::Files | QDir::Hidden))
        bytes += entry.size();
    return bytes;
}

} // namespace

clsCryptFile OutputRun::newCryptFile() const
{
    clsCryptFile::Environment environment;
    environment.componentLookup = m_context.components;
    return clsCryptFile(std::move(environment));
}

void OutputRun::FncCrtText(QString& strErrMsg, bool& blnOK)
{
    blnOK = false;
    using namespace settings;
    const QString header =
        platform::joinPath(stagingFolder(), QStringLiteral("MAIN_TEXT.txt"));
    const QString houkoku = setting(kSectionUser, kKeyHoukoku);
    const QString userId = setting(kSectionUser, kKeyUserId);
    const QString stored = setting(kSectionUser, kKeyPassword);
    const QString mail = setting(kSectionUser, kKeyMailAdress);

    clsCryptFile crypt = newCryptFile();
    crypt.setInFile(stored);
    crypt.setPassword(passPhrase());
    if (!crypt.Decrypt(1)) {
        runfailure::setFirst(strErrMsg, crypt.GetErrMsg());
        return;
    }
    // A character the header cannot hold would reach the receiver as "?": a
    // wrong password, another user. Only a hand-edited file gets here.
    const std::pair<Field, QString> values[] = {
        {Field::Houkoku, houkoku}, {Field::UserId, userId}, {Field::Password, crypt.OutFile()}, {Field::MailAdress, mail}};
    for (const auto& [field, value] : values) {
        if (const QString message = cp932Message(field, value); !message.isEmpty()) {
            runfailure::setFirst(strErrMsg, message + QStringLiteral("\r\n設定ﾌｧｲﾙを確認してください。"));
            return;
        }
    }
    const QString line = houkoku + QLatin1Char(',') + userId + QLatin1Char(',') + crypt.OutFile()
                         + QLatin1Char(',') + mail + QStringLiteral("\r\n");
    // It holds the password in plain text: owner only.
    if (const int rc = platform::writeFileAtomically(header, platform::toCp932(line), 0600);
        rc != 0) {
        runfailure::setFirst(strErrMsg, runfailure::describe(rc, header));
        return;
    }
    blnOK = true;
}

void OutputRun::FncCompress(QString& strErrMsg, bool& blnOK)
{
    blnOK = false;
    clsCab32 cab(m_context.components);
    cab.setOverWrite(true);
    cab.setSilent(true);
    cab.setInFile(stagingFolder());
    cab.setOutFile(archivePath());
    bool ok = false;
    archiveInBackground(cab, ok);
    if (!ok) {
        runfailure::setFirst(strErrMsg, cab.GetErrMsg());
        return;
    }
    m_meter.setArchiveBytes(QFileInfo(archivePath()).size());
    blnOK = true;
}

// One archiver call can take seconds: it runs on a thread of its own while
// this one keeps the window painted and shows how far the archive has
// grown. The archiver keeps no state between calls, so the thread is safe.
void OutputRun::archiveInBackground(clsCab32& cab, bool& ok)
{
    const WindowOwner owner(m_window);
    // Said before the thread starts: a short archive may be done before
    // the first look at it.
    progress(RunStage::Compressing, 0);
    // The archiver asks between its blocks; the window is asked here, on
    // its own thread.
    std::atomic<bool> stop = stopAt();
    cab.setStopCheck([&stop] { return stop.load(); });
    std::future<bool> archived = std::async(std::launch::async, [&] { return cab.Cabcmp(&owner); });
    // Wakes as soon as the archive is done, else every 50 ms.
    while (archived.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        progress(RunStage::Compressing, bytesWritten(m_strWorkDir));
        m_window.keepPainted();
        if (stopAt())
            stop = true;
    }
    ok = archived.get();
}

void OutputRun::FncFixFileName(const QDateTime& dtmRun, QString& strErrMsg, bool& blnOK)
{
    Q_UNUSED(strErrMsg);
    blnOK = false;
    const QString userId = setting(settings::kSectionUser, settings::kKeyUserId);
    m_strOutFileName.clear();
    m_strOutFileName = QStringLiteral("TMP") + userId
                       + platform::formatDateTime(dtmRun, platform::DateTimePattern::Compact)
                       + QStringLiteral(".txt");
    blnOK = true;
}

void OutputRun::FncEncrypt(QString& strErrMsg, bool& blnOK)
{
    blnOK = false;
    clsCryptFile crypt = newCryptFile();
    crypt.setInFile(archivePath());
    crypt.setOutFile(platform::joinPath(m_strWorkDir, m_strOutFileName));
    crypt.setPassword(passPhrase());
    // About once a megabyte: often enough to repaint, rare enough to cost nothing.
    int chunks = 0;
    progress(RunStage::Encrypting, 0);
    crypt.Crypting = [this, &chunks](std::int32_t done, std::int32_t) {
        if (++chunks % 1024 == 0)
            progress(RunStage::Encrypting, done);
    };
    crypt.StopRequested = [this] { return stopAt(); };
    if (!crypt.Encrypt()) {
        runfailure::setFirst(strErrMsg, crypt.GetErrMsg());
        return;
    }
    blnOK = true;
}
