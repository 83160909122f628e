// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The class window's views drawn from the analysis core made: the class table and the pooled
// estimate, the students' intervals, the names merged; and the exports of every view.

#include "windows/Classe.h"

#include "core/ClassCsv.h"
#include "core/Errors.h"
#include "core/Interval.h"
#include "core/Numbers.h"
#include "core/ResultsCsv.h"
#include "picture/SavedFile.h"
#include "ui/Boxes.h"
#include "ui/FileDialogs.h"
#include "ui/MapPicture.h"
#include "ui/MarkedMap.h"
#include "ui/TextGrid.h"
#include "windows/ChartParts.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QValueAxis>
#include <algorithm>

void TClasse::ShowUses()
{
    const QSignalBlocker quiet(ComboUsage);
    ComboUsage->clear();
    for (const QString& use : analysis.Uses)
        ComboUsage->addItem(use);
    ComboUsage->setCurrentIndex(analysis.ChosenUse);
}

// Per land use and « Autres » two columns, the points and the frequency, its exact interval as
// the frequency's hint as in the results window.
void TClasse::ShowTable()
{
    const std::size_t cells = analysis.Pooled.Cells.size();
    GridClasse->SetColCount(3 + 2 * int(cells));
    GridClasse->SetRowCount(std::max<int>(2, int(analysis.Rows.size()) + 2));
    GridClasse->SetCell(0, 0, QStringLiteral("Élève"));
    GridClasse->SetCell(1, 0, QStringLiteral("N"));
    GridClasse->SetCell(2, 0, QStringLiteral("Classés"));
    for (std::size_t cell = 0; cell < cells; ++cell) {
        const QString& use = analysis.Pooled.Cells[cell].Use();
        GridClasse->SetCell(3 + 2 * int(cell), 0, use);
        GridClasse->SetCellHint(3 + 2 * int(cell), 0, QStringLiteral("Points classés « %1 »").arg(use));
        GridClasse->SetCell(4 + 2 * int(cell), 0, QStringLiteral("f"));
        GridClasse->SetCellHint(4 + 2 * int(cell), 0, QStringLiteral("Fréquence de « %1 »").arg(use));
    }
    std::vector<const ClassRow*> rows;
    for (const ClassRow& row : analysis.Rows)
        rows.push_back(&row);
    if (!rows.empty())
        rows.push_back(&analysis.Pooled);
    for (int column = 0; column < GridClasse->ColCount(); ++column)
        GridClasse->SetCell(column, 1, QString());
    for (std::size_t at = 0; at < rows.size(); ++at) {
        const ClassRow& row = *rows[at];
        const int gridRow = int(at) + 1;
        GridClasse->SetCell(0, gridRow, row.Name);
        GridClasse->SetCell(1, gridRow, IntegerText(row.SampleSize));
        GridClasse->SetCell(2, gridRow, IntegerText(row.Classified));
        for (std::size_t cell = 0; cell < cells; ++cell) {
            GridClasse->SetCell(3 + 2 * int(cell), gridRow, IntegerText(row.Cells[cell].Count()));
            GridClasse->SetCell(4 + 2 * int(cell), gridRow, FrequencyCell(row.Cells[cell]));
            // With a scale, the area too: the share's interval scaled.
            const std::optional<LandUseArea> area =
                analysis.Scale ? AreaOf(row.Cells[cell], *analysis.Scale, analysis.Drawn) : std::nullopt;
            GridClasse->SetCellHint(4 + 2 * int(cell), gridRow,
                                    IntervalHint(row.Cells[cell].Limits()) + (area ? QLatin1Char('\n') + area->Hint() : QString()));
        }
    }

    if (analysis.Rows.empty()) {
        LabelCommun->setText(sessions.empty() ? QStringLiteral("Ajoutez les séances des élèves : avec le bouton, un "
                                                               "dossier entier, ou en les déposant sur la fenêtre.")
                                              : QStringLiteral("Aucune séance ne peut être analysée."));
        return;
    }
    QString pooled;
    if (analysis.ChosenUse >= 0) {
        const ResultRow& cell = analysis.Pooled.Cells[std::size_t(analysis.ChosenUse)];
        pooled = QStringLiteral("Estimation de la classe pour « %1 » : %2 points sur %3, f = %4")
                     .arg(cell.Use(), IntegerText(cell.Count()), IntegerText(analysis.Pooled.SampleSize),
                          FrequencyCell(cell));
        if (const QString interval = IntervalText(cell.Limits()); !interval.isEmpty())
            pooled += QStringLiteral(", intervalle à 95 % : %1").arg(interval);
        if (const std::optional<LandUseArea> area = analysis.PooledArea())
            pooled += QStringLiteral(", soit %1 (%2)").arg(area->Text(), area->IntervalText());
        pooled += QStringLiteral(".\n");
    }
    LabelCommun->setText(pooled + analysis.PoolingSentence);
}

