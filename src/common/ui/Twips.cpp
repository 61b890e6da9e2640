#include "common/ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace twips {

int toPixels(int twips, qreal dpi)
{
    return static_cast<int>(std::lround(twips * dpi / kPerInch));
}

QRect toRect(int left, int top, int width, int height, qreal dpi)
{
    const int x = toPixels(left, dpi);
    const int y = toPixels(top, dpi);
    return { x, y, toPixels(left + width, dpi) - x, toPixels(top + height, dpi) - y };
}

qreal logicalDpi(const QWidget* widget)
{
    const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(toRect(left, top, width, height, logicalDpi(widget)));
}

} // namespace twips
