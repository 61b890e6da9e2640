#include "platform/Profile.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/ProfileText.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

namespace platform {
namespace {

// What one line can be read as (see Profile.h), so a read holds at most a
// couple of buffers whatever the file holds.
constexpr qsizetype kMaxLineBytes = 64 * 1024;
constexpr qsizetype kReadChunkBytes = 64 * 1024;
// Larger than any settings file; a rewrite holds the whole file.
constexpr qint64 kMaxWriteFileBytes = 16 * 1024 * 1024;

struct Line {
    QByteArray text;   // without its line end
    QByteArray ending; // "\r\n", "\n", or empty for a last line without one
};

std::vector<Line> splitLines(const QByteArray& data)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        const qsizetype lf = data.indexOf('\n', start);
        if (lf < 0) {
            lines.push_back({data.mid(start), QByteArray()});
            break;
        }
        const bool crlf = lf > start && data.at(lf - 1) == '\r';
        const qsizetype end = crlf ? lf - 1 : lf;
        lines.push_back({data.mid(start, end - start), crlf ? "\r\n" : "\n"});
        start = lf + 1;
    }
    return lines;
}

// The line as it is read: its first kMaxLineBytes bytes, less a lead byte
// whose trail byte the cut left out. Reads and rewrites both see lines so,
// and agree on which key a line holds.
QByteArray boundedLine(const QByteArray& text)
{
    if (text.size() <= kMaxLineBytes)
        return text;
    qsizetype i = 0;
    while (i < kMaxLineBytes)
        i += isCp932LeadByte(static_cast<unsigned char>(text.at(i))) ? 2 : 1;
    return text.left(i > kMaxLineBytes ? kMaxLineBytes - 1 : kMaxLineBytes);
}

// The file's lines one at a time, each as boundedLine gives it, ended as
// splitLines ends them; memory stays at the read chunk and one line.
class LineReader {
public:
    explicit LineReader(QFile& file) : m_file(file), m_chunk(kReadChunkBytes, Qt::Uninitialized)
    {
        m_line.reserve(kMaxLineBytes + 1);
    }

    // The next line, or nullopt at the end of the file (or a read error).
    std::optional<QByteArray> next()
    {
        m_line.resize(0);
        bool any = false;
        bool ended = false;
        bool cut = false;
        while (!ended) {
            if (m_pos == m_end) {
                const qint64 got = m_file.read(m_chunk.data(), m_chunk.size());
                if (got <= 0)
                    break;
                m_pos = 0;
                m_end = static_cast<qsizetype>(got);
            }
            any = true;
            const char* begin = m_chunk.constData() + m_pos;
            const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', m_end - m_pos));
            ended = lf != nullptr;
            const qsizetype length = ended ? lf - begin : m_end - m_pos;
            // One byte over the bound, so that a CR before the LF can be told apart.
            const qsizetype room = kMaxLineBytes + 1 - m_line.size();
            cut = cut || length > room;
            m_line.append(begin, std::min(length, room));
            m_pos += length + (ended ? 1 : 0);
        }
        if (!any)
            return std::nullopt;
        if (ended && !cut && m_line.endsWith('\r'))
            m_line.chop(1);
        return boundedLine(m_line);
    }

private:
    QFile& m_file;
    QByteArray m_chunk;
    QByteArray m_line;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
};

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Names match without case of ASCII letters; double-byte characters match
// byte for byte, since their trail bytes may look like letters.
bool sameName(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (isCp932LeadByte(static_cast<unsigned char>(a.at(i))) && i + 1 < a.size()) {
            if (a.at(i) != b.at(i) || a.at(i + 1) != b.at(i + 1))
                return false;
            ++i;
        } else if (asciiLower(a.at(i)) != asciiLower(b.at(i))) {
            return false;
        }
    }
    return true;
}

std::optional<QByteArray> sectionName(const QByteArray& text)
{
    // Most lines are no header; they are told so without a copy.
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    if (first == text.end() || *first != '[')
        return std::nullopt;
    const QByteArray line = trimBlanks(text);
    if (!line.startsWith('['))
        return std::nullopt;
    const QByteArray inner = line.mid(1);
    const qsizetype close = findSingleByte(inner, ']');
    return trimBlanks(close < 0 ? inner : inner.left(close));
}

struct KeyLine {
    QByteArray key;
    QByteArray value;
};

