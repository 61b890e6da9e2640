#include "crypto/clsCryptFile.h"

#include "crypto/FileCryptRun.h"
#include "crypto/StringCryptRun.h"
#include "platform/Cp932.h"
#include "platform/Folders.h"
#include "platform/crypto/CryptoProvider.h"
#include "platform/crypto/FileAccess.h"

namespace {

enum class Mode : short { File = 0, String = 1 };

} // namespace

clsCryptFile::clsCryptFile()
    : clsCryptFile(Environment{nullptr, nullptr, platform::ComponentLookup{platform::programFolder(), true}})
{
}

clsCryptFile::clsCryptFile(Environment environment)
    : m_environment(std::move(environment))
{
    if (!m_environment.provider)
        m_environment.provider = platform::defaultCryptoProvider();
    if (!m_environment.files)
        m_environment.files = platform::systemFileAccess();
}

bool clsCryptFile::Encrypt(short iMode)
{
    if (iMode == static_cast<short>(Mode::File))
        return runFileMode(true);
    if (iMode == static_cast<short>(Mode::String))
        return runStringMode(true);
    return false;
}

bool clsCryptFile::Decrypt(short iMode)
{
    if (iMode == static_cast<short>(Mode::File))
        return runFileMode(false);
    if (iMode == static_cast<short>(Mode::String))
        return runStringMode(false);
    return false;
}

bool clsCryptFile::runFileMode(bool encrypting)
{
    crypto::FileCryptRequest request;
    request.encrypting = encrypting;
    request.inFile = m_inFile;
    request.outFile = m_outFile;
    request.password = m_password;
    request.provider = m_environment.provider.get();
    request.files = m_environment.files.get();
    request.runningTotalLimit = m_environment.runningTotalLimit;
    request.crypting = Crypting;
    request.stopRequested = StopRequested;
    const bool result = crypto::runFileCrypt(request, m_errMsg);
    if (Crypted)
        Crypted();
    return result;
}

bool clsCryptFile::runStringMode(bool encrypting)
{
    crypto::StringCryptRequest request;
    request.encrypting = encrypting;
    // What the original's ANSI string arguments did to the text.
    request.text = platform::fromCp932(platform::toCp932(m_inFile));
    request.password = m_password;
    request.lookup = m_environment.componentLookup;
    const bool result = crypto::runStringCrypt(request, m_outFile, m_errMsg);
    if (Crypted)
        Crypted();
    return result;
}
