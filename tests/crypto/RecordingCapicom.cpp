// A stand-in for libcapicom that records every call with its arguments and
// fails the call it is told to. Text goes through unchanged: encrypt gives
// "ENC[" + content + "]", decrypt takes the text as the content.
#include "capicom.h"

#include <string>

struct capicom_encrypted_data {
    std::string content;
    std::string result;
    std::string error;
};

namespace {

std::string g_log;
std::string g_failAt;

int record(capicom_encrypted_data* object, const std::string& call, const std::string& name)
{
    g_log += call + ";";
    if (name != g_failAt)
        return CAPICOM_OK;
    object->error = "recorded failure in " + name;
    return CAPICOM_E_BAD_DATA;
}

} // namespace

extern "C" {

CAPICOM_API const char* recording_capicom_log()
{
    return g_log.c_str();
}

CAPICOM_API void recording_capicom_reset(const char* failAt)
{
    g_log.clear();
    g_failAt = failAt;
}

CAPICOM_API capicom_encrypted_data* capicom_create()
{
    g_log += "create;";
    return g_failAt == "create" ? nullptr : new capicom_encrypted_data();
}

CAPICOM_API void capicom_destroy(capicom_encrypted_data* object)
{
    g_log += "destroy;";
    delete object;
}

CAPICOM_API int capicom_set_algorithm_name(capicom_encrypted_data* object, int32_t name)
{
    return record(object, "name=" + std::to_string(name), "name");
}

CAPICOM_API int capicom_set_algorithm_key_length(capicom_encrypted_data* object, int32_t length)
{
    return record(object, "keylength=" + std::to_string(length), "keylength");
}

CAPICOM_API int capicom_set_secret(capicom_encrypted_data* object, const char* secret, size_t length)
{
    return record(object, "secret=" + std::string(secret, length), "secret");
}

CAPICOM_API int capicom_set_content(capicom_encrypted_data* object, const char* text, size_t length)
{
    object->content.assign(text, length);
    return record(object, "content=" + object->content, "content");
}

CAPICOM_API int capicom_get_content(capicom_encrypted_data* object, const char** text, size_t* length)
{
    *text = object->content.c_str();
    *length = object->content.size();
    return record(object, "getcontent", "getcontent");
}

CAPICOM_API int capicom_encrypt(capicom_encrypted_data* object, const char** text, size_t* length)
{
    object->result = "ENC[" + object->content + "]";
    *text = object->result.c_str();
    *length = object->result.size();
    return record(object, "encrypt", "encrypt");
}

CAPICOM_API int capicom_decrypt(capicom_encrypted_data* object, const char* text, size_t length)
{
    object->content.assign(text, length);
    return record(object, "decrypt=" + object->content, "decrypt");
}

CAPICOM_API const char* capicom_last_error(const capicom_encrypted_data* object)
{
    return object->error.c_str();
}

} // extern "C"
