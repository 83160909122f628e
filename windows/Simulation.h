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
#include <thread>
#include <vector>

class QChartView;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
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
    TTextGrid* GridMethods;
    QLabel* LabelReading;
    QChartView* ChartEstimates;
    QChartView* ChartIntervals;

    // Reads the map named `mapName` (the demo map when empty) and lists its colours, after
    // stopping a run still going; takes `sampleSizeText` as n when it is a valid sample size.
    // Throws, with the French message, for a map that cannot be read or has too many colours.
    void OpenMap(const QString& mapName, const QString& sampleSizeText);
    void ListColoursSelectionChanged();
    void ButtLancerClick();
    void ButtArreterClick();
    void ButtExporterClick();
    void PollTimerTick();

    // The colours picked in the list, as 0xRRGGBB, largest first.
    std::vector<uint32_t> ChosenColours() const;
    bool Running() const { return worker.joinable(); }
    // The run shown, if any: the one going or the last one.
    const SurveySimulation* ShownSimulation() const { return simulation.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Sets the stop flag and waits for the worker, which looks at it after each survey.
    void StopRun();
    // The figures of the surveys done so far, in the table and both charts.
    void ShowFigures();
    void ShowEstimates(const std::vector<MethodFigures>& figures);
    void ShowIntervals();
    void ShowTable(const std::vector<MethodFigures>& figures);
    void ShowRunState();

    QString mapName;
    std::unique_ptr<MapPixels> pixels;
    std::vector<MapColour> colours;
    std::unique_ptr<SurveySimulation> simulation;
    std::vector<uint32_t> simulatedColours;
    // The fluctuation interval of the run's n and p, and how many of its intervals are drawn.
    CountRange fluctuation{0, 0};
    int intervalsDrawn = 0;
    std::atomic<bool> stopRequested = false;
    std::atomic<bool> workerDone = false;
    std::thread worker;
    QTimer pollTimer;
};

extern TSimulation* Simulation;
