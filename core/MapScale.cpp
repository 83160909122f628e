// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/MapScale.h"

#include "core/Errors.h"
#include "core/FloatArith.h"
#include "core/Numbers.h"

#include <cmath>

namespace {

// "2,5", "0,25", "1234": a pixel's side with as many decimals as keep three significant digits,
// trailing zeros dropped.
QString LengthText(long double metres)
{
    const int decimals = metres >= 100 ? 0 : metres >= 10 ? 1 : metres >= 1 ? 2 : 3;
    QString text = FixedText(double(metres), decimals);
    if (decimals > 0) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(DecimalSeparator()))
            text.chop(1);
    }
    return text;
}

// Hundredths of the unit, rounded as `round` says, written with two decimals.
QString Hundredths(long double squareMetres, const AreaUnit& unit, long double (*round)(long double))
{
    const long double hundredths = round(Divide(squareMetres, unit.SquareMetres) * 100);
    return FixedText(double(hundredths / 100), 2) + QLatin1Char(' ') + unit.Symbol;
}

}  // namespace

bool IsSoundScale(const MapScale& scale)
{
    const auto sound = [](double value, double largest) { return std::isfinite(value) && value > 0 && value <= largest; };
    return sound(scale.PixelMetres, 1e7) && sound(scale.PixelArea, 1e14);
}

MapScale MeasuredScale(long double pixels, long double metres)
{
    if (!std::isfinite(pixels) || pixels <= 0)
        throw EConvertError(QStringLiteral("Les deux points cliqués sont confondus : cliquez les deux bouts de la "
                                           "barre d'échelle."));
    if (!std::isfinite(metres) || metres <= 0)
        throw EConvertError(QStringLiteral("La distance doit être un nombre de mètres ou de kilomètres plus grand "
                                           "que 0."));
    const long double side = Divide(metres, pixels);
    if (side < SmallestPixelMetres || side > LargestPixelMetres)
        throw EConvertError(QStringLiteral("Cette échelle ferait 1 pixel = %1 m : une carte va de 1 mm à 100 km par "
                                           "pixel. Vérifiez la distance et son unité.")
                                .arg(RealText(side)));
    return {MapScale::Source::Measured, double(side), double(side * side)};
}

MapScale GeoreferencedScale(long double pictureArea, long double pictureMetres, QSize picture, QSize drawn)
{
    const long double across = Divide(picture.width(), drawn.width());
    const long double down = Divide(picture.height(), drawn.height());
    return {MapScale::Source::Georeferenced, double(pictureMetres * across), double(pictureArea * across * down)};
}

long double MapArea(const MapScale& scale, QSize drawn)
{
    return (long double)scale.PixelArea * drawn.width() * drawn.height();
}

QString ScaleText(const MapScale& scale, QSize drawn)
{
    const long double area = MapArea(scale, drawn);
    return QStringLiteral("1 px = %1 m — carte : %2").arg(LengthText(scale.PixelMetres), AreaText(area, AreaUnitFor(area)));
}

AreaUnit AreaUnitFor(long double mapArea)
{
    if (mapArea >= 10e6L)
        return {1e6L, QStringLiteral("km²")};
    return {1e4L, QStringLiteral("ha")};
}

QString AreaText(long double squareMetres, const AreaUnit& unit)
{
    return Hundredths(squareMetres, unit, [](long double value) { return std::nearbyint(value); });
}

QString AreaIntervalText(const std::optional<ShareLimits>& limits, long double mapArea, const AreaUnit& unit)
{
    if (!limits)
        return {};
    return QStringLiteral("%1 à %2").arg(Hundredths(mapArea * limits->Lower, unit, [](long double v) { return std::floor(v); }),
                                         Hundredths(mapArea * limits->Upper, unit, [](long double v) { return std::ceil(v); }));
}