// A bar per student with an interval, its estimate a dot; the pooled estimate and the reference
// share as lines across.
void TClasse::ShowIntervals()
{
    QChart* chart = ChartIntervalles->chart();
    ClearChart(chart);
    const int use = analysis.ChosenUse;
    if (use < 0 || analysis.Rows.empty()) {
        chart->setTitle(QStringLiteral("Intervalles à 95 % des élèves"));
        LabelContiennent->clear();
        return;
    }
    const PixelShare* truth = analysis.ReferenceShares.empty() || !analysis.ReferenceShares[std::size_t(use)]
                                  ? nullptr
                                  : &*analysis.ReferenceShares[std::size_t(use)];
    const ResultRow& pooledCell = analysis.Pooled.Cells[std::size_t(use)];
    double low = 1, high = 0;
    const auto widen = [&](double share) {
        low = std::min(low, share);
        high = std::max(high, share);
    };
    for (const ClassRow& row : analysis.Rows)
        if (const auto& limits = row.Cells[std::size_t(use)].Limits()) {
            widen(limits->Lower);
            widen(limits->Upper);
        }
    if (truth)
        widen(double(truth->Value()));
    if (low > high)
        widen(0), widen(1);
    const double margin = std::max(0.01, (high - low) * 0.05);
    QValueAxis* x = AddShareAxis(chart, QStringLiteral("Part de « %1 »").arg(analysis.Uses[std::size_t(use)]),
                                 std::max(0.0, low - margin), std::min(1.0, high + margin));
    const auto students = double(analysis.Rows.size());
    auto* y = new QCategoryAxis;
    y->setRange(0, students);
    y->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    chart->addAxis(y, Qt::AlignLeft);

    // A category ends where the next begins, from the bottom up; two students of the same name
    // are numbered, an axis's labels being its categories' keys.
    y->setStartValue(0);
    for (std::size_t at = analysis.Rows.size(); at-- > 0;) {
        QString label = analysis.Rows[at].Name;
        for (int copy = 2; y->categoriesLabels().contains(label); ++copy)
            label = QStringLiteral("%1 (%2)").arg(analysis.Rows[at].Name).arg(copy);
        y->append(label, students - double(at));
    }

    auto* estimates = new QScatterSeries;
    estimates->setName(QStringLiteral("Estimation de l'élève"));
    estimates->setMarkerSize(7);
    estimates->setColor(Qt::black);
    for (std::size_t at = 0; at < analysis.Rows.size(); ++at) {
        const ClassRow& row = analysis.Rows[at];
        // Bottom to top in the table's order, read from the top as the table is.
        const double level = students - double(at) - 0.5;
        const ResultRow& cell = row.Cells[std::size_t(use)];
        if (!cell.Limits())
            continue;
        const auto hold = std::find_if(analysis.Holds.begin(), analysis.Holds.end(),
                                       [&](const IntervalHold& each) { return each.Session == row.Session; });
        const QColor colour = hold == analysis.Holds.end() ? QColor(40, 80, 200) : hold->Holds ? ClassColours::Agreeing : ClassColours::Disagreeing;
        QLineSeries* bar = Segment({cell.Limits()->Lower, level}, {cell.Limits()->Upper, level}, QPen(colour, 3));
        Attach(chart, bar, x, y);
        HideFromLegend(chart, bar);
        estimates->append(double(cell.Frequency()), level);
    }
    Attach(chart, estimates, x, y);
    if (pooledCell.HasFrequency() && analysis.Pooled.SampleSize > 0) {
        const double pooled = double(pooledCell.Frequency());
        QLineSeries* line = Segment({pooled, 0}, {pooled, students}, QPen(QColor(40, 80, 200), 1.5, Qt::DashLine));
        line->setName(QStringLiteral("Estimation de la classe : %1").arg(FixedText(pooled, 3)));
        Attach(chart, line, x, y);
    }
    if (truth) {
        const double share = double(truth->Value());
        QLineSeries* line = Segment({share, 0}, {share, students}, QPen(Qt::red, 2));
        line->setName(QStringLiteral("Part de référence : %1").arg(PercentText(truth->Chosen, truth->Total)));
        Attach(chart, line, x, y);
    }
    chart->setTitle(QStringLiteral("Intervalles à 95 % des élèves : « %1 »").arg(analysis.Uses[std::size_t(use)]));
    const QString holds = analysis.HoldsSentence();
    LabelContiennent->setText(!holds.isEmpty() ? holds
                              : analysis.ReferenceName
                                  ? QStringLiteral("La référence ne donne pas de part pour « %1 ».").arg(analysis.Uses[std::size_t(use)])
                                  : QStringLiteral("Choisissez une référence (onglet « Référence ») pour voir quels "
                                                   "intervalles contiennent sa part."));
}

