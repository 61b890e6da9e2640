#pragma once

#include <QRect>

class QWidget;

// The windows were laid out in twips: 1440 to the inch, converted at the
// screen's logical DPI (15 twips per pixel at 96 DPI).
namespace twips {

inline constexpr int kPerInch = 1440;

// Pixels for a length in twips, rounded to the nearest pixel.
int toPixels(int twips, qreal dpi);

// A control's rectangle. The edges are converted, not the sizes, so
// neighbouring controls keep their gaps.
QRect toRect(int left, int top, int width, int height, qreal dpi);

// Logical DPI of the screen the widget is on (the primary screen before it
// is shown); 96 when there is no screen.
qreal logicalDpi(const QWidget* widget);

// Places widget at its twip rectangle within its parent.
void place(QWidget* widget, int left, int top, int width, int height);

} // namespace twips
