#pragma once

// A capicom object for tests: owns the handle, speaks std::string (CP932
// bytes, as the interface does).
#include "capicom.h"

#include <string>

class CapicomTestObject {
public:
    CapicomTestObject() : m_object(capicom_create()) {}
    ~CapicomTestObject() { capicom_destroy(m_object); }
    CapicomTestObject(const CapicomTestObject&) = delete;
    CapicomTestObject& operator=(const CapicomTestObject&) = delete;

    capicom_encrypted_data* get() const { return m_object; }
    int setSecret(const std::string& secret) { return capicom_set_secret(m_object, secret.data(), secret.size()); }
    int setContent(const std::string& text) { return capicom_set_content(m_object, text.data(), text.size()); }
    int decrypt(const std::string& text) { return capicom_decrypt(m_object, text.data(), text.size()); }

    // The encrypted text, or "" when encrypt failed.
    std::string encrypt()
    {
        const char* text = nullptr;
        size_t length = 0;
        return capicom_encrypt(m_object, &text, &length) == CAPICOM_OK ? std::string(text, length) : "";
    }

    std::string content()
    {
        const char* text = nullptr;
        size_t length = 0;
        return capicom_get_content(m_object, &text, &length) == CAPICOM_OK ? std::string(text, length) : "<failed>";
    }

    std::string lastError() const { return capicom_last_error(m_object); }

private:
    capicom_encrypted_data* m_object;
};

// "パスワード123" as CP932 bytes.
inline const std::string kJapaneseCp932 = "\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68" "123";
