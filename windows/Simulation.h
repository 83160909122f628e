// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The simulation window: the survey repeated thousands of times on a map of flat colours whose
// true shares are known from its pixels, to watch the estimates fluctuate and the intervals
// catch or miss the truth.

#include "core/DesignSimulation.h"
#include "core/MapColours.h"
#include "core/Simulation.h"
#include "picture/MapPixels.h"

#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <vector>

class QChartView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabBar;
class TCloseButton;
class TTextGrid;

class TSimulation : public QWidget {
    Q_OBJECT
public:
    TSimulation();
    // A run still going is stopped: no worker outlives its window.
    ~TSimulation() override;

    QLabel* Label1;
    QLabel* LabelMap;
    QLabel* LabelColours;
    QListWidget* ListColours;
    QLabel* LabelTrueShare;
    QLabel* LabelSampleSize;
    QLineEdit* EdN;
    QLabel* LabelSurveys;
    QLineEdit* EdK;
    QLabel* LabelSeed;
    QLineEdit* EdGraine;
    // The designs compared: simple random alone keeps the window to the four methods' table and
    // the first intervals; any other shows one row and one histogram per design.
    QLabel* LabelPlans;
    QCheckBox* CheckAleatoire;
    QCheckBox* CheckSystematique;
    QCheckBox* CheckStrates;
    QLineEdit* EdBlocs;
    QCheckBox* CheckGrappes;
    QLineEdit* EdGrappes;
    QLabel* LabelCote;
    QLineEdit* EdCote;
    QLabel* LabelEcart;
    QLineEdit* EdEcart;
    QPushButton* ButtLancer;
    QPushButton* ButtArreter;
    QPushButton* ButtExporter;
    TCloseButton* ButtFermer;
    QProgressBar* ProgressRun;
    QLabel* LabelInside;
    // Which colours, p, n, K and seed the table and charts describe, and whether the settings
    // have changed since.
    QLabel* LabelRun;
    TTextGrid* GridMethods;
    TTextGrid* GridDesigns;  // in GridMethods' place when designs are compared
    QLabel* LabelReading;
    QChartView* ChartEstimates;
    QChartView* ChartIntervals;
    // In the place of the intervals when its tab is chosen: the exact coverage of the four
    // methods for the n typed, as p goes from 0 to 1 (Simulation_Coverage.cpp).
    QChartView* ChartCoverage;
    QTabBar* TabCharts;

    // Reads the map named `mapName` (the demo map when empty) and lists its colours, named by its
    // legend when it has one. The same picture as before keeps the window as it was left, its
    // run going or done included; another map stops the run and clears the figures.
    // `sampleSizeText` becomes n when it is a valid sample size, for a new map or when it differs
    // from the one given last time. Throws, with the French message, for a map that cannot be
    // read or has too many colours; a legend that cannot be read is told in a notice.
    void OpenMap(const QString& mapName, const QString& sampleSizeText);
    void ListColoursSelectionChanged();
    void SettingsChanged();
    void ButtLancerClick();
    void ButtArreterClick();
    void ButtExporterClick();
    void PollTimerTick();
    void TabChartsChange();

    // The colours picked in the list, as 0xRRGGBB, largest first.
    std::vector<uint32_t> ChosenColours() const;
    // The designs ticked, in the boxes' order, with B, C, s and e as typed; EConvertError for a
    // number that is none, EInvalidOperation when none is ticked.
    std::vector<SampleDesign> ChosenDesigns() const;
    // The designs compared in the run shown, one after the other from its seed; empty when the
    // run shown is simple random alone (ShownSimulation).
    std::span<const std::unique_ptr<DesignSimulation>> ShownDesigns() const { return designRuns; }
    bool Running() const { return worker.joinable(); }
    // The run shown, if any: the one going or the last one.
    const SurveySimulation* ShownSimulation() const { return simulation.get(); }
    // Whether the colours chosen and the boxes n, K and seed are those of the run shown.
    bool ShownRunMatchesSettings() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum Column { MethodColumn, CoverageColumn, CoverageLimitsColumn, ExpectedColumn, WidthColumn };
    enum DesignTableColumn { PlanColumn = 0, PointsColumn, MeanColumn, SpreadColumn, ErrorColumn, DesignCoverageColumn,
                        NaiveCoverageColumn, WithoutIntervalColumn };

    // Sets the stop flag and waits for the worker, which looks at it after each survey.
    void StopRun();
    void ShowRunState();
    void ListTheColours();
    // The figures of the surveys done so far: the progress, the table, the caption and both
    // charts (Simulation_Figures.cpp, with the export).
    void ShowFigures();
    void ShowTable(const std::vector<MethodFigures>& figures);
    void ShowRunCaption();
    // A chart's title over the line that names the run, marked when it is a former run's.
    QString ChartTitle(const QString& title) const;
    // The charts (Simulation_Charts.cpp): empty before any run, then drawn from its surveys.
    void ClearCharts();
    void ShowEstimates(std::span<const int32_t> counts);
    void ShowIntervals(std::span<const int32_t> counts);
    // The designs compared (Simulation_Designs.cpp): their controls, their table, their
    // estimates' histograms over one another and their coverages.
    void MakeDesignControls();
    void MakeDesignTable();
    void ShowDesignFigures();
    void ShowDesignTable(const std::vector<DesignFigures>& figures);
    void ShowDesignEstimates();
    void ShowDesignCoverages(const std::vector<DesignFigures>& figures);
    // The run shown's colours and settings, whichever kind it is.
    struct ShownRun {
        PixelShare Share;
        int32_t SampleSize;
        int32_t Surveys;
        int32_t SurveysDone;
        uint32_t Seed;
    };
    std::optional<ShownRun> Shown() const;
    // The coverage chart's tab and names (Simulation_Coverage.cpp); then the curve, worked out on
    // a thread of its own when n or the colours change, and drawn when it is done.
    void BuildCoverageTab();
    void ShowCoverageCurve();
    void StopCoverageCurve();

    QString mapName;
    QString mapPath;  // the file read, the data folder's for the demo map
    QString offeredSampleSize;  // the main window's n when the window was last opened
    std::unique_ptr<MapPixels> pixels;
    std::vector<MapColour> colours;
    ColourNames names;
    std::unique_ptr<SurveySimulation> simulation;
    std::vector<std::unique_ptr<DesignSimulation>> designRuns;
    std::vector<SampleDesign> simulatedDesigns;
    std::vector<uint32_t> simulatedColours;
    // How many of the run's intervals are drawn.
    int intervalsDrawn = 0;
    std::atomic<bool> stopRequested = false;
    std::atomic<bool> workerDone = false;
    std::thread worker;
    QTimer pollTimer;
    // The n and share the coverage curve shows or is being worked out for (no share before a
    // colour is chosen), and which request the curve handed over answers.
    int32_t coverageSampleSize = 0;
    std::optional<PixelShare> coverageShare;
    int coverageRequest = 0;
    std::atomic<bool> coverageStop = false;
    std::thread coverageWorker;
};

extern TSimulation* Simulation;
