// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The simulation window: the map's colours with their true shares, the engine's surveys from the
// same seed, a run stopped at once, the refusals, the export, and "Simuler…" opening it.

#include "BmpWriter.h"
#include "FileDialog.h"
#include "Files.h"
#include "Program.h"

#include "core/DesignSimulation.h"
#include "core/Numbers.h"
#include "ui/ApplicationFrame.h"
#include "ui/TextGrid.h"
#include "windows/Explic.h"
#include "windows/Fich_1.h"
#include "windows/Simulation.h"

#include <QChart>
#include <QCheckBox>
#include <QChartView>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
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

// A chart's title as it shows, once its layout has caught up (0 the estimates, 1 the intervals):
// the text that names the run's p.
QString ChartTitle(int chart)
{
    QTest::qWait(50);
    const QGraphicsView* view = Simulation->findChildren<QGraphicsView*>().value(chart);
    for (QGraphicsItem* item : view->scene()->items())
        if (const auto* text = qgraphicsitem_cast<QGraphicsTextItem*>(item); text && text->toPlainText().contains(", p = "))
            return text->toPlainText();
    return {};
}

}  // namespace

class SimulationWindowTest : public ProgramTest {
    Q_OBJECT
private slots:

    // Run after run in the same window; an empty seed box shows the seed the clock gave. The last
    // run is exported: its estimates, its table and both charts.
    void theSameSeedGivesTheEnginesSurveysAndTheirExport()
    {
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
                QCOMPARE(Simulation->GridMethods->Cell(0, row), TaughtMethodName(figure.Method));
                QCOMPARE(Simulation->GridMethods->Cell(1, row), QString::number(double(figure.SimulatedCoverage), 'f', 3));
                QCOMPARE(Simulation->GridMethods->Cell(3, row), QString::number(double(figure.ExpectedCoverage), 'f', 3));
            }
            // The seconde's capacity in its own words, read from the f ± 1/√n row.
            const QString reading = Simulation->LabelReading->text();
            QVERIFY2(reading.contains(QStringLiteral("pour n = %1 et p = %2, ")
                                          .arg(run.n)
                                          .arg(PercentText(engine.Share().Chosen, engine.Share().Total))),
                     qPrintable(reading));
            QVERIFY2(reading.contains(QStringLiteral("Programme de seconde : sur N = %1 échantillons de taille n, la "
                                                     "proportion des cas où l'écart entre p et f est inférieur ou égal "
                                                     "à 1/√n est %2. ")
                                          .arg(run.k)
                                          .arg(double(figures[3].SimulatedCoverage), 0, 'f', 3)),
                     qPrintable(reading));
        }
        const QString csv = folder.filePath(QStringLiteral("essai.csv"));
        ChooseFile(csv, [] { QTest::mouseClick(Simulation->ButtExporter, Qt::LeftButton); });
        QVERIFY2(boxes->Errors.isEmpty(), qPrintable(boxes->Errors.join('\n')));
        const QByteArray bytes = FileBytes(csv);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        QVERIFY(lines.contains(QStringLiteral("Graine;99")));
        const qsizetype header = lines.indexOf(QStringLiteral("Enquête;Points comptés;Part estimée"));
        QVERIFY(header > 0);
        const std::span<const int32_t> counts = Simulation->ShownSimulation()->Counts();
        QCOMPARE(lines[header + 1], QStringLiteral("1;%1;%2").arg(counts[0]).arg(RealText(counts[0] / 10.0L)));
        QCOMPARE(lines[header + 50].section(';', 0, 0), QStringLiteral("50"));
        for (const auto& [chart, height] : {std::pair{"essai-estimations.png", 340}, std::pair{"essai-intervalles.png", 314},
                                            std::pair{"essai-couverture.png", 314}}) {
            const QImage png(folder.filePath(QString::fromLatin1(chart)));
            QVERIFY2(!png.isNull(), chart);
            QCOMPARE(png.size(), QSize(496, height));
        }
    }

    // Designs ticked run one after the other from the seed and show a row each, with the figures
    // the simulation of each design gives, which the export writes too; a design that cannot be
    // laid on the map is refused before any run.
    void designsTickedAreComparedSideBySide_data()
    {
        QTest::addColumn<QString>("clusterSide");
        QTest::addColumn<QString>("notice");  // empty: compared
        QTest::newRow("random, grid and segments") << "2" << "";
        QTest::newRow("a segment wider than the map") << "9" << "Une grappe de 25 pixels de côté ne tient pas sur la carte.";
    }
    void designsTickedAreComparedSideBySide()
    {
        QFETCH(QString, clusterSide);
        QFETCH(QString, notice);
        QTemporaryDir folder;
        TBitmap map;
        map.LoadPictureFile(OpenWithSimuler(folder, ThreeColourMap()));
        const MapPixels pixels(map);
        Simulation->CheckSystematique->setChecked(true);
        Simulation->CheckGrappes->setChecked(true);
        Simulation->EdGrappes->setText("3");
        Simulation->EdCote->setText(clusterSide);
        Simulation->EdEcart->setText("3");
        boxes->Clear();
        Launch({1}, "20", "200", "31");
        if (!notice.isEmpty()) {
            QCOMPARE(boxes->Notices + boxes->Errors, QStringList{notice});
            QVERIFY(!Simulation->Running() && Simulation->ShownDesigns().empty());
            return;
        }
        QVERIFY(WaitForTheRunToEnd());
        QVERIFY(Simulation->GridDesigns->isVisible() && !Simulation->GridMethods->isVisible());
        const TTextGrid* grid = Simulation->GridDesigns;
        QCOMPARE(grid->RowCount(), 4);
        const std::vector<SampleDesign> designs = Simulation->ChosenDesigns();
        const std::atomic<bool> neverStop = false;
        for (int row = 1; row <= 3; ++row) {
            DesignSimulation alone(pixels.View(), Simulation->ChosenColours(), designs[size_t(row - 1)], 20, 200, 31);
            alone.Run(neverStop);
            QCOMPARE(grid->CellHint(0, row), DesignText(designs[size_t(row - 1)]));
            QCOMPARE(grid->Cell(2, row), FixedText(double(alone.Figures().MeanEstimate), 4));
        }
        const QString csv = folder.filePath(QStringLiteral("plans.csv"));
        ChooseFile(csv, [] { QTest::mouseClick(Simulation->ButtExporter, Qt::LeftButton); });
        const QStringList lines = QString::fromUtf8(FileBytes(csv).mid(3)).split(QStringLiteral("\r\n"));
        for (const SampleDesign& design : designs)
            QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString& line) { return line.startsWith(DesignText(design) + ';'); }),
                     qPrintable(lines.join('\n')));
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
        // The coverage curve of n = 10000 is worked out beside the run; the stop is timed once
        // it no longer shares the two cores with them.
        QVERIFY(QTest::qWaitFor([] { return !Simulation->ChartCoverage->chart()->title().contains("calcul"); }, 60000));
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
        QTemporaryDir folder;
        OpenWithSimuler(folder, ThreeColourMap());
        QVERIFY(boxes->Errors.isEmpty());
        const QString sizes = "Vous devez entrer un nombre de points d'échantillon compris entre 1 et 10000 !";
        const QString surveys = "Vous devez entrer un nombre d'enquêtes compris entre 1 et 100000 !";
        const struct { QList<int> picked; QString n, k, message; } cases[] = {
            {{0}, "10001", "1000", sizes}, {{0}, "100", "0", surveys},
            {{}, "100", "1000", "Choisissez au moins une couleur de la carte comme usage du sol !"}};
        for (const auto& c : cases) {
            boxes->Clear();
            Launch(c.picked, c.n, c.k);
            QCOMPARE(boxes->Errors, QStringList{c.message});
            QVERIFY(!Simulation->Running());
            QVERIFY(!Simulation->ShownSimulation());
        }
    }

    // "Simuler…" opens the main window's map, its colours listed with their shares in percent and
    // the names of its legend, with its sample size when valid, and refuses a photo.
    void simulerListsTheMapsColoursWithTheMainWindowsSampleSize_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");  // none: a photo, refused
        QTest::addColumn<QByteArray>("legend");  // none: no legend file
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("notices");
        const QStringList unnamed{"808080 — 50.00 %", "00A000 — 30.00 %", "0000FF — 20.00 %"};
        QTest::newRow("valid") << "250" << "250" << QByteArray() << unnamed << QStringList{};
        QTest::newRow("too large") << "20000" << "100" << QByteArray() << unnamed << QStringList{};
        QTest::newRow("not a number") << "beaucoup" << "100" << QByteArray() << unnamed << QStringList{};
        QTest::newRow("a legend") << "250" << "250" << QByteArray("Couleur;Usage du sol\n808080;rues\n0000FF;eau\n")
                                  << QStringList{"rues — 50.00 % (808080)", "00A000 — 30.00 %", "eau — 20.00 % (0000FF)"}
                                  << QStringList{};
        QTest::newRow("a legend that is none") << "250" << "250" << QByteArray("808080;rues\n808080;eau\n") << unnamed
                                               << QStringList{"La légende \"occupation-legende.csv\", ligne 2 : la couleur "
                                                              "808080 est déjà nommée à la ligne 1. Les couleurs sont "
                                                              "montrées sans noms d'usage du sol."};
        QTest::newRow("a photo of 65 colours") << "250" << "" << QByteArray() << QStringList{} << QStringList{};
    }
    void simulerListsTheMapsColoursWithTheMainWindowsSampleSize()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QByteArray, legend);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, notices);
        QTemporaryDir folder;
        Page_1->EdNPoints->setText(typed);
        if (shown.isEmpty()) {
            OpenWithSimuler(folder, MapOfColours(65));
            QCOMPARE(boxes->Errors.size(), 1);
            QVERIFY2(boxes->Errors[0].contains("plus de 64 couleurs"), qPrintable(boxes->Errors[0]));
            QVERIFY(Simulation->isHidden());
            return;
        }
        if (!legend.isEmpty())
            WriteFile(folder.filePath("occupation-legende.csv"), legend);
        OpenWithSimuler(folder, ThreeColourMap(), "occupation.bmp");
        QVERIFY(QTest::qWaitForWindowExposed(Simulation));
        QCOMPARE(boxes->Notices, notices);
        QCOMPARE(Simulation->LabelMap->text(), QStringLiteral("Carte : occupation.bmp"));
        QCOMPARE(Simulation->EdN->text(), shown);
        QCOMPARE(Simulation->EdK->text(), QStringLiteral("1000"));
        QCOMPARE(Simulation->ProgressRun->text(), QStringLiteral("Aucune enquête encore"));
        // The colours largest first, with their true shares, alone and together.
        QListWidget* list = Simulation->ListColours;
        QStringList texts;
        for (int row = 0; row < list->count(); ++row)
            texts << list->item(row)->text();
        QCOMPARE(texts, listed);
        QCOMPARE(list->item(1)->icon().pixmap(24, 16).toImage().pixelColor(12, 8), QColor(0x00, 0xA0, 0x00));
        const QList<QPair<QList<int>, QString>> shares = {{{0}, "0.5"}, {{2}, "0.2"}, {{1, 2}, "0.5"}, {{0, 1, 2}, "1"}};
        for (const auto& [picked, trueShare] : shares) {
            Pick(picked);
            QCOMPARE(Simulation->LabelTrueShare->text(), QStringLiteral("Part vraie p = ") + trueShare);
        }
    }

    // Return or Space on "Lancer" runs; once the run is over the focus is back on "Lancer", so the
    // next press runs again instead of closing the window. The run stays when the window is
    // closed and opened again on the same map, whatever the main window's n was, and goes with
    // another picture.
    void aFinishedRunStaysUntilTheMapChanges()
    {
        QTemporaryDir folder;
        const QString map = OpenWithSimuler(folder, ThreeColourMap());
        Pick({1});
        Simulation->EdN->setText("10");
        Simulation->EdK->setText("50");
        Simulation->ButtLancer->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
            const SurveySimulation* before = Simulation->ShownSimulation();
            QTest::keyClick(Simulation->focusWidget(), key);
            QVERIFY(WaitForTheRunToEnd());
            QVERIFY(Simulation->isVisible());
            QVERIFY(Simulation->ShownSimulation() && Simulation->ShownSimulation() != before);
            QCOMPARE(Simulation->focusWidget(), Simulation->ButtLancer);
        }
        const SurveySimulation* run = Simulation->ShownSimulation();
        const QString caption = Simulation->LabelRun->text();
        QVERIFY2(caption.startsWith("Simulation montrée : 00A000, p = 30.00 % ; n = 10, K = 50, graine "), qPrintable(caption));

        Simulation->close();
        QTest::mouseClick(Form3->ButtSimuler, Qt::LeftButton);
        QCOMPARE(Simulation->ShownSimulation(), run);
        QCOMPARE(Simulation->EdN->text(), QStringLiteral("10"));
        QCOMPARE(Simulation->LabelRun->text(), caption);
        QCOMPARE(Simulation->ProgressRun->value(), 50);

        // A new n in the main window is taken, and the run becomes a former one.
        Page_1->EdNPoints->setText("30");
        QTest::mouseClick(Form3->ButtSimuler, Qt::LeftButton);
        QCOMPARE(Simulation->EdN->text(), QStringLiteral("30"));
        QCOMPARE(Simulation->ShownSimulation(), run);
        QVERIFY(Simulation->LabelRun->text().startsWith("Simulation précédente, faite avec d'autres réglages : 00A000"));

        QImage other = ThreeColourMap();
        other.setPixel(0, 0, qRgb(0, 0xA0, 0));
        WriteBmpFile(map, other);
        QTest::mouseClick(Form3->ButtSimuler, Qt::LeftButton);
        QVERIFY(!Simulation->ShownSimulation());
        QVERIFY(Simulation->LabelRun->text().isEmpty());
        QVERIFY2(boxes->Errors.isEmpty(), qPrintable(boxes->Errors.join('\n')));
    }

    // The caption and both charts name the run's colours and p; another setting marks them as a
    // former run's, the run's own settings again as the run shown.
    void theFiguresSayWhichRunTheyDescribe_data()
    {
        QTest::addColumn<QList<int>>("picked");
        QTest::addColumn<QString>("n");
        QTest::addColumn<QString>("k");
        QTest::addColumn<QString>("seed");
        QTest::addColumn<bool>("current");
        QTest::newRow("as run") << QList<int>{2} << "10" << "50" << "3" << true;
        QTest::newRow("n written otherwise") << QList<int>{2} << " 10" << "50" << "3" << true;
        QTest::newRow("another colour") << QList<int>{1} << "10" << "50" << "3" << false;
        QTest::newRow("one colour more") << QList<int>{1, 2} << "10" << "50" << "3" << false;
        QTest::newRow("another n") << QList<int>{2} << "11" << "50" << "3" << false;
        QTest::newRow("another K") << QList<int>{2} << "10" << "500" << "3" << false;
        QTest::newRow("the seed emptied") << QList<int>{2} << "10" << "50" << "" << false;
        QTest::newRow("n not a number") << QList<int>{2} << "dix" << "50" << "3" << false;
    }
    void theFiguresSayWhichRunTheyDescribe()
    {
        QFETCH(QList<int>, picked);
        QFETCH(QString, n);
        QFETCH(QString, k);
        QFETCH(QString, seed);
        QFETCH(bool, current);
        QTemporaryDir folder;
        WriteFile(folder.filePath("carte-legende.csv"), "0000FF;eau <profonde>\n");
        OpenWithSimuler(folder, ThreeColourMap());
        Launch({2}, "10", "50", "3");
        QVERIFY(WaitForTheRunToEnd());
        Pick(picked);
        Simulation->EdN->setText(n);
        Simulation->EdK->setText(k);
        Simulation->EdGraine->setText(seed);
        const QString run = "eau <profonde> (0000FF), p = 20.00 %";
        QCOMPARE(Simulation->ShownRunMatchesSettings(), current);
        QCOMPARE(Simulation->LabelRun->text(),
                 (current ? "Simulation montrée : " : "Simulation précédente, faite avec d'autres réglages : ") + run
                     + " ; n = 10, K = 50, graine 3");
        const QString former = current ? "" : "Simulation précédente, d'autres réglages\n";
        QCOMPARE(ChartTitle(0), former + "Les 50 estimations de la part, n = 10\n" + run);
        QVERIFY2(ChartTitle(1).startsWith(former + "50 intervalles de Clopper-Pearson : "), qPrintable(ChartTitle(1)));
    }

    // Where a limit equals p the interval holds it: at n = 1 and p = 1/40 every Clopper-Pearson
    // interval is green and the coverage is 1; Wilson's at p = 1 holds it at every n. The band's
    // chance is told exactly, 97.5 % and 100 %.
    void exactCasesShowAsExact_data()
    {
        QTest::addColumn<QImage>("map");
        QTest::addColumn<QString>("n");
        QTest::addColumn<int>("method");  // the table's row
        QTest::addColumn<QString>("band");
        QImage fortieth(40, 1, QImage::Format_RGB32);
        fortieth.fill(qRgb(255, 255, 255));
        fortieth.setPixel(0, 0, qRgb(0, 0, 0));
        QImage plain(7, 3, QImage::Format_RGB32);
        plain.fill(qRgb(0, 0, 0));
        QTest::newRow("Clopper-Pearson, n = 1, p = 1/40") << fortieth << "1" << 1 << "97.5 %";
        for (const char* n : {"29", "30", "35"})
            QTest::addRow("Wilson, n = %s, p = 1", n) << plain << QString(n) << 2 << "100 %";
    }
    void exactCasesShowAsExact()
    {
        QFETCH(QImage, map);
        QFETCH(QString, n);
        QFETCH(int, method);
        QFETCH(QString, band);
        QTemporaryDir folder;
        OpenWithSimuler(folder, map);
        Launch({int(Simulation->ListColours->count()) - 1}, n, "100", "5");
        QVERIFY(WaitForTheRunToEnd());
        QCOMPARE(Simulation->GridMethods->Cell(1, method), QStringLiteral("1.000"));
        QCOMPARE(Simulation->GridMethods->Cell(3, method), QStringLiteral("1.000"));
        QVERIFY2(ChartTitle(1).startsWith("100 intervalles de Clopper-Pearson : 100 contiennent p, 0 non"),
                 qPrintable(ChartTitle(1)));
        QVERIFY2(Simulation->LabelReading->text().contains("avec une probabilité de " + band + "."),
                 qPrintable(Simulation->LabelReading->text()));
    }

    // The exact coverage needs no run: n typed or colours picked, the curve follows, with the
    // 95 % line and the line of the chosen colours' p; a box without a valid n says what it waits
    // for. Its tab shows it in the intervals' place.
    void theCoverageCurveFollowsNAndTheColours_data()
    {
        QTest::addColumn<QString>("n");
        QTest::addColumn<QList<int>>("picked");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("title");
        QTest::newRow("blue, n = 100") << "100" << QList<int>{2} << 6
                                       << "Couverture exacte des quatre méthodes, n = 100<br>en rouge, la part vraie p = 20.00 %";
        QTest::newRow("no colour, n = 3") << "3" << QList<int>{} << 5 << "Couverture exacte des quatre méthodes, n = 3";
        QTest::newRow("n = 0") << "0" << QList<int>{1} << 0 << "Couverture exacte : entrez une taille d'échantillon n de 1 à 10000";
        QTest::newRow("no n") << "" << QList<int>{1} << 0 << "Couverture exacte : entrez une taille d'échantillon n de 1 à 10000";
    }
    void theCoverageCurveFollowsNAndTheColours()
    {
        QFETCH(QString, n);
        QFETCH(QList<int>, picked);
        QFETCH(int, lines);
        QFETCH(QString, title);
        QTemporaryDir folder;
        OpenWithSimuler(folder, ThreeColourMap());
        Simulation->EdN->setText("7");
        Pick(picked);
        Simulation->EdN->setText(n);
        QChart* chart = Simulation->ChartCoverage->chart();
        QTRY_COMPARE(chart->title(), title);
        QCOMPARE(chart->series().size(), lines);
        if (!picked.isEmpty() && lines > 0) {
            const auto* truth = static_cast<QLineSeries*>(chart->series().back());
            QCOMPARE(truth->at(0).x(), 0.2);
        }
        QTest::mouseClick(Simulation->TabCharts, Qt::LeftButton, {},
                          Simulation->TabCharts->tabRect(1).center());
        QVERIFY(Simulation->ChartCoverage->isVisible());
        QVERIFY(!Simulation->ChartIntervals->isVisible());
        Simulation->TabCharts->setCurrentIndex(0);
    }
};

QTEST_MAIN(SimulationWindowTest)
#include "test_simulation_window.moc"
