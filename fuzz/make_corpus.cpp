// Writes the seed corpora of the fuzz targets with the program's own code:
// settings files by clsIniFile, cabinets by the CAB component, encrypted
// texts by the pass-phrase encryptor, form B files by clsCryptFile.
//
//   fuzz_make_corpus <fuzz folder>
//
// Existing seeds are replaced. The form B key container is made (a 512-bit
// pair, small so the fuzzer runs fast) only when the folder has none.
#include "FuzzSupport.h"

#include "Base64.h"
#include "CommandLine.h"
#include "Cp932Codec.h"
#include "cab32.h"
#include "capicom.h"
#include "crypto/clsCryptFile.h"
#include "platform/crypto/OpenSslCryptoProvider.h"
#include "settings/clsIniFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string g_fuzzFolder;
std::string g_scratch;

[[noreturn]] void die(const std::string& what)
{
    std::fprintf(stderr, "fuzz_make_corpus: %s\n", what.c_str());
    std::exit(1);
}

std::string seedFolder(const char* target)
{
    const std::string folder = g_fuzzFolder + "/corpus/" + target;
    fuzz::removeTree(folder);
    fs::create_directories(folder);
    return folder;
}

void keep(const std::string& folder, const char* name, const std::string& bytes)
{
    fuzz::writeFile(folder + "/" + name, bytes.data(), bytes.size());
}

std::string encryptText(const std::string& cp932, const char* secret)
{
    capicom_encrypted_data* object = capicom_create();
    const char* text = nullptr;
    std::size_t length = 0;
    if (!object || capicom_set_secret(object, secret, std::strlen(secret)) != CAPICOM_OK
        || capicom_set_content(object, cp932.data(), cp932.size()) != CAPICOM_OK
        || capicom_encrypt(object, &text, &length) != CAPICOM_OK)
        die("the pass-phrase encryptor failed");
    std::string encrypted(text, length);
    capicom_destroy(object);
    return encrypted;
}

std::string withoutLineBreaks(std::string text)
{
    std::erase(text, '\r');
    std::erase(text, '\n');
    return text;
}

void iniSeeds()
{
    const std::string folder = seedFolder("fuzz_ini");
    const QString full = QString::fromStdString(g_scratch + "/full.ini");
    const QString password
        = QString::fromLatin1(withoutLineBreaks(encryptText("word1", "Zubq")).c_str());
    const std::vector<std::array<QString, 3>> settings {
        { QStringLiteral("USER"), QStringLiteral("HOUKOKU"), QStringLiteral("トルメア") },
        { QStringLiteral("USER"), QStringLiteral("USERID"), QStringLiteral("A123") },
        { QStringLiteral("USER"), QStringLiteral("PASSWORD"), password },
        { QStringLiteral("USER"), QStringLiteral("MAILADRESS"),
            QStringLiteral("reply@example.jp") },
        { QStringLiteral("SYSTEM"), QStringLiteral("OUTPUT"), QStringLiteral("/home/u/表示/出力") },
        { QStringLiteral("SYSTEM"), QStringLiteral("LOG"), QStringLiteral("/home/u/log/") },
        { QStringLiteral("SYSTEM"), QStringLiteral("TEMPLOG"), QStringLiteral("/home/u/ｿﾌﾄ") },
        { QStringLiteral("SYSTEM"), QStringLiteral("TEMP"), QStringLiteral("/tmp") }
    };
    clsIniFile ini;
    for (const auto& [section, key, value] : settings)
        if (!ini.WriteIniValue(value, section, key, full))
            die(ini.GetErrMessage().toStdString());
    keep(folder, "settings.ini", fuzz::readFile(full.toStdString()));

    // A rewrite in place and a section added later, as the settings window does.
    if (!ini.WriteIniValue(
            QStringLiteral("0x1F"), QStringLiteral("USER"), QStringLiteral("USERID"), full)
        || !ini.WriteIniValue(
            QStringLiteral("ソ能"), QStringLiteral("表示"), QStringLiteral("圭"), full))
        die(ini.GetErrMessage().toStdString());
    keep(folder, "rewritten.ini", fuzz::readFile(full.toStdString()));

    const QString small = QString::fromStdString(g_scratch + "/small.ini");
    if (!ini.WriteIniValue(
            QStringLiteral("-42"), QStringLiteral("SYSTEM"), QStringLiteral("TEMP"), small))
        die(ini.GetErrMessage().toStdString());
    keep(folder, "one_key.ini", fuzz::readFile(small.toStdString()));
}

