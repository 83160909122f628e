// The map window's picture export: the map exactly as the window shows it, points and dots
// included, with the line that names the survey under it; refused before the map is drawn, and a
// failed write said in French with nothing written.

#include "core/SampleGenerator.h"
#include "core/SurveyLegend.h"
#include "core/SurveyTally.h"
#include "helpers/BmpWriter.h"
#include "helpers/BoxRecorder.h"
#include "helpers/MapSession.h"
#include "helpers/Program.h"
#include "helpers/FileDialog.h"
#include "ui/MapPicture.h"
#include "windows/Carte2.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString mapNeeded = QStringLiteral("La carte doit être dessinée !");

// A picture whose every pixel tells its place, in no colour of the points or the dots: a
// picture exported from the wrong place, or scaled otherwise than the screen, differs from it.
QString WritePatternMap(const QString& path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(60 + x % 190, 60 + y % 190, 60 + (x + y) % 190));
    WriteBmpFile(path, image);
    return path;
}

QRect MapArea()
{
    const TRect& map = Form2->MapRect;
    return QRect(map.Left, map.Top, map.Width(), map.Height());
}

int DarkPixels(const QImage& image, const QRect& within)
{
    int count = 0;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            count += qGray(image.pixel(x, y)) < 100;
    return count;
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

}  // namespace

class MapExportTest : public QObject {
    Q_OBJECT
    BoxRecorder* boxes = nullptr;

private slots:
    void init()
    {
        boxes = new BoxRecorder;
        StartProgram();
        SeedGenerator = [] { GeneratorState = 4242; };
    }
    void cleanup()
    {
        EndProgram();
        delete boxes;
        SeedGenerator = SeedFromClock;
    }

    // Offered beside the map; the picture holds the map's pixels as the screen shows them, at
    // the map's drawn size, and under them the survey's legend on one line, the picture widened
    // when the map is narrower than that line.
    void pictureIsTheMapAsShownWithItsLegend_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("sampleSize");
        QTest::addColumn<bool>("drawn");    // "Go" pressed
        QTest::addColumn<bool>("counted");  // a press counted on the first point
        QTest::addColumn<QSize>("mapSize");
        QTest::addColumn<QString>("typed");
        QTest::newRow("landscape, points drawn")
            << QSize(640, 480) << "10" << true << false << QSize(600, 450) << "classe.png";
        QTest::newRow("portrait, a point counted, name without suffix")
            << QSize(300, 600) << "6" << true << true << QSize(350, 700) << "classe";
        QTest::newRow("no point drawn yet")
            << QSize(640, 480) << "10" << false << false << QSize(600, 450) << "classe.png";
        QTest::newRow("map narrower than its legend")
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
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString map = WritePatternMap(dir.filePath("plan.bmp"), picture.width(), picture.height());
        OpenMap(map, sampleSize);
        if (drawn)
            Click(Form2->BtnCalcul);
        if (counted) {
            Form2->EdLandUse->setText(QStringLiteral("bois"));
            Click(Form2->ButtSonder);
            PressOnMap(QPoint(Form2->MapRect.Left, Form2->MapRect.Top) + SurveyTally.Marks().front().Place);
            QCOMPARE(SurveyTally.PointsProbed, 1);
        }
        const QImage shown = Shown(Form2).copy(MapArea());
        QCOMPARE(shown.size(), mapSize);
        QCOMPARE(Count(shown, Red) > 0, drawn);
        QCOMPARE(Count(shown, Blue) > 0, counted);

        const QDateTime before = QDateTime::currentDateTime();
        const FileDialogOffer offer = ChooseFile(dir.filePath(typed), [] { Click(Form2->ButtExporterImage); });
        const QDateTime after = QDateTime::currentDateTime();
        QCOMPARE(boxes->Notices, QStringList());
        QCOMPARE(boxes->Errors, QStringList());
        QCOMPARE(offer.Title, QStringLiteral("Exporter l'image de la carte"));
        QCOMPARE(offer.Filters, QStringList{"Image PNG (*.png)"});
        QCOMPARE(offer.File, dir.filePath("plan-points.png"));

        QImage exported(dir.filePath("classe.png"), "PNG");
        QVERIFY(!exported.isNull());
        exported = exported.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(exported.copy(QRect(QPoint(), mapSize)), shown);
        QVERIFY(exported.height() > mapSize.height() + 12);
        QVERIFY(exported.height() < mapSize.height() + 40);
        if (mapSize.width() >= 400)
            QCOMPARE(exported.width(), mapSize.width());
        else
            QVERIFY(exported.width() > 300);
        const QRect band(0, mapSize.height(), exported.width(), exported.height() - mapSize.height());
        QVERIFY(DarkPixels(exported, band) > 100);
        // The line is the survey's legend at the moment of the export.
        QVERIFY(exported == MapWithLegend(shown, MapLegend(SurveyTally, map, before)) ||
                exported == MapWithLegend(shown, MapLegend(SurveyTally, map, after)));
    }

    // Until the map is drawn the button says so, as "Go" does, and opens no dialog.
    void beforeTheMapIsDrawnTheButtonAsksForIt_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("fileRemoved");
        QTest::newRow("map file gone") << QSize(640, 480) << true;
        QTest::newRow("picture too flat for a row") << QSize(4000, 2) << false;
    }
    void beforeTheMapIsDrawnTheButtonAsksForIt()
    {
        QFETCH(QSize, picture);
        QFETCH(bool, fileRemoved);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString map = WritePatternMap(dir.filePath("plan.bmp"), picture.width(), picture.height());
        OpenMap(map);
        if (fileRemoved) {
            QVERIFY(QFile::remove(map));
            Uncover();
        }
        boxes->Clear();
        bool dialogOpened = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                dialogOpened = true;
                dialog->reject();
            }
        });
        Click(Form2->ButtExporterImage);
        QCOMPARE(boxes->Notices, QStringList{mapNeeded});
        QCOMPARE(boxes->Errors, QStringList());
        QVERIFY(!dialogOpened);
        QCOMPARE(FilesIn(dir.path()), fileRemoved ? QStringList() : QStringList{"plan.bmp"});
    }

    // A folder that does not exist: the error box names the file and the system's reason, and
    // nothing is written.
    void aFailedWriteSaysWhyAndWritesNothing()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        OpenMap(WritePatternMap(dir.filePath("plan.bmp"), 640, 480));
        Click(Form2->BtnCalcul);
        const QString named = dir.filePath("absent/classe.png");
        ChooseFile(named, [] { Click(Form2->ButtExporterImage); });

        QFile missing(named);
        QVERIFY(!missing.open(QIODevice::WriteOnly));
        const QString reason = missing.errorString();  // the system's reason as Qt words it
        QCOMPARE(boxes->Errors, QStringList{QStringLiteral("Impossible d'écrire le fichier \"%1\". %2.")
                                                .arg(named, reason.chopped(reason.endsWith('.')))});
        QCOMPARE(FilesIn(dir.path()), QStringList{"plan.bmp"});
        QVERIFY(Form2->isVisible());
    }
};

QTEST_MAIN(MapExportTest)
#include "test_map_export.moc"
