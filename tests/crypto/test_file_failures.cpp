// Every failure of the file mode, made to happen by a provider and a file
// access that fail on request, with the order in which things are released.
#include "CryptTestSupport.h"
#include "crypto/PassPhrase.h"
#include "platform/SystemError.h"
#include "platform/crypto/FileAccess.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <map>
#include <ostream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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
// Forwards a call unless it is the one to fail.
#define FORWARD(name, params, ...) \
    bool name params override { return pass(#name) && m_real->name(__VA_ARGS__); }
    FORWARD(createHash, (CryptContext c, CryptAlg a, CryptHash& h), c, a, h)
    FORWARD(hashData, (CryptHash h, std::span<const std::uint8_t> d), h, d)
    FORWARD(deriveKey, (CryptContext c, CryptAlg a, CryptHash h, CryptKey& k), c, a, h, k)
    FORWARD(generateKey, (CryptContext c, CryptAlg a, bool e, CryptKey& k), c, a, e, k)
    FORWARD(importSimpleBlob, (CryptContext c, std::span<const std::uint8_t> b, CryptKey& k), c, b, k)
    FORWARD(encrypt, (CryptKey k, bool f, std::span<std::uint8_t> b, std::uint32_t& n), k, f, b, n)
    FORWARD(decrypt, (CryptKey k, bool f, std::span<std::uint8_t> b, std::uint32_t& n), k, f, b, n)
#undef FORWARD
    bool getUserExchangeKey(CryptContext c, CryptKey& k) override
    {
        const bool ok = pass("getUserExchangeKey") && m_real->getUserExchangeKey(c, k);
        m_exchange = ok ? k : CryptKey::None;
        return ok;
    }
    bool exportSimpleBlob(CryptKey k, CryptKey x, std::uint8_t* b, std::uint32_t& n) override
    {
        const bool ok = pass("exportSimpleBlob") && m_real->exportSimpleBlob(k, x, b, n);
        n = exportLengthZero ? 0 : n;
        return ok;
    }
    bool destroyKey(CryptKey k) override
    {
        m_log.push_back(k == m_exchange ? "destroy exchange key" : "destroy key");
        return m_real->destroyKey(k);
    }
    bool destroyHash(CryptHash h) override { return m_log.push_back("destroy hash"), m_real->destroyHash(h); }
    bool releaseContext(CryptContext c) override
    {
        return m_log.push_back("release context"), m_real->releaseContext(c);
    }
    ProductVersion productVersion() const override { return m_real->productVersion(); }
    QString lastError() const override { return m_real->lastError(); }

private:
    bool pass(const std::string& op) { return op != failOp || ++m_calls[op] != failOnCall; }

    std::shared_ptr<CryptoProvider> m_real;
    Log& m_log;
    std::map<std::string, int> m_calls;
    CryptKey m_exchange = CryptKey::None;
};

// The real file system where one operation ("open", "create", "read",
// "write", "close" of the output) fails with error: a read after `after`
// reads, a write once `after` bytes went through. Logs each close.
class FailingFileAccess final : public FileAccess {
public:
    FailingFileAccess(Log& log, std::string op = {}, int error = 0, std::int64_t after = 0)
        : m_log(log), m_op(std::move(op)), m_error(error), m_after(after)
    {
    }
    std::unique_ptr<FileStream> openExisting(const QString& path, int& error) override
    {
        return open(path, error, false);
    }
    std::unique_ptr<FileStream> createAlways(const QString& path, int& error) override
    {
        return open(path, error, true);
    }
    int removeFile(const QString& path) override { return m_real->removeFile(path); }

private:
    std::unique_ptr<FileStream> open(const QString& path, int& error, bool output)
    {
        if (m_op == (output ? "create" : "open"))
            return error = m_error, nullptr;
        auto real = output ? m_real->createAlways(path, error) : m_real->openExisting(path, error);
        return real ? std::make_unique<Stream>(std::move(real), *this, output) : nullptr;
    }

    class Stream final : public FileStream {
    public:
        Stream(std::unique_ptr<FileStream> real, FailingFileAccess& owner, bool output)
            : m_real(std::move(real)), m_owner(owner), m_output(output)
        {
        }
        std::int64_t read(std::span<std::uint8_t> buffer) override
        {
            return failing("read", m_count++ == m_owner.m_after) ? -1 : m_real->read(buffer);
        }
        bool write(std::span<const std::uint8_t> data) override
        {
            m_count += static_cast<std::int64_t>(data.size());
            return !failing("write", m_count > m_owner.m_after) && m_real->write(data);
        }
        std::int64_t size() override { return m_real->size(); }
        bool close() override
        {
            m_owner.m_log.push_back(m_output ? "close output" : "close input");
            return m_real->close(), !failing("close", m_output);
        }
        int error() const override { return m_error; }

    private:
        bool failing(const char* op, bool now)
        {
            const bool fails = m_owner.m_op == op && now;
            m_error = fails ? m_owner.m_error : m_error;
            return fails;
        }
        std::unique_ptr<FileStream> m_real;
        FailingFileAccess& m_owner;
        bool m_output;
        std::int64_t m_count = 0;
        int m_error = 0;
    };

    std::shared_ptr<FileAccess> m_real = systemFileAccess();
    Log& m_log;
    std::string m_op;
    int m_error;
    std::int64_t m_after;
};

class FileFailureTest : public CryptFileTest {
protected:
    void SetUp() override { writeFile(path("in"), QByteArray(2500, 'p')); }

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
        EXPECT_EQ(m_crypted, 1);
    }
    Log tail(size_t n) const { return Log(m_log.end() - static_cast<std::ptrdiff_t>(n), m_log.end()); }

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

void PrintTo(const ProviderFault& fault, std::ostream* out)
{
    *out << fault.op << " call " << fault.onCall;
}

class ProviderFaultTest : public FileFailureTest, public ::testing::WithParamInterface<ProviderFault> {};

TEST_P(ProviderFaultTest, GivesTheStepsMessageAndReleasesTheContextLast)
{
    const ProviderFault fault = GetParam();
    if (!fault.encrypting) {
        // Something to decrypt, made without faults.
        ASSERT_TRUE(makeFaulty(fault.formB ? QString() : passPhrase()).Encrypt());
        QFile::remove(path("in"));
        ASSERT_TRUE(QFile::rename(path("out"), path("in")));
        m_log.clear();
    }
    m_provider->failOp = fault.op;
    m_provider->failOnCall = fault.onCall;
    failsWith(fault.encrypting, fault.formB ? QString() : passPhrase(), QString::fromUtf8(fault.message));
    ASSERT_GE(m_log.size(), 2u);
    EXPECT_EQ(m_log.back(), "release context");
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ProviderFaultTest,
    ::testing::Values(ProviderFault{"createHash", 1, true, false, "CryptCreateHash Error!"},
                      ProviderFault{"hashData", 1, true, false, "CryptHashData Error!"},
                      ProviderFault{"deriveKey", 1, true, false, "CryptDeriveKey Error!"},
                      ProviderFault{"generateKey", 1, true, true, "CryptGenKey Error!"},
                      ProviderFault{"getUserExchangeKey", 1, true, true, "CryptGetUserKey Error!"},
                      ProviderFault{"exportSimpleBlob", 1, true, true, "CryptExportKey Error!"},
                      ProviderFault{"exportSimpleBlob", 2, true, true, "CryptExportKey Error!"},
                      ProviderFault{"encrypt", 2, true, false, "CryptEncrypt Error!"},
                      ProviderFault{"importSimpleBlob", 1, false, true, "CryptImportKey Error!"},
                      ProviderFault{"decrypt", 1, false, false, "CryptDecrypt Error!"},
                      ProviderFault{"hashData", 1, false, false, "CryptHashData Error!"}),
    [](const auto& info) {
        const ProviderFault& f = info.param;
        return std::string(f.encrypting ? "Encrypt" : "Decrypt") + (f.formB ? "FormB_" : "FormA_") + f.op
               + std::to_string(f.onCall);
    });

TEST_F(FileFailureTest, ContextIsTriedAgainWithANewKeySetAndFailingTwiceIsTheAcquireMessage)
{
    QTemporaryDir fresh;
    m_provider = std::make_shared<FaultyProvider>(
        std::make_shared<OpenSslCryptoProvider>(OpenSslCryptoProvider::Options{fresh.path()}), m_log);
    EXPECT_TRUE(makeFaulty(passPhrase()).Encrypt()) << "no container yet: the retry makes it";
    EXPECT_EQ(Log(m_log.begin(), m_log.begin() + 2), (Log{"acquire", "acquire new keyset"}));
    m_log.clear();
    EXPECT_TRUE(makeFaulty(passPhrase()).Encrypt());
    EXPECT_NE(m_log.at(1), "acquire new keyset");

    m_log.clear();
    m_provider = std::make_shared<FaultyProvider>(
        std::make_shared<OpenSslCryptoProvider>(OpenSslCryptoProvider::Options{fresh.path(), QStringLiteral("none")}),
        m_log);
    failsWith(true, passPhrase(), QStringLiteral("CryptAcquireContext Error!"));
    EXPECT_EQ(m_log, (Log{"acquire", "acquire new keyset", "close input", "close output"}));
    EXPECT_EQ(readFile(path("out")), QByteArray()) << "the output was created, then left";
}

// Two programs making their first use of one key folder at once: the one
// that loses the creation acquires the other's container, so both succeed;
// form A leaves the container empty (no key pair it would never use).
TEST_F(CryptFileTest, TwoFirstUsesAtOnceBothSucceedAndMakeNoKeyPair)
{
    writeFile(path("in"), QByteArray(3000, 'r'));
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        const QString keys = m_folder.filePath(QStringLiteral("keys%1").arg(round));
        int gate[2];
        ASSERT_EQ(::pipe(gate), 0);
        pid_t children[2];
        for (int i = 0; i < 2; ++i) {
            children[i] = ::fork();
            if (children[i] == 0) {
                ::close(gate[1]);
                char byte = 0;
                // Both wait here until the parent closes the gate.
                const bool released = ::read(gate[0], &byte, 1) == 0;
                clsCryptFile::Environment env;
                env.provider = std::make_shared<OpenSslCryptoProvider>(OpenSslCryptoProvider::Options{keys});
                clsCryptFile cryptFile(env);
                cryptFile.setInFile(path("in"));
                cryptFile.setOutFile(m_folder.filePath(QStringLiteral("out%1").arg(i)));
                cryptFile.setPassword(passPhrase());
                ::_exit(released && cryptFile.Encrypt() ? 0 : 1);
            }
        }
        ::close(gate[0]);
        ::close(gate[1]);
        for (const pid_t child : children) {
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        }
        EXPECT_EQ(readFile(path("out0")), readFile(path("out1")));
        EXPECT_EQ(QDir(keys).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("default-container.pem")});
        EXPECT_EQ(QFileInfo(keys + QStringLiteral("/default-container.pem")).size(), 0);
    }
}

