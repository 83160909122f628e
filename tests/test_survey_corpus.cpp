// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Replays the survey files that fuzzing found interesting and the hand-made ones kept with them:
// each one gives a survey the writer writes back the same, or one of the reader's refusals, and
// (in the sanitizer build) touches no memory it does not own. The hand-made files say by their
// name what they must give: edge-written-* a survey, edge-bad-* a refusal.

#include "core/Errors.h"
#include "core/SurveyFile.h"
#include "helpers/Files.h"

#include <QFileInfo>
#include <QTest>

namespace {

bool IsRefusal(const QString& message)
{
    return message == QStringLiteral("Ce fichier n'est pas une séance de Sondelio.")
           || message.startsWith(QStringLiteral("Ce fichier a été écrit par une version plus récente de Sondelio"))
           || message.startsWith(QStringLiteral("Cette séance est endommagée et ne peut pas être ouverte : "));
}

}  // namespace

class SurveyCorpusTest : public QObject {
    Q_OBJECT
private slots:
    void everyInputEndsInASurveyOrARefusal_data() { AddCorpusRows(Corpus("corpus-survey")); }
    void everyInputEndsInASurveyOrARefusal()
    {
        QFETCH(QString, path);
        const QString name = QFileInfo(path).fileName();
        try {
            const SurveyFileContent read = ReadSurveyFile(FileBytes(path));
            QVERIFY2(!name.startsWith(QStringLiteral("edge-bad-")), "a hostile file was taken");
            const QByteArray written = WriteSurveyFile(read.Tally, read.MapFile, read.MapSha256);
            const SurveyFileContent again = ReadSurveyFile(written);
            QCOMPARE(WriteSurveyFile(again.Tally, again.MapFile, again.MapSha256), written);
        } catch (const EReadError& error) {
            QVERIFY2(IsRefusal(error.Message), qPrintable(error.Message));
            QVERIFY2(!name.startsWith(QStringLiteral("edge-written-")), qPrintable(error.Message));
        }
    }
};

QTEST_MAIN(SurveyCorpusTest)
#include "test_survey_corpus.moc"
