#include "crypto/FileCryptRun.h"

#include "platform/Cp932.h"
#include "platform/FileTests.h"
#include "platform/SystemError.h"

#include <array>
#include <cerrno>
#include <exception>
#include <memory>
#include <new>
#include <vector>

namespace crypto {
namespace {

using platform::CryptAlg;
using platform::CryptContext;
using platform::CryptHash;
using platform::CryptKey;

class FileCryptRun {
public:
    explicit FileCryptRun(const FileCryptRequest& request)
        : m_request(request), m_provider(*request.provider), m_files(*request.files)
    {
    }

    bool run(QString& errMsg);

private:
    bool runSteps();
    bool openFiles();
    bool acquireContext();
    bool deriveFromPassword();
    bool exportSessionKey();
    bool importSessionKey();
    bool processChunks();
    void release(bool& result);

    bool stepFailed(const QString& message)
    {
        m_stepMessage = message;
        return false;
    }
    bool runtimeFailed(const QString& description)
    {
        if (m_runtimeError.isEmpty())
            m_runtimeError = description;
        return false;
    }
    bool runtimeFailed(int error) { return runtimeFailed(describe(error)); }

    static QString describe(int error)
    {
        const QString text = platform::systemErrorText(error);
        return text.isEmpty() ? QStringLiteral("エラー %1").arg(error) : text;
    }

