// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/MapColours.h"

#include "core/Errors.h"
#include "core/MessageText.h"
#include "core/Numbers.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

namespace {

// The fields of one CSV line: split at ';', a field between quotes keeping its ';' and giving
// "" as one quote.
QStringList CsvFields(const QString& line)
{
    QStringList fields(1);
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"'))
            fields.back() += line[++i];
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(';') && !quoted)
            fields.append(QString());
        else
            fields.back() += c;
    }
    return fields;
}

}  // namespace

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

PixelShare ChosenShare(const std::vector<MapColour>& census, const std::vector<uint32_t>& chosen)
{
    PixelShare share{0, 0};
    for (const MapColour& colour : census) {
        share.Total += colour.Pixels;
        if (std::any_of(chosen.begin(), chosen.end(), [&](uint32_t rgb) { return (rgb & 0xFFFFFFu) == colour.Rgb; }))
            share.Chosen += colour.Pixels;
    }
    return share;
}

bool SamePixels(const PixelView& one, const PixelView& other)
{
    if (one.Width != other.Width || one.Height != other.Height)
        return false;
    for (int32_t y = 0; y < one.Height; ++y)
        for (int32_t x = 0; x < one.Width; ++x)
            if (one.Rgb(x, y) != other.Rgb(x, y))
                return false;
    return true;
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
    try {
        // The hexadecimal form of the integer boxes: ASCII digits and letters only.
        if (digits.size() == 6)
            return uint32_t(ParseInteger(QLatin1Char('$') + digits));
    } catch (const EConvertError&) {
    }
    throw EConvertError(QStringLiteral("'%1' n'est pas une couleur : écrivez-la en six chiffres hexadécimaux, "
                                       "rouge, vert, bleu (par exemple 808080).")
                            .arg(MessageQuote(text)));
}

QString PercentText(int64_t part, int64_t whole)
{
    // Hundredths of a percent are parts in ten thousand; each more decimal, ten times finer.
    const int64_t nearestEnd = std::min(part, whole - part);
    int decimals = 2;
    __int128 scale = 10000;
    while (nearestEnd > 0 && nearestEnd * scale < 10 * __int128(whole)) {
        ++decimals;
        scale *= 10;
    }
    // Rounded half up: twice the quotient plus one, halved.
    const __int128 units = (2 * part * scale + whole) / (2 * __int128(whole));
    QString digits = QString::number(qint64(units)).rightJustified(decimals + 1, QLatin1Char('0'));
    digits.insert(digits.size() - decimals, DecimalSeparator());
    return digits + QStringLiteral(" %");
}

QString LegendFileFor(const QString& mapFile)
{
    const QFileInfo map(mapFile);
    return map.dir().filePath(map.completeBaseName() + QStringLiteral("-legende.csv"));
}

ColourNames ParseLegend(const QByteArray& bytes, const QString& legendFile)
{
    const QString name = QFileInfo(legendFile).fileName();
    if (bytes.size() > MaxLegendBytes)
        throw EReadError(QStringLiteral("La légende \"%1\" est trop grande : plus de %2 octets.")
                             .arg(MessageQuote(name)).arg(MaxLegendBytes));
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    ColourNames names;
    std::map<uint32_t, int> lineOfColour;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i) + 1;
        const QStringList fields = CsvFields(QString(lines[i]).remove(QLatin1Char('\r')));
        if (fields.join(QString()).trimmed().isEmpty())
            continue;
        if (i == 0 && fields[0].trimmed().compare(QStringLiteral("Couleur"), Qt::CaseInsensitive) == 0)
            continue;
        const auto refuse = [&](const QString& reason) {
            throw EConvertError(QStringLiteral("La légende \"%1\", ligne %2 : %3").arg(MessageQuote(name)).arg(lineNumber).arg(reason));
        };
        uint32_t colour = 0;
        try {
            colour = ParseColour(fields[0]);
        } catch (const EConvertError& error) {
            refuse(error.Message);
        }
        const QString use = fields.value(1).trimmed();
        if (use.isEmpty())
            refuse(QStringLiteral("la couleur %1 n'a pas de nom d'usage du sol.").arg(ColourText(colour)));
        if (const auto earlier = lineOfColour.find(colour); earlier != lineOfColour.end())
            refuse(QStringLiteral("la couleur %1 est déjà nommée à la ligne %2.").arg(ColourText(colour)).arg(earlier->second));
        lineOfColour[colour] = lineNumber;
        names[colour] = use;
    }
    return names;
}

QString LandUseOf(const std::vector<uint32_t>& colours, const ColourNames& names)
{
    QStringList uses;
    bool named = false;
    for (uint32_t colour : colours) {
        const auto found = names.find(colour & 0xFFFFFFu);
        named = named || found != names.end();
        const QString use = found != names.end() ? found->second : ColourText(colour);
        if (!uses.contains(use))
            uses << use;
    }
    return named ? uses.join(QStringLiteral(" + ")) : QString();
}

QString ChosenColoursText(const std::vector<uint32_t>& colours, const ColourNames& names)
{
    QStringList codes;
    for (uint32_t colour : colours)
        codes << ColourText(colour);
    const QString use = LandUseOf(colours, names);
    const QString joined = codes.join(QStringLiteral(", "));
    return use.isEmpty() ? joined : QStringLiteral("%1 (%2)").arg(use, joined);
}
