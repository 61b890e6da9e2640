// The stand-in's key container on the file system: a container that cannot
// be made, two first uses at once (forked processes), and a device that is
// always full. Linux only: on Windows the container is CryptoAPI's own.
#include "FaultyProvider.h"
#include "crypto/PassPhrase.h"
#include "platform/crypto/OpenSslCryptoProvider.h"

#include <QFileInfo>

#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

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
