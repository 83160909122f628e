// The survey kept in a file: saved and reopened as it was, refused with its message and nothing
// changed, found beside the session on another machine, and the question before unsaved work
// goes.

#include "core/SampleGenerator.h"
#include "core/SurveyTally.h"
#include "helpers/BmpWriter.h"
#include "helpers/BoxRecorder.h"
#include "helpers/FileDialog.h"
#include "helpers/MapSession.h"
#include "helpers/Program.h"
#include "ui/TextGrid.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"
#include "windows/TabResultats.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString askToSave = QStringLiteral("Enregistrer la séance ?");

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

// The map as the window shows it, its survey's points and dots included.
QImage ShownMap()
{
    return Shown(Form2).copy(MapSurface);
}

void CountPoints(int first, int last)
{
    for (int point = first; point <= last; ++point)
        PressOnMap(SamplePointOnWindow(point));
}

}  // namespace

class SessionTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    BoxRecorder* boxes = nullptr;

    // A striped map, 30 points from seed 4242, "eau" counted on 5 points and "bois" on 2.
    QString SurveyOnStripes(const QString& folder)
    {
        QDir().mkpath(folder);
        QImage stripes(300, 200, QImage::Format_RGB32);
        for (int y = 0; y < stripes.height(); ++y)
            for (int x = 0; x < stripes.width(); ++x)
                stripes.setPixel(x, y, (x / 20) % 2 ? qRgb(40, 160, 40) : qRgb(200, 200, 200));
        const QString map = QDir(folder).filePath("carte.bmp");
        WriteBmpFile(map, stripes);
        OpenMap(map, "30");
        Form2->EdGraine->setText("4242");
        Click(Form2->BtnCalcul);
        Form2->EdLandUse->setText("eau");
        Click(Form2->ButtSonder);
        CountPoints(0, 4);
        Click(Form2->ButtFini);
        Form2->EdLandUse->setText("bois");
        Click(Form2->ButtSonder);
        CountPoints(5, 7);
        Click(Form2->ButtAnnuler);
        return map;
    }

    void Save(const QString& file)
    {
        ChooseFile(file, [] { Click(Form2->ButtEnregistrer); });
    }
    void Open(const QString& file)
    {
        ChooseFile(file, [] { Click(Form2->ButtOuvrir); });
    }

