// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The class window: sessions gathered by the file dialog, by a folder or dropped, listed with a
// refusal's reason, and shown as core analyses them; a merge kept in the class file; the
// intervals set against a reference session; a student's mistake in the confusion matrix.

#include "BmpWriter.h"
#include "FileDialog.h"
#include "Files.h"
#include "Program.h"
#include "helpers/ClassSessions.h"

#include "core/ClassCsv.h"
#include "core/Numbers.h"
#include "core/ResultsCsv.h"
#include "core/SurveyFile.h"
#include "picture/MapPixels.h"
#include "picture/ClassFiles.h"
#include "ui/ApplicationFrame.h"
#include "ui/TextGrid.h"
#include "ui/MarkedMap.h"
#include "windows/Classe.h"
#include "windows/Fich_1.h"

#include <QComboBox>
#include <QFile>
#include <QRegularExpression>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

// Three students on the same five points; Chloé typed "Maisons" where the others say "Bâti", and
// Bruno called the second point water.
const QList<QPair<QString, QStringList>> students{{"Anna", {"Bâti", "Bâti", "Eau", "Prés", ""}},
                                                  {"Bruno", {"bâti", "Eau", "Eau", "Prés", "Prés"}},
                                                  {"Chloé", {"Maisons", "Bâti", "Eau", "Prés", "Prés"}}};

// The class's sessions written in `folder`, then a file that is no session; their paths in order.
QStringList WriteClass(const QDir& folder, const QByteArray& mapHash = ClassMapHash)
{
    QStringList paths;
    for (const auto& [name, classes] : students) {
        paths << folder.filePath(name.toLower() + ".sondelio");
        WriteFile(paths.constLast(), SessionBytes(ClassifiedSurvey(classes, 7, name), mapHash));
    }
    paths << folder.filePath("zz-abime.sondelio");
    WriteFile(paths.constLast(), "pas une séance");
    return paths;
}

// The class's map beside its sessions, with its legend: built-up on the left half, meadows on the
// right; its picture twice the size the sessions drew it at. Its hash, for the sessions to name
// it by.
QByteArray WriteMapWithLegend(const QDir& folder)
{
    QImage map(80, 60, QImage::Format_RGB32);
    map.fill(qRgb(0x00, 0xA0, 0x00));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 40; ++x)
            map.setPixel(x, y, qRgb(0x80, 0x80, 0x80));
    WriteBmpFile(folder.filePath("carte.bmp"), map);
    WriteFile(folder.filePath("carte-legende.csv"), "808080;Bâti\n00A000;Prés\n");
    return FileSha256(folder.filePath("carte.bmp"));
}

// Shown as the main window's « Classe… » shows it, emptied of an earlier class.
void OpenClassWindow()
{
    QTest::mouseClick(Page_1->BtnClasse, Qt::LeftButton);
    QVERIFY(Classe->isVisible());
    QTest::mouseClick(Classe->ButtNouvelle, Qt::LeftButton);
}

void AddFolder(const QDir& folder)
{
    ChooseFile(folder.absolutePath(), [] { QTest::mouseClick(Classe->ButtDossier, Qt::LeftButton); });
}

ClassAnalysis CoreAnalysis(const QStringList& files, const LandUseMerges& merges = {},
                           const ClassReference* reference = nullptr, const QString& chosen = {})
{
    return AnalyseClass(ReadClassSessions(files), ClassMapHash, merges, reference, chosen);
}

QStringList GridRow(const TTextGrid* grid, int row)
{
    QStringList cells;
    for (int column = 0; column < grid->ColCount(); ++column)
        cells << grid->Cell(column, row);
    return cells;
}

// Shares written with the regional decimal separator, as the window writes them.
QStringList Decimal(QStringList texts)
{
    for (QString& text : texts)
        text.replace(',', DecimalSeparator());
    return texts;
}

void ChooseReference(const QString& text)
{
    Classe->ComboReference->setCurrentIndex(Classe->ComboReference->findText(text));
}

}  // namespace

