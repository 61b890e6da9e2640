// Every failure step of the file mode, made to happen by a provider that
// fails on request, with the order in which things are released.
#include "CryptTestSupport.h"
#include "platform/crypto/OpenSslCryptoProvider.h"
#include "crypto/PassPhrase.h"

#include <QFileInfo>

#include <map>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

using Log = std::vector<std::string>;

// The real provider, failing the n-th call of one operation; logs the
// acquires and the release of the context.
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
    FORWARD(getUserExchangeKey, (CryptContext c, CryptKey& k), c, k)
    FORWARD(destroyKey, (CryptKey k), k)
    FORWARD(destroyHash, (CryptHash h), h)
#undef FORWARD
    bool exportSimpleBlob(CryptKey k, CryptKey x, std::uint8_t* b, std::uint32_t& n) override
    {
        const bool ok = pass("exportSimpleBlob") && m_real->exportSimpleBlob(k, x, b, n);
        n = exportLengthZero ? 0 : n;
        return ok;
    }
    bool releaseContext(CryptContext c) override { return m_log.push_back("release context"), m_real->releaseContext(c); }
    ProductVersion productVersion() const override { return m_real->productVersion(); }
    QString lastError() const override { return m_real->lastError(); }

private:
    bool pass(const std::string& op) { return op != failOp || ++m_calls[op] != failOnCall; }

    std::shared_ptr<CryptoProvider> m_real;
    Log& m_log;
    std::map<std::string, int> m_calls;
};

class FileFailureTest : public CryptFileTest {
protected:
    void SetUp() override { m_env.provider = m_provider; }

    // One call that must fail with message, Crypted raised once.
    void failsWith(bool encrypting, const QString& password, const QString& message,
                   const QByteArray& input = QByteArray(2500, 'p'))
    {
        EXPECT_FALSE(crypt(encrypting, password, input));
        EXPECT_EQ(m_message, message);
        EXPECT_EQ(m_crypted, 1);
    }

    Log m_log;
    std::shared_ptr<FaultyProvider> m_provider = std::make_shared<FaultyProvider>(sharedTestProvider(), m_log);
};

struct ProviderFault {
    const char* name;
    const char* op;
    int onCall;
    bool encrypting;
    bool formB;
    const char* message;
};

void PrintTo(const ProviderFault& fault, std::ostream* out)
{
    *out << fault.name;
}

class ProviderFaultTest : public FileFailureTest, public ::testing::WithParamInterface<ProviderFault> {};

TEST_P(ProviderFaultTest, GivesTheStepsMessageAndReleasesTheContextLast)
{
    const ProviderFault fault = GetParam();
    const QString password = fault.formB ? QString() : passPhrase();
    QByteArray input(2500, 'p');
    if (!fault.encrypting) {
        ASSERT_TRUE(crypt(true, password, input)); // something to decrypt, made without faults
        input = out();
    }
    m_provider->failOp = fault.op;
    m_provider->failOnCall = fault.onCall;
    failsWith(fault.encrypting, password, QString::fromUtf8(fault.message), input);
    EXPECT_EQ(m_log.back(), "release context");
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ProviderFaultTest,
    ::testing::Values(ProviderFault{"EncryptFormA_createHash", "createHash", 1, true, false, "CryptCreateHash Error!"},
                      ProviderFault{"EncryptFormA_hashData", "hashData", 1, true, false, "CryptHashData Error!"},
                      ProviderFault{"EncryptFormA_deriveKey", "deriveKey", 1, true, false, "CryptDeriveKey Error!"},
                      ProviderFault{"EncryptFormB_generateKey", "generateKey", 1, true, true, "CryptGenKey Error!"},
                      ProviderFault{"EncryptFormB_getUserExchangeKey", "getUserExchangeKey", 1, true, true,
                                    "CryptGetUserKey Error!"},
                      ProviderFault{"EncryptFormB_exportLength", "exportSimpleBlob", 1, true, true, "CryptExportKey Error!"},
                      ProviderFault{"EncryptFormB_exportBlob", "exportSimpleBlob", 2, true, true, "CryptExportKey Error!"},
                      ProviderFault{"EncryptFormA_encryptSecondChunk", "encrypt", 2, true, false, "CryptEncrypt Error!"},
                      ProviderFault{"DecryptFormB_importSimpleBlob", "importSimpleBlob", 1, false, true,
                                    "CryptImportKey Error!"},
                      ProviderFault{"DecryptFormA_decrypt", "decrypt", 1, false, false, "CryptDecrypt Error!"},
                      ProviderFault{"DecryptFormA_hashData", "hashData", 1, false, false, "CryptHashData Error!"}),
    [](const auto& info) { return std::string(info.param.name); });

// A missing container is made with a new key set; when that fails too, the
// output is already created and is left empty.
TEST_F(FileFailureTest, ContextFailingTwiceIsTheAcquireMessage)
{
    QTemporaryDir fresh;
    m_env.provider = std::make_shared<FaultyProvider>(
        std::make_shared<OpenSslCryptoProvider>(OpenSslCryptoProvider::Options{fresh.path(), QStringLiteral("none")}),
        m_log);
    failsWith(true, passPhrase(), QStringLiteral("CryptAcquireContext Error!"));
    EXPECT_EQ(m_log, (Log{"acquire", "acquire new keyset"}));
    EXPECT_TRUE(QFileInfo(path("out")).isFile() && out().isEmpty());
}

// Two programs making their first use of one key folder at once: the one
// that loses the creation acquires the other's container, so both succeed;
// form A leaves the container empty (no key pair it would never use).
TEST_F(CryptFileTest, TwoFirstUsesAtOnceBothSucceedAndMakeNoKeyPair)
{
    ASSERT_TRUE(writeBytes(path("in"), QByteArray(3000, 'r')));
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
        EXPECT_EQ(readBytes(path("out0")), readBytes(path("out1")));
        EXPECT_EQ(QDir(keys).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("default-container.pem")});
        EXPECT_EQ(QFileInfo(keys + QStringLiteral("/default-container.pem")).size(), 0);
    }
}

TEST_F(FileFailureTest, BlobLengthZeroIsAMemoryError)
{
    m_provider->exportLengthZero = true;
    failsWith(true, QString(), QStringLiteral("メモリー割り当て Error!"));
}

// /dev/full refuses the buffered first chunk only at the close, after the
// second chunk's step failed: the step's message stays.
TEST_F(FileFailureTest, AFailedCloseAfterAFailedStepKeepsTheStepsMessage)
{
    m_provider->failOp = "encrypt";
    m_provider->failOnCall = 2;
    m_outFile = QStringLiteral("/dev/full");
    failsWith(true, passPhrase(), QStringLiteral("CryptEncrypt Error!"));
}

} // namespace
