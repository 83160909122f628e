// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/SurveyJournal.h"

#include "core/Errors.h"
#include "core/MessageText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString FormatName = QStringLiteral("sondelio-journal");
constexpr int FormatVersion = 1;
const QString Suffix = QStringLiteral(".journal");
// The survey and every operation a survey can take, with room to spare.
constexpr qint64 MaxJournalBytes = 4 * SurveyFileLimits::MaxFileBytes;

// Writes all of `bytes`, going on after a write cut short; false on failure.
bool WriteAll(int descriptor, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

QByteArray Line(const QJsonArray& operation)
{
    return QJsonDocument(operation).toJson(QJsonDocument::Compact) + '\n';
}

[[noreturn]] void Unreadable(const QString& path)
{
    throw EReadError(QStringLiteral("Le journal de séance \"%1\" est illisible.").arg(MessageQuote(path)));
}

// Replays one operation on the survey; false when it does not apply, so that the replay stops
// there rather than give a survey that never was.
bool Replay(TSurveyTally& tally, const QJsonArray& operation)
{
    const QString verb = operation.at(0).toString();
    if (verb == QLatin1String("sonde") && operation.size() == 2 && operation.at(1).isString())
        return tally.BeginLandUse(operation.at(1).toString());
    if (verb == QLatin1String("compte") && operation.size() == 2 && operation.at(1).isDouble())
        return tally.CountPoint(operation.at(1).toInt(-1));
    if (verb == QLatin1String("annule") && operation.size() == 1)
        return tally.Undo();
    if (verb == QLatin1String("retablit") && operation.size() == 1)
        return tally.Redo();
    if (verb == QLatin1String("fini") && operation.size() == 1) {
        tally.FinishLandUse();
        return true;
    }
    if (verb == QLatin1String("eleve") && operation.size() == 2 && operation.at(1).isString()) {
        // Only a name the program itself would have made: the document writes none other.
        const QString name = operation.at(1).toString();
        if (SoundStudentName(name) != name)
            return false;
        tally.Student = name;
        return true;
    }
    if (verb == QLatin1String("echelle") && operation.size() == 2) {
        if (operation.at(1).isNull()) {
            tally.Scale.reset();
            return true;
        }
        try {
            tally.Scale = ScaleOf(operation.at(1));
        } catch (const EReadError&) {
            return false;
        }
        return true;
    }
    return false;
}

}  // namespace

namespace JournalOperation {
QJsonArray LandUseBegun(const QString& name)
{
    return {QStringLiteral("sonde"), name};
}
QJsonArray PointCounted(int32_t point)
{
    return {QStringLiteral("compte"), point};
}
QJsonArray CountUndone()
{
    return {QStringLiteral("annule")};
}
QJsonArray CountRedone()
{
    return {QStringLiteral("retablit")};
}
QJsonArray LandUseFinished()
{
    return {QStringLiteral("fini")};
}
QJsonArray StudentNamed(const QString& name)
{
    return {QStringLiteral("eleve"), name};
}
QJsonArray ScaleSet(const std::optional<MapScale>& scale)
{
    return {QStringLiteral("echelle"), scale ? QJsonValue(ScaleObject(*scale)) : QJsonValue()};
}
}  // namespace JournalOperation

QString JournalFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A state folder named relatively is no folder the desktop agrees on: the default stands.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(state).filePath(QStringLiteral("sondelio"));
}

TSurveyJournal::~TSurveyJournal()
{
    Close();
}

void TSurveyJournal::Close()
{
    if (descriptor >= 0)
        ::close(descriptor);
    descriptor = -1;
}

void TSurveyJournal::Begin(const QString& folder, const QByteArray& survey, const QString& sessionFile)
{
    const QString earlier = path;
    Close();
    path.clear();
    failed = true;
    if (!QDir().mkpath(folder))
        return;
    // A name of this journal's own: each running program, and each journal it begins, apart.
    static quint64 begun = 0;
    const QString name = QDir(folder).filePath(QStringLiteral("seance-%1-%2-%3")
                                                   .arg(QCoreApplication::applicationPid())
                                                   .arg(QDateTime::currentMSecsSinceEpoch())
                                                   .arg(++begun));
    const QString made = name + QStringLiteral(".nouveau");
    const int file = ::open(QFile::encodeName(made).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (file < 0)
        return;
    const QJsonObject header{{QStringLiteral("format"), FormatName},
                             {QStringLiteral("version"), FormatVersion},
                             {QStringLiteral("seance"), sessionFile}};
    // Locked before it takes its name: no other program may take it for an abandoned one.
    const bool written = ::flock(file, LOCK_EX | LOCK_NB) == 0
                         && WriteAll(file, QJsonDocument(header).toJson(QJsonDocument::Compact) + '\n')
                         && WriteAll(file, survey + '\n');
    if (!written || ::rename(QFile::encodeName(made).constData(), QFile::encodeName(name + Suffix).constData()) != 0) {
        ::close(file);
        QFile::remove(made);
        return;
    }
    descriptor = file;
    path = name + Suffix;
    failed = false;
    // The earlier journal goes only once this one holds the survey.
    if (!earlier.isEmpty() && earlier != path)
        QFile::remove(earlier);
}

void TSurveyJournal::Record(const QJsonArray& operation)
{
    if (descriptor < 0)
        return;
    // A journal that cannot be written any more is no journal; the survey goes on.
    if (!WriteAll(descriptor, Line(operation)))
        GoWithout();
}

void TSurveyJournal::GoWithout()
{
    Close();
    failed = true;
}

void TSurveyJournal::Remove()
{
    Close();
    failed = false;
    if (!path.isEmpty())
        QFile::remove(path);
    path.clear();
}

QStringList AbandonedJournals(const QString& folder)
{
    QStringList abandoned;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*") + Suffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& file : files) {
        const int descriptor = ::open(QFile::encodeName(file.filePath()).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (descriptor < 0)
            continue;
        // A running program holds its journal's lock.
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            abandoned << file.filePath();
        ::close(descriptor);
    }
    return abandoned;
}

RecoveredSurvey ReadJournal(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Impossible d'ouvrir le journal de séance \"%1\".").arg(MessageQuote(path)));
    const QByteArray bytes = file.read(MaxJournalBytes);
    QList<QByteArray> lines = bytes.split('\n');
    // The last piece follows the last line break: a line the end of the program cut, or nothing.
    lines.removeLast();
    if (lines.size() < 2)
        Unreadable(path);
    const QJsonObject header = QJsonDocument::fromJson(lines.at(0)).object();
    if (header.value(QStringLiteral("format")) != FormatName || header.value(QStringLiteral("version")) != FormatVersion)
        Unreadable(path);
    RecoveredSurvey recovered{ReadSurveyFile(lines.at(1)), header.value(QStringLiteral("seance")).toString()};
    for (qsizetype at = 2; at < lines.size(); ++at) {
        const QJsonArray operation = QJsonDocument::fromJson(lines.at(at)).array();
        if (operation.isEmpty() || !Replay(recovered.Content.Tally, operation))
            break;
    }
    return recovered;
}
