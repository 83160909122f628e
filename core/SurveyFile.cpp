// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SurveyFile.h"

#include "core/Errors.h"
#include "core/MessageText.h"
#include "core/Results.h"
#include "core/SystemFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <openssl/evp.h>
#include <optional>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace SurveyFileLimits;

namespace {

const QString FormatName = QStringLiteral("sondelio-seance");
const QString SamplePointTag = QStringLiteral("point");
const QString CountedPressTag = QStringLiteral("compte");

// The designs as files and the command line name them.
const std::array<std::pair<DesignKind, const char*>, 4> DesignNames{{{DesignKind::SimpleRandom, "aleatoire"},
                                                                     {DesignKind::Systematic, "systematique"},
                                                                     {DesignKind::Stratified, "strates"},
                                                                     {DesignKind::Clustered, "grappes"}}};

// A name is kept whole: valid Unicode (no half of a surrogate pair, which UTF-8 cannot carry),
// no more characters than the program keeps.
bool IsSoundName(const QString& name, qsizetype maxCodePoints)
{
    qsizetype codePoints = 0;
    for (qsizetype at = 0; at < name.size(); ++at, ++codePoints) {
        const QChar unit = name.at(at);
        if (unit.isHighSurrogate() && at + 1 < name.size() && name.at(at + 1).isLowSurrogate())
            ++at;
        else if (unit.isSurrogate())
            return false;
        if (unit.isNull())
            return false;
    }
    return codePoints <= maxCodePoints;
}

bool Within(qint64 value, qint64 low, qint64 high)
{
    return value >= low && value <= high;
}

// What is wrong with a survey, in French, or nothing. The writer asks it before writing and the
// reader after decoding, so that every file the writer makes is one the reader takes back, and
// a file the reader takes holds nothing the program could not have made itself.
std::optional<QString> SurveyFault(const TSurveyTally& tally, const std::vector<SurveyMark>& marks,
                                   const QString& mapFile, const QByteArray& mapSha256)
{
    if (mapFile.isEmpty() || !IsSoundName(mapFile, MaxMapFileNameLength))
        return QStringLiteral("le nom de la carte est vide, trop long ou mal codé");
    if (!IsSoundName(tally.Student, MaxStudentNameLength))
        return QStringLiteral("le nom de l'élève est trop long ou mal codé");
    if (tally.Scale && !IsSoundScale(*tally.Scale))
        return QStringLiteral("l'échelle n'est pas un nombre de mètres par pixel plus grand que 0");
    if (tally.Legend.size() > std::size_t(MaxLegendColours))
        return QStringLiteral("la légende a plus de %1 couleurs").arg(MaxLegendColours);
    for (const auto& [colour, use] : tally.Legend)
        if (colour > 0xFFFFFFu || use.trimmed().isEmpty() || use != use.trimmed()
            || !IsSoundName(use, LandUseEntry::MaxNameLength))
            return QStringLiteral("un nom de la légende est vide, trop long ou mal codé");
    if (mapSha256.size() != 32)
        return QStringLiteral("l'empreinte SHA-256 de la carte n'a pas 32 octets");
    if (!Within(tally.MapWidth, 1, MaxMapExtent) || !Within(tally.MapHeight, 1, MaxMapExtent))
        return QStringLiteral("la taille de la carte est hors des limites (1 à %1 pixels)").arg(MaxMapExtent);
    if (!Within(tally.SampleSize, 0, MaxSampleSize))
        return QStringLiteral("la taille de l'échantillon est hors des limites (0 à %1)").arg(MaxSampleSize);
    if (!Within(tally.LandUseCount, 0, TSurveyTally::MaxLandUses))
        return QStringLiteral("le nombre d'usages du sol est hors des limites (0 à %1)").arg(TSurveyTally::MaxLandUses);
    if (!Within(tally.PointsThisUse, 0, MaxCountedPoints) || !Within(tally.PointsProbed, 0, MaxCountedPoints))
        return QStringLiteral("un compteur de points est hors des limites (0 à %1)").arg(MaxCountedPoints);
    for (int number = 1; number <= TSurveyTally::MaxLandUses; ++number) {
        const LandUseEntry& entry = tally.LandUse(number);
        if (!IsSoundName(entry.Name, LandUseEntry::MaxNameLength))
            return QStringLiteral("le nom de l'usage du sol %1 est trop long ou mal codé").arg(number);
        if (!Within(entry.Count, 0, MaxCountedPoints))
            return QStringLiteral("le nombre de points de l'usage du sol %1 est hors des limites (0 à %2)")
                .arg(number)
                .arg(MaxCountedPoints);
    }
    const SampleDesign& design = tally.Design;
    const bool clustered = design.Kind == DesignKind::Clustered;
    const bool stratified = design.Kind == DesignKind::Stratified;
    if (stratified && !Within(design.Blocks, 2, MaxSampleSize / 2))
        return QStringLiteral("le nombre de blocs est hors des limites (2 à %1)").arg(MaxSampleSize / 2);
    if (clustered
        && (!Within(design.Clusters, 1, MaxSampleSize) || !Within(design.ClusterSide, 1, 100)
            || !Within(design.ClusterSpacing, 1, MaxMapExtent)
            || int64_t{design.Clusters} * design.ClusterSide * design.ClusterSide > MaxSampleSize))
        return QStringLiteral("les grappes sont hors des limites (%1 points au plus)").arg(MaxSampleSize);
    const std::vector<QRect> blocks = stratified ? MapBlocks(QSize(tally.MapWidth, tally.MapHeight), design.Blocks)
                                                 : std::vector<QRect>();
    const int32_t groups = stratified ? design.Blocks : clustered ? design.Clusters : 1;
    int samplePoints = 0;
    int countedPoints = 0;
    int lastLandUse = 1;
    std::array<int, TSurveyTally::MaxLandUses + 1> countedUnder{};
    for (const SurveyMark& mark : marks) {
        if (mark.What == SurveyMark::Kind::SamplePoint) {
            if (++samplePoints > MaxSampleSize)
                return QStringLiteral("la séance a plus de %1 points d'échantillon").arg(MaxSampleSize);
            if (countedPoints > 0)
                return QStringLiteral("un point d'échantillon suit des points comptés");
            if (!Within(mark.Place.x(), 0, tally.MapWidth - 1) || !Within(mark.Place.y(), 0, tally.MapHeight - 1))
                return QStringLiteral("un point d'échantillon est hors de la carte");
            if (!Within(mark.Group, 0, groups - 1)
                || (stratified && !blocks[std::size_t(mark.Group)].contains(mark.Place)))
                return QStringLiteral("un point d'échantillon n'est pas dans son bloc ou sa grappe");
        } else {
            if (++countedPoints > samplePoints)
                return QStringLiteral("la séance compte plus de points qu'elle n'en a tiré");
            // Land uses are begun one after the other and a point counts under the current
            // one, so along the order their numbers never go down.
            if (!Within(mark.LandUse, lastLandUse, tally.LandUseCount))
                return QStringLiteral("un point compté l'est sous un usage du sol qui ne suit pas l'ordre des usages");
            lastLandUse = mark.LandUse;
            ++countedUnder[std::size_t(mark.LandUse)];
        }
    }
    // Every count is a counted point: the counters say what the points say.
    bool countsAgree = tally.PointsProbed == countedPoints;
    for (int number = 1; number <= tally.LandUseCount; ++number)
        countsAgree = countsAgree && tally.LandUse(number).Count == countedUnder[std::size_t(number)];
    if (tally.LandUseCount >= 1)
        countsAgree = countsAgree && tally.PointsThisUse == tally.LandUse(tally.LandUseCount).Count;
    if (!countsAgree)
        return QStringLiteral("les nombres de points ne s'accordent pas avec les points comptés");
    return std::nullopt;
}

[[noreturn]] void Damaged(const QString& what)
{
    throw EReadError(QStringLiteral("Cette séance est endommagée et ne peut pas être ouverte : %1.").arg(what));
}

// JSON numbers are doubles: a whole number is taken only when it is exact and in range, so
// that 1e400, 2.5 or a value past 32 bits never reaches an integer.
qint64 WholeNumber(const QJsonValue& value, qint64 low, qint64 high, const QString& what)
{
    if (!value.isDouble())
        Damaged(QStringLiteral("%1 n'est pas un nombre").arg(what));
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::floor(number) || number < double(low) || number > double(high))
        Damaged(QStringLiteral("%1 n'est pas un nombre entier compris entre %2 et %3").arg(what).arg(low).arg(high));
    return qint64(number);
}

