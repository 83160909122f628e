// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A class's files on the disk: its sessions read (core/ClassSurveys analyses them), the class
// file of the teacher's merges beside them, and the map whose pixels a legend reference needs.

#include "core/ClassSurveys.h"
#include "core/LandUseNames.h"
#include "picture/MapPixels.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Each session file read as a session is (an ordinary file, within the session's size) and
// examined: one that cannot be read is listed with the system's reason. Nothing is written.
std::vector<ClassSession> ReadClassSessions(const QStringList& files);

// The class file beside a session file: "classe.sondelio-classe" in its folder.
QString ClassFileBeside(const QString& sessionFile);
// The merges the class file holds; none when there is no such file. Raises EReadError for a file
// that is no class file or is damaged, EFOpenError for one that cannot be read.
LandUseMerges ReadClassMerges(const QString& classFile);
// Written whole or not at all (SaveWholeFile); EFCreateError with the reason otherwise.
void SaveClassMerges(const QString& classFile, const LandUseMerges& merges);

// The picture of a session's map, found as opening the session finds it (FindSurveyMap: the file
// it names, or the file of that name beside the session, whose content is the session's map), as
// the plain pixels a legend reference reads. Raises what finding or reading the map raises.
class ClassMapPicture {
public:
    explicit ClassMapPicture(const ClassSession& session);
    // Valid while this object lives: the picture's own pixels, whose colours give the true
    // shares, and the map as the students saw it drawn, at the size of the session's survey,
    // under whose pixels their points lie.
    PixelView View() const { return pixels->View(); }
    PixelView DrawnView() const { return drawn->View(); }
    const QString& File() const { return file; }

private:
    QString file;
    std::optional<MapPixels> pixels;
    std::optional<MapPixels> drawn;
};
