// Every failure of the file mode, made to happen by a provider and a file
// access that fail on request, with the order in which things are released.
#include "CryptTestSupport.h"
#include "crypto/PassPhrase.h"
#include "platform/SystemError.h"
#include "platform/crypto/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <string>

using namespace platform;

namespace {

using Log = std::vector<std::string>;

// The real provider, failing the n-th call of one operation; logs releases.
class FaultyProvider final : public CryptoProvider {
public:
    FaultyProvider(std::shared_ptr<CryptoProvider> real, Log& log) : m_real(std::move(real)), m_log(log) {}

    std::string failOp;
    int failOnCall = 1;
    bool exportLengthZero = false;

    bool acquireContext(AcquireMode mode, CryptContext& c) override
    {
        m_log.push_back(mode == AcquireMode::Existing ? "acquire" : "acquire new keyset");
        return pass("acquire") && m_real->acquireContext(mode, c);
    }
    bool createHash(CryptContext c, CryptAlg a, CryptHash& h) override
    {
        return pass("createHash") && m_real->createHash(c, a, h);
    }
    bool hashData(CryptHash h, std::span<const std::uint8_t> d) override
    {
        m_log.push_back("hash " + std::string(d.begin(), d.end()));
        return pass("hashData") && m_real->hashData(h, d);
    }
    bool deriveKey(CryptContext c, CryptAlg a, CryptHash h, CryptKey& k) override
    {
        return pass("deriveKey") && m_real->deriveKey(c, a, h, k);
    }
    bool generateKey(CryptContext c, CryptAlg a, bool e, CryptKey& k) override
    {
        return pass("generateKey") && m_real->generateKey(c, a, e, k);
    }
    bool getUserExchangeKey(CryptContext c, CryptKey& k) override
    {
        const bool ok = pass("getUserKey") && m_real->getUserExchangeKey(c, k);
        m_exchange = ok ? k : CryptKey::None;
        return ok;
    }
    bool exportSimpleBlob(CryptKey k, CryptKey x, std::uint8_t* b, std::uint32_t& n) override
    {
        if (!pass("export") || !m_real->exportSimpleBlob(k, x, b, n))
            return false;
        if (exportLengthZero)
            n = 0;
        return true;
    }
    bool importSimpleBlob(CryptContext c, std::span<const std::uint8_t> b, CryptKey& k) override
    {
        return pass("import") && m_real->importSimpleBlob(c, b, k);
    }
    bool encrypt(CryptKey k, bool f, std::span<std::uint8_t> b, std::uint32_t& n) override
    {
        return pass("encrypt") && m_real->encrypt(k, f, b, n);
    }
    bool decrypt(CryptKey k, bool f, std::span<std::uint8_t> b, std::uint32_t& n) override
    {
        return pass("decrypt") && m_real->decrypt(k, f, b, n);
    }
    bool destroyKey(CryptKey k) override
    {
        m_log.push_back(k == m_exchange ? "destroy exchange key" : "destroy key");
        return m_real->destroyKey(k);
    }
    bool destroyHash(CryptHash h) override
    {
        m_log.push_back("destroy hash");
        return m_real->destroyHash(h);
    }
    bool releaseContext(CryptContext c) override
    {
        m_log.push_back("release context");
        return m_real->releaseContext(c);
    }
    ProductVersion productVersion() const override { return m_real->productVersion(); }
    QString lastError() const override { return m_real->lastError(); }

private:
    bool pass(const std::string& op)
    {
        return op != failOp || ++m_calls[op] != failOnCall;
    }

    std::shared_ptr<CryptoProvider> m_real;
    Log& m_log;
    std::map<std::string, int> m_calls;
    CryptKey m_exchange = CryptKey::None;
};

// The real file system, failing on request; logs the closing of each file.
class FailingFileAccess final : public FileAccess {
public:
    explicit FailingFileAccess(Log& log) : m_log(log) {}

    int openError = 0;
    int createError = 0;
    int readError = 0;     // on the read after readsBeforeError reads
    int readsBeforeError = 0;
    int writeError = 0;    // once writtenBeforeError bytes went through
    std::int64_t writtenBeforeError = 0;
    int closeError = 0;    // of the output