int32_t Int32(const QJsonValue& value, const QString& what)
{
    return int32_t(WholeNumber(value, INT32_MIN, INT32_MAX, what));
}

QJsonObject Object(const QJsonValue& value, const QString& what)
{
    if (!value.isObject())
        Damaged(QStringLiteral("%1 manque ou n'est pas un objet").arg(what));
    return value.toObject();
}

QJsonArray Array(const QJsonValue& value, qsizetype maxSize, const QString& what)
{
    if (!value.isArray())
        Damaged(QStringLiteral("%1 manque ou n'est pas une liste").arg(what));
    QJsonArray array = value.toArray();
    if (array.size() > maxSize)
        Damaged(QStringLiteral("%1 a plus de %2 éléments").arg(what).arg(maxSize));
    return array;
}

QString String(const QJsonValue& value, const QString& what)
{
    if (!value.isString())
        Damaged(QStringLiteral("%1 manque ou n'est pas un texte").arg(what));
    return value.toString();
}

bool Boolean(const QJsonValue& value, const QString& what)
{
    if (!value.isBool())
        Damaged(QStringLiteral("%1 manque ou n'est pas vrai ou faux").arg(what));
    return value.toBool();
}

// A sample point laid by a design with blocks or segments has a fifth field, its group.
SurveyMark MarkOf(const QJsonValue& value, bool grouped)
{
    const QJsonArray fields = Array(value, 5, QStringLiteral("une marque"));
    if (fields.size() != 4 && fields.size() != 5)
        Damaged(QStringLiteral("une marque n'a pas ses quatre champs"));
    const QString tag = String(fields[0], QStringLiteral("le genre d'une marque"));
    SurveyMark mark;
    if (tag == SamplePointTag)
        mark.What = SurveyMark::Kind::SamplePoint;
    else if (tag == CountedPressTag)
        mark.What = SurveyMark::Kind::CountedPoint;
    else
        Damaged(QStringLiteral("une marque est d'un genre inconnu"));
    mark.Place = QPoint(Int32(fields[1], QStringLiteral("l'abscisse d'une marque")),
                        Int32(fields[2], QStringLiteral("l'ordonnée d'une marque")));
    if (fields.size() != (grouped && mark.What == SurveyMark::Kind::SamplePoint ? 5 : 4))
        Damaged(QStringLiteral("une marque n'a pas le nombre de champs de son genre"));
    if (mark.What == SurveyMark::Kind::SamplePoint)
        mark.Size = Int32(fields[3], QStringLiteral("la taille d'un point"));
    else
        mark.LandUse = Int32(fields[3], QStringLiteral("l'usage du sol d'un point compté"));
    if (fields.size() == 5)
        mark.Group = Int32(fields[4], QStringLiteral("le bloc ou la grappe d'un point"));
    return mark;
}

