#include "capicom.h"

#include "Base64.h"
#include "DesCipher.h"
#include "Message.h"
#include "TextCodec.h"

#include <array>
#include <new>
#include <span>
#include <string>
#include <vector>

struct capicom_encrypted_data {
    std::int32_t algorithm = CAPICOM_ENCRYPTION_ALGORITHM_DES;
    std::int32_t keyLength = CAPICOM_ENCRYPTION_KEY_LENGTH_MAXIMUM;
    bool hasSecret = false;
    std::vector<std::uint8_t> secret; // UTF-16LE
    bool hasContent = false;
    std::vector<std::uint8_t> content; // UTF-16LE
    std::string contentOut;            // CP932, handed out by get_content
    std::string encrypted;             // handed out by encrypt
    std::string lastError;             // CP932
    capicom::DesCipher cipher;
};

namespace {

using Object = capicom_encrypted_data;

int failWith(Object* object, capicom_result code, const std::string& utf8Text)
{
    object->lastError = capicom::utf8ToCp932(utf8Text);
    return code;
}

int succeed(Object* object)
{
    object->lastError.clear();
    return CAPICOM_OK;
}

int cryptoFailure(Object* object)
{
    return failWith(object, CAPICOM_E_CRYPTO,
                    "暗号ライブラリでエラーが発生しました。(" + object->cipher.error() + ")");
}

int codecFailure(Object* object)
{
    return failWith(object, CAPICOM_E_CRYPTO, "文字コードを変換できません (CP932)。");
}

// Runs an entry point: no C++ exception may cross the C interface.
template <typename Body>
int guarded(Object* object, Body body)
{
    if (object == nullptr)
        return CAPICOM_E_INVALID_ARGUMENT;
    try {
        return body();
    } catch (const std::bad_alloc&) {
        object->lastError = capicom::utf8ToCp932("メモリが不足しています。");
        return CAPICOM_E_NO_MEMORY;
    } catch (...) {
        object->lastError = capicom::utf8ToCp932("予期しないエラーが発生しました。");
        return CAPICOM_E_CRYPTO;
    }
}

int invalidArgument(Object* object)
{
    return failWith(object, CAPICOM_E_INVALID_ARGUMENT, "引数が正しくありません。");
}

int encryptContent(Object* object)
{
    capicom::Message message;
    message.iv.resize(capicom::kIvSize);
    message.salt.resize(capicom::kSaltSize);
    std::array<std::uint8_t, capicom::kDesKeySize> key{};
    if (!object->cipher.randomBytes(message.iv) || !object->cipher.randomBytes(message.salt)
        || !object->cipher.deriveKey(object->secret, message.salt, key)
        || object->cipher.run(true, key, message.iv, object->content, message.cipherText) != capicom::CipherStatus::Ok)
        return cryptoFailure(object);
    object->encrypted = capicom::encodeBase64Lines(capicom::packMessage(message));
    return succeed(object);
}

int decryptText(Object* object, std::span<const char> text)
{
    std::vector<std::uint8_t> data;
    if (!capicom::decodeBase64(text, data))
        return failWith(object, CAPICOM_E_BAD_ENCODING, "暗号化された文字列が Base64 形式ではありません。");
    capicom::Message message;
    std::string reason;
    if (capicom::unpackMessage(data, message, reason) != capicom::UnpackStatus::Ok)
        return failWith(object, CAPICOM_E_BAD_STRUCTURE, "暗号化されたデータの構造が正しくありません。(" + reason + ")");
    std::array<std::uint8_t, capicom::kDesKeySize> key{};
    if (!object->cipher.deriveKey(object->secret, message.salt, key))
        return cryptoFailure(object);
    std::vector<std::uint8_t> plain;
    const capicom::CipherStatus status = object->cipher.run(false, key, message.iv, message.cipherText, plain);
    // A right key gives whole UTF-16 units; an odd count is a wrong key too.
    if (status == capicom::CipherStatus::BadData || (status == capicom::CipherStatus::Ok && plain.size() % 2 != 0))
        return failWith(object, CAPICOM_E_BAD_DATA,
                        "不正なデータです。パスワードが違うか、暗号化されたデータが壊れています。");
    if (status != capicom::CipherStatus::Ok)
        return cryptoFailure(object);
    object->content = std::move(plain);
    object->hasContent = true;
    return succeed(object);
}

} // namespace

