// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The recovery journal: the survey as it began, its operations replayed as far as they go, and
// the journals that no running program holds.

#include "core/Errors.h"
#include "core/SurveyJournal.h"
#include "helpers/SurveyScript.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QByteArray MapHash(32, '\x5a');

// The survey a journal begins from: five points on a map, nothing counted yet.
TSurveyTally SampledSurvey()
{
    TSurveyTally tally;
    tally.MapWidth = 600;
    tally.MapHeight = 450;
    tally.SampleSize = 5;
    RunScript(tally, QStringLiteral("go 5"));
    return tally;
}

QString OnlyJournalIn(const QString& folder)
{
    const QStringList files = QDir(folder).entryList({"*.journal"}, QDir::Files);
    return files.size() == 1 ? QDir(folder).filePath(files.constFirst()) : QString();
}

}  // namespace

class SurveyJournalTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // The operations made since the journal began, replayed on the survey it holds, give the
    // survey as it was; a line the end of the program cut, or one that does not apply, ends the
    // replay there.
    void replaysItsOperations_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QByteArray>("tail");  // bytes written after the operations
        QTest::addColumn<QString>("replayed");  // what the replay must give, when not all of it
        const QString uses = QStringLiteral("sonder eau; count 0; count 2; fini; sonder bois; count 1");
        QTest::newRow("land uses and counts") << uses << QByteArray() << QString();
        QTest::newRow("the student named, then renamed") << "eleve Zoé; " + uses + "; eleve Zoé Martin" << QByteArray() << QString();
        QTest::newRow("a name no file can keep") << uses << QByteArray("[\"eleve\",\"  Zoé \"]\n[\"compte\",4]\n") << QString();
        QTest::newRow("a scale measured, measured again, then put away")
            << "echelle 2.5; " + uses + "; echelle 3; count 3; echelle" << QByteArray() << QString();
        QTest::newRow("a scale measured again") << "echelle 2.5; " + uses + "; echelle 0.5" << QByteArray() << QString();
        QTest::newRow("undone and redone")
            << "sonder eau; count 0; count 1; undo; undo; redo; count 3" << QByteArray() << QString();
        QTest::newRow("a line cut short") << uses << QByteArray("[\"compte\",4") << QString();
        QTest::newRow("an operation that does not apply")
            << uses << QByteArray("[\"compte\",0]\n[\"compte\",4]\n") << QString();
        QTest::newRow("an unknown operation")
            << uses << QByteArray("[\"vole\"]\n[\"compte\",4]\n") << QString();
    }
    void replaysItsOperations()
    {
        QFETCH(QString, script);
        QFETCH(QByteArray, tail);
        const QString folder = dir.filePath(QTest::currentDataTag());
        TSurveyTally live = SampledSurvey();
        auto journal = std::make_unique<TSurveyJournal>();
        journal->Begin(folder, WriteSurveyFile(live, QStringLiteral("carte.bmp"), MapHash),
                       QStringLiteral("/classe/lecon.sondelio"));
        QVERIFY(journal->IsOpen());
        RunScript(live, script, [&journal](const QJsonArray& operation) { journal->Record(operation); });
        journal.reset();  // the program ends without a word
        const QString path = OnlyJournalIn(folder);
        QVERIFY(!path.isEmpty());
        if (!tail.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            file.write(tail);
        }
        const RecoveredSurvey recovered = ReadJournal(path);
        QVERIFY(recovered.Content.Tally.SameSurvey(live));
        QVERIFY(recovered.Content.Tally.Scale == live.Scale);
        QCOMPARE(recovered.Content.MapFile, QStringLiteral("carte.bmp"));
        QCOMPARE(recovered.SessionFile, QStringLiteral("/classe/lecon.sondelio"));
    }

    // A journal is abandoned once no program holds it; a new beginning replaces the old file,
    // and removing it leaves nothing.
    void abandonedOnceNoProgramHoldsIt()
    {
        const QString folder = dir.filePath("tenus");
        const QByteArray survey = WriteSurveyFile(SampledSurvey(), QStringLiteral("carte.bmp"), MapHash);
        auto held = std::make_unique<TSurveyJournal>();
        held->Begin(folder, survey, QString());
        held->Begin(folder, survey, QString());
        QVERIFY(!OnlyJournalIn(folder).isEmpty());
        QCOMPARE(AbandonedJournals(folder), QStringList());
        held.reset();
        QCOMPARE(AbandonedJournals(folder), QStringList{OnlyJournalIn(folder)});

        TSurveyJournal removed;
        removed.Begin(folder, survey, QString());
        removed.Remove();
        QVERIFY(!removed.IsOpen());
        QCOMPARE(QDir(folder).entryList({"*.journal"}, QDir::Files).size(), 1);
    }

    // A folder that cannot be made gives no journal, and the survey goes on.
    void noFolderNoJournal()
    {
        QFile file(dir.filePath("un-fichier"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        TSurveyJournal journal;
        journal.Begin(dir.filePath("un-fichier/sondelio"), QByteArray("{}"), QString());
        QVERIFY(!journal.IsOpen());
        journal.Record(JournalOperation::CountUndone());
        // Not tried again at every count; tried again for the next survey.
        QVERIFY(!journal.Wanted());
        journal.Remove();
        QVERIFY(journal.Wanted());
    }

    void unreadableJournalsAreRefused()
    {
        const QString path = dir.filePath("vide.journal");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"format\":\"autre\"}\n{}\n");
        file.close();
        QVERIFY_THROWS_EXCEPTION(Exception, ReadJournal(path));
        QVERIFY_THROWS_EXCEPTION(Exception, ReadJournal(dir.filePath("absent.journal")));
    }
};

QTEST_GUILESS_MAIN(SurveyJournalTest)
#include "test_survey_journal.moc"