// The writer begins every file with the map's object, and names the format soon after.
bool LooksLikeASession(const QByteArray& bytes)
{
    static const QRegularExpression marker(QStringLiteral("\"format\"\\s*:\\s*\"sondelio-seance\""));
    const QByteArray start = bytes.left(4096).trimmed();
    return start.startsWith("{\"carte\":{\"fichier\":") || marker.match(QString::fromUtf8(start)).hasMatch();
}

bool HasGroups(const SampleDesign& design)
{
    return design.Kind == DesignKind::Stratified || design.Kind == DesignKind::Clustered;
}

QJsonArray MarkFields(const SurveyMark& mark, bool grouped)
{
    if (mark.What == SurveyMark::Kind::SamplePoint && grouped)
        return {SamplePointTag, mark.Place.x(), mark.Place.y(), mark.Size, mark.Group};
    if (mark.What == SurveyMark::Kind::SamplePoint)
        return {SamplePointTag, mark.Place.x(), mark.Place.y(), mark.Size};
    return {CountedPressTag, mark.Place.x(), mark.Place.y(), mark.LandUse};
}

}  // namespace

QJsonObject ScaleObject(const MapScale& scale)
{
    return {{QStringLiteral("source"), scale.From == MapScale::Source::Measured ? QStringLiteral("mesure")
                                                                                : QStringLiteral("georeference")},
            {QStringLiteral("metresParPixel"), scale.PixelMetres},
            {QStringLiteral("metresCarresParPixel"), scale.PixelArea}};
}

