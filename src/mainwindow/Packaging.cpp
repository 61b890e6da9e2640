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

namespace {

// The main window as the archiver's owner.
class WindowOwner : public CabOwner {
public:
    explicit WindowOwner(const IOutputWindow& window) : m_window(window) {}
    std::int32_t hwnd() const override { return m_window.hwnd(); }

private:
    const IOutputWindow& m_window;
};

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
    const WindowOwner owner(m_window);
    if (!cab.Cabcmp(&owner)) {
        runfailure::setFirst(strErrMsg, cab.GetErrMsg());
        return;
    }
    blnOK = true;
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
    crypt.Crypting = [this, &chunks](std::int32_t, std::int32_t) {
        if (++chunks % 1024 == 0)
            m_window.keepPainted();
    };
    if (!crypt.Encrypt()) {
        runfailure::setFirst(strErrMsg, crypt.GetErrMsg());
        return;
    }
    blnOK = true;
}
