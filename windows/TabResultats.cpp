// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/TabResultats.h"

#include "core/Errors.h"
#include "core/Interval.h"
#include "core/MessageText.h"
#include "core/Numbers.h"
#include "core/Results.h"
#include "core/ResultsCsv.h"
#include "core/SurveyDocument.h"
#include "picture/SavedFile.h"
#include "ui/Dispatch.h"
#include "ui/FileDialogs.h"
#include "ui/HouseStyle.h"
#include "ui/TextGrid.h"
#include "ui/WindowFit.h"
#include "ui/WindowFrame.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QPushButton>

TTabRes* TabRes = nullptr;

namespace {

enum Column { UseColumn = 0, CountColumn = 1, FrequencyColumn = 2, AreaColumn = 3 };

// With a scale, the area column widens the grid and the window by as much.
constexpr int AreaWidth = TTextGrid::ColumnWidth;

void WriteCount(TTextGrid* grid, int gridRow, const ResultRow& row)
{
    grid->SetCell(CountColumn, gridRow, IntegerText(row.Count()));
}

// A share of the sample, or the design's estimate of it, with its interval as the cell's hint;
// blank for a row that is no share. A failed division raises here, before its cell is written.
void WriteFrequency(TTextGrid* grid, int gridRow, const ResultRow& row, const SampleDesign& design)
{
    if (!row.HasFrequency()) {
        grid->SetCell(FrequencyColumn, gridRow, QString());
        return;
    }
    grid->SetCell(FrequencyColumn, gridRow, row.Estimate() ? RealText(row.Estimate()->Share) : RealText(row.Frequency()));
    grid->SetCellHint(FrequencyColumn, gridRow, ResultHint(row, design));
}

// Beside the share, on a map with a scale, its area, the interval as the hint.
void WriteArea(TTextGrid* grid, int gridRow, const ResultRow& row)
{
    if (grid->ColCount() <= AreaColumn)
        return;
    const std::optional<LandUseArea> area = AreaOf(row, SurveyTally);
    grid->SetCell(AreaColumn, gridRow, area ? area->Text() : QString());
    grid->SetCellHint(AreaColumn, gridRow, area ? area->Hint() : QString());
}

}  // namespace

TTabRes::TTabRes()
{
    SetUpWindow(this, QStringLiteral("Résultats"), 549, 191, 362, 377,
                PixelFont(QStringLiteral("MS Sans Serif"), 11, false), palette().color(QPalette::WindowText));

    Label1 = MakeLabel(this, QStringLiteral("Résultats"), 136, 0,
                       PixelFont(QStringLiteral("Times New Roman"), 27, true), HouseBlue);

    // Created in tab order: the grid takes the focus when the window becomes active.
    GridResults = new TTextGrid(this, 2, {24, 19, 24, 24, 24});
    GridResults->setGeometry(32, 40, 297, 273);
    NameAfter(GridResults, Label1);
    SetToolTip(GridResults, QStringLiteral("Le nombre et la fréquence des points de chaque usage du sol ; la souris "
                                           "sur une fréquence montre son intervalle à 95 %"));
    // Under the grid, which design laid the points, when it is not simple random.
    LabelPlan = MakeLabel(this, QString(), 32, 350, PixelFont(QStringLiteral("MS Sans Serif"), 11, false), HouseBlue);
    LabelPlan->setFixedSize(297, 26);
    LabelPlan->setWordWrap(true);
    LabelPlan->setToolTip(QStringLiteral("Le plan d'échantillonnage des points : les estimations et leurs intervalles "
                                         "en tiennent compte"));
    BtnExporter = MakeButton(this, QStringLiteral("&Exporter…"), 69, 320, 75, 25);
    BtnExporter->setToolTip(QStringLiteral("Exporter les résultats vers un tableur"));
    BitBtn1 = new TCloseButton(this, QStringLiteral("&Fermer"), 152, 320, 75, 25);
    BitBtn1->setToolTip(QStringLiteral("Fermer les résultats (Alt+F)"));

    connect(BtnExporter, &QPushButton::clicked, this, Guarded(this, &TTabRes::BtnExporterClick));
    plainGridWidth = GridResults->width();
    plainClientWidth = DesignedClientSize(this).width();
}

