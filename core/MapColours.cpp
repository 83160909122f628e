#include "core/MapColours.h"

#include "core/Errors.h"

#include <algorithm>

std::vector<MapColour> ColourCensus(const PixelView& map)
{
    if (map.Width <= 0 || map.Height <= 0)
        throw EInvalidGraphic(QStringLiteral("La carte n'a aucun pixel."));
    // A map of flat colours has few of them and long runs of each: a short list searched from
    // the colour last seen is faster than a hash, and one colour too many ends the count.
    std::vector<MapColour> colours;
    colours.reserve(MaxMapColours + 1);
    size_t last = 0;
    for (int32_t y = 0; y < map.Height; ++y)
        for (int32_t x = 0; x < map.Width; ++x) {
            const uint32_t rgb = map.Rgb(x, y);
            if (last < colours.size() && colours[last].Rgb == rgb) {
                ++colours[last].Pixels;
                continue;
            }
            const auto found = std::find_if(colours.begin(), colours.end(),
                                            [rgb](const MapColour& colour) { return colour.Rgb == rgb; });
            if (found != colours.end()) {
                ++found->Pixels;
                last = size_t(found - colours.begin());
                continue;
            }
            if (colours.size() == MaxMapColours)
                throw EInvalidGraphic(
                    QStringLiteral("Cette carte a plus de %1 couleurs : c'est une photo ou un scan. La "
                                   "simulation demande une carte en aplats de couleurs, une couleur par "
                                   "usage du sol, comme la carte de démonstration rizo0346.bmp.")
                        .arg(MaxMapColours));
            last = colours.size();
            colours.push_back({rgb, 1, 0});
        }
    const long double pixels = (long double)map.Width * map.Height;
    for (MapColour& colour : colours)
        colour.Share = colour.Pixels / pixels;
    std::sort(colours.begin(), colours.end(), [](const MapColour& a, const MapColour& b) {
        return a.Pixels != b.Pixels ? a.Pixels > b.Pixels : a.Rgb < b.Rgb;
    });
    return colours;
}

QString ColourText(uint32_t rgb)
{
    return QStringLiteral("%1").arg(rgb & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
}

uint32_t ParseColour(const QString& text)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1Char('#')))
        digits.remove(0, 1);
    bool valid = digits.size() == 6;
    for (QChar c : digits)
        valid = valid && (c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')));
    if (!valid)
        throw EConvertError(
            QStringLiteral("'%1' n'est pas une couleur : écrivez-la en six chiffres hexadécimaux, "
                           "rouge, vert, bleu (par exemple 808080).")
                .arg(text));
    return digits.toUInt(nullptr, 16);
}
