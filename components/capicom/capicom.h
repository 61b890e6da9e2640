#pragma once

/*
 * libcapicom: the pass-phrase string encryptor, our stand-in for the
 * "CAPICOM.EncryptedData" object. The program loads it at run time by file
 * name (libcapicom.so) and binds these entry points by name.
 *
 * Message: DES-CBC (PKCS #5 padding) over the content's UTF-16LE bytes, the
 * key being the first 8 bytes of SHA-1(secret as UTF-16LE || salt), packed in
 * CAPICOM's EncryptedData structure (DER) with a random 8-byte IV and 16-byte
 * salt, and given as Base64 text with CR LF after each line of 64 characters.
 *
 * Text: every string that crosses this interface is CP932 (Windows Shift_JIS)
 * bytes, passed as pointer + length; it need not end with a NUL. A byte
 * sequence that is not CP932 becomes '?', and a character of a decrypted
 * content that CP932 cannot hold comes back as '?'.
 *
 * Ownership: the caller owns what it passes in; the object copies it. Every
 * pointer handed out (get_content, encrypt's result, last_error) belongs to
 * the object, ends with a NUL, and stays valid until the next call on the
 * same object or its destruction.
 *
 * Threads: one object must not be used by two threads at once; separate
 * objects are independent.
 *
 * Failure: every call that can fail returns a capicom_result; CAPICOM_OK is 0.
 * After a failure capicom_last_error() describes it in Japanese, ready to show
 * to the user. A failing call leaves the object's content and result as they
 * were.
 */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__) && defined(__ELF__) /* visibility is an ELF notion; the DLL exports by its .def */
#define CAPICOM_API __attribute__((visibility("default")))
#else
#define CAPICOM_API
#endif

typedef struct capicom_encrypted_data capicom_encrypted_data;

typedef enum capicom_result {
    CAPICOM_OK = 0,
    CAPICOM_E_INVALID_ARGUMENT = 1, /* null object or pointer, value out of range */
    CAPICOM_E_NO_MEMORY = 2,
    CAPICOM_E_NOT_SUPPORTED = 3,    /* algorithm other than DES */
    CAPICOM_E_NO_SECRET = 4,        /* encrypt or decrypt before set_secret */
    CAPICOM_E_NO_CONTENT = 5,       /* encrypt before set_content */
    CAPICOM_E_BAD_ENCODING = 6,     /* the encrypted text is not Base64 */
    CAPICOM_E_BAD_STRUCTURE = 7,    /* damaged, truncated or not an EncryptedData */
    CAPICOM_E_BAD_DATA = 8,         /* wrong pass phrase or damaged cipher text */
    CAPICOM_E_CRYPTO = 9            /* the crypto library failed (e.g. DES unavailable) */
} capicom_result;

/* CAPICOM_ENCRYPTION_ALGORITHM: only DES is offered. */
#define CAPICOM_ENCRYPTION_ALGORITHM_DES 2
/* CAPICOM_ENCRYPTION_KEY_LENGTH: 0 (maximum) to 5 (256 bits). */
#define CAPICOM_ENCRYPTION_KEY_LENGTH_MAXIMUM 0
#define CAPICOM_ENCRYPTION_KEY_LENGTH_256_BITS 5

/* A new object: algorithm DES, key length maximum, no secret, no content.
 * Null when no memory is left. Destroy it with capicom_destroy. */
CAPICOM_API capicom_encrypted_data* capicom_create(void);

/* Frees the object and everything it handed out. Null is ignored. */
CAPICOM_API void capicom_destroy(capicom_encrypted_data* object);

/* Algorithm.Name. CAPICOM_E_NOT_SUPPORTED for any value but
 * CAPICOM_ENCRYPTION_ALGORITHM_DES. */
CAPICOM_API int capicom_set_algorithm_name(capicom_encrypted_data* object, int32_t name);

/* Algorithm.KeyLength, 0 to 5 (CAPICOM_E_INVALID_ARGUMENT otherwise). DES
 * has one key size (56 bits), so the value does not change the result. */
CAPICOM_API int capicom_set_algorithm_key_length(capicom_encrypted_data* object, int32_t keyLength);

/* SetSecret with the default secret type (password). An empty secret is
 * allowed. */
CAPICOM_API int capicom_set_secret(capicom_encrypted_data* object, const char* secret, size_t length);

/* Content (set): the text to encrypt. An empty text is allowed. */
CAPICOM_API int capicom_set_content(capicom_encrypted_data* object, const char* text, size_t length);

/* Content (get): the text set, or the one the last decrypt produced. */
CAPICOM_API int capicom_get_content(capicom_encrypted_data* object, const char** text, size_t* length);

/* Encrypt with the default encoding (Base64). On CAPICOM_OK *text holds the
 * encrypted text (ASCII, CR LF after every line, the last one included).
 * A fresh IV and salt are drawn each time. */
CAPICOM_API int capicom_encrypt(capicom_encrypted_data* object, const char** text, size_t* length);

/* Decrypt: text is Base64, with or without line breaks (CR LF or LF). On
 * CAPICOM_OK the decrypted text becomes the content. */
CAPICOM_API int capicom_decrypt(capicom_encrypted_data* object, const char* text, size_t length);

/* The description of the last failure on this object (CP932), "" when the
 * last call succeeded. With a null object: a fixed text. Never null. */
CAPICOM_API const char* capicom_last_error(const capicom_encrypted_data* object);

#ifdef __cplusplus
}
#endif
