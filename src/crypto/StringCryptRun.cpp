#include "crypto/StringCryptRun.h"

#include "crypto/CapicomComponent.h"
#include "platform/Cp932.h"

#include <memory>

namespace crypto {
namespace {

constexpr std::int32_t kAlgorithmDes = 2; // CAPICOM_ENCRYPTION_ALGORITHM_DES
constexpr std::int32_t kKeyLengthMaximum = 0; // CAPICOM_ENCRYPTION_KEY_LENGTH_MAXIMUM

class EncryptedDataObject {
public:
    EncryptedDataObject(const CapicomEntryPoints& api) : m_api(api), m_object(api.create()) {}
    ~EncryptedDataObject()
    {
        if (m_object != nullptr)
            m_api.destroy(m_object);
    }
    EncryptedDataObject(const EncryptedDataObject&) = delete;
    EncryptedDataObject& operator=(const EncryptedDataObject&) = delete;

    capicom_encrypted_data* get() const { return m_object; }

    // The component's description of its last error.
    QString errorText() const { return platform::fromCp932(QByteArray(m_api.lastError(m_object))); }

private:
    const CapicomEntryPoints& m_api;
    capicom_encrypted_data* m_object;
};

bool callInOrder(const CapicomEntryPoints& api, EncryptedDataObject& object, const StringCryptRequest& request,
                 QString& result)
{
    capicom_encrypted_data* data = object.get();
    const QByteArray secret = platform::toCp932(request.password);
    const QByteArray text = platform::toCp932(request.text);
    if (api.setAlgorithmName(data, kAlgorithmDes) != 0 || api.setAlgorithmKeyLength(data, kKeyLengthMaximum) != 0
        || api.setSecret(data, secret.constData(), static_cast<std::size_t>(secret.size())) != 0)
        return false;
    const char* output = nullptr;
    std::size_t outputLength = 0;
    if (request.encrypting) {
        if (api.setContent(data, text.constData(), static_cast<std::size_t>(text.size())) != 0
            || api.encrypt(data, &output, &outputLength) != 0)
            return false;
    } else if (api.decrypt(data, text.constData(), static_cast<std::size_t>(text.size())) != 0
               || api.getContent(data, &output, &outputLength) != 0) {
        return false;
    }
    result = platform::fromCp932(QByteArray(output, static_cast<qsizetype>(outputLength)));
    return true;
}

} // namespace

bool runStringCrypt(const StringCryptRequest& request, QString& result, QString& errMsg)
{
    CapicomEntryPoints api;
    if (!loadCapicom(request.lookup, api, errMsg))
        return false;
    EncryptedDataObject object(api);
    if (object.get() == nullptr) {
        errMsg = QStringLiteral("CAPICOM.EncryptedData を作成できません。");
        return false;
    }
    if (!callInOrder(api, object, request, result)) {
        errMsg = object.errorText();
        return false;
    }
    return true;
}

} // namespace crypto
