#pragma once

#include <QPoint>
#include <QRect>
#include <cmath>

// Window layouts are written in twips: 1/1440 inch, 15 to a logical pixel at 96 DPI.
// Qt scales logical pixels for high-DPI screens, so this is the only conversion needed.
inline constexpr int TwipsPerPixel = 15;

constexpr int twips(int t) {
    // Round half away from zero, like the classic window systems did.
    return t >= 0 ? (t + TwipsPerPixel / 2) / TwipsPerPixel
                  : -((-t + TwipsPerPixel / 2) / TwipsPerPixel);
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

constexpr QPoint twipsPoint(int x, int y) {
    return QPoint(twips(x), twips(y));
}
