#include "platform/ProfileText.h"

#include "platform/Cp932.h"

namespace platform {

QByteArray trimBlanks(const QByteArray& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

qsizetype findSingleByte(const QByteArray& text, char c)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text.at(i));
        if (isCp932LeadByte(b)) {
            ++i;
            continue;
        }
        if (text.at(i) == c)
            return i;
    }
    return -1;
}

bool isWritableProfileName(const QByteArray& name, char delimiter)
{
    return !name.isEmpty() && isOneLine(name) && findSingleByte(name, delimiter) < 0
           && trimBlanks(name) == name;
}

} // namespace platform
