// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The map window's files. The survey kept in a file: reopened as it was, refused with nothing
// changed, its map found beside it on another machine, and the question before unsaved work
// goes. The picture export: the map exactly as the window shows it, marks included, with the
// survey's legend under it; refused before the map is drawn, a failed write said in French.

#include "app/WindowSet.h"
#include "core/MapColours.h"
#include "core/Numbers.h"
#include "core/SurveyJournal.h"
#include "core/SurveyLegend.h"
#include "core/SurveyTally.h"
#include "helpers/BmpWriter.h"
#include "helpers/FileDialog.h"
#include "helpers/Files.h"
#include "helpers/MapWindow.h"
#include "helpers/Program.h"
#include "ui/MapPicture.h"
#include "ui/TextGrid.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"
#include "windows/ScaleDialog.h"
#include "windows/TabResultats.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <sys/stat.h>

namespace {

QStringList ResultsGrid()
{
    Click(Page_1->Button1);
    QStringList cells;
    for (int row = 0; row < TabRes->GridResults->RowCount(); ++row)
        for (int column = 0; column < 3; ++column)
            cells << TabRes->GridResults->Cell(column, row);
    TabRes->close();
    return cells;
}

QImage ShownMap()
{
    return Shown(Form2).copy(MapSurface);
}

void Probe(const QString& landUse, int first, int last)
{
    Form2->EdLandUse->setText(landUse);
    Click(Form2->ButtSonder);
    for (int point = first; point <= last; ++point)
        PressOnMap(SamplePointOnWindow(point));
}

void Save(const QString& file)
{
    ChooseFile(file, [] { Click(Form2->ButtEnregistrer); });
}

void Open(const QString& file)
{
    ChooseFile(file, [] { Click(Form2->ButtOuvrir); });
}

void Draw(const QString& seed)
{
    Form2->EdGraine->setText(seed);
    Click(Form2->BtnCalcul);
}

// Every pixel tells its place, in no colour of the marks: a picture taken from the wrong place,
// or scaled otherwise than the screen, differs from it.
QString WritePatternMap(const QString& path, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(60 + x % 190, 60 + y % 190, 60 + (x + y) % 190));
    WriteBmpFile(path, image);
    return path;
}

void Export()
{
    Click(Form2->ButtExporterImage);
}

// A 300 x 200 map, 30 points from seed 4242, "eau" counted on 5 points and "bois" on 2.
QString SurveyInProgress(const QString& folder)
{
    QDir().mkpath(folder);
    const QString map = WritePatternMap(QDir(folder).filePath("carte.bmp"), QSize(300, 200));
    OpenMap(map, "30");
    Draw("4242");
    Probe("eau", 0, 4);
    Click(Form2->ButtFini);
    Probe("bois", 5, 7);
    Click(Form2->ButtAnnuler);
    return map;
}

}  // namespace

