// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The simulation window: the survey repeated thousands of times on a map of flat colours whose
// true shares are known from its pixels, to watch the estimates fluctuate and the intervals
// catch or miss the truth.

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
    bool Running() const { return worker.joinable(); }
    // The run shown, if any: the one going or the last one.
    const SurveySimulation* ShownSimulation() const { return simulation.get(); }
    // Whether the colours chosen and the boxes n, K and seed are those of the run shown.
    bool ShownRunMatchesSettings() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum Column { MethodColumn, CoverageColumn, CoverageLimitsColumn, ExpectedColumn, WidthColumn };

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
