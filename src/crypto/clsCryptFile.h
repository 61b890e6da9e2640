#pragma once

#include "platform/ComponentLookup.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>

namespace platform {
class CryptoProvider;
class FileAccess;
} // namespace platform

// The system's one encryption class.
//
// Mode 0 encrypts the file InFile into OutFile (RC4 under a key from the MD5
// hash of Password; with an empty Password under a random session key whose
// SIMPLEBLOB heads the output), or decrypts it back. Mode 1 encrypts the text
// InFile into OutFile (or back) through the pass-phrase encryptor component.
//
// Every method reports success as its result and never throws; after a
// failure GetErrMsg() holds the reason (a fixed message of the failing step,
// or the system's description of the error). It never shows anything.
// Texts are QString (UTF-16); the files' paths are the host's.
class clsCryptFile {
public:
    // The outside world, swappable so tests reach every failure.
    struct Environment {
        // Null: platform::defaultCryptoProvider().
        std::shared_ptr<platform::CryptoProvider> provider;
        // Null: platform::systemFileAccess().
        std::shared_ptr<platform::FileAccess> files;
        // Where mode 1 finds the component (libcapicom.so).
        platform::ComponentLookup componentLookup;
        // Largest running total of mode 0 (signed 32 bits on the original);
        // a larger input fails with EOVERFLOW's description.
        std::int64_t runningTotalLimit = std::numeric_limits<std::int32_t>::max();
    };

    // Real services; the component is looked for in the program's folder,
    // then the system's library search order.
    clsCryptFile();
    explicit clsCryptFile(Environment environment);

    QString InFile() const { return m_inFile; }
    void setInFile(const QString& vNewValue) { m_inFile = vNewValue; }
    QString OutFile() const { return m_outFile; }
    void setOutFile(const QString& vNewValue) { m_outFile = vNewValue; }
    QString Password() const { return m_password; }
    void setPassword(const QString& vNewValue) { m_password = vNewValue; }

    // The reason of the last failure; written only by a failing call, never
    // cleared.
    QString GetErrMsg() const { return m_errMsg; }

    // iMode 0: file, 1: text. Any other mode returns false at once with
    // nothing touched, no event and GetErrMsg unchanged.
    bool Encrypt(short iMode = 0);
    bool Decrypt(short iMode = 0);

    // Events, raised synchronously when set. Crypting follows each chunk of
    // mode 0 with the running total and the input's size (low 32 bits,
    // signed); Crypted ends every mode 0 or mode 1 call, success or failure.
    std::function<void(std::int32_t CryptBytes, std::int32_t FileBytes)> Crypting;
    std::function<void()> Crypted;
    // Asked after each chunk of mode 0 (after Crypting): true ends the call
    // there as a failure, "ﾌｧｲﾙの暗号化を中止しました。" (decrypting:
    // "ﾌｧｲﾙの複合化を中止しました。"); like any failure it leaves the output
    // as far as it was written, for the caller to remove.
    std::function<bool()> StopRequested;

private:
    bool runFileMode(bool encrypting);
    bool runStringMode(bool encrypting);

    Environment m_environment;
    QString m_inFile;
    QString m_outFile;
    QString m_password;
    QString m_errMsg;
};
