// The map window's picture export: the map exactly as the window shows it, marks included, with
// the survey's legend under it; refused before the map is drawn, a failed write said in French.

#include "core/SampleGenerator.h"
#include "core/SurveyLegend.h"
#include "core/SurveyTally.h"
#include "helpers/BmpWriter.h"
#include "helpers/BoxRecorder.h"
#include "helpers/FileDialog.h"
#include "helpers/MapSession.h"
#include "helpers/Program.h"
#include "ui/MapPicture.h"
#include "windows/Carte2.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

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

}  // namespace

class MapExportTest : public QObject {
    Q_OBJECT
    BoxRecorder* boxes = nullptr;
    QTemporaryDir* dir = nullptr;

    QStringList Files() const
    {
        return QDir(dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

private slots:
    void init()
    {
        boxes = new BoxRecorder;
        dir = new QTemporaryDir;
        StartProgram();
        SeedGenerator = [] { GeneratorState = 4242; };
    }
    void cleanup()
    {
        EndProgram();
        delete dir;
        delete boxes;
        SeedGenerator = SeedFromClock;
    }

    // The picture holds the map's pixels as the screen shows them, at its drawn size, and under
    // them the survey's legend on one line, widened when the map is narrower than that line.
    void pictureIsTheMapAsShownWithItsLegend_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("sampleSize");
        QTest::addColumn<bool>("drawn");    // "Go" pressed
        QTest::addColumn<bool>("counted");  // a press counted on the first point
        QTest::addColumn<QSize>("mapSize");
        QTest::addColumn<QString>("typed");
        QTest::newRow("landscape") << QSize(640, 480) << "10" << true << false << QSize(600, 450) << "classe.png";
        QTest::newRow("portrait, counted, no suffix")
            << QSize(300, 600) << "6" << true << true << QSize(350, 700) << "classe";
        QTest::newRow("no point drawn yet")
            << QSize(640, 480) << "10" << false << false << QSize(600, 450) << "classe.png";
        QTest::newRow("narrower than its legend")
            << QSize(30, 700) << "3" << true << false << QSize(30, 700) << "classe.png";
    }
    void pictureIsTheMapAsShownWithItsLegend()
    {
        QFETCH(QSize, picture);
        QFETCH(QString, sampleSize);
        QFETCH(bool, drawn);
        QFETCH(bool, counted);
        QFETCH(QSize, mapSize);
        QFETCH(QString, typed);
        const QString map = WritePatternMap(dir->filePath("plan.bmp"), picture);
        OpenMap(map, sampleSize);
        if (drawn)
            Click(Form2->BtnCalcul);
        if (counted) {
            Form2->EdLandUse->setText(QStringLiteral("bois"));
            Click(Form2->ButtSonder);
            PressOnMap(SamplePointOnWindow(0));
            QCOMPARE(SurveyTally.PointsProbed, 1);
        }
        const QImage shown = Shown(Form2).copy(QRect(QPoint(10, 10), mapSize));
        QCOMPARE(Count(shown, Red) > 0, drawn);
        QCOMPARE(Count(shown, Blue) > 0, counted);

        const QDateTime before = QDateTime::currentDateTime();
        const FileDialogOffer offer = ChooseFile(dir->filePath(typed), Export);
        const QDateTime after = QDateTime::currentDateTime();
        QCOMPARE(boxes->Notices + boxes->Errors, QStringList());
        QCOMPARE(offer.Title, QStringLiteral("Exporter l'image de la carte"));
        QCOMPARE(offer.Filters, QStringList{"Image PNG (*.png)"});
        QCOMPARE(offer.File, dir->filePath("plan-points.png"));

        const QImage exported = QImage(dir->filePath("classe.png"), "PNG").convertToFormat(QImage::Format_RGB32);
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
        const QString map = WritePatternMap(dir->filePath("plan.bmp"), fault == "flat" ? QSize(4000, 2) : QSize(640, 480));
        OpenMap(map);
        const QString named = dir->filePath("absent/classe.png");
        if (fault == "absent") {
            Click(Form2->BtnCalcul);
            ChooseFile(named, Export);
            QFile missing(named);
            QVERIFY(!missing.open(QIODevice::WriteOnly));
            const QString reason = missing.errorString();  // the system's reason as Qt words it
            QCOMPARE(boxes->Errors, QStringList{QStringLiteral("Impossible d'écrire le fichier \"%1\". %2.")
                                                    .arg(named, reason.chopped(reason.endsWith('.')))});
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
        QCOMPARE(Files(), fault == "gone" ? QStringList() : QStringList{"plan.bmp"});
    }
};

QTEST_MAIN(MapExportTest)
#include "test_map_export.moc"