    const FileCryptRequest& m_request;
    platform::CryptoProvider& m_provider;
    platform::FileAccess& m_files;
    std::unique_ptr<platform::FileStream> m_input;
    std::unique_ptr<platform::FileStream> m_output;
    CryptContext m_context = CryptContext::None;
    CryptKey m_key = CryptKey::None;
    CryptKey m_exchangeKey = CryptKey::None;
    CryptHash m_hash = CryptHash::None;
    QString m_stepMessage;
    QString m_runtimeError;
};

bool FileCryptRun::run(QString& errMsg)
{
    bool result = false;
    try {
        result = runSteps();
    } catch (const std::bad_alloc&) {
        runtimeFailed(ENOMEM);
    } catch (const std::exception& error) {
        runtimeFailed(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        runtimeFailed(QStringLiteral("予期しないエラーが発生しました。"));
    }
    release(result);
    if (!result)
        errMsg = m_runtimeError.isEmpty() ? m_stepMessage : m_runtimeError;
    return result;
}

// E2 to E7; the first step that fails ends the run.
bool FileCryptRun::runSteps()
{
    if (!openFiles() || !acquireContext())
        return false;
    bool keyed = false;
    if (!m_request.password.isEmpty())
        keyed = deriveFromPassword();
    else
        keyed = m_request.encrypting ? exportSessionKey() : importSessionKey();
    return keyed && processChunks();
}

// E2, E3: the input must exist; an old output goes before a new one is made.
bool FileCryptRun::openFiles()
{
    if (!platform::fileExists(m_request.inFile)) {
        return stepFailed(m_request.encrypting ? QStringLiteral("暗号化を行うファイルが存在しません。")
                                               : QStringLiteral("複合化を行うファイルが存在しません。"));
    }
    int error = 0;
    m_input = m_files.openExisting(m_request.inFile, error);
    if (!m_input)
        return runtimeFailed(error);
    if (platform::fileExists(m_request.outFile)) {
        error = m_files.removeFile(m_request.outFile);
        if (error != 0)
            return runtimeFailed(error);
    }
    m_output = m_files.createAlways(m_request.outFile, error);
    if (!m_output)
        return runtimeFailed(error);
    return true;
}

// E3: the default container; made on the first use on this machine.
bool FileCryptRun::acquireContext()
{
    if (m_provider.acquireContext(platform::AcquireMode::Existing, m_context))
        return true;
    m_context = CryptContext::None;
    if (m_provider.acquireContext(platform::AcquireMode::NewKeySet, m_context))
        return true;
    m_context = CryptContext::None;
    return stepFailed(QStringLiteral("CryptAcquireContext Error!"));
}

// E4 (form A): RC4 key from the MD5 of the password's CP932 bytes, as many
// bytes as the password has characters (the original's Len of an ANSI copy).
bool FileCryptRun::deriveFromPassword()
{
    if (!m_provider.createHash(m_context, CryptAlg::Md5, m_hash))
        return stepFailed(QStringLiteral("CryptCreateHash Error!"));
    const QByteArray bytes = platform::toCp932(m_request.password).left(m_request.password.size());
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                             static_cast<std::size_t>(bytes.size()));
    if (!m_provider.hashData(m_hash, data))
        return stepFailed(QStringLiteral("CryptHashData Error!"));
    if (!m_provider.deriveKey(m_context, CryptAlg::Rc4, m_hash, m_key))
        return stepFailed(QStringLiteral("CryptDeriveKey Error!"));
    m_provider.destroyHash(m_hash);
    m_hash = CryptHash::None;
    return true;
}

// E5 (form B, encryption): N as 4 bytes little-endian, then the SIMPLEBLOB.
bool FileCryptRun::exportSessionKey()
{
    if (!m_provider.generateKey(m_context, CryptAlg::Rc4, true, m_key))
        return stepFailed(QStringLiteral("CryptGenKey Error!"));
    if (!m_provider.getUserExchangeKey(m_context, m_exchangeKey))
        return stepFailed(QStringLiteral("CryptGetUserKey Error!"));
    std::uint32_t length = 0;
    if (!m_provider.exportSimpleBlob(m_key, m_exchangeKey, nullptr, length))
        return stepFailed(QStringLiteral("CryptExportKey Error!"));
    if (length == 0)
        return stepFailed(QStringLiteral("メモリー割り当て Error!"));
    std::vector<std::uint8_t> blob(length);
    if (!m_provider.exportSimpleBlob(m_key, m_exchangeKey, blob.data(), length))
        return stepFailed(QStringLiteral("CryptExportKey Error!"));
    m_provider.destroyKey(m_exchangeKey);
    m_exchangeKey = CryptKey::None;
    const std::array<std::uint8_t, 4> header{static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                                             static_cast<std::uint8_t>(length >> 16),
                                             static_cast<std::uint8_t>(length >> 24)};
    if (!m_output->write(header) || !m_output->write(std::span(blob.data(), length)))
        return runtimeFailed(m_output->error());
    return true;
}

// E5 (form B, decryption). N is checked against what the file still holds,
// so a damaged or foreign file can neither over-read nor ask for gigabytes.
bool FileCryptRun::importSessionKey()
{
    const std::int64_t fileSize = m_input->size();
    if (fileSize < 0)
        return runtimeFailed(m_input->error());
    std::array<std::uint8_t, 4> header{};
    const std::int64_t got = m_input->read(header);
    if (got < 0)
        return runtimeFailed(m_input->error());
    const auto blobLength = static_cast<std::int32_t>(static_cast<std::uint32_t>(header[0]) | header[1] << 8
                                                      | header[2] << 16 | static_cast<std::uint32_t>(header[3]) << 24);
    const std::int64_t rest = fileSize - got;
    if (got < 4 || blobLength <= 0 || blobLength > rest) {
        return runtimeFailed(QStringLiteral("暗号化ファイルの鍵データの長さ (%1) が正しくありません (残り %2 バイト)。")
                                 .arg(got < 4 ? 0 : blobLength)
                                 .arg(rest));
    }
    std::vector<std::uint8_t> blob(static_cast<std::size_t>(blobLength));
    const std::int64_t blobRead = m_input->read(blob);
    if (blobRead < 0)
        return runtimeFailed(m_input->error());
    if (blobRead != blobLength)
        return runtimeFailed(describe(EIO));
    if (!m_provider.importSimpleBlob(m_context, blob, m_key))
        return stepFailed(QStringLiteral("CryptImportKey Error!"));
    return true;
}

// E6, E7: 1002-byte chunks; a short chunk (0 bytes included) is the last.
bool FileCryptRun::processChunks()
{
    const std::int64_t size = m_input->size();
    if (size < 0)
        return runtimeFailed(m_input->error());
    // GetFileSize's low part, read into a signed 32-bit value.
    const auto fileBytes = static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
    std::array<std::uint8_t, kChunkSize> buffer{};
    std::int64_t total = 0;
    bool isFinal = false;
    while (!isFinal) {
        const std::int64_t got = m_input->read(buffer);
        if (got < 0)
            return runtimeFailed(m_input->error());
        isFinal = got < static_cast<std::int64_t>(kChunkSize);
        auto length = static_cast<std::uint32_t>(got);
        const bool done = m_request.encrypting ? m_provider.encrypt(m_key, isFinal, buffer, length)
                                               : m_provider.decrypt(m_key, isFinal, buffer, length);
        if (!done)
            return stepFailed(m_request.encrypting ? QStringLiteral("CryptEncrypt Error!")
                                                   : QStringLiteral("CryptDecrypt Error!"));
        if (!m_output->write(std::span(buffer.data(), length)))
            return runtimeFailed(m_output->error());
        if (total + length > m_request.runningTotalLimit)
            return runtimeFailed(EOVERFLOW);
        total += length;
        if (m_request.crypting)
            m_request.crypting(static_cast<std::int32_t>(total), fileBytes);
        if (m_request.stopRequested && m_request.stopRequested())
            return stepFailed(m_request.encrypting ? QStringLiteral("ﾌｧｲﾙの暗号化を中止しました。")
                                                   : QStringLiteral("ﾌｧｲﾙの複合化を中止しました。"));
    }
    return true;
}

// E8: input, output, session key, exchange key, hash, context, in this order.
void FileCryptRun::release(bool& result)
{
    if (m_input) {
        m_input->close();
        m_input.reset();
    }
    if (m_output) {
        // Data the system could not write may only show when the file closes;
        // a run that failed already keeps its first message.
        if (!m_output->close() && result)
            result = runtimeFailed(m_output->error());
        m_output.reset();
    }
    if (m_key != CryptKey::None)
        m_provider.destroyKey(m_key);
    if (m_exchangeKey != CryptKey::None)
        m_provider.destroyKey(m_exchangeKey);
    if (m_hash != CryptHash::None)
        m_provider.destroyHash(m_hash);
    if (m_context != CryptContext::None)
        m_provider.releaseContext(m_context);
    m_key = m_exchangeKey = CryptKey::None;
    m_hash = CryptHash::None;
    m_context = CryptContext::None;
}

} // namespace

bool runFileCrypt(const FileCryptRequest& request, QString& errMsg)
{
    FileCryptRun run(request);
    return run.run(errMsg);
}

} // namespace crypto
