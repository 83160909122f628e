// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Where the fluctuation chart (Abaque_bon.bmp) puts things: shared by the generator that draws
// it and the tests that read it back.
//
// The picture is drawn at the very size the chart window stretches it to, so that no row or
// column is dropped or doubled on screen. Its top 13 rows lie under the window's note box and
// hold nothing.

#include <QColor>
#include <QRect>
#include <array>

namespace ChartGeometry {

inline constexpr int Width = 690;
inline constexpr int Height = 740;
inline constexpr int HiddenRows = 13;

// The plotting area: observed percentage 0 to 100 from left to right, percentage in the
// territory 0 to 100 from bottom to top.
inline constexpr int PlotLeft = 62;
inline constexpr int PlotTop = 46;
inline constexpr int PlotWidth = 600;
inline constexpr int PlotHeight = 640;

// "Go" places up to 10000 points; every sample size a class is likely to use has its belt.
inline constexpr std::array<int, 10> SampleSizes{10, 15, 20, 30, 50, 100, 250, 1000, 2500, 10000};

inline double XOf(double observedPercent)
{
    return PlotLeft + observedPercent * PlotWidth / 100.0;
}

inline double YOf(double territoryPercent)
{
    return PlotTop + PlotHeight - territoryPercent * PlotHeight / 100.0;
}

// One colour and one line style for both curves of a sample size. The colours are Okabe and
// Ito's, told apart by colour-blind readers too (their yellow is too pale on white); the styles
// tell apart what colour alone would not: neighbouring belts differ in both, and the three
// colours used twice belong to belts far apart.
enum class LineStyle { Solid, Dashed, Dotted, DashDot };

inline QColor CurveColour(int sampleSizeIndex)
{
    static const std::array<QColor, SampleSizes.size()> colours{
        QColor(213, 94, 0),  QColor(0, 114, 178),  QColor(0, 158, 115), QColor(204, 121, 167),
        QColor(0, 0, 0),     QColor(230, 159, 0),  QColor(86, 180, 233), QColor(213, 94, 0),
        QColor(0, 114, 178), QColor(0, 158, 115)};
    return colours[sampleSizeIndex];
}

inline LineStyle CurveStyle(int sampleSizeIndex)
{
    static constexpr std::array<LineStyle, 4> styles{LineStyle::Solid, LineStyle::Dashed,
                                                     LineStyle::Dotted, LineStyle::DashDot};
    return styles[sampleSizeIndex % styles.size()];
}

// The longest gap of any line style, in pixels along the curve: two widths of a 2-pixel pen.
inline constexpr int LongestGap = 4;

// The legend names each belt beside a piece of its line. It stands in the empty corner above
// the belt of the smallest sample, where it hides no curve.
inline constexpr int LegendLineHeight = 15;

inline QRect LegendBox()
{
    return QRect(PlotLeft + 8, PlotTop + 8, 112, 8 + LegendLineHeight * int(SampleSizes.size()));
}

inline QRect LegendLine(int sampleSizeIndex)
{
    const QRect box = LegendBox();
    return QRect(box.left() + 4, box.top() + 4 + sampleSizeIndex * LegendLineHeight, box.width() - 8,
                 LegendLineHeight);
}

}  // namespace ChartGeometry