void commandSeeds()
{
    const std::string folder = seedFolder("fuzz_cab_cmdline");
    // As clsCab32 builds them, with paths inside the fuzzer's sandbox.
    const std::vector<std::pair<const char*, std::string>> lines {
        { "compress_program", "-a -r -i -o -mz \"TEMPU_FILE.cab\" \"src/\" *.*" },
        { "compress_named", "-a -r -mz \"b.cab\" \"src/\" \"a.txt\"" },
        { "compress_stored", "-a -ms -o out.cab src sub/b.csv *.csv" },
        { "compress_lzx", "-a -ml21 lzx.cab src" },
        { "extract_program", "-x -o -i \"pack.cab\" \"pack/\" *.*" },
        { "extract_beside", "-x -i pack.cab ../unpacked a.txt sub/*" },
        { "extract_cp932", "-X -O \"pack.cab\" \"\x95\x5C\x8E\xA6/\" *.txt" }
    };
    cab32::Cp932Codec codec;
    for (const auto& [name, line] : lines) {
        cab32::Command command;
        if (!cab32::parseCommand(line, codec, command).ok())
            die("seed does not parse: " + line);
        keep(folder, name, line);
    }
}

void cabinetSeeds()
{
    const std::string folder = seedFolder("fuzz_cab_extract");
    const std::string src = g_scratch + "/cab_src";
    fs::create_directories(src + "/sub/深い");
    fuzz::writeFile(src + "/a.txt", "alpha\r\n", 7);
    fuzz::writeFile(src + "/sub/b.csv", "1,2,3\r\n", 7);
    fuzz::writeFile(src + "/sub/深い/表.txt", "cp932 name", 10);
    fuzz::writeFile(src + "/sub/\xC3\xBC.txt", "utf-8 name", 10);
    fuzz::writeFile(src + "/empty.dat", "", 0);
    std::string text;
    while (text.size() < 40000)
        text += "月報,集計値,12345,67890,東京都,備考なし\r\n";
    fuzz::writeFile(src + "/two_blocks.csv", text.data(), text.size());
    fs::permissions(src + "/a.txt",
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
        fs::perm_options::remove);
    const std::vector<std::pair<const char*, std::string>> cabinets {
        { "mszip.cab", "-a -r -i -o -mz \"" + g_scratch + "/mszip.cab\" \"" + src + "/\" *.*" },
        { "stored.cab", "-a -r -i -o -ms \"" + g_scratch + "/stored.cab\" \"" + src + "/\" *.txt" },
        { "one_empty.cab", "-a -o \"" + g_scratch + "/one_empty.cab\" \"" + src + "\" empty.dat" }
    };
    cab32::Cp932Codec codec;
    for (const auto& [name, utf8Line] : cabinets) {
        const auto line = codec.toCp932Exact(utf8Line);
        char message[256];
        if (!line || Cab(nullptr, line->c_str(), message, sizeof message) != CAB32_OK)
            die(std::string("cannot make ") + name + ": " + message);
        keep(folder, name, fuzz::readFile(g_scratch + "/" + name));
    }
    // The same cabinet with every file starting at the folder's first byte
    // (they overlap), and with a first file of 1 GiB its blocks do not hold.
    std::string overlap = fuzz::readFile(g_scratch + "/mszip.cab");
    std::string overDeclared = overlap;
    const auto le = [&](std::size_t at, int bytes) {
        std::size_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8
                | static_cast<unsigned char>(overlap.at(at + static_cast<std::size_t>(i)));
        return value;
    };
    for (std::size_t i = 0, entry = le(16, 4); i < le(28, 2); ++i) {
        std::fill_n(overlap.begin() + static_cast<std::ptrdiff_t>(entry + 4), 4, '\0');
        entry = overlap.find('\0', entry + 16) + 1;
    }
    overDeclared.replace(le(16, 4), 4, std::string("\0\0\0\x40", 4));
    keep(folder, "overlap.cab", overlap);
    keep(folder, "over_declared.cab", overDeclared);
}