    std::unique_ptr<FileStream> openExisting(const QString& path, int& error) override
    {
        if (openError != 0)
            return error = openError, nullptr;
        auto real = m_real->openExisting(path, error);
        return real ? std::make_unique<Stream>(std::move(real), *this, "close input") : nullptr;
    }
    std::unique_ptr<FileStream> createAlways(const QString& path, int& error) override
    {
        if (createError != 0)
            return error = createError, nullptr;
        auto real = m_real->createAlways(path, error);
        return real ? std::make_unique<Stream>(std::move(real), *this, "close output") : nullptr;
    }
    int removeFile(const QString& path) override { return m_real->removeFile(path); }

private:
    class Stream final : public FileStream {
    public:
        Stream(std::unique_ptr<FileStream> real, FailingFileAccess& owner, const char* closeName)
            : m_real(std::move(real)), m_owner(owner), m_closeName(closeName)
        {
        }
        std::int64_t read(std::span<std::uint8_t> buffer) override
        {
            if (m_owner.readError != 0 && m_reads++ == m_owner.readsBeforeError)
                return m_error = m_owner.readError, -1;
            return m_real->read(buffer);
        }
        bool write(std::span<const std::uint8_t> data) override
        {
            m_written += static_cast<std::int64_t>(data.size());
            if (m_owner.writeError != 0 && m_written > m_owner.writtenBeforeError)
                return m_error = m_owner.writeError, false;
            return m_real->write(data);
        }
        std::int64_t size() override { return m_real->size(); }
        bool close() override
        {
            m_owner.m_log.push_back(m_closeName);
            m_real->close();
            const bool isOutput = std::string(m_closeName) == "close output";
            if (isOutput && m_owner.closeError != 0)
                return m_error = m_owner.closeError, false;
            return true;
        }
        int error() const override { return m_error; }

    private:
        std::unique_ptr<FileStream> m_real;
        FailingFileAccess& m_owner;
        const char* m_closeName;
        int m_reads = 0;
        std::int64_t m_written = 0;
        int m_error = 0;
    };

    std::shared_ptr<FileAccess> m_real = systemFileAccess();
    Log& m_log;
};

class FileFailureTest : public CryptFileTest {
protected:
    void SetUp() override { writeFile(path(QStringLiteral("in")), QByteArray(2500, 'p')); }

    clsCryptFile makeFaulty(const QString& password)
    {
        clsCryptFile::Environment env = environment();
        env.provider = m_provider;
        env.files = m_files;
        return make(password, env);
    }

    // Runs one call that must fail with message; Crypted raised once.
    void failsWith(bool encrypting, const QString& password, const QString& message)
    {
        clsCryptFile cryptFile = makeFaulty(password);
        EXPECT_FALSE(encrypting ? cryptFile.Encrypt() : cryptFile.Decrypt());
        EXPECT_EQ(cryptFile.GetErrMsg(), message);
        EXPECT_EQ(m_events.crypted, 1);
    }

