// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The command line sondelio-classe on a small class of sessions on a map of flat colours: its
// CSV against the class analysed here, the refused sessions on its error output, its misuses.

#include "core/ClassCsv.h"
#include "core/SurveyFile.h"
#include "helpers/BmpWriter.h"
#include "helpers/ClassSessions.h"
#include "helpers/CommandTool.h"
#include "helpers/Files.h"
#include "picture/ClassFiles.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

class ClassCommandTest : public QObject {
    Q_OBJECT
    QTemporaryDir folder;
    QString ana, bob, cleo, broken, elsewhere;

    QString Session(const QString& name, const TSurveyTally& tally, const QByteArray& hash)
    {
        const QString file = folder.filePath(name);
        WriteFile(file, WriteSurveyFile(tally, QStringLiteral("carte.bmp"), hash));
        return file;
    }

    // What the command should print: the class analysed here, by the same core.
    QString Expected(const QStringList& files, const ClassReference* reference, const QString& use = {})
    {
        const std::vector<ClassSession> sessions = ReadClassSessions(files);
        const ClassAnalysis analysis = AnalyseClass(sessions, ClassMaps(sessions).front().MapSha256,
                                                    ReadClassMerges(ClassFileBeside(files.front())), reference, use);
        return ClassTableCsv(analysis) + "\r\n" + ClassSummaryCsv(analysis);
    }

private slots:
    void initTestCase()
    {
        // Left half built, right half water; the sessions' map beside them.
        QImage map(40, 30, QImage::Format_RGB32);
        map.fill(0xFF0000FF);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 20; ++x)
                map.setPixel(x, y, 0xFFBE6E50);
        WriteBmpFile(folder.filePath("carte.bmp"), map);
        const QByteArray hash = FileSha256(folder.filePath("carte.bmp"));
        const QStringList truth{"Bâti", "Bâti", "Bâti", "Eau", "Eau", "Eau", "Bâti", "Bâti", "Bâti", "Eau"};
        ana = Session("ana.sondelio", ClassifiedSurvey(truth, 1, "Ana"), hash);
        bob = Session("bob.sondelio", ClassifiedSurvey(QStringList(10, "bati"), 1, "Bob"), hash);
        cleo = Session("cleo.sondelio", ClassifiedSurvey({"Maisons", "eau "}, 2), hash);
        elsewhere = Session("ailleurs.sondelio", ClassifiedSurvey({"Eau"}, 3), QByteArray(32, 'c'));
        broken = folder.filePath("abimee.sondelio");
        WriteFile(broken, "oops");
        LandUseMerges merges;
        merges.Merge("maisons", "Bâti");
        SaveClassMerges(ClassFileBeside(ana), merges);
    }

    void printsTheClassAgainstItsReference()
    {
        const std::vector<ClassSession> first = ReadClassSessions({ana});
        const ClassMapPicture picture(first.front());
        const ClassReference legend = ClassReference::FromLegend(picture.View(), picture.DrawnView(), {{0xBE6E50, "bâti"}, {0x0000FF, "Eau"}});
        const ClassReference anasClassification = ClassReference::FromSession(first.front());
        const QStringList students{ana, bob, cleo};
        const ToolRun withLegend = RunTool(SONDELIO_CLASSE, students + QStringList{broken, elsewhere, "--legende", "BE6E50=bâti,0000ff=Eau"});
        QCOMPARE(withLegend.Status, 0);
        QCOMPARE(withLegend.Output, Expected(students, &legend));
        // The merge kept beside the sessions counts Cléo's "Maisons" as built: 2 of her 2 points
        // would not hold a half, 1 of 2 does.
        QVERIFY2(withLegend.Output.contains("\r\nIntervalles;2 intervalles sur 3 contiennent la part de référence de « Bâti » "
                                            "(50.00 %).\r\n"),
                 qPrintable(withLegend.Output));
        QVERIFY(withLegend.Output.contains("\r\nÉlève;N;Classés;Bâti : points;"));
        QVERIFY(withLegend.Output.contains("\r\ncleo;2;2;1;0.5;"));
        QCOMPARE(withLegend.Errors, QStringLiteral("\"%1\" : Ce fichier n'est pas une séance de Sondelio.\n"
                                                   "\"%2\" : Cette séance est faite sur une autre carte (\"carte.bmp\") : "
                                                   "la classe est analysée carte par carte.\n")
                                        .arg(broken, elsewhere));
        const ToolRun againstAna = RunTool(SONDELIO_CLASSE, {ana, bob, "--reference", ana, "--usage", "EAU"});
        QCOMPARE(againstAna.Status, 0);
        QCOMPARE(againstAna.Output, Expected({ana, bob}, &anasClassification, "EAU"));
        QVERIFY(againstAna.Output.contains("\r\nKappa de Fleiss;"));
    }

    void refusesMisuseAndAClassWithoutUsableSessions()
    {
        const struct {
            QStringList arguments;
            int status;
            QString errors;  // the first line
        } cases[] = {
            {{}, 2, "Quelles séances ? Donnez les fichiers .sondelio de la classe."},
            {{ana, "--aide"}, 2, "Option inconnue : --aide"},
            {{ana, "--usage"}, 2, "L'option --usage demande une valeur."},
            {{ana, "--reference", bob, "--legende", "BE6E50=bâti"}, 2,
             "Une seule référence, s'il vous plaît : --reference ou --legende."},
            {{ana, "--legende", "BE6E50"}, 2, "« BE6E50 » n'est pas une couleur de légende : écrivez RRGGBB=usage du sol."},
            {{ana, "--legende", "BE6E50=a,be6e50=b"}, 2, "La couleur BE6E50 est nommée deux fois dans la légende."},
            {{ana, "--legende", "rouge=bâti"}, 2,
             "'rouge' n'est pas une couleur : écrivez-la en six chiffres hexadécimaux, rouge, vert, bleu (par exemple 808080)."},
            {{ana, "--usage", "piscine"}, 1,
             "L'usage du sol « piscine » n'est ni dans les séances de la classe ni dans sa référence."},
            {{ana, "--reference", elsewhere}, 1,
             QStringLiteral("La séance de référence \"%1\" est faite sur une autre carte que la classe (\"carte.bmp\").")
                 .arg(elsewhere)},
            {{broken, folder.filePath("absente.sondelio")}, 1, QStringLiteral("\"%1\" : Ce fichier n'est pas une séance de Sondelio.").arg(broken)},
        };
        for (const auto& c : cases) {
            const ToolRun run = RunTool(SONDELIO_CLASSE, c.arguments);
            QCOMPARE(run.Status, c.status);
            QCOMPARE(run.Errors.section('\n', 0, 0), c.errors);
            QVERIFY(run.Output.isEmpty());
        }
        const ToolRun none = RunTool(SONDELIO_CLASSE, {broken});
        QVERIFY(none.Errors.endsWith("Aucune séance utilisable : la classe ne peut pas être analysée.\n"));
        for (const QStringList& help : {QStringList{"--help"}, {ana, "-h"}}) {
            const ToolRun run = RunTool(SONDELIO_CLASSE, help);
            QCOMPARE(run.Status, 0);
            QVERIFY(run.Output.startsWith("usage : sondelio-classe SEANCE.sondelio…"));
        }
    }
};

QTEST_MAIN(ClassCommandTest)
#include "test_class_command.moc"
