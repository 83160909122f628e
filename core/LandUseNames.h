// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The land uses of a class, as its students typed them: names that differ only in case, accents
// and spaces ("Bâti", "bati ", "BATI") are one land use without anyone asking, and the teacher
// merges other names into one ("Maisons" → "Bâti"). The teacher's merges are kept in a small
// class file beside the sessions, so that reopening the class gives the same table.

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// What two names share when they differ only in case, accents and spaces: "bati" for "Bâti",
// "bati " and "BATI"; "oe" and "ae" for the ligatures "œ" and "æ".
QString NameKey(const QString& name);

// The teacher's table: name found → name used.
class LandUseMerges {
public:
    // The land uses named like `found` (NameKey) are counted under `used` from now on; a
    // merge of that name made before is replaced. An empty `used`, or one named like `found`,
    // takes the merge back. Both names are kept as land uses' names are (KeptLandUseName).
    void Merge(const QString& found, const QString& used);
    // The name a land use typed `found` is counted under: the merges followed one after the
    // other (a merge into a name itself merged goes on), `found` itself when none applies.
    QString Used(const QString& found) const;
    // In the order made: found, used.
    const std::vector<std::pair<QString, QString>>& Merges() const { return merges; }

private:
    std::vector<std::pair<QString, QString>> merges;
};

namespace ClassFileLimits {
// The class file's name, beside the class's sessions.
inline const char* const FileName = "classe.sondelio-classe";
constexpr int FormatVersion = 1;
constexpr qint64 MaxFileBytes = 1024 * 1024;
constexpr int MaxMerges = 1000;
}  // namespace ClassFileLimits

// The class file's bytes: UTF-8 JSON, {"format": "sondelio-classe", "version": 1,
// "fusions": [{"trouve": …, "utilise": …}, …]}. EInvalidOperation, and nothing written, past
// MaxMerges merges.
QByteArray WriteClassFile(const LandUseMerges& merges);
// The merges a class file holds; EReadError, with what is wrong in French, for a file that is no
// class file, is damaged, or was written by a newer version.
LandUseMerges ReadClassFile(const QByteArray& bytes);