void capicomSeeds()
{
    const std::string folder = seedFolder("fuzz_capicom_decrypt");
    auto der = [](const std::string& text) {
        std::vector<std::uint8_t> bytes;
        if (!capicom::decodeBase64(text, bytes))
            die("the encryptor wrote no Base64");
        return std::string(bytes.begin(), bytes.end());
    };
    const std::string stored = encryptText("\x83\x70\x83\x58,word1", "Zubq"); // "パス,word1"
    keep(folder, "text_lines", '\x00' + stored);
    keep(folder, "text_one_line", '\x00' + withoutLineBreaks(stored));
    keep(folder, "der", '\x01' + der(stored));
    keep(folder, "der_empty_content", '\x01' + der(encryptText("", "Zubq")));
    keep(folder, "der_long_content", '\x01' + der(encryptText(std::string(300, 'x'), "Zubq")));
    keep(folder, "text_empty_secret", '\x02' + encryptText("abc", ""));
}

void formBSeeds()
{
    const std::string folder = seedFolder("fuzz_form_b");
    const std::string keys = g_scratch + "/keys";
    const std::string container = g_fuzzFolder + "/keys/form_b_container.pem";
    platform::OpenSslCryptoProvider::Options options { QString::fromStdString(keys) };
    options.exchangeKeyBits = 512;
    auto provider = std::make_shared<platform::OpenSslCryptoProvider>(options);
    fs::create_directories(keys);
    if (fs::exists(container)) {
        fs::copy_file(container, keys + "/default-container.pem");
    } else {
        platform::CryptContext context {};
        platform::CryptKey pair {};
        if (!provider->acquireContext(platform::AcquireMode::NewKeySet, context)
            || !provider->getUserExchangeKey(context, pair))
            die("cannot make the key container: " + provider->lastError().toStdString());
        provider->destroyKey(pair);
        provider->releaseContext(context);
        fs::create_directories(g_fuzzFolder + "/keys");
        // The fuzz target reads the pair from the container file itself.
        fs::copy_file(keys + "/exchange-pair.pem", container);
    }
    std::string plain;
    for (const std::size_t size : { 0, 1, 1002, 1003, 2500 }) {
        plain.resize(size, 'r');
        fuzz::writeFile(g_scratch + "/plain", plain.data(), plain.size());
        clsCryptFile::Environment environment;
        environment.provider = provider;
        clsCryptFile crypt(environment);
        crypt.setInFile(QString::fromStdString(g_scratch + "/plain"));
        crypt.setOutFile(QString::fromStdString(g_scratch + "/sealed"));
        if (!crypt.Encrypt(0))
            die("form B encryption failed: " + crypt.GetErrMsg().toStdString());
        keep(folder, ("sealed_" + std::to_string(size)).c_str(),
            fuzz::readFile(g_scratch + "/sealed"));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        die("usage: fuzz_make_corpus <fuzz folder>");
    g_fuzzFolder = argv[1];
    g_scratch = fuzz::scratchFolder("fuzz_make_corpus");
    iniSeeds();
    commandSeeds();
    cabinetSeeds();
    capicomSeeds();
    formBSeeds();
    return 0;
}
