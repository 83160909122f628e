// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/LandUseNames.h"

#include "core/Errors.h"
#include "core/SurveyTally.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>

using namespace ClassFileLimits;

QString NameKey(const QString& name)
{
    // Compatibility decomposition splits "â" into "a" and its accent, and "ﬁ" into "fi".
    const QString decomposed = name.normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar unit : decomposed) {
        const QChar::Category category = unit.category();
        if (unit.isSpace() || category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
            || category == QChar::Mark_Enclosing)
            continue;
        key += unit;
    }
    key = key.toCaseFolded();
    key.replace(QChar(0x0153), QLatin1String("oe")).replace(QChar(0x00E6), QLatin1String("ae"));
    return key;
}

void LandUseMerges::Merge(const QString& found, const QString& used)
{
    const QString key = NameKey(found);
    std::erase_if(merges, [&](const auto& merge) { return NameKey(merge.first) == key; });
    // Kept as a land use's name is, so that the class file holds nothing its reader refuses.
    if (!used.trimmed().isEmpty() && NameKey(used) != key)
        merges.emplace_back(KeptLandUseName(found), KeptLandUseName(used));
}

QString LandUseMerges::Used(const QString& found) const
{
    // A name merged into one that is merged in turn goes on to the last; each step is taken once
    // at most, so that a circle of merges ends.
    QString name = found;
    for (std::size_t step = 0; step < merges.size(); ++step) {
        const QString key = NameKey(name);
        const auto merge =
            std::find_if(merges.begin(), merges.end(), [&](const auto& each) { return NameKey(each.first) == key; });
        if (merge == merges.end())
            break;
        name = merge->second;
    }
    return name;
}

namespace {

const QString FormatName = QStringLiteral("sondelio-classe");

[[noreturn]] void Damaged(const QString& what)
{
    throw EReadError(QStringLiteral("Ce fichier de classe est endommagé : %1.").arg(what));
}

QString MergedName(const QJsonValue& value, const QString& what)
{
    if (!value.isString())
        Damaged(QStringLiteral("%1 manque ou n'est pas un texte").arg(what));
    const QString name = value.toString();
    if (name.trimmed().isEmpty() || name.toUcs4().size() > LandUseEntry::MaxNameLength)
        Damaged(QStringLiteral("%1 est vide ou a plus de %2 caractères").arg(what).arg(LandUseEntry::MaxNameLength));
    return name;
}

}  // namespace

QByteArray WriteClassFile(const LandUseMerges& merges)
{
    if (merges.Merges().size() > std::size_t(MaxMerges))
        throw EInvalidOperation(
            QStringLiteral("Le fichier de classe ne peut pas être enregistré : il a plus de %1 fusions.").arg(MaxMerges));
    QJsonArray list;
    for (const auto& [found, used] : merges.Merges())
        list.append(QJsonObject{{QStringLiteral("trouve"), found}, {QStringLiteral("utilise"), used}});
    return QJsonDocument(QJsonObject{{QStringLiteral("format"), FormatName},
                                     {QStringLiteral("version"), FormatVersion},
                                     {QStringLiteral("fusions"), list}})
        .toJson(QJsonDocument::Indented);
}

LandUseMerges ReadClassFile(const QByteArray& bytes)
{
    const QString notAClass = QStringLiteral("Ce fichier n'est pas un fichier de classe de Sondelio.");
    if (bytes.size() > MaxFileBytes)
        Damaged(QStringLiteral("il dépasse %1 Kio").arg(MaxFileBytes / 1024));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The decoding happens only when its text is made.
    const QString decoded = utf8.decode(bytes);
    if (utf8.hasError())
        Damaged(QStringLiteral("il n'est pas en UTF-8"));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()
        || document.object().value(QStringLiteral("format")) != FormatName)
        throw EReadError(notAClass);
    const QJsonObject root = document.object();
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() < 1 || version.toDouble() != std::floor(version.toDouble()))
        Damaged(QStringLiteral("sa version n'est pas un nombre entier positif"));
    if (version.toDouble() > FormatVersion)
        throw EReadError(QStringLiteral("Ce fichier de classe a été écrit par une version plus récente de Sondelio ; "
                                        "mettez le programme à jour pour l'ouvrir."));
    const QJsonValue list = root.value(QStringLiteral("fusions"));
    if (!list.isArray())
        Damaged(QStringLiteral("la liste des fusions manque"));
    if (list.toArray().size() > MaxMerges)
        Damaged(QStringLiteral("il a plus de %1 fusions").arg(MaxMerges));
    LandUseMerges merges;
    for (const QJsonValue& merge : list.toArray()) {
        if (!merge.isObject())
            Damaged(QStringLiteral("une fusion n'est pas un objet"));
        const QString found = MergedName(merge[QStringLiteral("trouve")], QStringLiteral("un nom trouvé"));
        merges.Merge(found, MergedName(merge[QStringLiteral("utilise")], QStringLiteral("un nom utilisé")));
    }
    return merges;
}
