#pragma once
// Where the fluctuation chart (Abaque_bon.bmp) puts things: shared by the generator that draws
// it and the tests that read it back.
//
// The picture is drawn at the very size the chart window stretches it to, so that no row or
// column is dropped or doubled on screen. Its top 13 rows lie under the window's note box and
// hold nothing.

#include <QColor>
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

inline constexpr std::array<int, 8> SampleSizes{10, 15, 20, 30, 50, 100, 250, 1000};

inline double XOf(double observedPercent)
{
    return PlotLeft + observedPercent * PlotWidth / 100.0;
}

inline double YOf(double territoryPercent)
{
    return PlotTop + PlotHeight - territoryPercent * PlotHeight / 100.0;
}

// One colour for both curves of a sample size, dark enough to read on white.
inline QColor CurveColour(int sampleSizeIndex)
{
    static const std::array<QColor, SampleSizes.size()> colours{
        QColor(200, 0, 0),  QColor(190, 95, 0),  QColor(120, 110, 0), QColor(0, 130, 0),
        QColor(0, 120, 140), QColor(0, 0, 210), QColor(130, 0, 170), QColor(70, 70, 70)};
    return colours[sampleSizeIndex];
}

}  // namespace ChartGeometry
