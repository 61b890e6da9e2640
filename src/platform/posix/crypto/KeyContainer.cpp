#include "platform/posix/crypto/KeyContainer.h"

#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString ossl::takeErrorText(const QString& fallback)
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return fallback;
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return fallback + QStringLiteral(": ") + QString::fromLatin1(text);
}

namespace keycontainer {
namespace {

QString errnoText(const QString& what, int error)
{
    return what + QStringLiteral(": ") + systemErrorText(error);
}

bool makeFolder(const QString& folder, QString& error)
{
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create the key folder ") + folder;
        return false;
    }
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    return true;
}

QByteArray pemOf(EVP_PKEY* pair, QString& error)
{
    std::unique_ptr<BIO, decltype(&BIO_free)> memory(BIO_new(BIO_s_mem()), &BIO_free);
    if (!memory || PEM_write_bio_PrivateKey(memory.get(), pair, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        error = ossl::takeErrorText(QStringLiteral("cannot encode the key pair"));
        return {};
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(memory.get(), &data);
    return QByteArray(data, static_cast<qsizetype>(size));
}

bool writeAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Writes a private temporary file, then links it to the final name: link()
// refuses an existing name, so two first uses never replace each other's pair.
CreateResult publish(const QString& finalPath, const QByteArray& pem, QString& error)
{
    QByteArray temp = QFile::encodeName(finalPath + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = errnoText(QStringLiteral("cannot create the key file"), errno);
        return CreateResult::Failed;
    }
    ::fchmod(fd, 0600);
    const bool written = writeAll(fd, pem) && ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    CreateResult result = CreateResult::Created;
    if (!written) {
        error = errnoText(QStringLiteral("cannot write the key file"), writeError);
        result = CreateResult::Failed;
    } else if (::link(temp.constData(), QFile::encodeName(finalPath).constData()) != 0) {
        result = errno == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
        error = errnoText(QStringLiteral("cannot publish the key file"), errno);
    }
    ::unlink(temp.constData());
    return result;
}

QString pathIn(const QString& folder, const char* name)
{
    return QDir(folder).filePath(QString::fromLatin1(name));
}

} // namespace

CreateResult create(const QString& folder, QString& error)
{
    if (!makeFolder(folder, error))
        return CreateResult::Failed;
    // O_EXCL: of two first uses exactly one creates, the other finds it.
    const QByteArray path = QFile::encodeName(pathIn(folder, kFileName));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int failure = errno;
        error = errnoText(QStringLiteral("cannot create the key container"), failure);
        return failure == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
    }
    ::close(fd);
    return CreateResult::Created;
}

ossl::PkeyPtr exchangePair(OSSL_LIB_CTX* libCtx, const QString& folder, int bits, QString& error)
{
    // Containers made before the pair was kept apart hold it themselves.
    if (QFileInfo(pathIn(folder, kFileName)).size() > 0)
        return load(libCtx, pathIn(folder, kFileName), error);
    const QString pairPath = pathIn(folder, kExchangeFileName);
    if (!QFileInfo::exists(pairPath)) {
        ossl::PkeyPtr pair(EVP_PKEY_Q_keygen(libCtx, nullptr, "RSA", static_cast<size_t>(bits)));
        if (!pair) {
            error = ossl::takeErrorText(QStringLiteral("cannot make the key-exchange pair"));
            return nullptr;
        }
        const QByteArray pem = pemOf(pair.get(), error);
        if (pem.isEmpty())
            return nullptr;
        const CreateResult made = publish(pairPath, pem, error);
        if (made == CreateResult::Created)
            return pair;
        if (made == CreateResult::Failed)
            return nullptr;
        // Another process published its pair first: use that one.
    }
    return load(libCtx, pairPath, error);
}

ossl::PkeyPtr load(OSSL_LIB_CTX* libCtx, const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the key container: ") + file.errorString();
        return nullptr;
    }
    const QByteArray pem = file.readAll();
    std::unique_ptr<BIO, decltype(&BIO_free)> memory(
        BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size())), &BIO_free);
    // A container is never protected by a pass phrase: refuse to prompt.
    pem_password_cb* noPrompt = [](char*, int, int, void*) { return 0; };
    ossl::PkeyPtr pair(memory ? PEM_read_bio_PrivateKey_ex(memory.get(), nullptr, noPrompt, nullptr, libCtx, nullptr)
                              : nullptr);
    if (!pair || !EVP_PKEY_is_a(pair.get(), "RSA")) {
        error = ossl::takeErrorText(QStringLiteral("the key container holds no RSA key pair"));
        return nullptr;
    }
    return pair;
}

} // namespace keycontainer
} // namespace platform
