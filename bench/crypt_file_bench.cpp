// Encrypts one file with clsCryptFile in file mode (form A, the program's
// pass phrase) and prints the wall time and the peak resident size, for
// bench/crypto_vs_openssl.sh.
//
// usage: crypt_file_bench <input> <output> <key folder>
#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "platform/crypto/OpenSslCryptoProvider.h"

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <input> <output> <key folder>\n", argv[0]);
        return 2;
    }
    clsCryptFile::Environment environment;
    environment.provider = std::make_shared<platform::OpenSslCryptoProvider>(
        platform::OpenSslCryptoProvider::Options{QString::fromLocal8Bit(argv[3])});
    clsCryptFile cryptFile(environment);
    cryptFile.setInFile(QString::fromLocal8Bit(argv[1]));
    cryptFile.setOutFile(QString::fromLocal8Bit(argv[2]));
    cryptFile.setPassword(passPhrase());

    const auto start = std::chrono::steady_clock::now();
    const bool ok = cryptFile.Encrypt();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("seconds %.3f\npeak_rss_kib %ld\n", elapsed.count(), usage.ru_maxrss);
    if (!ok)
        std::fprintf(stderr, "failed: %s\n", cryptFile.GetErrMsg().toLocal8Bit().constData());
    return ok ? 0 : 1;
}