MapScale ScaleOf(const QJsonValue& value)
{
    const QJsonObject object = Object(value, QStringLiteral("l'échelle"));
    const QString source = String(object.value(QStringLiteral("source")), QStringLiteral("la source de l'échelle"));
    MapScale scale;
    if (source == QLatin1String("georeference"))
        scale.From = MapScale::Source::Georeferenced;
    else if (source != QLatin1String("mesure"))
        Damaged(QStringLiteral("l'échelle est d'une source inconnue"));
    const auto number = [&](const QString& key) {
        const QJsonValue field = object.value(key);
        if (!field.isDouble())
            Damaged(QStringLiteral("l'échelle n'est pas un nombre de mètres par pixel plus grand que 0"));
        return field.toDouble();
    };
    scale.PixelMetres = number(QStringLiteral("metresParPixel"));
    scale.PixelArea = number(QStringLiteral("metresCarresParPixel"));
    if (!IsSoundScale(scale))
        Damaged(QStringLiteral("l'échelle n'est pas un nombre de mètres par pixel plus grand que 0"));
    return scale;
}

QByteArray WriteSurveyFile(const TSurveyTally& tally, const QString& mapFile, const QByteArray& mapSha256)
{
    if (const auto fault = SurveyFault(tally, tally.Marks(), mapFile, mapSha256))
        throw EInvalidOperation(QStringLiteral("La séance ne peut pas être enregistrée : %1.").arg(*fault));

    QJsonArray landUses;
    for (int number = 1; number <= TSurveyTally::MaxLandUses; ++number)
        landUses.append(QJsonObject{{QStringLiteral("nom"), tally.LandUse(number).Name},
                                    {QStringLiteral("points"), tally.LandUse(number).Count}});
    QJsonArray marks;
    const bool grouped = HasGroups(tally.Design);
    for (const SurveyMark& mark : tally.Marks())
        marks.append(MarkFields(mark, grouped));

    const QJsonObject map{{QStringLiteral("fichier"), mapFile},
                          {QStringLiteral("sha256"), QString::fromLatin1(mapSha256.toHex())},
                          {QStringLiteral("largeur"), tally.MapWidth},
                          {QStringLiteral("hauteur"), tally.MapHeight}};
    const bool simpleRandom = tally.Design.Kind == DesignKind::SimpleRandom;
    QJsonObject root{{QStringLiteral("format"), FormatName},
                     {QStringLiteral("version"), tally.Scale ? 3 : simpleRandom ? 1 : 2},
                     {QStringLiteral("carte"), map},
                     {QStringLiteral("echantillon"), tally.SampleSize},
                     {QStringLiteral("taillePoint"), tally.PointSize},
                     {QStringLiteral("graine"), qint64(tally.Seed)},
                     {QStringLiteral("usagesSondes"), tally.LandUseCount},
                     {QStringLiteral("pointsUsageCourant"), tally.PointsThisUse},
                     {QStringLiteral("pointsSondes"), tally.PointsProbed},
                     {QStringLiteral("sondageEnCours"), tally.ProbingOn},
                     {QStringLiteral("usages"), landUses},
                     {QStringLiteral("marques"), marks}};
    // Only when there is one, so that a session without a student's name reads as it always did.
    if (!tally.Student.isEmpty())
        root.insert(QStringLiteral("eleve"), tally.Student);
    if (tally.Scale)
        root.insert(QStringLiteral("echelle"), ScaleObject(*tally.Scale));
    if (!tally.Legend.empty()) {
        QJsonObject legend;
        for (const auto& [colour, use] : tally.Legend)
            legend.insert(ColourText(colour), use);
        root.insert(QStringLiteral("legende"), legend);
    }
    if (!simpleRandom) {
        const SampleDesign& design = tally.Design;
        const auto name = std::find_if(DesignNames.begin(), DesignNames.end(),
                                       [&](const auto& named) { return named.first == design.Kind; });
        // What the design estimates of each land use, as the results give it, for whoever reads
        // the file; the program works it out again from the marks and never reads it back.
        QJsonArray estimates;
        const auto number = [](const std::optional<double>& value) { return value ? QJsonValue(*value) : QJsonValue(); };
        for (const ResultRow& row : ResultRows(tally)) {
            const std::optional<DesignEstimate>& estimate = row.Estimate();
            if (!estimate)
                continue;
            const std::optional<ShareLimits>& limits = estimate->Limits;
            estimates.append(QJsonObject{{QStringLiteral("usage"), row.Use()},
                                         {QStringLiteral("estimation"), estimate->Share},
                                         {QStringLiteral("erreurType"), number(estimate->StandardError)},
                                         {QStringLiteral("borneBasse"), number(limits ? std::optional(limits->Lower) : std::nullopt)},
                                         {QStringLiteral("borneHaute"), number(limits ? std::optional(limits->Upper) : std::nullopt)},
                                         {QStringLiteral("effetDePlan"), number(estimate->DesignEffect)}});
        }
        root.insert(QStringLiteral("plan"), QJsonObject{{QStringLiteral("genre"), QLatin1String(name->second)},
                                                        {QStringLiteral("blocs"), design.Blocks},
                                                        {QStringLiteral("grappes"), design.Clusters},
                                                        {QStringLiteral("cote"), design.ClusterSide},
                                                        {QStringLiteral("espacement"), design.ClusterSpacing},
                                                        {QStringLiteral("estimations"), estimates}});
    }
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

namespace {

QString SoundName(const QString& typed, qsizetype maxCharacters)
{
    QString name;
    qsizetype characters = 0;
    const QString trimmed = typed.trimmed();
    for (qsizetype at = 0; at < trimmed.size() && characters < maxCharacters; ++at) {
        const QChar unit = trimmed.at(at);
        if (unit.isHighSurrogate() && at + 1 < trimmed.size() && trimmed.at(at + 1).isLowSurrogate()) {
            name += unit;
            name += trimmed.at(++at);
        } else if (!unit.isSurrogate() && !unit.isNull()) {
            name += unit;
        } else {
            continue;
        }
        ++characters;
    }
    return name.trimmed();
}

}  // namespace

QString SoundStudentName(const QString& typed)
{
    return SoundName(typed, MaxStudentNameLength);
}

ColourNames SoundLegend(const ColourNames& legend)
{
    ColourNames sound;
    if (legend.size() > std::size_t(MaxLegendColours))
        return sound;
    for (const auto& [colour, use] : legend)
        if (const QString name = SoundName(use, LandUseEntry::MaxNameLength); !name.isEmpty())
            sound.emplace(colour & 0xFFFFFFu, name);
    return sound;
}

SurveyFileContent ReadSurveyFile(const QByteArray& bytes)
{
    // Before any parsing: a file far larger than any survey is refused without reading it
    // through, and bytes that are not UTF-8 never reach the JSON parser.
    if (bytes.size() > MaxFileBytes)
        Damaged(QStringLiteral("le fichier dépasse %1 Mio").arg(MaxFileBytes / (1024 * 1024)));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    if (utf8.hasError())
        Damaged(QStringLiteral("le fichier n'est pas en UTF-8"));

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    // A session cut short, or one holding a number JSON cannot carry (1e309, NaN), is still
    // recognised by its beginning: it is a damaged session, not some other file.
    if (parseError.error != QJsonParseError::NoError && LooksLikeASession(bytes))
        Damaged(QStringLiteral("son texte est coupé ou mal formé"));
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        throw EReadError(QStringLiteral("Ce fichier n'est pas une séance de Sondelio."));
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")) != FormatName)
        throw EReadError(QStringLiteral("Ce fichier n'est pas une séance de Sondelio."));
    const qint64 version = WholeNumber(root.value(QStringLiteral("version")), 1, INT32_MAX,
                                       QStringLiteral("la version du format"));
    if (version > FormatVersion)
        throw EReadError(QStringLiteral("Ce fichier a été écrit par une version plus récente de Sondelio ; "
                                        "mettez le programme à jour pour ouvrir cette séance."));

    SurveyFileContent content;
    TSurveyTally& tally = content.Tally;
    const QJsonObject map = Object(root.value(QStringLiteral("carte")), QStringLiteral("la carte"));
    content.MapFile = String(map.value(QStringLiteral("fichier")), QStringLiteral("le nom de la carte"));
    const QString hash = String(map.value(QStringLiteral("sha256")), QStringLiteral("l'empreinte de la carte"));
    content.MapSha256 = QByteArray::fromHex(hash.toLatin1());
    if (hash.size() != 64 || content.MapSha256.toHex() != hash.toLatin1())
        Damaged(QStringLiteral("l'empreinte de la carte n'est pas un SHA-256 en hexadécimal"));
    tally.MapWidth = Int32(map.value(QStringLiteral("largeur")), QStringLiteral("la largeur de la carte"));
    tally.MapHeight = Int32(map.value(QStringLiteral("hauteur")), QStringLiteral("la hauteur de la carte"));

    tally.SampleSize = Int32(root.value(QStringLiteral("echantillon")), QStringLiteral("la taille de l'échantillon"));
    tally.PointSize = Int32(root.value(QStringLiteral("taillePoint")), QStringLiteral("la taille des points"));
    tally.Seed = uint32_t(WholeNumber(root.value(QStringLiteral("graine")), 0, UINT32_MAX, QStringLiteral("la graine")));
    tally.LandUseCount = Int32(root.value(QStringLiteral("usagesSondes")), QStringLiteral("le nombre d'usages sondés"));
    tally.PointsThisUse = Int32(root.value(QStringLiteral("pointsUsageCourant")),
                                QStringLiteral("le nombre de points de l'usage en cours"));
    tally.PointsProbed = Int32(root.value(QStringLiteral("pointsSondes")), QStringLiteral("le nombre de points sondés"));
    if (root.contains(QStringLiteral("eleve")))
        tally.Student = String(root.value(QStringLiteral("eleve")), QStringLiteral("le nom de l'élève"));
    if (version >= 3 && root.contains(QStringLiteral("echelle")))
        tally.Scale = ScaleOf(root.value(QStringLiteral("echelle")));
    if (root.contains(QStringLiteral("legende"))) {
        const QJsonObject legend = Object(root.value(QStringLiteral("legende")), QStringLiteral("la légende"));
        if (legend.size() > MaxLegendColours)
            Damaged(QStringLiteral("la légende a plus de %1 couleurs").arg(MaxLegendColours));
        for (auto named = legend.begin(); named != legend.end(); ++named) {
            // Six hexadecimal digits, as the writer puts them: "#808080" or "80a0ff" are none of its.
            uint32_t colour = 0;
            try {
                colour = ParseColour(named.key());
            } catch (const EConvertError&) {
            }
            if (ColourText(colour) != named.key())
                Damaged(QStringLiteral("la légende a une couleur qui n'en est pas une"));
            tally.Legend[colour] = String(named.value(), QStringLiteral("un nom de la légende"));
        }
    }
    tally.ProbingOn = Boolean(root.value(QStringLiteral("sondageEnCours")), QStringLiteral("le sondage en cours"));

    const QJsonArray landUses = Array(root.value(QStringLiteral("usages")), TSurveyTally::MaxLandUses,
                                      QStringLiteral("la table des usages du sol"));
    if (landUses.size() != TSurveyTally::MaxLandUses)
        Damaged(QStringLiteral("la table des usages du sol n'a pas ses %1 lignes").arg(TSurveyTally::MaxLandUses));
    for (int number = 1; number <= TSurveyTally::MaxLandUses; ++number) {
        const QJsonObject entry = Object(landUses[number - 1], QStringLiteral("une ligne des usages du sol"));
        tally.LandUse(number).Name = String(entry.value(QStringLiteral("nom")), QStringLiteral("le nom d'un usage du sol"));
        tally.LandUse(number).Count = Int32(entry.value(QStringLiteral("points")),
                                            QStringLiteral("le nombre de points d'un usage du sol"));
    }

    // Version 2 is written for a design's sake; from version 3 on a survey at random has no plan.
    if (version == 2 || root.contains(QStringLiteral("plan"))) {
        const QJsonObject plan = Object(root.value(QStringLiteral("plan")), QStringLiteral("le plan d'échantillonnage"));
        const QString kind = String(plan.value(QStringLiteral("genre")), QStringLiteral("le genre du plan"));
        const auto name = std::find_if(DesignNames.begin(), DesignNames.end(),
                                       [&](const auto& named) { return kind == QLatin1String(named.second); });
        if (name == DesignNames.end())
            Damaged(QStringLiteral("le plan d'échantillonnage est d'un genre inconnu"));
        tally.Design = {name->first, Int32(plan.value(QStringLiteral("blocs")), QStringLiteral("le nombre de blocs")),
                        Int32(plan.value(QStringLiteral("grappes")), QStringLiteral("le nombre de grappes")),
                        Int32(plan.value(QStringLiteral("cote")), QStringLiteral("le côté des grappes")),
                        Int32(plan.value(QStringLiteral("espacement")), QStringLiteral("l'espacement des grappes"))};
    }
    const QJsonArray markValues = Array(root.value(QStringLiteral("marques")), MaxSampleSize + MaxCountedPoints,
                                        QStringLiteral("la liste des marques"));
    std::vector<SurveyMark> marks;
    marks.reserve(std::size_t(markValues.size()));
    for (const QJsonValue& value : markValues)
        marks.push_back(MarkOf(value, HasGroups(tally.Design)));
    if (const auto fault = SurveyFault(tally, marks, content.MapFile, content.MapSha256))
        Damaged(*fault);
    if (!tally.RestoreMarks(std::move(marks)))
        Damaged(QStringLiteral("un point compté ne se trouve pas sur un point d'échantillon encore à compter"));
    return content;
}

QString FindSurveyMap(const SurveyFileContent& content, const QString& surveyFile)
{
    const QString besideSurvey = QFileInfo(surveyFile).dir().filePath(QFileInfo(content.MapFile).fileName());
    QStringList compared;
    QString notOrdinary;
    for (const QString& candidate : {content.MapFile, besideSurvey}) {
        const QString shown = QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
        const std::optional<QByteArray> native = SystemFileName(candidate);
        struct stat status;
        if (compared.contains(shown) || !native || ::stat(native->constData(), &status) != 0)
            continue;
        // Only an ordinary file: reading a pipe or a device could wait for ever.
        if (!S_ISREG(status.st_mode)) {
            notOrdinary = shown;
            continue;
        }
        if (FileSha256(candidate) == content.MapSha256)
            return candidate;
        compared << shown;
    }
    // The message names the files looked at, not only the name the survey kept.
    if (compared.size() == 1)
        throw EReadError(QStringLiteral("La carte \"%1\" n'est pas celle de cette séance : son contenu a changé "
                                        "depuis l'enregistrement.")
                             .arg(MessageQuote(compared.constFirst())));
    if (compared.size() == 2)
        throw EReadError(QStringLiteral("Ni \"%1\" ni \"%2\" n'est la carte de cette séance : leur contenu n'est pas "
                                        "celui qu'elle a enregistré.")
                             .arg(MessageQuote(compared.constFirst()), MessageQuote(compared.constLast())));
    if (!notOrdinary.isEmpty())
        throw EFOpenError(QStringLiteral("La carte de cette séance, \"%1\", n'est pas un fichier ordinaire.")
                              .arg(MessageQuote(notOrdinary)));
    throw EFOpenError(QStringLiteral("La carte de cette séance est introuvable : ni \"%1\", ni un fichier de ce "
                                     "nom à côté de la séance.")
                          .arg(MessageQuote(content.MapFile)));
}

QByteArray FileSha256(const QString& path)
{
    // By the name the system knows it by, as the picture was read: a map named in Latin-1 is
    // hashed too.
    const std::optional<QByteArray> native = SystemFileName(path);
    const int descriptor = native ? ::open(native->constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK) : -1;
    QFile file;
    if (descriptor < 0 || !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const int reason = descriptor < 0 ? (native ? errno : EINVAL) : EIO;
        if (descriptor >= 0)
            ::close(descriptor);
        throw EFOpenError(QStringLiteral("Impossible d'ouvrir le fichier \"%1\". %2")
                              .arg(MessageQuote(path), SystemErrorText(reason)));
    }
    // OpenSSL's digest uses the processor's SHA instructions: a photo of several megabytes is
    // hashed in a few milliseconds, where a portable digest takes ten times as long.
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> digest(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!digest || EVP_DigestInit_ex(digest.get(), EVP_sha256(), nullptr) != 1)
        throw EOutOfMemory(QStringLiteral("Mémoire insuffisante"));
    QByteArray piece(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(piece.data(), piece.size());
        if (got < 0)
            throw EReadError(QStringLiteral("Impossible de lire le fichier \"%1\" jusqu'au bout.").arg(MessageQuote(path)));
        if (got == 0)
            break;
        EVP_DigestUpdate(digest.get(), piece.constData(), std::size_t(got));
    }
    QByteArray result(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned int length = 0;
    EVP_DigestFinal_ex(digest.get(), reinterpret_cast<unsigned char*>(result.data()), &length);
    result.truncate(int(length));
    return result;
}
