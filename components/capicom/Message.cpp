#include "Message.h"

#include "Der.h"

#include <algorithm>

namespace capicom {
namespace {

// 1.3.6.1.4.1.311.88.3 and 1.3.6.1.4.1.311.88.3.1, DER contents octets.
constexpr std::uint8_t kOidEncryptedData[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x58, 0x03};
constexpr std::uint8_t kOidContent[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x58, 0x03, 0x01};

std::vector<std::uint8_t> wrap(std::uint8_t tag, const std::vector<std::uint8_t>& contents)
{
    std::vector<std::uint8_t> out;
    der::appendTlv(out, tag, contents);
    return out;
}

std::vector<std::uint8_t> labelled(std::span<const std::uint8_t> oid, const std::vector<std::uint8_t>& inner)
{
    std::vector<std::uint8_t> body;
    der::appendTlv(body, der::kObjectId, oid);
    der::appendTlv(body, der::kContext0, inner);
    return wrap(der::kSequence, body);
}

bool sameBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// Opens SEQUENCE { OID, [0] { ... } } and hands back the [0] contents.
bool openLabelled(std::span<const std::uint8_t> data, std::span<const std::uint8_t> oid,
                  std::span<const std::uint8_t>& inner, std::string& reason, const char* what)
{
    der::Reader outer(data);
    std::span<const std::uint8_t> body;
    if (!outer.read(der::kSequence, body) || !outer.atEnd()) {
        reason = std::string(what) + " の SEQUENCE が壊れているか、途中で切れています";
        return false;
    }
    der::Reader reader(body);
    std::span<const std::uint8_t> id;
    if (!reader.read(der::kObjectId, id) || !sameBytes(id, oid)) {
        reason = std::string(what) + " のオブジェクト識別子が違います";
        return false;
    }
    if (!reader.read(der::kContext0, inner) || !reader.atEnd()) {
        reason = std::string(what) + " の [0] 要素が壊れています";
        return false;
    }
    return true;
}

bool readOctets(der::Reader& reader, std::vector<std::uint8_t>& out)
{
    std::span<const std::uint8_t> contents;
    if (!reader.read(der::kOctetString, contents))
        return false;
    out.assign(contents.begin(), contents.end());
    return true;
}

} // namespace

std::vector<std::uint8_t> packMessage(const Message& message)
{
    std::vector<std::uint8_t> fields;
    der::appendTlv(fields, der::kInteger, der::integerContents(message.version));
    der::appendTlv(fields, der::kInteger, der::integerContents(message.algorithm));
    der::appendTlv(fields, der::kInteger, der::integerContents(message.keyBits));
    der::appendTlv(fields, der::kOctetString, message.iv);
    der::appendTlv(fields, der::kOctetString, message.salt);
    der::appendTlv(fields, der::kOctetString, message.cipherText);
    const std::vector<std::uint8_t> content = labelled(kOidContent, wrap(der::kSequence, fields));
    return labelled(kOidEncryptedData, content);
}

UnpackStatus unpackMessage(std::span<const std::uint8_t> data, Message& message, std::string& reason)
{
    std::span<const std::uint8_t> content;
    std::span<const std::uint8_t> fieldsElement;
    if (!openLabelled(data, kOidEncryptedData, content, reason, "EncryptedData")
        || !openLabelled(content, kOidContent, fieldsElement, reason, "EncryptedContent"))
        return UnpackStatus::BadStructure;
    der::Reader outer(fieldsElement);
    std::span<const std::uint8_t> fields;
    Message read;
    bool ok = outer.read(der::kSequence, fields) && outer.atEnd();
    der::Reader reader(fields);
    ok = ok && reader.readInteger(read.version) && reader.readInteger(read.algorithm)
         && reader.readInteger(read.keyBits) && readOctets(reader, read.iv) && readOctets(reader, read.salt)
         && readOctets(reader, read.cipherText) && reader.atEnd();
    if (!ok) {
        reason = "暗号化の情報 (版、アルゴリズム、鍵長、IV、ソルト、暗号文) が壊れています";
        return UnpackStatus::BadStructure;
    }
    if (read.version != kMessageVersion || read.algorithm != kAlgDes
        || (read.keyBits != kDesKeyBits && read.keyBits != 64)) {
        reason = "版またはアルゴリズムに対応していません (DES のみ)";
        return UnpackStatus::Unsupported;
    }
    if (read.iv.size() != kIvSize || read.salt.size() != kSaltSize || read.cipherText.empty()
        || read.cipherText.size() % 8 != 0) {
        reason = "IV、ソルトまたは暗号文の長さが正しくありません";
        return UnpackStatus::BadStructure;
    }
    message = std::move(read);
    return UnpackStatus::Ok;
}

} // namespace capicom