void TTabRes::FormShow()
{
    // Row 0 of the grid is the header: the rows of the results follow it, "Autres" and "Total"
    // last.
    const std::vector<ResultRow> rows = ResultRows(SurveyTally);
    const int totalRow = int(rows.size());
    const int othersRow = totalRow - 1;
    const ResultRow& total = rows[std::size_t(totalRow - 1)];
    const ResultRow& others = rows[std::size_t(othersRow - 1)];

    // The frame first and the land uses after it, so that a failed division leaves the header,
    // "Autres" and the total in place.
    const bool scaled = SurveyTally.Scale.has_value();
    GridResults->SetColCount(scaled ? 4 : 3);
    const int widening = scaled ? AreaWidth : 0;
    GridResults->resize(plainGridWidth + widening, GridResults->height());
    if (DesignedClientSize(this).width() != plainClientWidth + widening) {
        SetDesignedClientSize(this, QSize(plainClientWidth + widening, DesignedClientSize(this).height()));
        resize(plainClientWidth + widening, height());
    }
    if (scaled) {
        GridResults->SetCell(AreaColumn, 0, QStringLiteral("Aire"));
        GridResults->SetCellHint(AreaColumn, 0,
                                 ScaleText(*SurveyTally.Scale, QSize(SurveyTally.MapWidth, SurveyTally.MapHeight)));
    }
    GridResults->SetRowCount(totalRow + 1);
    GridResults->SetCell(UseColumn, 0, QStringLiteral("Usages"));
    GridResults->SetCell(CountColumn, 0, QStringLiteral("Nombre"));
    // Blocks and segments weight their points: the share is the design's estimate, no plain
    // frequency.
    const SampleDesign& design = SurveyTally.Design;
    const bool designed = design.Kind != DesignKind::SimpleRandom && SurveyTally.SamplePoints() > 0;
    const bool weighted = designed && (design.Kind == DesignKind::Stratified || design.Kind == DesignKind::Clustered);
    GridResults->SetCell(FrequencyColumn, 0, weighted ? QStringLiteral("Estimation") : QStringLiteral("Fréquence"));
    LabelPlan->setText(designed ? QStringLiteral("Plan : %1").arg(DesignText(design).toLower()) : QString());
    GridResults->SetCell(UseColumn, othersRow, others.Use());
    GridResults->SetCell(UseColumn, totalRow, total.Use());
    WriteCount(GridResults, totalRow, total);
    WriteFrequency(GridResults, totalRow, total, design);

    for (int gridRow = 1; gridRow < othersRow; ++gridRow) {
        const ResultRow& use = rows[std::size_t(gridRow - 1)];
        GridResults->SetCell(UseColumn, gridRow, use.Use());
        WriteCount(GridResults, gridRow, use);
        WriteFrequency(GridResults, gridRow, use, design);
        WriteArea(GridResults, gridRow, use);
    }

    WriteCount(GridResults, othersRow, others);
    WriteFrequency(GridResults, othersRow, others, design);
    WriteArea(GridResults, othersRow, others);
    WriteArea(GridResults, totalRow, total);
}

void TTabRes::FollowSurvey()
{
    if (isVisible())
        RunHandler([this] { FormShow(); });
}

void TTabRes::BtnExporterClick()
{
    const QString mapFile = Survey->MapName();
    const std::optional<QString> fileName =
        AskFileToSave(this, QStringLiteral("Exporter les résultats"),
                      QDir(FolderToSaveBeside(mapFile)).filePath(QStringLiteral("resultats.csv")),
                      QStringLiteral("Tableur CSV (*.csv)"), QStringLiteral("csv"));
    if (!fileName)
        return;
    // The survey as it holds now, not what the grid kept from its last showing.
    SaveWholeFile(*fileName, ResultsCsv(SurveyTally, mapFile, QDateTime::currentDateTime()));
}