extern "C" {

capicom_encrypted_data* capicom_create(void)
{
    return new (std::nothrow) capicom_encrypted_data();
}

void capicom_destroy(capicom_encrypted_data* object)
{
    delete object;
}

int capicom_set_algorithm_name(capicom_encrypted_data* object, int32_t name)
{
    return guarded(object, [&] {
        if (name != CAPICOM_ENCRYPTION_ALGORITHM_DES)
            return failWith(object, CAPICOM_E_NOT_SUPPORTED,
                            "指定された暗号化アルゴリズムには対応していません (DES のみ)。");
        object->algorithm = name;
        return succeed(object);
    });
}

int capicom_set_algorithm_key_length(capicom_encrypted_data* object, int32_t keyLength)
{
    return guarded(object, [&] {
        if (keyLength < CAPICOM_ENCRYPTION_KEY_LENGTH_MAXIMUM || keyLength > CAPICOM_ENCRYPTION_KEY_LENGTH_256_BITS)
            return invalidArgument(object);
        object->keyLength = keyLength;
        return succeed(object);
    });
}

int capicom_set_secret(capicom_encrypted_data* object, const char* secret, size_t length)
{
    return guarded(object, [&] {
        if (secret == nullptr && length != 0)
            return invalidArgument(object);
        std::vector<std::uint8_t> utf16;
        if (!capicom::cp932ToUtf16le({secret, length}, utf16))
            return codecFailure(object);
        object->secret = std::move(utf16);
        object->hasSecret = true;
        return succeed(object);
    });
}

int capicom_set_content(capicom_encrypted_data* object, const char* text, size_t length)
{
    return guarded(object, [&] {
        if (text == nullptr && length != 0)
            return invalidArgument(object);
        std::vector<std::uint8_t> utf16;
        if (!capicom::cp932ToUtf16le({text, length}, utf16))
            return codecFailure(object);
        object->content = std::move(utf16);
        object->hasContent = true;
        return succeed(object);
    });
}

int capicom_get_content(capicom_encrypted_data* object, const char** text, size_t* length)
{
    return guarded(object, [&] {
        if (text == nullptr || length == nullptr)
            return invalidArgument(object);
        std::string cp932;
        if (!capicom::utf16leToCp932(object->content, cp932))
            return codecFailure(object);
        object->contentOut = std::move(cp932);
        *text = object->contentOut.c_str();
        *length = object->contentOut.size();
        return succeed(object);
    });
}

int capicom_encrypt(capicom_encrypted_data* object, const char** text, size_t* length)
{
    return guarded(object, [&] {
        if (text == nullptr || length == nullptr)
            return invalidArgument(object);
        if (!object->hasSecret)
            return failWith(object, CAPICOM_E_NO_SECRET, "パスワードが設定されていません。");
        if (!object->hasContent)
            return failWith(object, CAPICOM_E_NO_CONTENT, "暗号化する内容が設定されていません。");
        const int result = encryptContent(object);
        if (result == CAPICOM_OK) {
            *text = object->encrypted.c_str();
            *length = object->encrypted.size();
        }
        return result;
    });
}

int capicom_decrypt(capicom_encrypted_data* object, const char* text, size_t length)
{
    return guarded(object, [&] {
        if (text == nullptr && length != 0)
            return invalidArgument(object);
        if (!object->hasSecret)
            return failWith(object, CAPICOM_E_NO_SECRET, "パスワードが設定されていません。");
        return decryptText(object, {text, length});
    });
}

const char* capicom_last_error(const capicom_encrypted_data* object)
{
    if (object == nullptr)
        return "invalid object (null)";
    return object->lastError.c_str();
}

} // extern "C"
