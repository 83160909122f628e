// The simulation window: the colours of the map with their true shares, a run that gives the
// surveys the engine gives from the same seed, a run stopped at once while the window answers,
// the export, and the refusals with their messages.

#include "BoxRecorder.h"
#include "BmpWriter.h"
#include "FileDialog.h"
#include "Program.h"

#include "core/MapColours.h"
#include "core/Numbers.h"
#include "core/Simulation.h"
#include "picture/MapPixels.h"
#include "picture/TBitmap.h"
#include "ui/ApplicationFrame.h"
#include "ui/TextGrid.h"
#include "windows/Explic.h"
#include "windows/Fich_1.h"
#include "windows/Simulation.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

// 20 × 10 pixels: 100 grey, 60 green, 40 blue.
QImage ThreeColourMap()
{
    QImage map(20, 10, QImage::Format_RGB32);
    map.fill(qRgb(0x80, 0x80, 0x80));
    QPainter painter(&map);
    painter.fillRect(QRect(10, 0, 6, 10), QColor(0x00, 0xA0, 0x00));
    painter.fillRect(QRect(16, 0, 4, 10), QColor(0x00, 0x00, 0xFF));
    return map;
}

// Opens the window on `map` written as a BMP file in `folder`, as "Simuler…" does.
QString OpenOn(const QTemporaryDir& folder, const QImage& map, const QString& sampleSize = QStringLiteral("100"))
{
    const QString path = folder.filePath(QStringLiteral("carte.bmp"));
    WriteBmpFile(path, map);
    Simulation->OpenMap(path, sampleSize);
    ShowWindow(Simulation);
    return path;
}

void Pick(const QList<int>& rows)
{
    Simulation->ListColours->clearSelection();
    for (int row : rows)
        Simulation->ListColours->item(row)->setSelected(true);
}

bool WaitForTheRunToEnd()
{
    return QTest::qWaitFor([] { return !Simulation->Running(); }, 20000);
}

}  // namespace

class SimulationWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { StartProgram(); }
    void cleanup() { EndProgram(); }

    void listsTheColoursWithTheirTrueSharesLargestFirst_data()
    {
        QTest::addColumn<QList<int>>("picked");
        QTest::addColumn<QString>("trueShare");
        QTest::newRow("grey") << QList<int>{0} << "0.5";
        QTest::newRow("blue") << QList<int>{2} << "0.2";
        QTest::newRow("green and blue") << QList<int>{1, 2} << "0.5";
        QTest::newRow("all") << QList<int>{0, 1, 2} << "1";
    }
    void listsTheColoursWithTheirTrueSharesLargestFirst()
    {
        QFETCH(QList<int>, picked);
        QFETCH(QString, trueShare);
        QTemporaryDir folder;
        OpenOn(folder, ThreeColourMap());
        QListWidget* list = Simulation->ListColours;
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QStringLiteral("808080    0.5"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("00A000    0.3"));
        QCOMPARE(list->item(2)->text(), QStringLiteral("0000FF    0.2"));
        QCOMPARE(list->item(1)->icon().pixmap(24, 16).toImage().pixelColor(12, 8), QColor(0x00, 0xA0, 0x00));
        Pick(picked);
        QCOMPARE(Simulation->LabelTrueShare->text(), QStringLiteral("Part vraie p = ") + trueShare);
        QCOMPARE(Simulation->LabelMap->text(), QStringLiteral("Carte : carte.bmp"));
    }

    void theSameSeedGivesTheEnginesSurveys_data()
    {
        QTest::addColumn<QList<int>>("picked");
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<int>("surveys");
        QTest::addColumn<QString>("seed");
        QTest::newRow("one colour") << QList<int>{2} << 10 << 1000 << "12345";
        QTest::newRow("two colours") << QList<int>{0, 2} << 250 << 400 << "4000000000";
        QTest::newRow("one survey") << QList<int>{1} << 10000 << 1 << "0";
    }
    void theSameSeedGivesTheEnginesSurveys()
    {
        QFETCH(QList<int>, picked);
        QFETCH(int, sampleSize);
        QFETCH(int, surveys);
        QFETCH(QString, seed);
        QTemporaryDir folder;
        const QString path = OpenOn(folder, ThreeColourMap());
        Pick(picked);
        Simulation->EdN->setText(QString::number(sampleSize));
        Simulation->EdK->setText(QString::number(surveys));
        Simulation->EdGraine->setText(seed);
        QTest::mouseClick(Simulation->ButtLancer, Qt::LeftButton);
        QVERIFY(WaitForTheRunToEnd());
        ProcessEvents();

        TBitmap map;
        map.LoadPictureFile(path);
        const MapPixels pixels(map);
        SurveySimulation engine(pixels.View(), Simulation->ChosenColours(), sampleSize, surveys, ParseUnsigned(seed));
        const std::atomic<bool> never = false;
        engine.Run(never);
        const SurveySimulation* shown = Simulation->ShownSimulation();
        QVERIFY(shown);
        QVERIFY(std::ranges::equal(shown->Counts(), engine.Counts()));
        QCOMPARE(Simulation->ProgressRun->value(), surveys);
        // The table shows the engine's figures.
        const std::vector<MethodFigures> figures = engine.Figures();
        for (size_t row = 0; row < figures.size(); ++row) {
            QCOMPARE(Simulation->GridMethods->Cell(0, int(row) + 1), MethodName(figures[row].Method));
            QCOMPARE(Simulation->GridMethods->Cell(1, int(row) + 1),
                     QString::number(double(figures[row].SimulatedCoverage), 'f', 3));
            QCOMPARE(Simulation->GridMethods->Cell(3, int(row) + 1),
                     QString::number(double(figures[row].ExpectedCoverage), 'f', 3));
        }
    }

    void anEmptySeedBoxShowsTheSeedUsed()
    {
        QTemporaryDir folder;
        OpenOn(folder, ThreeColourMap());
        Pick({0});
        Simulation->EdGraine->clear();
        QTest::mouseClick(Simulation->ButtLancer, Qt::LeftButton);
        QVERIFY(WaitForTheRunToEnd());
        QCOMPARE(Simulation->EdGraine->text(), QString::number(Simulation->ShownSimulation()->Seed()));
    }

    void arreterStopsTheRunAtOnceAndTheWindowAnswersMeanwhile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Arrêter") << "button";
        QTest::newRow("closing the window") << "close";
    }
    void arreterStopsTheRunAtOnceAndTheWindowAnswersMeanwhile()
    {
        QFETCH(QString, how);
        QTemporaryDir folder;
        OpenOn(folder, ThreeColourMap());
        Pick({1});
        // 10⁹ points: far longer than the test.
        Simulation->EdN->setText(QStringLiteral("10000"));
        Simulation->EdK->setText(QStringLiteral("100000"));
        Simulation->EdGraine->setText(QStringLiteral("7"));
        QTest::mouseClick(Simulation->ButtLancer, Qt::LeftButton);
        QVERIFY(Simulation->Running());
        QVERIFY(!Simulation->ButtLancer->isEnabled());
        QVERIFY(Simulation->ButtArreter->isEnabled());
        // The window answers: the figures follow the surveys done.
        QVERIFY(QTest::qWaitFor([] { return Simulation->ProgressRun->value() > 0; }, 5000));
        QElapsedTimer stopping;
        stopping.start();
        if (how == "button")
            QTest::mouseClick(Simulation->ButtArreter, Qt::LeftButton);
        else
            Simulation->close();
        QVERIFY(!Simulation->Running());
        QVERIFY2(stopping.elapsed() < 100, qPrintable(QString::number(stopping.elapsed())));
        const int done = Simulation->ShownSimulation()->SurveysDone();
        QVERIFY(done > 0 && done < 100000);
        QTest::qWait(150);
        QCOMPARE(Simulation->ShownSimulation()->SurveysDone(), done);
        if (how == "button") {
            QCOMPARE(Simulation->ProgressRun->value(), done);
            QVERIFY(Simulation->ButtLancer->isEnabled());
            QVERIFY(Simulation->ButtExporter->isEnabled());
        }
    }

    void endingTheProgramDuringARunStopsIt()
    {
        QTemporaryDir folder;
        OpenOn(folder, ThreeColourMap());
        Pick({1});
        Simulation->EdN->setText(QStringLiteral("10000"));
        Simulation->EdK->setText(QStringLiteral("100000"));
        QTest::mouseClick(Simulation->ButtLancer, Qt::LeftButton);
        QVERIFY(Simulation->Running());
        QElapsedTimer ending;
        ending.start();
        EndProgram();
        QVERIFY(ending.elapsed() < 1000);
        StartProgram();  // for cleanup
    }

    void refusals_data()
    {
        QTest::addColumn<int>("colours");
        QTest::addColumn<QList<int>>("picked");
        QTest::addColumn<QString>("sampleSize");
        QTest::addColumn<QString>("surveys");
        QTest::addColumn<QString>("message");
        const QString sizes = QStringLiteral("Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !");
        const QString surveys = QStringLiteral("Vous devez entrer un nombre d'enquêtes compris entre 1 et 100000 !");
        QTest::newRow("n of 0") << 3 << QList<int>{0} << "0" << "1000" << sizes;
        QTest::newRow("n of 10001") << 3 << QList<int>{0} << "10001" << "1000" << sizes;
        QTest::newRow("K of 0") << 3 << QList<int>{0} << "100" << "0" << surveys;
        QTest::newRow("K of 100001") << 3 << QList<int>{0} << "100" << "100001" << surveys;
        QTest::newRow("no colour") << 3 << QList<int>{} << "100" << "1000"
                                   << "Choisissez au moins une couleur de la carte comme usage du sol !";
        QTest::newRow("65 colours") << 65 << QList<int>{} << "" << "" << "plus de 64 couleurs";
    }
    void refusals()
    {
        QFETCH(int, colours);
        QFETCH(QList<int>, picked);
        QFETCH(QString, sampleSize);
        QFETCH(QString, surveys);
        QFETCH(QString, message);
        BoxRecorder boxes;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("carte.bmp"));
        WriteBmpFile(path, colours == 3 ? ThreeColourMap() : MapOfColours(colours));
        Page_1->EdFich->setText(path);
        ShowWindow(Form3);
        QTest::mouseClick(Form3->ButtSimuler, Qt::LeftButton);
        if (colours > MaxMapColours) {
            QCOMPARE(boxes.Errors.size(), 1);
            QVERIFY2(boxes.Errors[0].contains(message), qPrintable(boxes.Errors[0]));
            QVERIFY(Simulation->isHidden());
            return;
        }
        QVERIFY(boxes.Errors.isEmpty());
        Pick(picked);
        Simulation->EdN->setText(sampleSize);
        Simulation->EdK->setText(surveys);
        QTest::mouseClick(Simulation->ButtLancer, Qt::LeftButton);
        QCOMPARE(boxes.Errors, QStringList{message});
        QVERIFY(!Simulation->Running());
        QVERIFY(!Simulation->ShownSimulation());
    }

    void simulerOpensTheMainWindowsMapWithItsSampleSize_data()
    {
        QTest::addColumn<QString>("typedSampleSize");
        QTest::addColumn<QString>("shownSampleSize");
        QTest::newRow("valid") << "250" << "250";
        QTest::newRow("too large") << "20000" << "100";
        QTest::newRow("not a number") << "beaucoup" << "100";
    }
    void simulerOpensTheMainWindowsMapWithItsSampleSize()
    {
        QFETCH(QString, typedSampleSize);
        QFETCH(QString, shownSampleSize);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("occupation.bmp"));
        WriteBmpFile(path, ThreeColourMap());
        Page_1->EdFich->setText(path);
        Page_1->EdNPoints->setText(typedSampleSize);
        ShowWindow(Form3);
        QTest::mouseClick(Form3->ButtSimuler, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(Simulation));
        QCOMPARE(Simulation->LabelMap->text(), QStringLiteral("Carte : occupation.bmp"));
        QCOMPARE(Simulation->ListColours->count(), 3);
        QCOMPARE(Simulation->EdN->text(), shownSampleSize);
        QCOMPARE(Simulation->EdK->text(), QStringLiteral("1000"));
    }

    void exporterWritesTheEstimatesTheTableAndBothCharts()
    {
        BoxRecorder boxes;
        QTemporaryDir folder;
        OpenOn(folder, ThreeColourMap());
        Pick({2});
        Simulation->EdN->setText(QStringLiteral("10"));
        Simulation->EdK->setText(QStringLiteral("50"));
        Simulation->EdGraine->setText(QStringLiteral("99"));
        QTest::mouseClick(Simulation->ButtLancer, Qt::LeftButton);
        QVERIFY(WaitForTheRunToEnd());
        ProcessEvents();
        const QString csv = folder.filePath(QStringLiteral("essai.csv"));
        ChooseFile(csv, [] { QTest::mouseClick(Simulation->ButtExporter, Qt::LeftButton); });
        QVERIFY2(boxes.Errors.isEmpty(), qPrintable(boxes.Errors.join('\n')));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        QVERIFY(lines.contains(QStringLiteral("Graine;99")));
        const qsizetype header = lines.indexOf(QStringLiteral("Enquête;Points comptés;Part estimée"));
        QVERIFY(header > 0);
        const std::span<const int32_t> counts = Simulation->ShownSimulation()->Counts();
        QCOMPARE(lines[header + 1], QStringLiteral("1;%1;%2").arg(counts[0]).arg(RealText(counts[0] / 10.0L)));
        QCOMPARE(lines[header + 50].section(';', 0, 0), QStringLiteral("50"));
        for (const char* chart : {"essai-estimations.png", "essai-intervalles.png"}) {
            const QImage png(folder.filePath(QString::fromLatin1(chart)));
            QVERIFY2(!png.isNull(), chart);
            QCOMPARE(png.size(), QSize(496, 340));
        }
    }
};

QTEST_MAIN(SimulationWindowTest)
#include "test_simulation_window.moc"
