// The simulation window: the map's colours with their true shares, the engine's surveys from the
// same seed, a run stopped at once, the refusals, the export, and "Simuler…" opening it.

#include "BoxRecorder.h"
#include "BmpWriter.h"
#include "FileDialog.h"
#include "Program.h"

#include "core/Numbers.h"
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

// Opens the window as "Simuler…" does, on the map written as `name` in `folder`.
QString OpenWithSimuler(const QTemporaryDir& folder, const QImage& map, const QString& name = "carte.bmp")
{
    const QString path = folder.filePath(name);
    WriteBmpFile(path, map);
    Page_1->EdFich->setText(path);
    ShowWindow(Form3);
    QTest::mouseClick(Form3->ButtSimuler, Qt::LeftButton);
    return path;
}

void Pick(const QList<int>& rows)
{
    Simulation->ListColours->clearSelection();
    for (int row : rows)
        Simulation->ListColours->item(row)->setSelected(true);
}

void Launch(const QList<int>& picked, const QString& sampleSize, const QString& surveys, const QString& seed = {})
{
    Pick(picked);
    Simulation->EdN->setText(sampleSize);
    Simulation->EdK->setText(surveys);
    Simulation->EdGraine->setText(seed);
    QTest::mouseClick(Simulation->ButtLancer, Qt::LeftButton);
}

bool WaitForTheRunToEnd()
{
    const bool ended = QTest::qWaitFor([] { return !Simulation->Running(); }, 20000);
    ProcessEvents();
    return ended;
}

}  // namespace

class SimulationWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { StartProgram(); }
    void cleanup() { EndProgram(); }

    // Run after run in the same window; an empty seed box shows the seed the clock gave. The last
    // run is exported: its estimates, its table and both charts.
    void theSameSeedGivesTheEnginesSurveysAndTheirExport()
    {
        BoxRecorder boxes;
        QTemporaryDir folder;
        TBitmap map;
        map.LoadPictureFile(OpenWithSimuler(folder, ThreeColourMap()));
        const MapPixels pixels(map);
        const struct { QList<int> picked; int n, k; QString seed; } runs[] = {
            {{2}, 10, 1000, "12345"}, {{0, 2}, 250, 400, "4000000000"}, {{1}, 10000, 1, "0"}, {{0}, 100, 50, ""},
            {{2}, 10, 50, "99"}};
        for (const auto& run : runs) {
            Launch(run.picked, QString::number(run.n), QString::number(run.k), run.seed);
            QVERIFY(WaitForTheRunToEnd());
            const SurveySimulation* shown = Simulation->ShownSimulation();
            QVERIFY(shown);
            if (run.seed.isEmpty())
                QCOMPARE(Simulation->EdGraine->text(), QString::number(shown->Seed()));
            SurveySimulation engine(pixels.View(), Simulation->ChosenColours(), run.n, run.k,
                                    ParseUnsigned(Simulation->EdGraine->text()));
            const std::atomic<bool> never = false;
            engine.Run(never);
            QVERIFY2(std::ranges::equal(shown->Counts(), engine.Counts()), qPrintable(Simulation->EdGraine->text()));
            QCOMPARE(Simulation->ProgressRun->value(), run.k);
            const std::vector<MethodFigures> figures = engine.Figures();
            for (int row = 1; row <= int(figures.size()); ++row) {
                const MethodFigures& figure = figures[size_t(row - 1)];
                QCOMPARE(Simulation->GridMethods->Cell(0, row), MethodName(figure.Method));
                QCOMPARE(Simulation->GridMethods->Cell(1, row), QString::number(double(figure.SimulatedCoverage), 'f', 3));
                QCOMPARE(Simulation->GridMethods->Cell(3, row), QString::number(double(figure.ExpectedCoverage), 'f', 3));
            }
        }
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

    void aRunStopsAtOnceAndTheWindowAnswersMeanwhile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Arrêter") << "button";
        QTest::newRow("closing the window") << "close";
        QTest::newRow("ending the program") << "end";
    }
    void aRunStopsAtOnceAndTheWindowAnswersMeanwhile()
    {
        QFETCH(QString, how);
        QTemporaryDir folder;
        OpenWithSimuler(folder, ThreeColourMap());
        Launch({1}, "10000", "100000", "7");  // 10⁹ points: far longer than the test
        QVERIFY(Simulation->Running());
        QVERIFY(!Simulation->ButtLancer->isEnabled());
        QVERIFY(Simulation->ButtArreter->isEnabled());
        // The window answers: the figures follow the surveys done.
        QVERIFY(QTest::qWaitFor([] { return Simulation->ProgressRun->value() > 0; }, 5000));
        QElapsedTimer stopping;
        stopping.start();
        if (how == "end") {
            EndProgram();
            QVERIFY(stopping.elapsed() < 1000);
            StartProgram();  // for cleanup
            return;
        }
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

    // The engine's refusals, each bound checked with the engine itself, reach the error box and
    // start nothing.
    void refusals()
    {
        BoxRecorder boxes;
        QTemporaryDir folder;
        OpenWithSimuler(folder, ThreeColourMap());
        QVERIFY(boxes.Errors.isEmpty());
        const QString sizes = "Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !";
        const QString surveys = "Vous devez entrer un nombre d'enquêtes compris entre 1 et 100000 !";
        const struct { QList<int> picked; QString n, k, message; } cases[] = {
            {{0}, "10001", "1000", sizes}, {{0}, "100", "0", surveys},
            {{}, "100", "1000", "Choisissez au moins une couleur de la carte comme usage du sol !"}};
        for (const auto& c : cases) {
            boxes.Clear();
            Launch(c.picked, c.n, c.k);
            QCOMPARE(boxes.Errors, QStringList{c.message});
            QVERIFY(!Simulation->Running());
            QVERIFY(!Simulation->ShownSimulation());
        }
    }

    // "Simuler…" opens the main window's map, its colours listed, with its sample size when valid,
    // and refuses a photo.
    void simulerListsTheMapsColoursWithTheMainWindowsSampleSize_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");  // none: a photo, refused
        QTest::newRow("valid") << "250" << "250";
        QTest::newRow("too large") << "20000" << "100";
        QTest::newRow("not a number") << "beaucoup" << "100";
        QTest::newRow("a photo of 65 colours") << "250" << "";
    }
    void simulerListsTheMapsColoursWithTheMainWindowsSampleSize()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        BoxRecorder boxes;
        QTemporaryDir folder;
        Page_1->EdNPoints->setText(typed);
        if (shown.isEmpty()) {
            OpenWithSimuler(folder, MapOfColours(65));
            QCOMPARE(boxes.Errors.size(), 1);
            QVERIFY2(boxes.Errors[0].contains("plus de 64 couleurs"), qPrintable(boxes.Errors[0]));
            QVERIFY(Simulation->isHidden());
            return;
        }
        OpenWithSimuler(folder, ThreeColourMap(), "occupation.bmp");
        QVERIFY(QTest::qWaitForWindowExposed(Simulation));
        QCOMPARE(Simulation->LabelMap->text(), QStringLiteral("Carte : occupation.bmp"));
        QCOMPARE(Simulation->EdN->text(), shown);
        QCOMPARE(Simulation->EdK->text(), QStringLiteral("1000"));
        // The colours largest first, with their true shares, alone and together.
        QListWidget* list = Simulation->ListColours;
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QStringLiteral("808080    0.5"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("00A000    0.3"));
        QCOMPARE(list->item(2)->text(), QStringLiteral("0000FF    0.2"));
        QCOMPARE(list->item(1)->icon().pixmap(24, 16).toImage().pixelColor(12, 8), QColor(0x00, 0xA0, 0x00));
        const QList<QPair<QList<int>, QString>> shares = {{{0}, "0.5"}, {{2}, "0.2"}, {{1, 2}, "0.5"}, {{0, 1, 2}, "1"}};
        for (const auto& [picked, trueShare] : shares) {
            Pick(picked);
            QCOMPARE(Simulation->LabelTrueShare->text(), QStringLiteral("Part vraie p = ") + trueShare);
        }
    }
};

QTEST_MAIN(SimulationWindowTest)
#include "test_simulation_window.moc"
