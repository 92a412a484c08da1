#pragma once

// Window units and text for the Qt layer: positions are given in twips
// (1/1440 inch), 15 to a logical pixel (Qt scales pixels for HiDPI); the
// behaviour's texts are 8-bit, one byte a character.
#include <QRect>
#include <QString>

#include <cmath>
#include <string>
#include <string_view>

namespace orva {

inline constexpr int kTwipsPerPixel = 15;
// Title bar and border, the part of an outer height that is not client area.
inline constexpr int kTitleAndBorderTwips = 480;

inline int twipsToPixels(int twips)
{
    return static_cast<int>(std::lround(twips / static_cast<double>(kTwipsPerPixel)));
}

// Edges are rounded, not sizes, so that neighbours stay neighbours.
inline QRect twipsRect(int left, int top, int width, int height)
{
    const int l = twipsToPixels(left);
    const int t = twipsToPixels(top);
    return {l, t, twipsToPixels(left + width) - l, twipsToPixels(top + height) - t};
}

inline QString latin1(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string toLatin1(const QString& s)
{
    return s.toLatin1().toStdString();
}

} // namespace orva