    Log m_log;
    std::shared_ptr<FaultyProvider> m_provider = std::make_shared<FaultyProvider>(sharedTestProvider(), m_log);
    std::shared_ptr<FailingFileAccess> m_files = std::make_shared<FailingFileAccess>(m_log);
};

struct ProviderFault {
    const char* op;
    int onCall;
    bool encrypting;
    bool formB;
    const char* message;
};

class ProviderFaultTest : public FileFailureTest, public ::testing::WithParamInterface<ProviderFault> {};

TEST_P(ProviderFaultTest, GivesTheStepsMessageAndReleasesEverything)
{
    const ProviderFault fault = GetParam();
    if (!fault.encrypting) {
        // Something to decrypt, made without faults.
        clsCryptFile maker = makeFaulty(fault.formB ? QString() : passPhrase());
        ASSERT_TRUE(maker.Encrypt());
        QFile::remove(path(QStringLiteral("in")));
        ASSERT_TRUE(QFile::rename(path(QStringLiteral("out")), path(QStringLiteral("in"))));
        m_log.clear();
    }
    m_provider->failOp = fault.op;
    m_provider->failOnCall = fault.onCall;
    failsWith(fault.encrypting, fault.formB ? QString() : passPhrase(), QString::fromUtf8(fault.message));
    ASSERT_GE(m_log.size(), 2u);
    EXPECT_EQ(m_log.back(), "release context") << "the context goes last";
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ProviderFaultTest,
    ::testing::Values(ProviderFault{"createHash", 1, true, false, "CryptCreateHash Error!"},
                      ProviderFault{"hashData", 1, true, false, "CryptHashData Error!"},
                      ProviderFault{"deriveKey", 1, true, false, "CryptDeriveKey Error!"},
                      ProviderFault{"generateKey", 1, true, true, "CryptGenKey Error!"},
                      ProviderFault{"getUserKey", 1, true, true, "CryptGetUserKey Error!"},
                      ProviderFault{"export", 1, true, true, "CryptExportKey Error!"},
                      ProviderFault{"export", 2, true, true, "CryptExportKey Error!"},
                      ProviderFault{"encrypt", 2, true, false, "CryptEncrypt Error!"},
                      ProviderFault{"import", 1, false, true, "CryptImportKey Error!"},
                      ProviderFault{"decrypt", 1, false, false, "CryptDecrypt Error!"},
                      ProviderFault{"hashData", 1, false, false, "CryptHashData Error!"}),
    [](const auto& info) {
        const ProviderFault& f = info.param;
        return std::string(f.encrypting ? "Encrypt" : "Decrypt") + (f.formB ? "FormB_" : "FormA_") + f.op
               + std::to_string(f.onCall);
    });

TEST_F(FileFailureTest, ContextIsTriedAgainWithANewKeySet)
{
    QTemporaryDir fresh;
    m_provider = std::make_shared<FaultyProvider>(
        std::make_shared<OpenSslCryptoProvider>(OpenSslCryptoProvider::Options{fresh.path()}), m_log);
    clsCryptFile first = makeFaulty(passPhrase());
    EXPECT_TRUE(first.Encrypt()) << "no container yet: the retry makes it";
    EXPECT_EQ(Log(m_log.begin(), m_log.begin() + 2), (Log{"acquire", "acquire new keyset"}));
    m_log.clear();
    clsCryptFile second = makeFaulty(passPhrase());
    EXPECT_TRUE(second.Encrypt());
    EXPECT_EQ(m_log[0], "acquire");
    EXPECT_NE(m_log[1], "acquire new keyset");
}

TEST_F(FileFailureTest, ContextFailingTwiceIsTheAcquireMessage)
{
    QTemporaryDir empty;
    m_provider = std::make_shared<FaultyProvider>(
        std::make_shared<OpenSslCryptoProvider>(OpenSslCryptoProvider::Options{empty.path(), QStringLiteral("none")}),
        m_log);
    failsWith(true, passPhrase(), QStringLiteral("CryptAcquireContext Error!"));
    EXPECT_EQ(m_log, (Log{"acquire", "acquire new keyset", "close input", "close output"}));
    EXPECT_EQ(readFile(path(QStringLiteral("out"))), QByteArray()) << "the output was created, then left";
}

TEST_F(FileFailureTest, BlobLengthZeroIsAMemoryError)
{
    m_provider->exportLengthZero = true;
    failsWith(true, QString(), QStringLiteral("メモリー割り当て Error!"));
}

TEST_F(FileFailureTest, ReleaseOrderAfterFormBEncryption)
{
    m_provider->failOp = "encrypt";
    failsWith(true, QString(), QStringLiteral("CryptEncrypt Error!"));
    // The exchange key went right after the export, before the data.
    EXPECT_EQ(Log(m_log.end() - 4, m_log.end()),
              (Log{"close input", "close output", "destroy key", "release context"}));
    EXPECT_NE(std::find(m_log.begin(), m_log.end(), "destroy exchange key"), m_log.end());
}

TEST_F(FileFailureTest, ReleaseOrderWhenEverythingIsHeld)
{
    m_provider->failOp = "export";
    failsWith(true, QString(), QStringLiteral("CryptExportKey Error!"));
    EXPECT_EQ(Log(m_log.end() - 5, m_log.end()),
              (Log{"close input", "close output", "destroy key", "destroy exchange key", "release context"}));

    m_log.clear();
    m_provider->failOp = "deriveKey";
    failsWith(true, passPhrase(), QStringLiteral("CryptDeriveKey Error!"));
    EXPECT_EQ(Log(m_log.end() - 4, m_log.end()),
              (Log{"close input", "close output", "destroy hash", "release context"}));
}

TEST_F(FileFailureTest, PasswordBytesAreCp932CutAtTheCharacterCount)
{
    clsCryptFile cryptFile = makeFaulty(QString::fromUtf16(u"一ab"));
    ASSERT_TRUE(cryptFile.Encrypt());
    EXPECT_NE(std::find(m_log.begin(), m_log.end(), "hash \x88\xea" "a"), m_log.end());
}

TEST_F(FileFailureTest, FileErrorsGoThroughTheFailurePathWithTheSystemsText)
{
    struct Case {
        int FailingFileAccess::*field;
        int error;
    };
    for (const Case c : {Case{&FailingFileAccess::openError, EACCES}, Case{&FailingFileAccess::createError, EROFS},
                         Case{&FailingFileAccess::readError, EIO}, Case{&FailingFileAccess::writeError, ENOSPC},
                         Case{&FailingFileAccess::closeError, EDQUOT}}) {
        m_files = std::make_shared<FailingFileAccess>(m_log);
        (*m_files).*c.field = c.error;
        failsWith(true, passPhrase(), systemErrorText(c.error));
    }
}

TEST_F(FileFailureTest, ReadFailureMidwayKeepsWhatWasWritten)
{
    m_files->readError = EIO;
    m_files->readsBeforeError = 2;
    failsWith(false, passPhrase(), systemErrorText(EIO));
    EXPECT_EQ(m_events.crypting.size(), 2u);
    EXPECT_EQ(readFile(path(QStringLiteral("out"))).size(), 2004);
}

TEST_F(FileFailureTest, FormBHeaderWriteFailure)
{
    m_files->writeError = ENOSPC;
    m_files->writtenBeforeError = 4;
    failsWith(true, QString(), systemErrorText(ENOSPC));
    EXPECT_EQ(readFile(path(QStringLiteral("out"))).size(), 4);
}

TEST_F(FileFailureTest, FirstFailureKeepsItsMessageWhenClosingAlsoFails)
{
    m_provider->failOp = "encrypt";
    m_files->closeError = EIO;
    failsWith(true, passPhrase(), QStringLiteral("CryptEncrypt Error!"));
}

} // namespace
