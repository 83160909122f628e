// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A survey kept in a file and read back: the ".sondelio" file, UTF-8 JSON with a format
// version. It names the map the survey was made on (its file name and a SHA-256 of its content,
// so that a class can be sure to classify the same picture) and holds everything the survey
// tally holds, the marks in the order made, so that undo goes on working after reopening.
//
// The reader trusts nothing: a file that is not a survey, is damaged, was written by a newer
// version or asks for more than the program can make is refused with a French message, and
// the caller's survey is never touched (the reader builds a survey of its own).

#include "core/SampleGenerator.h"
#include "core/SurveyTally.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// A student's name as typed, made one the file can keep: blanks at its ends, NUL characters and
// halves of characters dropped, at most MaxStudentNameLength characters.
QString SoundStudentName(const QString& typed);
// A map's legend made one the file can keep: each name as a land use's (blanks at its ends, NUL
// characters and halves of characters dropped, at most LandUseEntry::MaxNameLength characters, as
// the students' names are kept, so that both compare alike), a colour whose name comes out empty
// dropped; no legend at all for one of more than MaxLegendColours colours, which no map of flat
// colours needs.
ColourNames SoundLegend(const ColourNames& legend);

struct SurveyFileContent {
    TSurveyTally Tally;
    QString MapFile;       // the map's file name as the survey knew it
    QByteArray MapSha256;  // 32 bytes
};

// The limits a file must keep, the same for the writer and the reader: what the program can
// make, with room to spare where it costs nothing.
namespace SurveyFileLimits {
// Version 1 holds surveys drawn at random point by point, version 2 those of the other designs,
// version 3 those with a scale: each survey is written in the oldest version that holds it, so
// that a survey without a scale opens in the programs that knew no scale.
constexpr int FormatVersion = 3;
constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;
// Each sample point is counted once at most.
constexpr int MaxCountedPoints = MaxSampleSize;
constexpr int MaxMapExtent = 65535;
constexpr int MaxMapFileNameLength = 4096;
constexpr int MaxStudentNameLength = 100;
constexpr int MaxLegendColours = 4 * MaxMapColours;
}  // namespace SurveyFileLimits

// A scale as the file keeps it, and its journal too: {"source": "mesure" or "georeference",
// "metresParPixel": …, "metresCarresParPixel": …}. ScaleOf raises EReadError, as for a damaged
// session, for anything ScaleObject would not have made.
QJsonObject ScaleObject(const MapScale& scale);
MapScale ScaleOf(const QJsonValue& value);

// The file's bytes; EInvalidOperation, and nothing written, for a survey the reader would refuse.
QByteArray WriteSurveyFile(const TSurveyTally& tally, const QString& mapFile, const QByteArray& mapSha256);

// The survey a file holds; EReadError, with what is wrong in French, for anything else.
SurveyFileContent ReadSurveyFile(const QByteArray& bytes);

// The map of a survey read from `surveyFile`: the file it names or, when that is missing or
// another picture, the file of that name beside the survey file (a class's sessions travel
// with their map); the first whose content is the survey's map. EFOpenError when neither
// exists, EReadError when neither holds the survey's map.
QString FindSurveyMap(const SurveyFileContent& content, const QString& surveyFile);

// The SHA-256 of a file's content, read in pieces so that a large photo costs no more memory
// than a small one; EFOpenError or EReadError when it cannot be read whole.
QByteArray FileSha256(const QString& path);
