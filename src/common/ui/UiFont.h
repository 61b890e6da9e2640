#pragma once

#include <QFont>
#include <QStringList>

// The windows' font: "ＭＳ ゴシック" 9 pt where it is installed, else the
// closest Japanese gothic at hand.
namespace uifont {

inline constexpr int kPointSize = 9;

// The families asked for, best first.
QStringList preferredFamilies();

// The first preferred family among installed (exact name match); empty when
// none is installed.
QString chooseFamily(const QStringList& installed);

// The font for a window and all its controls; the system's default family
// at 9 pt when no Japanese gothic is installed.
QFont windowFont();

} // namespace uifont