private slots:
    void init()
    {
        boxes = new BoxRecorder;
        StartProgram();
    }
    void cleanup()
    {
        EndProgram();
        delete boxes;
        SeedGenerator = SeedFromClock;
    }

    // Saved, replaced by another draw, opened again: the same pixels, the same results, and
    // undo goes on where it was.
    void aSessionComesBackAsSaved()
    {
        const QString map = SurveyOnStripes(dir.filePath("rond"));
        const QImage shownBefore = ShownMap();
        const QStringList gridBefore = ResultsGrid();
        const QString file = dir.filePath("rond/carte.sondelio");
        Form2->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form2));
        const FileDialogOffer offer = ChooseFile(file, [] { QTest::keyClick(Form2, Qt::Key_S, Qt::ControlModifier); });
        QCOMPARE(offer.Title, QStringLiteral("Enregistrer la séance"));
        QCOMPARE(offer.File, file);
        QCOMPARE(offer.Filters, QStringList{"Séance Sondelio (*.sondelio)"});
        QVERIFY(QFile::exists(file));

        boxes->Answers = QStringList{"Oui"};
        Form2->EdGraine->setText("1");
        Click(Form2->BtnCalcul);
        QVERIFY(ShownMap() != shownBefore);

        Open(file);
        QCOMPARE(boxes->Errors, QStringList());
        QCOMPARE(boxes->Questions, QStringList{"Un nouveau tirage efface les points déjà classés. Continuer ?"});
        QCOMPARE(ShownMap(), shownBefore);
        QCOMPARE(ResultsGrid(), gridBefore);
        QCOMPARE(Page_1->EdFich->text(), map);
        QCOMPARE(Form2->EdGraine->text(), QStringLiteral("4242"));
        QCOMPARE(Form2->LabelProgress->text(), QStringLiteral("Points classés : 7 / 30"));
        Click(Form2->ButtAnnuler);
        QCOMPARE(SurveyTally.LandUse(2).Count, 1);
        QCOMPARE(QRgb(Shown(Form2).pixel(SamplePointOnWindow(6))), Red);
    }

    // A teacher draws and saves; on a student's machine the map lies beside the session only;
    // the student's own session opens again.
    void aClassShareOneSession()
    {
        SurveyOnStripes(dir.filePath("prof"));
        while (Form2->ButtAnnuler->isEnabled())
            Click(Form2->ButtAnnuler);
        QCOMPARE(SurveyTally.PointsProbed, 0);
        Save(dir.filePath("prof/lecon.sondelio"));
        const std::vector<SurveyMark> points = SurveyTally.Marks();

        QDir().mkpath(dir.filePath("eleve"));
        QVERIFY(QFile::rename(dir.filePath("prof/carte.bmp"), dir.filePath("eleve/carte.bmp")));
        QVERIFY(QFile::rename(dir.filePath("prof/lecon.sondelio"), dir.filePath("eleve/lecon.sondelio")));
        EndProgram();
        StartProgram();
        OpenMap(WriteMap(dir.filePath("autre.bmp"), 50, 50), "5");
        Open(dir.filePath("eleve/lecon.sondelio"));
        QCOMPARE(boxes->Errors, QStringList());
        QCOMPARE(Page_1->EdFich->text(), dir.filePath("eleve/carte.bmp"));
        QCOMPARE(Page_1->EdNPoints->text(), QStringLiteral("30"));
        QCOMPARE(SurveyTally.Marks().size(), points.size());
        Form2->EdLandUse->setText("bâti");
        Click(Form2->ButtSonder);
        CountPoints(0, 2);
        Save(dir.filePath("eleve/lecon-jean.sondelio"));

        EndProgram();
        StartProgram();
        OpenMap(dir.filePath("eleve/carte.bmp"), "30");
        Open(dir.filePath("eleve/lecon-jean.sondelio"));
        QCOMPARE(boxes->Errors, QStringList());
        // The teacher's land uses come with the session, the student's own after them.
        QCOMPARE(SurveyTally.LandUse(1).Name, QStringLiteral("eau"));
        QCOMPARE(SurveyTally.LandUse(3).Name, QStringLiteral("bâti"));
        QCOMPARE(SurveyTally.LandUse(3).Count, 3);
        QCOMPARE(Count(ShownMap(), Blue) > 0, true);
    }

    // A file the program cannot take is refused with its reason; the survey in progress, its
    // map and the main window's boxes stay as they were.
    void aRefusedSessionChangesNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        const QString damaged = QStringLiteral("Cette séance est endommagée et ne peut pas être ouverte : %1.");
        QTest::newRow("not a session") << "text" << "Ce fichier n'est pas une séance de Sondelio.";
        QTest::newRow("a newer version")
            << "version" << "Ce fichier a été écrit par une version plus récente de Sondelio ; mettez le "
                            "programme à jour pour ouvrir cette séance.";
        QTest::newRow("a point outside the map")
            << "outside" << damaged.arg("un point d'échantillon est hors de la carte");
        QTest::newRow("drawn at another size")
            << "size" << damaged.arg("elle dessine sa carte en 1200 × 800 pixels, et non en 600 × 400");
        QTest::newRow("counts that contradict the points")
            << "counts" << damaged.arg("les nombres de points ne s'accordent pas avec les points comptés");
        QTest::newRow("its map changed")
            << "map changed" << "La carte \"%1\" n'est pas celle de cette séance : son contenu a changé depuis "
                                "l'enregistrement.";
        QTest::newRow("its map nowhere")
            << "map gone" << "La carte de cette séance est introuvable : ni \"%1\", ni un fichier de ce nom à "
                             "côté de la séance.";
    }
    void aRefusedSessionChangesNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        const QString map = SurveyOnStripes(dir.filePath(fault));
        const QString file = dir.filePath(fault + "/s.sondelio");
        Save(file);
        QFile session(file);
        QVERIFY(session.open(QIODevice::ReadOnly));
        QByteArray bytes = session.readAll();
        session.close();
        if (fault == "text")
            bytes = "Bonjour";
        else if (fault == "version")
            bytes.replace("\"version\":1", "\"version\":2");
        else if (fault == "outside")
            bytes.replace(QRegularExpression("\\[\"point\",\\d+,").match(QString::fromUtf8(bytes)).captured().toUtf8(),
                          "[\"point\",9000,");
        else if (fault == "size")
            bytes.replace("\"largeur\":600", "\"largeur\":1200").replace("\"hauteur\":400", "\"hauteur\":800");
        else if (fault == "counts")
            bytes.replace("\"pointsSondes\":7", "\"pointsSondes\":6");
        QVERIFY(session.open(QIODevice::WriteOnly));
        session.write(bytes);
        session.close();

        // Another survey in progress, which the refusal must leave alone.
        boxes->Answers = QStringList{"Oui"};
        Form2->EdGraine->setText("7");
        Click(Form2->BtnCalcul);
        Form2->EdLandUse->setText("rue");
        Click(Form2->ButtSonder);
        CountPoints(0, 0);
        Save(dir.filePath(fault + "/en-cours.sondelio"));
        if (fault == "map changed") {
            QImage other(300, 200, QImage::Format_RGB32);
            other.fill(Qt::blue);
            WriteBmpFile(map, other);
        }
        if (fault == "map gone")
            QVERIFY(QFile::remove(map));
        const std::vector<SurveyMark> marks = SurveyTally.Marks();
        const QImage mapBefore = ShownMap();
        const QString fileBefore = Page_1->EdFich->text();

        Open(file);
        QCOMPARE(boxes->Errors, QStringList{message.contains("%1") ? message.arg(map) : message});
        QCOMPARE(SurveyTally.Marks().size(), marks.size());
        QCOMPARE(SurveyTally.PointsProbed, 1);
        QCOMPARE(SurveyTally.LandUse(SurveyTally.LandUseCount).Name, QStringLiteral("rue"));
        QCOMPARE(Page_1->EdFich->text(), fileBefore);
        QCOMPARE(Form2->EdGraine->text(), QStringLiteral("7"));
        if (fault != "map changed" && fault != "map gone")
            QCOMPARE(ShownMap(), mapBefore);
    }

    // Once a point is counted, leaving a survey not saved since its last change asks once.
    void leavingUnsavedWorkAsks_data()
    {
        QTest::addColumn<bool>("counted");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("leave");  // the map window, the program, another session
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("left");
        QTest::newRow("nothing counted") << false << false << "window" << "" << false << true;
        QTest::newRow("saved since the last count") << true << true << "window" << "" << false << true;
        QTest::newRow("stay") << true << false << "window" << "Annuler" << true << false;
        QTest::newRow("leave without saving") << true << false << "window" << "Ne pas enregistrer" << true << true;
        QTest::newRow("save, then leave") << true << false << "window" << "Enregistrer" << true << true;
        QTest::newRow("the program stays") << true << false << "program" << "Annuler" << true << false;
        QTest::newRow("another session, not now") << true << false << "open" << "Annuler" << true << false;
    }
    void leavingUnsavedWorkAsks()
    {
        QFETCH(bool, counted);
        QFETCH(bool, saved);
        QFETCH(QString, leave);
        QFETCH(QString, answer);
        QFETCH(bool, asked);
        QFETCH(bool, left);
        SeedGenerator = [] { GeneratorState = 0; };
        OpenMap(WriteMap(dir.filePath("invite.bmp"), 200, 200), "3");
        Click(Form2->BtnCalcul);
        Form2->EdLandUse->setText("champ");
        Click(Form2->ButtSonder);
        if (counted)
            CountPoints(0, 0);
        const QString file = dir.filePath("invite.sondelio");
        QFile::remove(file);
        if (saved)
            Save(file);
        boxes->Answers = QStringList{answer};

        const auto act = [&] {
            if (leave == "window")
                Form2->close();
            else if (leave == "program")
                Page_1->close();
            else
                Click(Form2->ButtOuvrir);
        };
        if (answer == "Enregistrer")
            ChooseFile(file, act);
        else
            act();
        QCOMPARE(boxes->Questions, asked ? QStringList{askToSave} : QStringList{});
        if (asked)
            QCOMPARE(boxes->Offered.constFirst(), (QStringList{"Enregistrer", "Ne pas enregistrer", "Annuler"}));
        QCOMPARE(Form2->isHidden(), left);
        QVERIFY(Page_1->isVisible());
        QCOMPARE(QFile::exists(file), saved || answer == "Enregistrer");
        QCOMPARE(SurveyTally.PointsProbed, counted ? 1 : 0);
        if (left) {
            // Asked once: the same survey does not ask again.
            boxes->Clear();
            QVERIFY(Form2->ConfirmLeavingSurvey());
            QCOMPARE(boxes->Questions, QStringList{});
        }
    }
};

QTEST_MAIN(SessionTest)
#include "test_session.moc"
