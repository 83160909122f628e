// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/ClassFiles.h"

#include "core/Errors.h"
#include "core/SurveyFile.h"
#include "picture/SavedFile.h"
#include "picture/TBitmap.h"

#include <QDir>
#include <QFileInfo>

std::vector<ClassSession> ReadClassSessions(const QStringList& files)
{
    std::vector<SessionSource> sources;
    sources.reserve(std::size_t(files.size()));
    for (const QString& file : files) {
        SessionSource source{file, {}, {}};
        try {
            source.Bytes = ReadSmallFile(file, SurveyFileLimits::MaxFileBytes);
        } catch (const Exception& error) {
            source.ReadFailure = error.Message;
        }
        sources.push_back(std::move(source));
    }
    return ExamineSessions(sources);
}

QString ClassFileBeside(const QString& sessionFile)
{
    return QFileInfo(sessionFile).dir().filePath(QString::fromLatin1(ClassFileLimits::FileName));
}

LandUseMerges ReadClassMerges(const QString& classFile)
{
    if (!QFileInfo::exists(classFile))
        return {};
    return ReadClassFile(ReadSmallFile(classFile, ClassFileLimits::MaxFileBytes));
}

void SaveClassMerges(const QString& classFile, const LandUseMerges& merges)
{
    SaveWholeFile(classFile, WriteClassFile(merges));
}

ClassMapPicture::ClassMapPicture(const ClassSession& session)
{
    // Only the map's name and hash are needed to find it.
    file = FindSurveyMap(SurveyFileContent{TSurveyTally(), session.MapFile, session.MapSha256}, session.File);
    TBitmap map;
    map.LoadPictureFile(file);
    pixels.emplace(map);
    drawn.emplace(map, QSize(session.Tally.MapWidth, session.Tally.MapHeight));
}
