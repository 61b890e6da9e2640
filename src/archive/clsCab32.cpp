#include "archive/clsCab32.h"

#include "archive/Cab32Component.h"
#include "platform/Cp932.h"
#include "platform/Folders.h"

#include <QFileInfo>

#include <cstdint>

namespace {

const QChar kQuote = QLatin1Char('"');
const QString kFailure = QStringLiteral("圧縮解凍処理にに失敗しました。Error Code:0x");

QString notFound(const QString& path)
{
    return QStringLiteral("ファイルが見つかりません。(%1)").arg(path);
}

QString noSeparator(const QString& path)
{
    return QStringLiteral("パスにフォルダーの区切り \"%1\" がありません。(%2)")
        .arg(platform::pathSeparator())
        .arg(path);
}

} // namespace

// The failure path of Cabcmp: the loaded entry points and, once a runtime
// error has happened, its description.
struct clsCab32::Runtime {
    archive::Cab32EntryPoints entry;
    QString error;

    bool fail(const QString& description)
    {
        error = description;
        return false;
    }
};

clsCab32::clsCab32()
    : clsCab32(platform::ComponentLookup{platform::programFolder(), true})
{
}

clsCab32::clsCab32(platform::ComponentLookup components)
    : m_components(std::move(components))
{
}

bool clsCab32::Cabcmp(const CabOwner* vNewValue)
{
    m_owner = vNewValue;
    Runtime runtime;
    std::int32_t result = 0;
    bool called = false;
    try {
        called = call(runtime, result);
    } catch (...) {
        runtime.error = QStringLiteral("予期しないエラーが発生しました。");
    }
    if (!called) {
        // The first message wins: an earlier text is not replaced.
        if (m_errMsg.isEmpty())
            m_errMsg = runtime.error;
        return false;
    }
    if (result != 0) {
        m_errMsg = kFailure + QString::number(static_cast<std::uint32_t>(result), 16).toUpper();
        return false;
    }
    return true;
}

bool clsCab32::call(Runtime& runtime, std::int32_t& result)
{
    if (!archive::loadCab32(m_components, runtime.entry, runtime.error))
        return false;
    const QByteArray inFile = platform::toCp932(m_inFile);
    QString command;
    const bool isArchive = runtime.entry.checkArchive(inFile.constData(), 1) != 0;
    if (!(isArchive ? buildExtract(runtime, command) : buildCompress(runtime, command)))
        return false;
    if (m_owner == nullptr)
        return runtime.fail(QStringLiteral("オーナー ウィンドウが指定されていません。"));
    const auto hwnd = reinterpret_cast<void*>(static_cast<std::intptr_t>(m_owner->hwnd()));
    const QByteArray bytes = platform::toCp932(command);
    // The class asks for no output text: an empty buffer of size 0.
    char output[1] = {'\0'};
    if (m_stopCheck && runtime.entry.cabStoppable != nullptr) {
        const auto ask = [](void* check) { return (*static_cast<std::function<bool()>*>(check))() ? 1 : 0; };
        result = runtime.entry.cabStoppable(hwnd, bytes.constData(), output, 0, ask, &m_stopCheck);
    } else {
        result = runtime.entry.cab(hwnd, bytes.constData(), output, 0);
    }
    return true;
}

bool clsCab32::buildCompress(Runtime& runtime, QString& command) const
{
    command += QStringLiteral("-a -r");
    if (m_silent)
        command += QStringLiteral(" -i");
    if (m_overWrite)
        command += QStringLiteral(" -o");
    command += methodSwitch() + QLatin1Char(' ');
    const QFileInfo input(m_inFile);
    if (!input.exists())
        return runtime.fail(notFound(m_inFile));
    if (input.isDir()) {
        command += kQuote + (m_outFile.isEmpty() ? m_inFile + QStringLiteral(".cab") : m_outFile) + kQuote;
        // Appended even when InFile already ends in one.
        command += QLatin1Char(' ') + kQuote + m_inFile + platform::pathSeparator() + kQuote;
        command += QStringLiteral(" *.*");
        return true;
    }
    QString baseName;
    QString fileName;
    const std::optional<QString> folder = FncSplitPath(m_inFile, baseName, fileName);
    if (!folder)
        return runtime.fail(noSeparator(m_inFile));
    command += QLatin1Char(' ') + kQuote + m_outFile + kQuote;
    command += QLatin1Char(' ') + kQuote + *folder + kQuote;
    command += QLatin1Char(' ') + kQuote + fileName + kQuote;
    return true;
}

