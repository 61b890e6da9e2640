// Any bytes as an encrypted file of form B (a session key sealed with the
// key container, no password), decrypted by clsCryptFile mode 0. The key
// container is a fixed small one copied into a scratch folder, so the seeds
// made with it reach the key import and the stream.
#include "FuzzSupport.h"

#include "crypto/clsCryptFile.h"
#include "platform/crypto/OpenSslCryptoProvider.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace {

const QString kLengthMessage = QStringLiteral("暗号化ファイルの鍵データの長さ");

struct Setup {
    std::string folder = fuzz::scratchFolder("fuzz_form_b");
    std::shared_ptr<platform::CryptoProvider> provider;
    std::uint32_t blobLength = 0; // N of every file this container writes

    Setup()
    {
        const std::string keys = folder + "/keys";
        std::filesystem::create_directories(keys);
        std::filesystem::copy_file(TAMBERLOX_FUZZ_KEY_CONTAINER, keys + "/default-container.pem");
        provider = std::make_shared<platform::OpenSslCryptoProvider>(
            platform::OpenSslCryptoProvider::Options { QString::fromStdString(keys) });
        // N as the encryption writes it.
        fuzz::writeFile(path("plain"), "x", 1);
        clsCryptFile crypt = make(path("plain"), path("sealed"));
        FUZZ_CHECK(crypt.Encrypt(0));
        const std::string sealed = fuzz::readFile(path("sealed"));
        FUZZ_CHECK(sealed.size() > 4);
        for (int i = 3; i >= 0; --i)
            blobLength
                = blobLength << 8 | static_cast<std::uint8_t>(sealed[static_cast<std::size_t>(i)]);
    }

    std::string path(const char* name) const { return folder + "/" + name; }

    clsCryptFile make(const std::string& in, const std::string& out) const
    {
        clsCryptFile::Environment environment;
        environment.provider = provider;
        clsCryptFile crypt(environment);
        crypt.setInFile(QString::fromStdString(in));
        crypt.setOutFile(QString::fromStdString(out));
        crypt.setPassword(QString());
        return crypt;
    }
};

std::int64_t headerLength(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return -1;
    const std::uint32_t raw
        = data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    return static_cast<std::int32_t>(raw);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Setup setup;
    fuzz::writeFile(setup.path("in"), data, size);
    clsCryptFile crypt = setup.make(setup.path("in"), setup.path("out"));
    const bool decrypted = crypt.Decrypt(0);

    const std::int64_t blobLength = headerLength(data, size);
    const auto rest = static_cast<std::int64_t>(size) - 4;
    const bool lengthFits = blobLength > 0 && blobLength <= rest;
    if (!lengthFits) {
        // The length check refuses before anything is read or allocated.
        FUZZ_CHECK(!decrypted);
        FUZZ_CHECK(crypt.GetErrMsg().startsWith(kLengthMessage));
        return 0;
    }
    if (!decrypted) {
        FUZZ_CHECK(!crypt.GetErrMsg().isEmpty());
        return 0;
    }
    // Only the container's own blob opens, and the rest is the stream.
    FUZZ_CHECK(blobLength == setup.blobLength);
    const std::string out = fuzz::readFile(setup.path("out"));
    FUZZ_CHECK(static_cast<std::int64_t>(out.size()) == rest - blobLength);
    return 0;
}
