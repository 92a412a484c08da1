#pragma once

// Window units and text for the Qt layer: positions are given in twips
// (1/1440 inch), 15 to a logical pixel (Qt scales pixels for HiDPI); the
// behaviour's texts are 8-bit, one byte a character.
#include <QRect>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

namespace orva {

inline constexpr int kTwipsPerPixel = 15;
// Title bar and border, the part of an outer height that is not client area,
// as long as the window system has not framed the window yet.
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

// The frame's share of a top-level window's outer size, in pixels: as the
// window system drew it once the window is framed, a guess until then.
inline QSize frameExtraPixels(const QWidget& window)
{
    const QSize framed = window.frameGeometry().size() - window.size();
    if (framed.height() > 0)
        return framed;
    return {twipsToPixels(kTitleAndBorderTwips) / 4, twipsToPixels(kTitleAndBorderTwips)};
}

// The client height that gives a top-level window this outer height.
inline int clientHeightForOuter(const QWidget& window, int outerTwips)
{
    return std::max(0, twipsToPixels(outerTwips) - frameExtraPixels(window).height());
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
