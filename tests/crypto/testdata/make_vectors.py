#!/usr/bin/env python3
"""Writes form_a_vectors.txt: the expected form A output (RC4 under the key
that the Windows base provider derives from the MD5 of a password) for a set
of inputs. Computed here with hashlib and a plain RC4, apart from the code
under test.

Derivation (CryptDeriveKey, CALG_RC4, flags 0, base provider): the key is the
first 5 bytes of the MD5 hash, the salt 11 zero bytes, so RC4 runs with
md5[0:5] + 11 * b"\\0". The password is hashed as its CP932 bytes, only as
many bytes as it has characters.

Inputs: byte i = (i * mul + seed + (i >> 11)) & 0xFF for i in 0 .. size-1.

Run: python3 make_vectors.py > form_a_vectors.txt
"""
import hashlib


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 0xFF
        s[i], s[j] = s[j], s[i]
    out = bytearray(len(data))
    i = j = 0
    for n, byte in enumerate(data):
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out[n] = byte ^ s[(s[i] + s[j]) & 0xFF]
    return bytes(out)


def hashed_bytes(password):
    return password.encode("cp932")[: len(password)]


def rc4_key(password):
    return hashlib.md5(hashed_bytes(password)).digest()[:5] + bytes(11)


def pattern(size, mul, seed):
    return bytes((i * mul + seed + (i >> 11)) & 0xFF for i in range(size))


# The worked example of the Platform SDK (session key from a password hash,
# base provider, no CRYPT_CREATE_SALT): hash 73 40 e6 e2 74 ..., plaintext
# 00..1f. It pins the 5-byte key + 11 zero bytes of salt used above.
SDK_HASH = bytes.fromhex("7340e6e274b8ea399395aa29d638b52a")
SDK_CIPHER = bytes.fromhex(
    "2659de2444fa369c110cbb9db6a2bd24042ee3ba7276f3278dd5b42f56cff8c9")
assert rc4(SDK_HASH[:5] + bytes(11), pattern(32, 1, 0)) == SDK_CIPHER

VECTORS = [
    # name, password, size, mul, seed
    ("ramp", "124-kelp", 32, 1, 0),
    ("empty", "Zubq", 0, 37, 11),
    ("one_chunk", "Zubq", 1002, 37, 11),
    ("three_chunks", "Zubq", 2500, 37, 11),
    ("few_mib", "Zubq", 3 * 1024 * 1024 + 777, 37, 11),
    ("kanji_password", "\u4e00ab", 100, 37, 11),
    ("other_password", "secret-2", 2004, 91, 5),
]

print("# name\tpassword (UTF-8)\thashed bytes (hex)\tsize\tmul\tseed\tSHA-256 of the output\tfirst 32 output bytes")
for name, password, size, mul, seed in VECTORS:
    out = rc4(rc4_key(password), pattern(size, mul, seed))
    print("\t".join([name, password, hashed_bytes(password).hex(), str(size), str(mul), str(seed),
                     hashlib.sha256(out).hexdigest(), out[:32].hex()]))
