#include "platform/Cp932.h"

#include <utility>

namespace platform {

QString windowsSpelling(const QString& text)
{
    static const std::pair<char16_t, char16_t> kTwins[] = {
        {u'\u301C', u'\uFF5E'}, {u'\u2212', u'\uFF0D'}, {u'\u2016', u'\u2225'}, {u'\u2014', u'\u2015'},
        {u'\u00A2', u'\uFFE0'}, {u'\u00A3', u'\uFFE1'}, {u'\u00AC', u'\uFFE2'},
    };
    QString out = text;
    for (const auto& [typed, windows] : kTwins)
        out.replace(QChar(typed), QChar(windows));
    return out;
}

QString firstCharOutsideCp932(const QString& text, bool twinsHeld)
{
    const QString wanted = twinsHeld ? windowsSpelling(text) : text;
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        const bool pair = wanted.at(i).isHighSurrogate() && i + 1 < wanted.size()
                          && wanted.at(i + 1).isLowSurrogate();
        const QString character = wanted.mid(i, pair ? 2 : 1);
        if (character.at(0).unicode() >= 0x80 && fromCp932(toCp932(character)) != character)
            return text.mid(i, pair ? 2 : 1);
        if (pair)
            ++i;
    }
    return QString();
}

int cp932Length(const QString& text)
{
    return static_cast<int>(toCp932(text).size());
}

} // namespace platform
