#!/usr/bin/env python3
"""Writes the EncryptedData messages the component's tests decrypt: good ones
built here from the documented layout (hashlib for SHA-1, the openssl command
for DES-CBC), and one hostile file per failure, named after it.

Layout: SEQUENCE { OID 1.3.6.1.4.1.311.88.3, [0] SEQUENCE { OID
1.3.6.1.4.1.311.88.3.1, [0] SEQUENCE { INTEGER version 0x20000, INTEGER alg
0x6601, INTEGER key bits, OCTET STRING iv(8), OCTET STRING salt(16), OCTET
STRING cipher } } }; key = SHA-1(password UTF-16LE || salt)[:8]; DES-CBC with
PKCS #5 padding over the text's UTF-16LE bytes; Base64, CR LF every 64.

Run in this folder: python3 make_messages.py  (needs the openssl command)
"""
import base64
import hashlib
import subprocess

OID_DATA = bytes.fromhex("2b0601040182375803")
OID_CONTENT = bytes.fromhex("2b060104018237580301")
IV = bytes.fromhex("0102030405060708")
SALT = bytes.fromhex("a0a1a2a3a4a5a6a7a8a9aaabacadaeaf")


def tlv(tag, body):
    n = len(body)
    if n < 0x80:
        head = bytes([n])
    else:
        raw = n.to_bytes((n.bit_length() + 7) // 8, "big")
        head = bytes([0x80 | len(raw)]) + raw
    return bytes([tag]) + head + body


def integer(value):
    raw = value.to_bytes(max(1, (value.bit_length() + 8) // 8), "big")
    return tlv(0x02, raw)


def des(key, iv, data, decrypt=False):
    cmd = ["openssl", "enc", "-des-cbc", "-K", key.hex(), "-iv", iv.hex(),
           "-provider", "legacy", "-provider", "default"]
    if decrypt:
        cmd.append("-d")
    run = subprocess.run(cmd, input=data, capture_output=True)
    return run.stdout if run.returncode == 0 else None


def fields(cipher, version=0x20000, alg=0x6601, bits=56, iv=IV, salt=SALT):
    return (integer(version) + integer(alg) + integer(bits) + tlv(0x04, iv)
            + tlv(0x04, salt) + tlv(0x04, cipher))


def message(body, oid_data=OID_DATA, oid_content=OID_CONTENT):
    content = tlv(0x30, tlv(0x06, oid_content) + tlv(0xA0, tlv(0x30, body)))
    return tlv(0x30, tlv(0x06, oid_data) + tlv(0xA0, content))


def key_for(password, salt=SALT):
    return hashlib.sha1(password.encode("utf-16-le") + salt).digest()[:8]


def cipher_for(text, password):
    return des(key_for(password), IV, text.encode("utf-16-le"))


def lines(data):
    text = base64.b64encode(data).decode()
    return "".join(text[i:i + 64] + "\r\n" for i in range(0, len(text), 64))


def write(name, text):
    with open(name, "w", newline="") as f:
        f.write(text)


good_cipher = cipher_for("パスワード123", "Zubq")
good = message(fields(good_cipher))
write("good_zubq.txt", lines(good))
write("good_zubq_one_line.txt", base64.b64encode(good).decode())
write("good_unrepresentable.txt", lines(message(fields(cipher_for("caf\u00e9 \u2603 \u00a5\u301c", "Zubq")))))
write("good_long_text.txt", lines(message(fields(cipher_for("長い文字列" * 40, "Zubq")))))

write("not_base64.txt", lines(good).replace("A", "*", 1) if "A" in lines(good) else "*" + lines(good))
write("truncated.txt", lines(good[: len(good) // 2]))
write("wrong_outer_oid.txt", lines(message(fields(good_cipher), oid_data=bytes.fromhex("2b0601040182375804"))))
write("wrong_inner_oid.txt", lines(message(fields(good_cipher), oid_content=bytes.fromhex("2b060104018237580302"))))
write("unsupported_version.txt", lines(message(fields(good_cipher, version=0x10000))))
write("unsupported_algorithm_rc2.txt", lines(message(fields(good_cipher, alg=0x6602))))
write("bad_iv_length.txt", lines(message(fields(good_cipher, iv=IV[:7]))))
write("cipher_not_whole_blocks.txt", lines(message(fields(good_cipher[:-3]))))
write("trailing_bytes.txt", lines(good + b"\x00"))
write("length_past_end.txt", lines(good[:-len(good_cipher) - 2] + b"\x04\x84\x7f\xff\xff\xff" + good_cipher))
write("negative_version.txt", lines(message(tlv(0x02, b"\xff") + fields(good_cipher)[5:])))

# The last cipher block damaged so that the padding is wrong.
for flip in range(1, 256):
    damaged = good_cipher[:-1] + bytes([good_cipher[-1] ^ flip])
    if des(key_for("Zubq"), IV, damaged, decrypt=True) is None:
        write("damaged_last_block.txt", lines(message(fields(damaged))))
        break

# Sanity: openssl itself reads the good message back.
assert des(key_for("Zubq"), IV, good_cipher, decrypt=True) == "パスワード123".encode("utf-16-le")