bool clsCab32::buildExtract(Runtime& runtime, QString& command) const
{
    command += QStringLiteral("-x");
    if (m_overWrite)
        command += QStringLiteral(" -o");
    if (m_silent)
        command += QStringLiteral(" -i");
    QString baseName;
    QString fileName;
    const std::optional<QString> folder = FncSplitPath(m_inFile, baseName, fileName);
    if (!folder)
        return runtime.fail(noSeparator(m_inFile));
    const QString target = *folder + baseName;
    command += QLatin1Char(' ') + kQuote + m_inFile + kQuote;
    command += QLatin1Char(' ') + kQuote + target + FncGetSep(target) + kQuote;
    command += QStringLiteral(" *.*");
    return true;
}

QString clsCab32::methodSwitch() const
{
    switch (m_mode) {
    case 2: return QStringLiteral(" -ml") + QString::number(m_level);
    case 3: return QStringLiteral(" -mq") + QString::number(m_level);
    case 4: return QStringLiteral(" -ms");
    default: return QStringLiteral(" -mz");
    }
}

// Scans from the end for the last separator, noting the last "." on the
// way. A path with none runs the position down to 0, which is the runtime
// error.
std::optional<QString> clsCab32::FncSplitPath(const QString& strPath, QString& strBaseName,
                                              QString& strFileName)
{
    strBaseName.clear();
    strFileName.clear();
    const qsizetype n = strPath.size();
    qsizetype i = 0;
    qsizetype extension = 0;
    // Character at 1-based position p; position 0 does not exist.
    auto at = [&strPath](qsizetype p) { return strPath.at(p - 1); };
    while (!(i < n && platform::isPathSeparator(at(n - i)))) {
        ++i;
        if (n - i < 1)
            return std::nullopt;
        if (at(n - i) == QLatin1Char('.') && extension == 0)
            extension = i + 1;
    }
    strFileName = strPath.right(i);
    strBaseName = strFileName.left(strFileName.size() - extension);
    return strPath.left(n - i);
}

QString clsCab32::FncGetSep(const QString& strText)
{
    return !strText.isEmpty() && platform::isPathSeparator(strText.back())
        ? QString()
        : QString(platform::pathSeparator());
}

QString clsCab32::InFile() const { return m_inFile; }
void clsCab32::setInFile(const QString& vNewValue) { m_inFile = vNewValue; }
QString clsCab32::GetErrMsg() const { return m_errMsg; }
QString clsCab32::OutFile() const { return m_outFile; }
void clsCab32::setOutFile(const QString& vNewValue) { m_outFile = vNewValue; }
std::int16_t clsCab32::MODE() const { return m_mode; }
std::int16_t clsCab32::LEVEL() const { return m_level; }
bool clsCab32::Silent() const { return m_silent; }
void clsCab32::setSilent(bool vNewValue) { m_silent = vNewValue; }
bool clsCab32::OverWrite() const { return m_overWrite; }
void clsCab32::setOverWrite(bool vNewValue) { m_overWrite = vNewValue; }

void clsCab32::setMODE(std::int16_t vNewValue)
{
    m_mode = vNewValue >= 1 && vNewValue <= 4 ? vNewValue : 1;
    static constexpr std::int16_t kDefaultLevel[] = {0, 0, 15, 1, 0};
    m_level = kDefaultLevel[m_mode];
}

void clsCab32::setLEVEL(std::int16_t vNewValue)
{
    switch (m_mode) {
    case 2: m_level = vNewValue >= 15 && vNewValue <= 21 ? vNewValue : 15; break;
    case 3: m_level = vNewValue >= 1 && vNewValue <= 7 ? vNewValue : 7; break;
    default: m_level = 0; break;
    }
}