std::optional<KeyLine> keyLine(const QByteArray& text)
{
    const QByteArray line = trimBlanks(text);
    if (line.startsWith(';') || line.startsWith('['))
        return std::nullopt;
    const qsizetype eq = findSingleByte(line, '=');
    if (eq < 0)
        return std::nullopt;
    QByteArray value = trimBlanks(line.mid(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return KeyLine{trimBlanks(line.left(eq)), value};
}

// Index range [begin, end) of the lines of the first section of that name:
// begin is the header line; nullopt when there is no such section.
struct SectionRange {
    size_t header;
    size_t end;
};

std::optional<SectionRange> findSection(const std::vector<Line>& lines, const QByteArray& section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(boundedLine(lines[i].text));
        if (!name || !sameName(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !sectionName(boundedLine(lines[end].text)))
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> findKey(const std::vector<Line>& lines, const SectionRange& range,
                              const QByteArray& key)
{
    for (size_t i = range.header + 1; i < range.end; ++i) {
        const auto entry = keyLine(boundedLine(lines[i].text));
        if (entry && sameName(entry->key, key))
            return i;
    }
    return std::nullopt;
}

std::optional<QByteArray> readValue(const QByteArray& section, const QByteArray& key,
                                    const QString& path)
{
    QFile file(path);
    if (section.isEmpty() || key.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // As findSection and findKey: the first key of the first section of
    // that name; the next header ends the search.
    LineReader reader(file);
    bool inSection = false;
    while (const auto line = reader.next()) {
        if (const auto name = sectionName(*line)) {
            if (inSection)
                return std::nullopt;
            inSection = sameName(*name, section);
        } else if (inSection) {
            if (auto entry = keyLine(*line); entry && sameName(entry->key, key))
                return std::move(entry->value);
        }
    }
    return std::nullopt;
}

// At most maxBytes bytes of value, never half a double-byte character.
QByteArray cutValue(const QByteArray& value, qsizetype maxBytes)
{
    qsizetype end = 0;
    while (end < value.size()) {
        const bool wide = isCp932LeadByte(static_cast<unsigned char>(value.at(end)))
                          && end + 1 < value.size();
        const qsizetype next = end + (wide ? 2 : 1);
        if (next > maxBytes)
            break;
        end = next;
    }
    return end == value.size() ? value : value.left(end);
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Leading digits of the value, decimal or 0x hex; the rest is ignored.
int parseInteger(const QByteArray& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == '-' || text.at(i) == '+'))
        negative = text.at(i++) == '-';
    unsigned base = 10;
    if (text.mid(i, 2).toLower() == "0x") {
        base = 16;
        i += 2;
    }
    unsigned result = 0;
    for (; i < text.size() && static_cast<unsigned>(digitValue(text.at(i))) < base; ++i)
        result = result * base + static_cast<unsigned>(digitValue(text.at(i)));
    return static_cast<int>(negative ? 0u - result : result);
}

QByteArray joinLines(const std::vector<Line>& lines)
{
    QByteArray out;
    for (const Line& line : lines)
        out += line.text + line.ending;
    return out;
}

// Reads the whole file for a rewrite; a missing file is an empty one.
int readForWrite(const QString& path, QByteArray& data)
{
    const QFileInfo info(path);
    if (info.isDir())
        return EISDIR;
    if (!info.exists())
        return 0;
    if (info.size() > kMaxWriteFileBytes)
        return EFBIG;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.error() == QFileDevice::PermissionsError ? EACCES : EIO;
    data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return EIO; // a part of the file would be written back as the whole
    // It may have grown since it was looked at.
    return data.size() > kMaxWriteFileBytes ? EFBIG : 0;
}

} // namespace

QByteArray getProfileString(const QByteArray& section, const QByteArray& key,
                            const QByteArray& defaultValue, int bufferSize, const QString& path)
{
    if (bufferSize <= 0)
        return QByteArray();
    std::optional<QByteArray> value;
    try {
        value = readValue(section, key, path);
    } catch (...) {
        // Out of memory (or anything else): read as a missing key.
    }
    try {
        return cutValue(value.value_or(defaultValue), bufferSize - 1);
    } catch (...) {
        return QByteArray(); // the default did not fit and could not be cut
    }
}

int getProfileInt(const QByteArray& section, const QByteArray& key, int defaultValue,
                  const QString& path)
{
    try {
        const auto value = readValue(section, key, path);
        return value ? parseInteger(*value) : defaultValue;
    } catch (...) {
        return defaultValue;
    }
}

namespace {

int rewriteProfile(const QByteArray& section, const QByteArray& key, const QByteArray& value,
                   const QString& path)
{
    if (!isWritableProfileName(section, ']') || !isWritableProfileName(key, '=') || !isOneLine(value)
        || path.isEmpty())
        return EINVAL;
    QByteArray data;
    if (const int rc = readForWrite(path, data); rc != 0)
        return rc;
    std::vector<Line> lines = splitLines(data);
    const Line entry{key + '=' + value, "\r\n"};
    if (const auto range = findSection(lines, section)) {
        if (const auto index = findKey(lines, *range, key)) {
            lines[*index] = entry;
        } else {
            size_t after = range->header;
            for (size_t i = range->header + 1; i < range->end; ++i)
                if (keyLine(boundedLine(lines[i].text)))
                    after = i;
            if (lines[after].ending.isEmpty())
                lines[after].ending = "\r\n";
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after + 1), entry);
        }
    } else {
        if (!lines.empty() && lines.back().ending.isEmpty())
            lines.back().ending = "\r\n";
        lines.push_back({'[' + section + ']', "\r\n"});
        lines.push_back(entry);
    }
    return writeFileAtomically(path, joinLines(lines), 0600);
}

} // namespace

int writeProfileString(const QByteArray& section, const QByteArray& key, const QByteArray& value,
                       const QString& path)
{
    try {
        return rewriteProfile(section, key, value, path);
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    } catch (...) {
        return EIO;
    }
}

} // namespace platform
