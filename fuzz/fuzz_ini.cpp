// Any bytes as a settings file: a few reads through clsIniFile, one write,
// then the same reads again. The written key must read back as written and
// every other key as before.
#include "FuzzSupport.h"

#include "platform/Cp932.h"
#include "settings/clsIniFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Name {
    QString section;
    QString key;
};

struct Write {
    Name name;
    QString value;
};

const QString& iniPath()
{
    static const QString path = QString::fromStdString(fuzz::scratchFolder("fuzz_ini"))
        + QStringLiteral("/TAMBERLOX.INI");
    return path;
}

// The settings file's own keys, names differing only in case, and names
// with trail bytes 0x5C and 0x5D (表, ソ, 圭).
std::vector<Name> fixedNames()
{
    return { { QStringLiteral("USER"), QStringLiteral("HOUKOKU") },
        { QStringLiteral("USER"), QStringLiteral("USERID") },
        { QStringLiteral("USER"), QStringLiteral("PASSWORD") },
        { QStringLiteral("USER"), QStringLiteral("MAILADRESS") },
        { QStringLiteral("SYSTEM"), QStringLiteral("OUTPUT") },
        { QStringLiteral("SYSTEM"), QStringLiteral("LOG") },
        { QStringLiteral("SYSTEM"), QStringLiteral("TEMPLOG") },
        { QStringLiteral("SYSTEM"), QStringLiteral("TEMP") },
        { QStringLiteral("user"), QStringLiteral("houkoku") },
        { QStringLiteral("表示"), QStringLiteral("ソ圭") },
        { QStringLiteral("NEW"), QStringLiteral("KEY") } };
}

// What the write may be: values that read back unchanged (one line, no
// blanks or quotes around them, at most 254 CP932 bytes).
std::vector<Write> writes()
{
    return { { { QStringLiteral("USER"), QStringLiteral("HOUKOKU") }, QStringLiteral("トルメア") },
        { { QStringLiteral("SYSTEM"), QStringLiteral("TEMP") }, QStringLiteral("/w/表示/ソ能") },
        { { QStringLiteral("user"), QStringLiteral("PassWord") }, QStringLiteral("a=b;[c]\"d") },
        { { QStringLiteral("NEW"), QStringLiteral("KEY") }, QString() },
        { { QStringLiteral("表示"), QStringLiteral("ソ圭") }, QStringLiteral("ﾄﾙﾒｱ 値  値") },
        { { QStringLiteral("SYSTEM"), QStringLiteral("LOG") }, QString(254, QLatin1Char('x')) },
        { { QStringLiteral("USER"), QStringLiteral("USERID") }, QStringLiteral("0x7fffffff") } };
}

QString decoded(const QByteArray& bytes)
{
    return platform::fromCp932(bytes.trimmed());
}

// Section and key names as the file spells them (a crude split), so reads
// also hit names the fuzzer made up.
std::vector<Name> namesFrom(const QByteArray& data)
{
    QList<QString> sections { QStringLiteral("USER") };
    QList<QString> keys;
    for (const QByteArray& line : data.split('\n')) {
        const QByteArray text = line.trimmed();
        if (text.startsWith('[') && sections.size() < 4)
            sections << decoded(text.mid(1, text.indexOf(']') - 1));
        else if (text.contains('=') && keys.size() < 4)
            keys << decoded(text.left(text.indexOf('=')));
    }
    std::vector<Name> names;
    for (const QString& section : sections)
        for (const QString& key : keys)
            names.push_back({ section, key });
    return names;
}

// The reader compares names without ASCII case; this errs towards calling
// two names alike, which only skips a comparison.
bool alike(const QString& a, const QString& b)
{
    return platform::toCp932(a).toLower() == platform::toCp932(b).toLower();
}

struct Reading {
    QString text;
    QString number;
};

// Integer reads only for the fixed names: they parse the same value again.
std::vector<Reading> readAll(const std::vector<Name>& names, std::size_t numbered)
{
    const clsIniFile ini;
    std::vector<Reading> readings;
    for (std::size_t i = 0; i < names.size(); ++i)
        readings.push_back({ ini.GetValue(iniPath(), names[i].section, names[i].key, 0),
            i < numbered ? ini.GetValue(iniPath(), names[i].section, names[i].key, 1)
                         : QString() });
    return readings;
}

// Every line but the written one stays as it was: what the write removed
// lies inside one line, and what it added is at most a key line, a section
// header and a line end given to a last line that had none.
void checkOnlyOneLineChanged(const std::string& before, const std::string& after)
{
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix
        && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const std::string removed = before.substr(prefix, before.size() - prefix - suffix);
    const std::string added = after.substr(prefix, after.size() - prefix - suffix);
    FUZZ_CHECK(removed.find('\n') == std::string::npos);
    FUZZ_CHECK(std::count(added.begin(), added.end(), '\n') <= 3);
    FUZZ_CHECK(added.size() <= 300);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::writeFile(iniPath().toStdString(), data, size);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<Name> names = fixedNames();
    const std::size_t numbered = names.size();
    for (const Name& name : namesFrom(bytes))
        names.push_back(name);
    const std::vector<Reading> before = readAll(names, numbered);

    const std::vector<Write> choices = writes();
    std::uint32_t pick = 0;
    for (std::size_t i = 0; i < size; ++i)
        pick = pick * 31 + data[i];
    const Write& write = choices[pick % choices.size()];
    clsIniFile ini;
    const bool written
        = ini.WriteIniValue(write.value, write.name.section, write.name.key, iniPath());
    if (!written)
        fuzz::violated(ini.GetErrMessage().toUtf8().constData(), __FILE__, __LINE__);

    FUZZ_CHECK(ini.GetValue(iniPath(), write.name.section, write.name.key) == write.value);
    checkOnlyOneLineChanged(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())),
        fuzz::readFile(iniPath().toStdString()));
    const std::vector<Reading> after = readAll(names, numbered);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (alike(names[i].section, write.name.section) && alike(names[i].key, write.name.key))
            continue;
        FUZZ_CHECK(after[i].text == before[i].text);
        FUZZ_CHECK(after[i].number == before[i].number);
    }
    return 0;
}
