#include "common/MessageBoxes.h"

QString boxTitle(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Warning:
    case BoxKind::Information:
    case BoxKind::Question:
        return kAppCaption;
    case BoxKind::Confirmation:
    case BoxKind::Plain:
        return kAppTitle;
    case BoxKind::Error:
        return QStringLiteral("Error");
    }
    return kAppCaption;
}

int boxStyle(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Warning: return 48;
    case BoxKind::Information: return 64;
    case BoxKind::Question: return 36;
    case BoxKind::Confirmation: return 68;
    case BoxKind::Error: return 16;
    case BoxKind::Plain: return 0;
    }
    return 0;
}

bool boxHasYesNo(BoxKind kind)
{
    return kind == BoxKind::Question || kind == BoxKind::Confirmation;
}