class SessionTest : public ProgramTest {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    // Saved (Ctrl+S), replaced by another draw, opened again: the same pixels, the same results,
    // and undo goes on where it was.
    void aSessionComesBackAsSaved()
    {
        const QString map = SurveyInProgress(dir.filePath("rond"));
        const QImage shownBefore = ShownMap();
        const QStringList gridBefore = ResultsGrid();
        const QString file = dir.filePath("rond/carte.sondelio");
        Form2->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form2));
        const FileDialogOffer offer = ChooseFile(file, [] { QTest::keyClick(Form2, Qt::Key_S, Qt::ControlModifier); });
        QCOMPARE(offer.Title, QStringLiteral("Enregistrer la séance"));
        QCOMPARE(offer.File, file);
        QCOMPARE(offer.Filters, QStringList{"Séance Sondelio (*.sondelio)"});

        boxes->Answers = QStringList{"Oui"};
        Draw("1");
        QVERIFY(ShownMap() != shownBefore);
        Open(file);
        QCOMPARE(boxes->Errors, QStringList());
        QCOMPARE(boxes->Questions, QStringList{"Un nouveau tirage efface les points déjà classés. Continuer ?"});
        QCOMPARE(boxes->Defaults, QStringList{"Non"});  // Return keeps the classification
        QCOMPARE(ShownMap(), shownBefore);
        QCOMPARE(ResultsGrid(), gridBefore);
        QCOMPARE(Page_1->EdFich->text(), map);
        QCOMPARE(Form2->EdGraineUtilisee->text(), QStringLiteral("4242"));
        QCOMPARE(Form2->LabelProgress->text(), QStringLiteral("Points classés : 7 / 30"));
        // "bois" was left open: it goes on, its name in the box.
        QCOMPARE(Form2->EdLandUse->text(), QStringLiteral("bois"));
        QCOMPARE(Form2->EdNBPoints->text(), QStringLiteral("2"));
        Click(Form2->ButtAnnuler);
        QCOMPARE(SurveyTally.LandUse(2).Count, 1);
        QCOMPARE(QRgb(Shown(Form2).pixel(SamplePointOnWindow(6))), Red);
    }

    // Saved between two land uses and opened again: no land use is open, a press counts nowhere.
    void aFinishedLandUseStaysFinished()
    {
        SurveyInProgress(dir.filePath("fini"));
        Click(Form2->ButtFini);
        const QString file = dir.filePath("fini/carte.sondelio");
        Save(file);
        Open(file);
        QCOMPARE(Form2->EdLandUse->text(), QString());
        const int counted = SurveyTally.PointsProbed;
        PressOnMap(SamplePointOnWindow(20));
        QCOMPARE(boxes->Notices, QStringList{"Appuyez sur le bouton \"Sonder\""});
        QCOMPARE(SurveyTally.PointsProbed, counted);
    }

    // A program that ends without a word (killed, crashed) leaves its survey in a journal; the
    // next start offers it back. Saved, or let go on purpose, a survey leaves none.
    void aSurveyComesBackAfterACrash_data()
    {
        QTest::addColumn<QString>("before");  // what happened before the end: nothing, saved, closed
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("offered");
        QTest::newRow("taken back") << "nothing" << "Reprendre" << true;
        QTest::newRow("let go") << "nothing" << "Ne pas reprendre" << true;
        QTest::newRow("later") << "nothing" << "Plus tard" << true;
        QTest::newRow("saved since") << "saved" << "" << false;
        QTest::newRow("the program closed without saving") << "closed" << "" << false;
    }
    void aSurveyComesBackAfterACrash()
    {
        QFETCH(QString, before);
        QFETCH(QString, answer);
        QFETCH(bool, offered);
        const FolderVariable journals("XDG_STATE_HOME", RowFolder(dir).filePath("etat"));  // apart from the other surveys
        const QString map = SurveyInProgress(RowFolder(dir).filePath("carte"));
        const TSurveyTally survey = SurveyTally;
        if (before == "saved")
            Save(RowFolder(dir).filePath("carte/s.sondelio"));
        if (before == "closed") {
            boxes->Answers = QStringList{"Ne pas enregistrer"};
            Page_1->close();
        }
        EndProgram();  // the window set goes as with the process: the journal's lock with it

        StartProgram();
        boxes->Clear();
        boxes->Answers = QStringList{answer};
        OfferRecovery();
        QCOMPARE(boxes->Questions.size(), offered ? 1 : 0);
        if (offered) {
            QCOMPARE(boxes->Questions.constFirst(),
                     QStringLiteral("Une séance n'a pas été enregistrée avant la fin du programme : 7 points classés "
                                    "sur 30, carte « carte.bmp ». La reprendre ?"));
            QCOMPARE(boxes->Defaults, QStringList{"Reprendre"});
        }
        QCOMPARE(Form2->isVisible(), answer == "Reprendre");
        if (answer == "Reprendre") {
            QVERIFY(SurveyTally.SameSurvey(survey));
            QCOMPARE(Page_1->EdFich->text(), map);
            // Still to be saved: leaving it asks.
            boxes->Answers = QStringList{"Annuler"};
            QVERIFY(!Form2->ConfirmLeavingSurvey());
        }
        // Offered again at the next start only when put off.
        EndProgram();
        StartProgram();
        boxes->Clear();
        OfferRecovery();
        QCOMPARE(boxes->Questions.size(), answer == "Plus tard" || answer == "Reprendre" ? 1 : 0);
    }

    // A map whose name is not UTF-8 (from an archive made elsewhere) is drawn, kept in the
    // survey's journal, saved with its session and found again.
    void aMapNamedInLatin1KeepsItsSession()
    {
        const QByteArray folder = QFile::encodeName(RowFolder(dir).path());
        const QByteArray native = folder + "/carte\xe9t\xe9.bmp";
        QCOMPARE(::rename(QFile::encodeName(WritePatternMap(RowFolder(dir).filePath("m.bmp"), QSize(300, 200))), native), 0);
        const QString map = QFile::decodeName(native);
        QVERIFY(map.contains(QChar::ReplacementCharacter));
        const FolderVariable journals("XDG_STATE_HOME", RowFolder(dir).filePath("etat"));  // apart from the other surveys
        OpenMap(map, "30");
        Draw("11");
        Probe("eau", 0, 2);
        QCOMPARE(QDir(JournalFolder()).entryList({"*.journal"}).size(), 1);
        const QString file = RowFolder(dir).filePath("s.sondelio");
        Save(file);
        boxes->Answers = QStringList{"Oui"};
        Draw("12");
        Open(file);
        QCOMPARE(boxes->Errors, QStringList());
        QCOMPARE(SurveyTally.PointsProbed, 3);
        QCOMPARE(Form2->EdGraineUtilisee->text(), QStringLiteral("11"));
    }

    // A teacher draws and saves; on a student's machine the map lies beside the session only;
    // the student's own session, named after them, opens again, the teacher's land uses first.
    void aClassShareOneSession()
    {
        SurveyInProgress(dir.filePath("prof"));
        while (Form2->ButtAnnuler->isEnabled())
            Click(Form2->ButtAnnuler);
        Save(dir.filePath("prof/lecon.sondelio"));
        QDir().mkpath(dir.filePath("eleve"));
        for (const char* name : {"carte.bmp", "lecon.sondelio"})
            QVERIFY(QFile::rename(dir.filePath("prof/") + name, dir.filePath("eleve/") + name));
        // A pupil opens it from the main window, without drawing any map first.
        EndProgram();
        StartProgram();
        ChooseFile(dir.filePath("eleve/lecon.sondelio"), [] { Click(Page_1->BtnOuvrirSeance); });
        QVERIFY(QTest::qWaitForWindowExposed(Form2));
        QCOMPARE(boxes->Errors, QStringList());
        QCOMPARE(Page_1->EdFich->text(), dir.filePath("eleve/carte.bmp"));
        QCOMPARE(Page_1->EdNPoints->text(), QStringLiteral("30"));
        QCOMPARE(SurveyTally.Marks().size(), std::size_t(30));
        QCOMPARE(Form2->EdEleve->text(), QString());  // the teacher's session names no student
        QTest::keyClicks(Form2->EdEleve, QStringLiteral("Jean"));
        Probe("bâti", 0, 2);
        Save(dir.filePath("eleve/lecon-jean.sondelio"));

        // The teacher opens it as the desktop does, named on the command line.
        EndProgram();
        StartProgram();
        TakeFileArgument({"sondelio", dir.filePath("eleve/lecon-jean.sondelio")});
        QVERIFY(QTest::qWaitForWindowExposed(Form2));
        QCOMPARE(boxes->Errors, QStringList());
        QCOMPARE(SurveyTally.LandUse(1).Name, QStringLiteral("eau"));
        QCOMPARE(SurveyTally.LandUse(3).Name, QStringLiteral("bâti"));
        QCOMPARE(SurveyTally.LandUse(3).Count, 3);
        QVERIFY(Count(ShownMap(), Blue) > 0);
        QCOMPARE(Form2->EdEleve->text(), QStringLiteral("Jean"));
    }

    // The teacher's map has a legend beside it: the session handed out carries it, and a student
    // who has only the session and the map checks their points against it. "Vérifier" rings the
    // mistakes, follows an undo, and says how many points agree; names match as the class's do.
    void aStudentChecksTheirPointsAgainstTheLegend_data()
    {
        QTest::addColumn<bool>("withLegend");
        QTest::addColumn<QList<int>>("mistaken");  // the sample points classified the other way
        QTest::addColumn<QString>("notice");
        QTest::newRow("all right") << true << QList<int>() << "Vos 12 points classés s'accordent tous avec la légende de la carte.";
        QTest::newRow("three wrong")
            << true << QList<int>{0, 5, 11}
            << QStringLiteral("9 points classés sur 12 s'accordent avec la légende de la carte (%1). Les 3 autres sont "
                              "entourés de rouge sur la carte : la souris dessus donne votre usage du sol et celui de la "
                              "légende.")
                   .arg(PercentText(9, 12));
        QTest::newRow("no legend") << false << QList<int>{0}
                                   << "Cette carte n'a pas de légende : rien ne dit quel usage du sol chaque couleur "
                                      "représente. Le professeur la donne avec la séance qu'il distribue (un fichier "
                                      "« carte-legende.csv » à côté de la carte).";
    }
    void aStudentChecksTheirPointsAgainstTheLegend()
    {
        QFETCH(bool, withLegend);
        QFETCH(QList<int>, mistaken);
        QFETCH(QString, notice);
        // Water left, buildings right, drawn twice its size.
        const QString teacher = dir.filePath(QTest::currentDataTag() + QStringLiteral("/prof"));
        QDir().mkpath(teacher);
        QImage picture(300, 200, QImage::Format_RGB32);
        picture.fill(qRgb(70, 130, 210));
        for (int y = 0; y < 200; ++y)
            for (int x = 150; x < 300; ++x)
                picture.setPixel(x, y, qRgb(190, 110, 80));
        WriteBmpFile(teacher + "/carte.bmp", picture);
        if (withLegend)
            WriteFile(teacher + "/carte-legende.csv", "Couleur;Usage du sol\n4682D2;eau\nBE6E50;bâti\n");
        OpenMap(teacher + "/carte.bmp", "12");
        Draw("4242");
        Save(teacher + "/lecon.sondelio");
        const QString student = dir.filePath(QTest::currentDataTag() + QStringLiteral("/eleve"));
        QDir().mkpath(student);
        for (const char* name : {"carte.bmp", "lecon.sondelio"})
            QVERIFY(QFile::copy(teacher + "/" + name, student + "/" + name));

        EndProgram();
        StartProgram();
        TakeFileArgument({"sondelio", student + "/lecon.sondelio"});
        QVERIFY(QTest::qWaitForWindowExposed(Form2));
        // Each point named by the side it lies on, but for the mistaken ones, spelled as students do.
        int lastCounted = -1;
        for (const auto& [use, left] : {std::pair{"EAU ", true}, std::pair{"Bati", false}}) {
            Form2->EdLandUse->setText(use);
            Click(Form2->ButtSonder);
            for (int point = 0; point < 12; ++point)
                if ((SurveyTally.Marks()[std::size_t(point)].Place.x() < 300) == (left != mistaken.contains(point))) {
                    PressOnMap(SamplePointOnWindow(point));
                    lastCounted = point;
                }
        }
        QCOMPARE(SurveyTally.PointsProbed, 12);
        Click(Form2->ButtVerifier);
        QCOMPARE(boxes->Notices, QStringList{notice});
        QCOMPARE(Form2->ButtVerifier->isChecked(), withLegend);
        // A ring shows beside each mistaken point, past its blue dot, and beside no other.
        const auto ringed = [](const QList<int>& points) {
            const QImage shown = Shown(Form2);
            for (int point = 0; point < 12; ++point)
                QCOMPARE(shown.pixel(SamplePointOnWindow(point) + QPoint(5, 0)) == Red, points.contains(point));
        };
        ringed(withLegend ? mistaken : QList<int>());
        if (!withLegend)
            return;
        // The last count taken back is no longer ringed; let up, "Vérifier" rings none.
        Click(Form2->ButtAnnuler);
        QList<int> stillMistaken = mistaken;
        stillMistaken.removeAll(lastCounted);
        QCOMPARE(Form2->Mistakes().size(), std::size_t(stillMistaken.size()));
        ringed(stillMistaken);
        Click(Form2->ButtVerifier);
        ringed({});
        QCOMPARE(boxes->Errors, QStringList());
    }

    // The scale: a bar's two ends clicked and its length typed, the map's width typed, each
    // wrong distance refused with the dialog left open, and a map that says where it lies; kept
    // in the session and shown again when it opens.
    void scaleSetByHandOrReadFromTheMap_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("typed");  // the distance, then its unit
        QTest::addColumn<QString>("shown");  // the scale under the map, its two lines joined
        QTest::addColumn<QString>("said");   // a notice or an error, if any
        const QString scale = QStringLiteral("1 px = 2,5 m — carte : 150,00 ha");
        QTest::newRow("a 300 m bar clicked") << "bar" << "300 m" << scale << QString();
        QTest::newRow("the width, 1,5 km") << "width" << "1,5 km" << scale << QString();
        QTest::newRow("a width of 0") << "width" << "0 m" << "Pas d'échelle"
                                      << "La distance doit être un nombre de mètres ou de kilomètres plus grand que 0.";
        QTest::newRow("a width no map has") << "width" << "120000 km" << "Pas d'échelle"
                                            << "Cette échelle ferait 1 pixel = 200000 m : une carte va de 1 mm à 100 km "
                                               "par pixel. Vérifiez la distance et son unité.";
        QTest::newRow("a world file") << "world" << "2.5\n0\n0\n-2.5\n650000\n6860000\n"
                                      << "1 px = 1,25 m — carte : 37,50 ha" << QString();
        QTest::newRow("a world file with text")
            << "world" << "2.5\n0\n0\nmoins\n650000\n6860000\n" << "Pas d'échelle"
            << "Le géoréférencement \"carte.bpw\" ne peut pas être lu : la ligne 4, \"moins\", n'est pas un nombre. La "
               "carte est dessinée sans échelle.";
    }
    void scaleSetByHandOrReadFromTheMap()
    {
        QFETCH(QString, how);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, said);
        const QString folder = dir.filePath(QStringLiteral("echelle-") + QTest::currentDataTag());
        QDir().mkpath(folder);
        const QString map = WritePatternMap(folder + "/carte.bmp", QSize(300, 200));
        if (how == "world")
            WriteFile(folder + "/carte.bpw", typed.toUtf8());
        OpenMap(map, "12");
        ProcessEvents();
        if (how != "world") {
            const QString distance = typed.section(' ', 0, 0), unit = typed.section(' ', 1);
            const auto fill = [&](TScaleDialog* dialog) {
                QLineEdit* box = how == "bar" ? dialog->EdDistance : dialog->EdLargeur;
                (how == "bar" ? dialog->RadioBarre : dialog->RadioLargeur)->click();
                box->setText(distance);
                (how == "bar" ? dialog->ComboUniteDistance : dialog->ComboUniteLargeur)->setCurrentText(unit);
                dialog->Buttons->button(QDialogButtonBox::Ok)->click();
            };
            const auto cancel = [](TScaleDialog* dialog) { dialog->Buttons->button(QDialogButtonBox::Cancel)->click(); };
            QList<std::function<void(TScaleDialog*)>> answers;
            if (how == "bar")
                answers << [](TScaleDialog* dialog) { dialog->ButtCliquer->click(); };
            answers << fill << cancel;
            const DialogAnswers<TScaleDialog> answer(answers);
            Click(Form2->ButtEchelle);
            if (how == "bar") {
                QVERIFY(Form2->MeasuringScale());
                // Two ends 120 px apart on the map as drawn, twice the picture's size.
                PressOnMap(TForm2::MapOrigin + QPoint(100, 300));
                PressOnMap(TForm2::MapOrigin + QPoint(220, 300));
            }
            QCOMPARE(answer.Answered(), said.isEmpty() ? answers.size() - 1 : answers.size());
        }
        shown.replace(',', DecimalSeparator());
        QCOMPARE(Form2->LabelEchelle->text().replace('\n', QStringLiteral(" — ")), shown);
        QCOMPARE(boxes->Errors + boxes->Notices, said.isEmpty() ? QStringList() : QStringList{said});
        if (!said.isEmpty())
            return;
        // Kept in the session: opened again, the same scale.
        Save(folder + "/lecon.sondelio");
        Draw("1");
        Open(folder + "/lecon.sondelio");
        QCOMPARE(Form2->LabelEchelle->text().replace('\n', QStringLiteral(" — ")), shown);
    }

    // A file the program cannot take is refused with its reason; the survey in progress, its
    // map and the main window's boxes stay as they were.
    void aRefusedSessionChangesNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a session") << "text" << "Ce fichier n'est pas une séance de Sondelio.";
        QTest::newRow("drawn at another size")
            << "size" << "Cette séance est endommagée et ne peut pas être ouverte : elle dessine sa carte en "
                         "1200 × 800 pixels, et non en 600 × 400.";
        QTest::newRow("its map changed")
            << "map changed" << "La carte \"%1\" n'est pas celle de cette séance : son contenu a changé depuis "
                                "l'enregistrement.";
        QTest::newRow("its map nowhere")
            << "map gone" << "La carte de cette séance est introuvable : ni \"%1\", ni un fichier de ce nom à "
                             "côté de la séance.";
        QTest::newRow("its map a folder")
            << "map a folder" << "La carte de cette séance, \"%1\", n'est pas un fichier ordinaire.";
        QTest::newRow("its map a pipe") << "map a pipe" << "La carte de cette séance, \"%1\", n'est pas un fichier ordinaire.";
        // The session carried to another folder, beside a picture of the map's name.
        QTest::newRow("another picture beside it")
            << "other beside" << "La carte \"%2\" n'est pas celle de cette séance : son contenu a changé depuis "
                                 "l'enregistrement.";
        QTest::newRow("two other pictures")
            << "two others" << "Ni \"%1\" ni \"%2\" n'est la carte de cette séance : leur contenu n'est pas celui "
                               "qu'elle a enregistré.";
    }
    void aRefusedSessionChangesNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        const QString map = SurveyInProgress(dir.filePath(fault));
        const bool carried = fault == "other beside" || fault == "two others";
        const QString file = dir.filePath(fault + (carried ? "/ailleurs/s.sondelio" : "/s.sondelio"));
        const QString beside = QFileInfo(file).dir().filePath("carte.bmp");
        QDir().mkpath(QFileInfo(file).path());
        Save(file);
        if (fault == "text")
            WriteFile(file, "Bonjour");
        if (fault == "size")
            WriteFile(file, FileBytes(file).replace("\"largeur\":600", "\"largeur\":1200").replace("\"hauteur\":400", "\"hauteur\":800"));

        // Another survey in progress, which the refusal must leave alone.
        boxes->Answers = QStringList{"Oui"};
        Draw("7");
        Probe("rue", 0, 0);
        Save(dir.filePath(fault + "/en-cours.sondelio"));
        if (fault == "map changed" || fault == "two others")
            WriteMap(map, 300, 200, Qt::blue);
        if (carried)
            WriteMap(beside, 300, 200, Qt::green);
        if (fault == "map gone" || fault.startsWith("map a") || fault == "other beside")
            QVERIFY(QFile::remove(map));
        if (fault == "map a folder")
            QVERIFY(QDir().mkdir(map));
        if (fault == "map a pipe")
            QCOMPARE(mkfifo(QFile::encodeName(map).constData(), 0600), 0);
        const std::size_t marks = SurveyTally.Marks().size();
        const QImage mapBefore = ShownMap();
        const QString fileBefore = Page_1->EdFich->text();

        Open(file);
        QCOMPARE(boxes->Errors, QStringList{QString(message).replace("%1", map).replace("%2", beside)});
        QCOMPARE(SurveyTally.Marks().size(), marks);
        QCOMPARE(SurveyTally.PointsProbed, 1);
        QCOMPARE(SurveyTally.LandUse(SurveyTally.LandUseCount).Name, QStringLiteral("rue"));
        QCOMPARE(Page_1->EdFich->text(), fileBefore);
        QCOMPARE(Form2->EdGraine->text(), QStringLiteral("7"));
        if (fault == "text" || fault == "size")
            QCOMPARE(ShownMap(), mapBefore);
    }

    // Once a point is counted, dropping a survey that differs from what was saved asks once,
    // when it is dropped: a new survey drawn ("3)-" after closing the window, or another map),
    // another session opened, the program ended. Closing the window drops nothing and asks
    // nothing; "Annuler" stays.
    void droppingUnsavedWorkAsks_data()
    {
        QTest::addColumn<bool>("counted");
        QTest::addColumn<QString>("afterSaving");  // "": not saved; else what was done since saving
        QTest::addColumn<QString>("leave");  // close, redraw, other map, program, open
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("asked");
        QTest::newRow("nothing counted") << false << "" << "redraw" << "" << false;
        QTest::newRow("saved since the last count") << true << "nothing" << "redraw" << "" << false;
        QTest::newRow("saved, then undone and redone") << true << "undo redo" << "redraw" << "" << false;
        QTest::newRow("saved, then undone") << true << "undo" << "redraw" << "Ne pas enregistrer" << true;
        QTest::newRow("the window closed") << true << "" << "close" << "" << false;
        QTest::newRow("shown anew: stay") << true << "" << "redraw" << "Annuler" << true;
        QTest::newRow("shown anew: leave without saving") << true << "" << "redraw" << "Ne pas enregistrer" << true;
        QTest::newRow("shown anew: save, then leave") << true << "" << "redraw" << "Enregistrer" << true;
        QTest::newRow("another map: stay") << true << "" << "other map" << "Annuler" << true;
        QTest::newRow("another map: leave") << true << "" << "other map" << "Ne pas enregistrer" << true;
        QTest::newRow("the program stays") << true << "" << "program" << "Annuler" << true;
        QTest::newRow("another session, not now") << true << "" << "open" << "Annuler" << true;
    }
    void droppingUnsavedWorkAsks()
    {
        QFETCH(bool, counted);
        QFETCH(QString, afterSaving);
        QFETCH(QString, leave);
        QFETCH(QString, answer);
        QFETCH(bool, asked);
        const QString map = WriteMap(dir.filePath("invite.bmp"), 200, 200);
        OpenMap(map, "3");
        Click(Form2->BtnCalcul);
        Probe("champ", 0, counted ? 1 : -1);
        const QString file = dir.filePath("invite.sondelio");
        QFile::remove(file);
        if (!afterSaving.isEmpty()) {
            Save(file);
            for (const QString& edit : afterSaving.split(' '))
                if (edit != "nothing")
                    Click(edit == "undo" ? Form2->ButtAnnuler : Form2->ButtRetablir);
        }
        const int countedBefore = SurveyTally.PointsProbed;
        boxes->Answers = QStringList{answer};
        const auto act = [&] {
            if (leave == "close") {
                Form2->close();
            } else if (leave == "redraw") {
                Form2->close();
                Click(Page_1->BtnDessine);
            } else if (leave == "other map") {
                Page_1->EdFich->setText(WriteMap(dir.filePath("autre.bmp"), 300, 200));
                Click(Page_1->BtnDessine);
            } else if (leave == "program") {
                Page_1->close();
            } else {
                Click(Form2->ButtOuvrir);
            }
        };
        if (answer == "Enregistrer")
            ChooseFile(file, act);
        else
            act();
        QCOMPARE(boxes->Questions, asked ? QStringList{"Enregistrer la séance ?"} : QStringList{});
        if (asked) {
            QCOMPARE(boxes->Offered.constFirst(), (QStringList{"Enregistrer", "Ne pas enregistrer", "Annuler"}));
            QCOMPARE(boxes->Defaults, QStringList{"Enregistrer"});
        }
        QVERIFY(Page_1->isVisible());
        QCOMPARE(QFile::exists(file), !afterSaving.isEmpty() || answer == "Enregistrer");
        // A survey dropped is gone with its counts; one kept has them all.
        const bool dropped = (leave == "redraw" || leave == "other map") && answer != "Annuler";
        QCOMPARE(SurveyTally.PointsProbed, dropped ? 0 : countedBefore);
        QCOMPARE(Form2->isVisible(), leave != "close" && (leave != "redraw" || answer != "Annuler"));
        if (!dropped && answer == "Ne pas enregistrer") {
            // Asked once: the same survey does not ask again.
            boxes->Clear();
            QVERIFY(Form2->ConfirmLeavingSurvey());
            QCOMPARE(boxes->Questions, QStringList{});
        }
    }

    // The picture holds the map's pixels as the screen shows them, at its drawn size, and under
    // them the survey's legend on one line, widened when the map is narrower than that line.
    void pictureIsTheMapAsShownWithItsLegend_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("drawn");    // "Go" pressed
        QTest::addColumn<bool>("counted");  // a press counted on the first point
        QTest::addColumn<QSize>("mapSize");
        QTest::addColumn<QString>("typed");
        QTest::newRow("landscape") << QSize(640, 480) << true << false << QSize(600, 450) << "classe.png";
        QTest::newRow("portrait, counted, no suffix") << QSize(300, 600) << true << true << QSize(350, 700) << "classe";
        QTest::newRow("no point drawn yet") << QSize(640, 480) << false << false << QSize(600, 450) << "classe.png";
        QTest::newRow("narrower than its legend") << QSize(30, 700) << true << false << QSize(30, 700) << "classe.png";
    }
    void pictureIsTheMapAsShownWithItsLegend()
    {
        QFETCH(QSize, picture);
        QFETCH(bool, drawn);
        QFETCH(bool, counted);
        QFETCH(QSize, mapSize);
        QFETCH(QString, typed);
        const QDir folder = RowFolder(dir);
        goState = 4242;
        const QString map = WritePatternMap(folder.filePath("plan.bmp"), picture);
        OpenMap(map);
        if (drawn)
            Click(Form2->BtnCalcul);
        if (counted)
            Probe("bois", 0, 0);
        const QImage shown = Shown(Form2).copy(QRect(QPoint(10, 10), mapSize));
        QCOMPARE(Count(shown, Red) > 0, drawn);
        QCOMPARE(Count(shown, Blue) > 0, counted);

        const QDateTime before = QDateTime::currentDateTime();
        const FileDialogOffer offer = ChooseFile(folder.filePath(typed), Export);
        const QDateTime after = QDateTime::currentDateTime();
        QCOMPARE(boxes->Notices + boxes->Errors, QStringList());
        QCOMPARE(offer.Title, QStringLiteral("Exporter l'image de la carte"));
        QCOMPARE(offer.Filters, QStringList{"Image PNG (*.png)"});
        QCOMPARE(offer.File, folder.filePath("plan-points.png"));

        const QImage exported = QImage(folder.filePath("classe.png"), "PNG").convertToFormat(QImage::Format_RGB32);
        QVERIFY(!exported.isNull());
        QCOMPARE(exported.copy(QRect(QPoint(), mapSize)), shown);
        QVERIFY(exported.height() > mapSize.height() + 12 && exported.height() < mapSize.height() + 40);
        QVERIFY(mapSize.width() >= 400 ? exported.width() == mapSize.width() : exported.width() > 300);
        // A band with writing on it, and the writing is the legend at the moment of the export.
        const QImage band = exported.copy(0, mapSize.height(), exported.width(), exported.height());
        QVERIFY(Count(band, band.pixel(0, 0)) < band.width() * band.height() - 100);
        QVERIFY(exported == MapWithLegend(shown, MapLegend(SurveyTally, map, before)) ||
                exported == MapWithLegend(shown, MapLegend(SurveyTally, map, after)));
    }

    // Until the map is drawn the button says so, as "Go" does, and opens no dialog; a write that
    // fails names the file and the system's reason. Either way nothing is written.
    void aRefusedExportWritesNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("map file gone") << "gone";
        QTest::newRow("picture too flat for a row") << "flat";
        QTest::newRow("folder absent") << "absent";
    }
    void aRefusedExportWritesNothing()
    {
        QFETCH(QString, fault);
        const QDir folder = RowFolder(dir);
        const QSize size = fault == "flat" ? QSize(4000, 2) : QSize(640, 480);
        const QString map = WritePatternMap(folder.filePath("plan.bmp"), size);
        OpenMap(map);
        const QString named = folder.filePath("absent/classe.png");
        if (fault == "absent") {
            Click(Form2->BtnCalcul);
            ChooseFile(named, Export);
            QCOMPARE(boxes->Errors, QStringList{QStringLiteral("Impossible d'écrire le fichier \"%1\". Aucun fichier ou dossier.")
                                                    .arg(named)});
            QVERIFY(Form2->isVisible());
        } else {
            if (fault == "gone") {
                QVERIFY(QFile::remove(map));
                Uncover();
            }
            boxes->Clear();
            QTest::ignoreMessage(QtWarningMsg, "the file dialog never opened");
            QVERIFY(!ChooseFile(named, Export).Opened);
            QCOMPARE(boxes->Notices, QStringList{"La carte doit être dessinée !"});
            QCOMPARE(boxes->Errors, QStringList());
        }
        QCOMPARE(folder.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 fault == "gone" ? QStringList() : QStringList{"plan.bmp"});
    }
};

QTEST_MAIN(SessionTest)
#include "test_session.moc"