TEST_F(FileFailureTest, BlobLengthZeroIsAMemoryError)
{
    m_provider->exportLengthZero = true;
    failsWith(true, QString(), QStringLiteral("メモリー割り当て Error!"));
}

TEST_F(FileFailureTest, ReleaseOrderFollowsWhatIsHeld)
{
    m_provider->failOp = "exportSimpleBlob";
    failsWith(true, QString(), QStringLiteral("CryptExportKey Error!"));
    EXPECT_EQ(tail(5), (Log{"close input", "close output", "destroy key", "destroy exchange key", "release context"}));
    // Form B: the exchange key went right after the export, before the data.
    m_log.clear();
    m_provider->failOp = "encrypt";
    failsWith(true, QString(), QStringLiteral("CryptEncrypt Error!"));
    EXPECT_EQ(tail(4), (Log{"close input", "close output", "destroy key", "release context"}));
    EXPECT_NE(std::find(m_log.begin(), m_log.end(), "destroy exchange key"), m_log.end());
    m_log.clear();
    m_provider->failOp = "deriveKey";
    failsWith(true, passPhrase(), QStringLiteral("CryptDeriveKey Error!"));
    EXPECT_EQ(tail(4), (Log{"close input", "close output", "destroy hash", "release context"}));
}

TEST_F(FileFailureTest, FileErrorsGoThroughTheFailurePathWithTheSystemsText)
{
    for (const char* op : {"open", "create", "read", "write", "close"}) {
        m_files = std::make_shared<FailingFileAccess>(m_log, op, EROFS);
        failsWith(true, passPhrase(), systemErrorText(EROFS));
    }
    // Midway: what was written stays; the form B header alone.
    m_files = std::make_shared<FailingFileAccess>(m_log, "read", EIO, 2);
    failsWith(false, passPhrase(), systemErrorText(EIO));
    EXPECT_EQ(m_crypting.size(), 2u);
    EXPECT_EQ(readFile(path("out")).size(), 2004);
    m_files = std::make_shared<FailingFileAccess>(m_log, "write", ENOSPC, 4);
    failsWith(true, QString(), systemErrorText(ENOSPC));
    EXPECT_EQ(readFile(path("out")).size(), 4);
    // The first failure keeps its message when closing fails too.
    m_files = std::make_shared<FailingFileAccess>(m_log, "close", EIO);
    m_provider->failOp = "encrypt";
    failsWith(true, passPhrase(), QStringLiteral("CryptEncrypt Error!"));
}

} // namespace
