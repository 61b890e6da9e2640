// Every failure step of the file mode, made to happen by a provider that
// fails on request, with the order in which things are released.
#include "FaultyProvider.h"
#include "crypto/PassPhrase.h"

namespace {

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

TEST_F(FileFailureTest, BlobLengthZeroIsAMemoryError)
{
    m_provider->exportLengthZero = true;
    failsWith(true, QString(), QStringLiteral("メモリー割り当て Error!"));
}

} // namespace