class ClassWindowTest : public ProgramTest {
    Q_OBJECT
private slots:
    // However the files come, each is listed, the refused one with core's reason, and the table
    // holds core's counts, frequencies and pooled row; its export is core's CSV.
    void sessionsGatheredShowTheClassAsCoreAnalysesIt_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("file dialog, several at once") << "dialog";
        QTest::newRow("a whole folder") << "folder";
        QTest::newRow("dropped from the file manager") << "dropped";
    }
    void sessionsGatheredShowTheClassAsCoreAnalysesIt()
    {
        QFETCH(QString, way);
        QTemporaryDir folder;
        const QStringList files = WriteClass(QDir(folder.path()));
        OpenClassWindow();
        if (way == "dialog") {
            ChooseFile('"' + files.join("\" \"") + '"', [] { QTest::mouseClick(Classe->ButtAjouter, Qt::LeftButton); });
        } else if (way == "folder") {
            AddFolder(QDir(folder.path()));
        } else {
            QMimeData dragged;
            QList<QUrl> urls;
            for (const QString& file : files)
                urls << QUrl::fromLocalFile(file);
            dragged.setUrls(urls);
            QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
            // Straight to the window, as the drag's end delivers it: no drag runs on the headless screen.
            static_cast<QObject*>(Classe)->event(&drop);
        }
        QVERIFY2(boxes->Errors.isEmpty(), qPrintable(boxes->Errors.join('\n')));
        const std::vector<ClassSession> read = ReadClassSessions(files);
        QCOMPARE(Classe->GridSeances->RowCount(), 5);
        QCOMPARE(GridRow(Classe->GridSeances, 2).mid(0, 6),
                 QStringList({"bruno.sondelio", "Bruno", "carte.bmp", "7", "5", "5 / 5"}));
        QVERIFY(!read[3].Refusal.isEmpty());
        QCOMPARE(Classe->GridSeances->Cell(6, 4), "Refusée : " + read[3].Refusal);

        const ClassAnalysis core = CoreAnalysis(files);
        QCOMPARE(Classe->GridClasse->RowCount(), 5);
        const ClassRow* rows[] = {&core.Rows[0], &core.Rows[1], &core.Rows[2], &core.Pooled};
        for (int row = 1; row <= 4; ++row) {
            const ClassRow& expected = *rows[row - 1];
            QStringList cells{expected.Name, QString::number(expected.SampleSize), QString::number(expected.Classified)};
            for (const ResultRow& cell : expected.Cells)
                cells << QString::number(cell.Count()) << FrequencyCell(cell);
            QCOMPARE(GridRow(Classe->GridClasse, row), cells);
        }
        QVERIFY(Classe->LabelCommun->text().endsWith(core.PoolingSentence));

        const QString csv = folder.filePath("classe.csv");
        ChooseFile(csv, [] { QTest::mouseClick(Classe->ButtExporterTableau, Qt::LeftButton); });
        QCOMPARE(FileBytes(csv), SpreadsheetBytes(ClassTableCsv(core) + "\r\n" + ClassSummaryCsv(core)));
    }

    // The name typed in front of "Maisons" counts Chloé's first point as built-up, and is written
    // in the class file beside the sessions: the class opened again has it. A class file this
    // version cannot read (a newer one's) is told once and never written over.
    void mergeTypedIsKeptInTheClassFile_data()
    {
        QTest::addColumn<QByteArray>("classFileBefore");  // empty: none
        QTest::newRow("no class file yet") << QByteArray();
        QTest::newRow("a newer version's class file")
            << QByteArray(R"({"format": "sondelio-classe", "version": 2, "fusions": []})");
    }
    void mergeTypedIsKeptInTheClassFile()
    {
        QFETCH(QByteArray, classFileBefore);
        QTemporaryDir folder;
        const QStringList files = WriteClass(QDir(folder.path()));
        const QString classFile = QDir(folder.path()).filePath("classe.sondelio-classe");
        if (!classFileBefore.isEmpty())
            WriteFile(classFile, classFileBefore);
        OpenClassWindow();
        AddFolder(QDir(folder.path()));
        QCOMPARE(boxes->Notices.size(), classFileBefore.isEmpty() ? 0 : 1);
        const int maisons = int(std::find_if(Classe->Analysis().FoundNames.begin(), Classe->Analysis().FoundNames.end(),
                                             [](const auto& each) { return each.first == "Maisons"; })
                                - Classe->Analysis().FoundNames.begin());
        Classe->TableNoms->item(maisons, 1)->setText("Bâti");
        ProcessEvents();
        QVERIFY2(boxes->Errors.isEmpty(), qPrintable(boxes->Errors.join('\n')));
        LandUseMerges merged;
        merged.Merge("Maisons", "Bâti");
        // Chloé's built-up points: her "Maisons" and her "Bâti".
        const QStringList chloeBati{"2", FrequencyCell(CoreAnalysis(files, merged).Rows[2].Cells[0])};
        QCOMPARE(GridRow(Classe->GridClasse, 3).mid(3, 2), chloeBati);
        if (!classFileBefore.isEmpty()) {
            QCOMPARE(FileBytes(classFile), classFileBefore);
            return;
        }
        QCOMPARE(ReadClassMerges(classFile).Used("Maisons"), "Bâti");
        QTest::mouseClick(Classe->ButtNouvelle, Qt::LeftButton);
        QCOMPARE(Classe->TableNoms->rowCount(), 0);
        AddFolder(QDir(folder.path()));
        QCOMPARE(Classe->TableNoms->item(maisons, 1)->text(), "Bâti");
        QCOMPARE(GridRow(Classe->GridClasse, 3).mid(3, 2), chloeBati);
    }

    // With the map's legend or a student's session as the reference, the sentence under the chart
    // is core's for the land use chosen.
    void intervalsSentenceAgainstAReferenceSession_data()
    {
        QTest::addColumn<int>("referenceStudent");  // -1: the map's legend
        QTest::addColumn<QString>("use");
        QTest::newRow("Anna, built-up") << 0 << "Bâti";
        QTest::newRow("Bruno, water") << 1 << "Eau";
        QTest::newRow("Chloé, meadows") << 2 << "Prés";
        QTest::newRow("the legend, built-up") << -1 << "Bâti";
    }
    void intervalsSentenceAgainstAReferenceSession()
    {
        QFETCH(int, referenceStudent);
        QFETCH(QString, use);
        QTemporaryDir folder;
        const bool legend = referenceStudent < 0;
        const QStringList files =
            WriteClass(QDir(folder.path()), legend ? WriteMapWithLegend(QDir(folder.path())) : ClassMapHash);
        OpenClassWindow();
        AddFolder(QDir(folder.path()));
        QVERIFY(Classe->LabelContiennent->text().startsWith("Choisissez une référence"));
        ChooseReference(legend ? "La légende de la carte" : "La séance « " + students[referenceStudent].first + " »");
        Classe->ComboUsage->setCurrentIndex(Classe->ComboUsage->findText(use));
        const std::vector<ClassSession> sessions = ReadClassSessions(files);
        std::optional<ClassMapPicture> map;
        if (legend)
            map.emplace(sessions[0]);
        const ClassReference reference = legend ? ClassReference::FromLegend(map->View(), map->DrawnView(), ReadLegendBeside(map->File()))
                                                : ClassReference::FromSession(sessions[std::size_t(referenceStudent)]);
        const QString sentence =
            AnalyseClass(sessions, sessions[0].MapSha256, {}, &reference, use).HoldsSentence();
        QVERIFY(sentence.contains("contien"));
        QCOMPARE(Classe->LabelContiennent->text(), sentence);
        // The points are shown on the map as the students drew it.
        QCOMPARE(Classe->MapReference->MapSize(), QSize(40, 30));
    }

    // The teacher names the map's colours in the window: the legend is written beside the map, as
    // the map window reads it, and becomes the reference. Without that file, the legend the
    // sessions carry (the teacher's session handed it out) is the map's.
    void legendNamedByTheTeacherBecomesTheReference_data()
    {
        QTest::addColumn<bool>("carried");
        QTest::newRow("named in the window") << false;
        QTest::newRow("carried by the sessions") << true;
    }
    void legendNamedByTheTeacherBecomesTheReference()
    {
        QFETCH(bool, carried);
        QTemporaryDir folder;
        const QDir dir(folder.path());
        const QByteArray hash = WriteMapWithLegend(dir);
        QVERIFY(QFile::remove(dir.filePath("carte-legende.csv")));
        const ColourNames named{{0x808080, "Bâti"}, {0x00A000, "Prés"}};
        for (const auto& [name, classes] : students) {
            TSurveyTally survey = ClassifiedSurvey(classes, 7, name);
            if (carried)
                survey.Legend = named;
            WriteFile(dir.filePath(name + ".sondelio"), SessionBytes(survey, hash));
        }
        OpenClassWindow();
        AddFolder(dir);
        // Half and half, the larger colour value last on a tie.
        QCOMPARE(Classe->TableLegende->rowCount(), 2);
        QCOMPARE(Classe->TableLegende->item(1, 0)->text(), "808080");
        QCOMPARE(Classe->TableLegende->item(1, 1)->text(), PercentText(1, 2));
        QCOMPARE(Classe->ComboReference->findText("La légende de la carte") >= 0, carried);
        if (!carried) {
            Classe->TableLegende->item(0, 2)->setText(" Prés");
            Classe->TableLegende->item(1, 2)->setText("Bâti");
            ProcessEvents();
            QCOMPARE(FileBytes(dir.filePath("carte-legende.csv")), SpreadsheetBytes(LegendCsv(named)));
        }
        QCOMPARE(Classe->TableLegende->item(1, 2)->text(), "Bâti");
        ChooseReference("La légende de la carte");
        const std::vector<ClassSession> sessions = ReadClassSessions(dir.entryList({"*.sondelio"}).replaceInStrings(QRegularExpression("^"), dir.path() + "/"));
        const ClassMapPicture map(sessions[0]);
        const ClassReference reference = ClassReference::FromLegend(map.View(), map.DrawnView(), named);
        const ClassAnalysis core = AnalyseClass(sessions, hash, {}, &reference);
        QCOMPARE(Classe->Analysis().ReferenceName, core.ReferenceName);
        QCOMPARE(Classe->LabelContiennent->text(), core.HoldsSentence());
        QCOMPARE(Classe->Analysis().Checks.size(), core.Checks.size());
        QCOMPARE(boxes->Errors, QStringList());
    }

    // Against Anna's session, Bruno's second point is water where she says built-up: one point
    // off the diagonal, listed, and the matrix exported as core writes it.
    void confusionMatrixShowsAStudentsMistake()
    {
        QTemporaryDir folder;
        const QStringList files = WriteClass(QDir(folder.path()));
        OpenClassWindow();
        AddFolder(QDir(folder.path()));
        ChooseReference("La séance « Anna »");
        Classe->ComboEleve->setCurrentIndex(Classe->ComboEleve->findText("Bruno"));
        // Rows Bruno's, columns Anna's: Bâti, Eau, Prés (Bruno's fifth point Anna left out).
        QCOMPARE(GridRow(Classe->GridConfusion, 0), QStringList({"Élève \\ réf.", "Bâti", "Eau", "Prés"}));
        QCOMPARE(GridRow(Classe->GridConfusion, 1),
                 Decimal({"Bâti", "1 (100,0 % ; 50,0 %)", "0 (0,0 % ; 0,0 %)", "0 (0,0 % ; 0,0 %)"}));
        QCOMPARE(GridRow(Classe->GridConfusion, 2),
                 Decimal({"Eau", "1 (50,0 % ; 50,0 %)", "1 (50,0 % ; 100,0 %)", "0 (0,0 % ; 0,0 %)"}));
        QCOMPARE(Classe->LabelAccordReference->text(),
                 "Accord avec la séance « Anna » : 3 points sur 4, soit " + Decimal({"75,0 %."})[0]);
        QCOMPARE(Classe->ListDesaccords->count(), 1);
        QVERIFY(Classe->ListDesaccords->item(0)->text().endsWith("élève « Eau », référence « Bâti »"));

        const QString csv = folder.filePath("matrice.csv");
        ChooseFile(csv, [] { QTest::mouseClick(Classe->ButtExporterMatrice, Qt::LeftButton); });
        const ClassReference reference = ClassReference::FromSession(ReadClassSessions(files)[0]);
        const ClassAnalysis core = CoreAnalysis(files, {}, &reference);
        QCOMPARE(FileBytes(csv), SpreadsheetBytes(ConfusionCsv(core, core.Checks[1])));
    }

    // Students on the same points: core's kappa, and a disputed point clicked tells what each
    // student said, the names matched as the table matches them.
    void disputedPointShowsWhatEachStudentSaid()
    {
        QTemporaryDir folder;
        const QStringList files = WriteClass(QDir(folder.path()));
        OpenClassWindow();
        AddFolder(QDir(folder.path()));
        const ClassAnalysis core = CoreAnalysis(files);
        QVERIFY(Classe->LabelKappa->text().contains(FixedText(double(*core.Agreement->Kappa), 3)));
        QCOMPARE(Classe->ListDisputes->count(), 2);
        Classe->ListDisputes->setCurrentRow(0);
        QCOMPARE(Classe->LabelVotes->text(),
                 "Au point (21 ; 7) :\nAnna : « Bâti »\nBruno : « Bâti »\nChloé : « Maisons »");
    }

    // Sessions of two maps: the one with the most sessions first, the other chosen shows its own
    // student alone and sets the rest aside.
    void mapsAreAnalysedOneAtATime()
    {
        QTemporaryDir folder;
        WriteClass(QDir(folder.path()));
        WriteFile(folder.filePath("dora.sondelio"),
                  SessionBytes(ClassifiedSurvey({"Eau", "Eau"}, 3, "Dora"), QByteArray(32, '\x11')));
        OpenClassWindow();
        AddFolder(QDir(folder.path()));
        QCOMPARE(Classe->ComboCarte->count(), 2);
        QVERIFY(Classe->ComboCarte->isEnabled());
        QCOMPARE(Classe->ComboCarte->itemText(0), "carte.bmp (3 séances)");
        QCOMPARE(Classe->GridClasse->Cell(0, 1), "Anna");
        Classe->ComboCarte->setCurrentIndex(1);
        QCOMPARE(Classe->ComboCarte->currentText(), "carte.bmp (1 séance)");
        QCOMPARE(Classe->GridClasse->RowCount(), 3);
        QCOMPARE(GridRow(Classe->GridClasse, 1).mid(0, 4), QStringList({"Dora", "2", "2", "2"}));
        QCOMPARE(Classe->Analysis().SetAside.size(), 4u);
    }
};

QTEST_MAIN(ClassWindowTest)
#include "test_class_window.moc"