// Each name found with the name it counts under; the second column is the teacher's to type.
void TClasse::ShowNames()
{
    const QSignalBlocker quiet(TableNoms);
    TableNoms->setRowCount(int(analysis.FoundNames.size()));
    for (std::size_t row = 0; row < analysis.FoundNames.size(); ++row) {
        const auto& [found, use] = analysis.FoundNames[row];
        auto* foundItem = new QTableWidgetItem(found);
        foundItem->setFlags(foundItem->flags() & ~Qt::ItemIsEditable);
        TableNoms->setItem(int(row), 0, foundItem);
        TableNoms->setItem(int(row), 1, new QTableWidgetItem(analysis.Uses[std::size_t(use)]));
    }
}

void TClasse::TableNomsChanged(int row, int column)
{
    if (column != 1 || row < 0 || row >= int(analysis.FoundNames.size()))
        return;
    const QString found = analysis.FoundNames[std::size_t(row)].first;
    merges.Merge(found, TableNoms->item(row, 1)->text().simplified());
    Analyse();
    if (classFile.isEmpty() || !classFileWritable)
        return;
    SaveClassMerges(classFile, merges);
}

QString TClasse::FolderToSaveIn() const
{
    return files.isEmpty() ? QDir::homePath() : FolderToSaveBeside(files.constFirst());
}

void TClasse::ButtExporterTableauClick()
{
    const std::optional<QString> fileName =
        AskFileToSave(this, QStringLiteral("Exporter le tableau de la classe"),
                      QDir(FolderToSaveIn()).filePath(QStringLiteral("classe.csv")), QStringLiteral("Tableur CSV (*.csv)"),
                      QStringLiteral("csv"));
    if (fileName)
        SaveWholeFile(*fileName, SpreadsheetBytes(ClassTableCsv(analysis) + QStringLiteral("\r\n") + ClassSummaryCsv(analysis)));
}

void TClasse::ButtExporterMatriceClick()
{
    const ReferenceCheck* check = ChosenCheck();
    if (!check)
        throw EInvalidOperation(QStringLiteral("Choisissez une référence et un élève : il n'y a pas de matrice à exporter."));
    const std::optional<QString> fileName = AskFileToSave(
        this, QStringLiteral("Exporter la matrice de confusion"),
        QDir(FolderToSaveIn()).filePath(QStringLiteral("matrice-%1.csv").arg(sessions[std::size_t(check->Session)].Name)),
        QStringLiteral("Tableur CSV (*.csv)"), QStringLiteral("csv"));
    if (fileName)
        SaveWholeFile(*fileName, SpreadsheetBytes(ConfusionCsv(analysis, *check)));
}

void TClasse::SaveWidgetPicture(QWidget* widget, const QString& title, const QString& proposed)
{
    if (const std::optional<QString> fileName = AskFileToSave(this, title, QDir(FolderToSaveIn()).filePath(proposed),
                                                              QStringLiteral("Image PNG (*.png)"), QStringLiteral("png")))
        SaveWholeFile(*fileName, PngBytes(widget->grab().toImage()));
}

void TClasse::ButtExporterGraphiqueClick()
{
    SaveWidgetPicture(ChartIntervalles, QStringLiteral("Exporter le graphique des intervalles"),
                      QStringLiteral("intervalles.png"));
}

void TClasse::ButtExporterCarteClick()
{
    SaveWidgetPicture(MapReference, QStringLiteral("Exporter la carte des désaccords"), QStringLiteral("desaccords.png"));
}

void TClasse::ButtExporterAccordClick()
{
    SaveWidgetPicture(MapAccord, QStringLiteral("Exporter la carte de l'accord"), QStringLiteral("accord.png"));
}
