#include "windows/TabResultats.h"

#include "core/FloatArith.h"
#include "core/Interval.h"
#include "core/Numbers.h"
#include "core/SurveyTally.h"
#include "ui/HouseStyle.h"
#include "ui/TextGrid.h"
#include "ui/WindowFrame.h"

#include <QLabel>
#include <algorithm>

TTabRes* TabRes = nullptr;

namespace {

enum Column { UseColumn = 0, CountColumn = 1, FrequencyColumn = 2 };

// A count and its share of the sample, with the exact interval of that share as the cell's hint.
// The share is formed in extended precision: its fifteenth digit depends on it.
void WriteCountAndFrequency(TTextGrid* grid, int row, int64_t count)
{
    grid->SetCell(CountColumn, row, IntegerText(count));
    grid->SetCell(FrequencyColumn, row,
                  RealText(Divide(static_cast<long double>(count), SurveyTally.SampleSize)));
    grid->SetCellHint(FrequencyColumn, row, IntervalHint(count, SurveyTally.SampleSize));
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
    BitBtn1 = new TCloseButton(this, QStringLiteral("&Fermer"), 152, 320, 75, 25);
}

void TTabRes::FormShow()
{
    // The tally holds 20 land uses; a larger count must not send us past its last entry.
    const int uses = std::clamp(SurveyTally.LandUseCount, 0, int(TSurveyTally::MaxLandUses));
    const int othersRow = uses + 1;
    const int totalRow = uses + 2;

    GridResults->SetColCount(3);
    GridResults->SetRowCount(uses + 3);
    GridResults->SetCell(UseColumn, 0, QStringLiteral("Usages"));
    GridResults->SetCell(CountColumn, 0, QStringLiteral("Nombre"));
    GridResults->SetCell(FrequencyColumn, 0, QStringLiteral("Fréquence"));
    GridResults->SetCell(UseColumn, othersRow, QStringLiteral("Autres"));
    GridResults->SetCell(UseColumn, totalRow, QStringLiteral("Total"));
    GridResults->SetCell(CountColumn, totalRow, IntegerText(SurveyTally.PointsProbed));
    GridResults->SetCell(FrequencyColumn, totalRow, QString());

    for (int row = 1; row <= uses; ++row) {
        const LandUseEntry& entry = SurveyTally.LandUse(row);
        GridResults->SetCell(UseColumn, row, entry.Name);
        WriteCountAndFrequency(GridResults, row, entry.Count);
    }

    // Formed in full: a survey beyond 255 points counts right, and more presses than points
    // show as a negative count instead of wrapping round to a plausible one.
    const int64_t others = int64_t(SurveyTally.SampleSize) - SurveyTally.PointsProbed;
    WriteCountAndFrequency(GridResults, othersRow, others);
}
