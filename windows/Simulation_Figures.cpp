// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The simulation window's figures as text: the progress, the table of the methods, the caption
// that names the run they belong to with the reading of the band, and their export with the
// charts beside them.

#include "windows/Simulation.h"

#include "core/Errors.h"
#include "core/Numbers.h"
#include "core/ResultsCsv.h"
#include "core/SimulationCsv.h"
#include "picture/DataFolder.h"
#include "picture/SavedFile.h"
#include "ui/FileDialogs.h"
#include "ui/TextGrid.h"

#include <QBuffer>
#include <QChartView>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

namespace {

// The mark of figures that belong to a former run, in the caption and the charts' titles.
const QColor formerRunColour(170, 0, 0);

// Whether the box holds `value`, as its parser reads it.
template <class Parse>
bool BoxHolds(const QLineEdit* box, Parse parse, int64_t value)
{
    try {
        return int64_t(parse(box->text())) == value;
    } catch (const EConvertError&) {
        return false;
    }
}

// The exact chance of the fluctuation interval, to a tenth of a percent: 100 % only when no
// count outside it can happen.
QString ChanceText(const SurveySimulation& run)
{
    const CountRange band = run.Fluctuation();
    const PixelShare share = run.Share();
    const bool noneBelow = band.Lowest == 0 || share.Chosen == share.Total;
    const bool noneAbove = band.Highest == run.SampleSize() || share.Chosen == 0;
    if (noneBelow && noneAbove)
        return QStringLiteral("100 %");
    return FixedText(std::min(99.9L, std::round(1000 * band.Probability) / 10), 1) + QStringLiteral(" %");
}

// Read when shown: the decimal separator follows the regional settings.
QString ReadingOfCoverage()
{
    return QStringLiteral("Une méthode qui tient sa promesse donne un intervalle qui contient p dans 95 % des "
                          "enquêtes au moins : comparez les colonnes « Couverture » et « Attendue » à %1.")
        .arg(FixedText(0.95L, 2));
}

// After a run, the coverage read as the seconde's capacity words it: the f ± 1/√n row's simulated
// coverage is the proportion of the samples whose f lies within 1/√n of p. Shorter than the
// reading before a run, for the note has room for five lines.
QString ReadingOfRunCoverage(const SurveySimulation& run)
{
    const MethodFigures rootN = run.Figures()[size_t(
        std::find(IntervalMethods.begin(), IntervalMethods.end(), IntervalMethod::RootN) - IntervalMethods.begin())];
    const QString promise =
        QStringLiteral("Une méthode tient sa promesse si sa couverture atteint %1.").arg(FixedText(0.95L, 2));
    if (rootN.Surveys == 0)
        return promise;
    return QStringLiteral("Programme de seconde : sur N = %1 échantillons de taille n, la proportion des cas où "
                          "l'écart entre p et f est inférieur ou égal à 1/√n est %2. ")
               .arg(IntegerText(rootN.Surveys), FixedText(rootN.SimulatedCoverage, 3))
           + promise;
}

}  // namespace

void TSimulation::ShowFigures()
{
    ShowRunCaption();
    GridMethods->setVisible(designRuns.empty());
    GridDesigns->setVisible(!designRuns.empty());
    if (!designRuns.empty()) {
        ShowDesignFigures();
        return;
    }
    if (!simulation) {
        ProgressRun->setFormat(QStringLiteral("Aucune enquête encore"));
        ProgressRun->setRange(0, 1);
        ProgressRun->setValue(0);
        LabelInside->clear();
        for (int row = 1; row <= int(IntervalMethods.size()); ++row)
            for (int column = CoverageColumn; column <= WidthColumn; ++column)
                GridMethods->SetCell(column, row, QString());
        ClearCharts();
        return;
    }
    const std::vector<MethodFigures> figures = simulation->Figures();
    ProgressRun->setFormat(QStringLiteral("%v / %m enquêtes"));
    ProgressRun->setRange(0, simulation->Surveys());
    ProgressRun->setValue(figures.front().Surveys);
    ShowTable(figures);
    // Both charts from the same surveys: the worker adds more while they are drawn.
    const std::span<const int32_t> counts = simulation->Counts();
    ShowEstimates(counts);
    ShowIntervals(counts);
}

std::optional<TSimulation::ShownRun> TSimulation::Shown() const
{
    if (simulation)
        return ShownRun{simulation->Share(), simulation->SampleSize(), simulation->Surveys(), simulation->SurveysDone(),
                        simulation->Seed()};
    if (designRuns.empty())
        return std::nullopt;
    const DesignSimulation& first = *designRuns.front();
    int32_t done = 0;
    for (const auto& run : designRuns)
        done += run->SurveysDone();
    return ShownRun{first.Share(), first.SampleSize(), first.Surveys(), done, first.Seed()};
}

bool TSimulation::ShownRunMatchesSettings() const
{
    const std::optional<ShownRun> run = Shown();
    if (!run || ChosenColours() != simulatedColours || !BoxHolds(EdN, ParseInteger, run->SampleSize)
        || !BoxHolds(EdK, ParseInteger, run->Surveys) || !BoxHolds(EdGraine, ParseUnsigned, run->Seed))
        return false;
    try {
        return ChosenDesigns() == simulatedDesigns;
    } catch (const Exception&) {
        return false;
    }
}

