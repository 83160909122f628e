// "Go": the program's own generator, the points it accepts and draws, the point size read
// before each point, and a sample size or a map that "Go" cannot honour refused with a notice.

#include "helpers/BoxRecorder.h"
#include "helpers/MapSession.h"
#include "helpers/Program.h"
#include "app/SurveyTally.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"
#include "windows/SampleGenerator.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

uint32_t startState = 0;

// The state from which the first pass of a press of "Go" draws (x, y) on a 600 x 450 map.
uint32_t StateGiving(int x, int y)
{
    for (uint32_t state = 0;; ++state) {
        GeneratorState = state;
        if (int(RandomBelow(600)) == x && int(RandomBelow(450)) == y)
            return state;
    }
}


}  // namespace

class MapSamplingTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    BoxRecorder* boxes = nullptr;

    void OpenLandscape(const QString& sampleSize)
    {
        OpenMap(WriteMap(dir.filePath("map.bmp"), 640, 480), sampleSize);
    }

private slots:
    void init()
    {
        boxes = new BoxRecorder;
        StartProgram();
        startState = 0;
        SeedGenerator = [] { GeneratorState = startState; };
    }
    void cleanup()
    {
        EndProgram();
        delete boxes;
        SeedGenerator = SeedFromClock;
    }

    void generatorSequenceFromZero()
    {
        GeneratorState = 0;
        QList<uint32_t> drawn;
        for (int i = 0; i < 3; ++i)
            drawn << RandomBelow(600) << RandomBelow(450);
        QCOMPARE(drawn, (QList<uint32_t>{0, 14, 516, 91, 163, 302}));
        QCOMPARE(RandomBelow(0), 0u);
    }

    void clockSeedsDiffer()
    {
        SeedFromClock();
        const uint32_t first = GeneratorState;
        QThread::usleep(50);
        SeedFromClock();
        QVERIFY(GeneratorState != first);
    }

    void fourPointsFromStateZero()
    {
        OpenLandscape("4");
        SurveyTally.PointsProbed = 9;
        Click(Form2->BtnCalcul);
        QCOMPARE(SurveyTally.PointsProbed, 0);
        QCOMPARE(SurveyTally.PointSize, 5);
        const QImage shown = Grab(Form2);
        const QList<QPoint> points{{516, 91}, {163, 302}, {191, 72}, {223, 191}};
        int inPoints = 0;
        for (const QPoint& point : points) {
            const QRect box(point, QSize(5, 5));
            QCOMPARE(Extent(shown, Red, box.adjusted(-3, -3, 3, 3)), box);
            inPoints += Count(shown, Red, box);
        }
        QCOMPARE(Count(shown, Red), inPoints);
        // The fifth pass placed the fourth point and "Go" stopped there: ten draws.
        GeneratorState = 0;
        for (int i = 0; i < 5; ++i)
            RandomBelow(600), RandomBelow(450);
        const uint32_t afterFivePasses = GeneratorState;
        startState = 0;
        Click(Form2->BtnCalcul);
        QCOMPARE(GeneratorState, afterFivePasses);
    }

    void acceptanceBounds_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("x = 20") << 20 << 200 << false;
        QTest::newRow("y = 60") << 300 << 60 << false;
        QTest::newRow("x = 21, y = 61") << 21 << 61 << true;
        QTest::newRow("last column and row") << 599 << 449 << true;
    }
    void acceptanceBounds()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, accepted);
        OpenLandscape("1");
        startState = StateGiving(x, y);
        Click(Form2->BtnCalcul);
        const QImage shown = Grab(Form2);
        QCOMPARE(Extent(shown, Red, QRect(x - 3, y - 3, 11, 11)),
                 accepted ? QRect(x, y, 5, 5) : QRect());
        QCOMPARE(Count(shown, Red) > 0, true);
    }

    void pointSizeReadBeforeEachPoint_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("size");
        QTest::addColumn<QRect>("firstBox");
        QTest::newRow("empty box: 5") << "" << 5 << QRect(516, 91, 5, 5);
        QTest::newRow("12") << "12" << 12 << QRect(516, 91, 12, 12);
        QTest::newRow("hexadecimal") << "$C" << 12 << QRect(516, 91, 12, 12);
        QTest::newRow("0 draws nothing") << "0" << 0 << QRect();
        QTest::newRow("negative: reversed box") << "-3" << -3 << QRect(513, 88, 3, 3);
    }
    void pointSizeReadBeforeEachPoint()
    {
        QFETCH(QString, typed);
        QFETCH(int, size);
        QFETCH(QRect, firstBox);
        OpenLandscape("1");
        startState = StateGiving(516, 91);
        Form2->TaillePt->setText(typed);
        Click(Form2->BtnCalcul);
        QCOMPARE(SurveyTally.PointSize, size);
        QCOMPARE(Extent(Grab(Form2), Red), firstBox);
        QVERIFY(boxes->Errors.isEmpty());
    }

    void aPointCanReachPastTheMap()
    {
        OpenLandscape("1");
        startState = StateGiving(599, 449);
        Form2->TaillePt->setText("12");
        Click(Form2->BtnCalcul);
        QCOMPARE(Extent(Grab(Form2), Red), QRect(599, 449, 12, 12));
    }

    void hugePointSizesNeitherCrashNorHang_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("largest") << "2147483647";
        QTest::newRow("smallest") << "-2147483648";
    }
    void hugePointSizesNeitherCrashNorHang()
    {
        QFETCH(QString, typed);
        OpenLandscape("50");
        Form2->TaillePt->setText(typed);
        QElapsedTimer timer;
        timer.start();
        Click(Form2->BtnCalcul);
        Grab(Form2);
        QVERIFY(timer.elapsed() < 10000);
        QVERIFY(boxes->Errors.isEmpty());
    }

    void aPointSizeThatIsNoNumberStopsGo()
    {
        OpenLandscape("4");
        Form2->EdLandUse->setText("bois");
        Form2->TaillePt->setText("abc");
        SurveyTally.PointsProbed = 3;
        Click(Form2->BtnCalcul);
        QCOMPARE(boxes->Errors, QStringList{"'abc' n'est pas une valeur entière correcte."});
        QCOMPARE(Count(Grab(Form2), Red), 0);
        QCOMPARE(SurveyTally.PointsProbed, 0);
        QCOMPARE(Form2->EdLandUse->text(), QStringLiteral("bois"));
        QVERIFY(GeneratorState != 0);
    }

    void goEmptiesTheLandUse_data()
    {
        QTest::addColumn<QString>("landUse");
        QTest::addColumn<bool>("sonderAfter");
        QTest::newRow("held a land use: Sonder enabled") << "prairie" << true;
        QTest::newRow("already empty: Sonder stays disabled") << "" << false;
    }
    void goEmptiesTheLandUse()
    {
        QFETCH(QString, landUse);
        QFETCH(bool, sonderAfter);
        Form2->EdLandUse->setText(landUse);
        OpenLandscape("4");
        QVERIFY(!Form2->ButtSonder->isEnabled());
        Click(Form2->BtnCalcul);
        QCOMPARE(Form2->EdLandUse->text(), QString());
        QCOMPARE(Form2->ButtSonder->isEnabled(), sonderAfter);
    }

    void goTwiceAddsASecondSet()
    {
        OpenLandscape("10");
        Click(Form2->BtnCalcul);
        const int once = Count(Grab(Form2), Red);
        startState = 123456789;
        SurveyTally.PointsProbed = 4;
        Click(Form2->BtnCalcul);
        QCOMPARE(SurveyTally.PointsProbed, 0);
        QVERIFY(Count(Grab(Form2), Red) > once);
    }

    // Mend: "Go" refuses what it cannot finish, with a notice, and draws nothing.
    void goRefusesWhatItCannotFinish_data()
    {
        QTest::addColumn<QSize>("picture");  // empty: no map file
        QTest::addColumn<QString>("sampleSize");
        QTest::addColumn<QString>("notice");
        const QString noSample = "Vous devez entrer le nombre de points d'echantillon !";
        const QString outOfRange =
            "Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !";
        const QString noMap = "La carte doit être dessinée et mesurer au moins 22 × 62 pixels !";
        QTest::newRow("sample size 0") << QSize(640, 480) << "0" << noSample;
        QTest::newRow("negative sample size") << QSize(640, 480) << "-5" << noSample;
        QTest::newRow("10001 points") << QSize(640, 480) << "10001" << outOfRange;
        QTest::newRow("no map drawn") << QSize() << "4" << noMap;
        QTest::newRow("map 18 wide") << QSize(10, 400) << "4" << noMap;
        QTest::newRow("map 50 high") << QSize(600, 50) << "4" << noMap;
    }
    void goRefusesWhatItCannotFinish()
    {
        QFETCH(QSize, picture);
        QFETCH(QString, sampleSize);
        QFETCH(QString, notice);
        const QString path = dir.filePath("refused.bmp");
        QFile::remove(path);
        if (picture.isValid())
            WriteMap(path, picture.width(), picture.height());
        OpenMap(path, sampleSize);
        boxes->Clear();
        Form2->EdLandUse->setText("bois");
        SurveyTally.PointsProbed = 3;
        GeneratorState = 77;
        startState = 0;
        QElapsedTimer timer;
        timer.start();
        Click(Form2->BtnCalcul);
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(boxes->Notices, QStringList{notice});
        QCOMPARE(Count(Grab(Form2), Red), 0);
        QCOMPARE(SurveyTally.PointsProbed, 3);
        QCOMPARE(GeneratorState, 77u);
        QCOMPARE(Form2->EdLandUse->text(), QStringLiteral("bois"));
    }

    // Mend: the placed-point counter holds any size up to 10000, so Go stops at once after the
    // last point, where an 8-bit counter would run on past 255.
    void placesExactlyTheSampleSize_data()
    {
        QTest::addColumn<int>("sampleSize");
        for (int size : {1, 255, 256, 257, 10000})
            QTest::addRow("%d", size) << size;
    }
    void placesExactlyTheSampleSize()
    {
        QFETCH(int, sampleSize);
        OpenLandscape(QString::number(sampleSize));
        Click(Form2->BtnCalcul);
        const uint32_t stoppedAt = GeneratorState;
        GeneratorState = 0;
        for (int accepted = 0; accepted < sampleSize;) {
            const int x = int(RandomBelow(600));
            const int y = int(RandomBelow(450));
            accepted += x > 20 && y > 60;
        }
        QCOMPARE(stoppedAt, GeneratorState);
        QVERIFY(boxes->Notices.isEmpty());
    }
};

QTEST_MAIN(MapSamplingTest)
#include "test_map_sampling.moc"