// The run's description under the table, and the reading of the band with its exact chance.
void TSimulation::ShowRunCaption()
{
    const std::optional<ShownRun> shown = Shown();
    if (!shown) {
        LabelRun->clear();
        LabelReading->setText(QStringLiteral("Lecture : une estimation tombe dans l'intervalle de fluctuation (en "
                                             "jaune) avec une probabilité d'au moins 95 %, donnée exactement après une "
                                             "simulation. ")
                              + ReadingOfCoverage());
        LabelReading->adjustSize();
        return;
    }
    const bool current = ShownRunMatchesSettings();
    const QString run = QStringLiteral("%1, p = %2 ; n = %3, K = %4, graine %5")
                            .arg(ChosenColoursText(simulatedColours, names),
                                 PercentText(shown->Share.Chosen, shown->Share.Total), IntegerText(shown->SampleSize),
                                 IntegerText(shown->Surveys), IntegerText(shown->Seed));
    LabelRun->setText(current ? QStringLiteral("Simulation montrée : %1").arg(run)
                              : QStringLiteral("Simulation précédente, faite avec d'autres réglages : %1").arg(run));
    QPalette palette = LabelRun->palette();
    palette.setColor(QPalette::WindowText, current ? this->palette().color(QPalette::WindowText) : formerRunColour);
    LabelRun->setPalette(palette);
    LabelRun->adjustSize();
    if (!simulation)
        return;  // the designs' reading comes with their figures
    LabelReading->setText(
        QStringLiteral("Lecture : pour n = %1 et p = %2, une estimation tombe dans l'intervalle de fluctuation "
                       "(en jaune) avec une probabilité de %3. ")
            .arg(IntegerText(simulation->SampleSize()),
                 PercentText(simulation->Share().Chosen, simulation->Share().Total),
                 ChanceText(*simulation))
        + ReadingOfRunCoverage(*simulation));
    LabelReading->adjustSize();
}

QString TSimulation::ChartTitle(const QString& title) const
{
    const QString run = QStringLiteral("%1, p = %2")
                            .arg(ChosenColoursText(simulatedColours, names),
                                 PercentText(Shown()->Share.Chosen, Shown()->Share.Total))
                            .toHtmlEscaped();
    if (ShownRunMatchesSettings())
        return QStringLiteral("%1<br>%2").arg(title.toHtmlEscaped(), run);
    return QStringLiteral("<span style=\"color:%1\">Simulation précédente, d'autres réglages</span><br>%2<br>%3")
        .arg(formerRunColour.name(), title.toHtmlEscaped(), run);
}

void TSimulation::ShowTable(const std::vector<MethodFigures>& figures)
{
    for (size_t row = 0; row < figures.size(); ++row) {
        const MethodFigures& method = figures[row];
        const int gridRow = int(row) + 1;
        const bool any = method.Surveys > 0;
        GridMethods->SetCell(CoverageColumn, gridRow, any ? FixedText(method.SimulatedCoverage, 3) : QString());
        GridMethods->SetCell(CoverageLimitsColumn, gridRow,
                             any ? QStringLiteral("%1 à %2").arg(FixedText(method.CoverageLimits.Lower, 3),
                                                                 FixedText(method.CoverageLimits.Upper, 3))
                                 : QString());
        GridMethods->SetCell(ExpectedColumn, gridRow, FixedText(method.ExpectedCoverage, 3));
        GridMethods->SetCellHint(ExpectedColumn, gridRow, RealText(method.ExpectedCoverage));
        GridMethods->SetCell(WidthColumn, gridRow, any ? FixedText(method.MeanWidth, 3) : QString());
    }
}

void TSimulation::ButtExporterClick()
{
    if (!Shown())
        throw EInvalidOperation(QStringLiteral("Lancez d'abord une simulation : il n'y a rien à exporter."));
    const std::optional<QString> fileName =
        AskFileToSave(this, QStringLiteral("Exporter la simulation"),
                      QDir(FolderToSaveBeside(PictureFilePath(mapName))).filePath(QStringLiteral("simulation.csv")),
                      QStringLiteral("Tableur CSV (*.csv)"), QStringLiteral("csv"));
    if (!fileName)
        return;
    // The figures as they stand now, the surveys stopped early included.
    QString text;
    if (simulation) {
        text = SimulationCsv(*simulation, mapName, simulatedColours, names) + QStringLiteral("\r\n")
               + EstimatesCsv(*simulation);
    } else {
        std::vector<const DesignSimulation*> runs;
        for (const auto& run : designRuns)
            runs.push_back(run.get());
        text = DesignsCsv(runs, mapName, simulatedColours, names);
    }
    SaveWholeFile(*fileName, SpreadsheetBytes(text));
    const QFileInfo csv(*fileName);
    const QString stem = csv.dir().filePath(csv.completeBaseName());
    for (const auto& [view, suffix] : {std::pair{ChartEstimates, QStringLiteral("-estimations.png")},
                                       std::pair{ChartIntervals, QStringLiteral("-intervalles.png")},
                                       std::pair{ChartCoverage, QStringLiteral("-couverture.png")}}) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        view->grab().save(&buffer, "PNG");
        SaveWholeFile(stem + suffix, png);
    }
}
