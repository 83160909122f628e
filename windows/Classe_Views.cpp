// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The class window's views, each drawn from the analysis core made: the class table and the
// pooled estimate, the students' intervals, the check against the reference, the agreement on
// shared points, the names merged; and their exports.

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

namespace {

// How many disputed points the list offers: more than a class can discuss in one sitting.
constexpr int DisputedShown = 50;

const QColor agreeing(0, 160, 0);
const QColor disagreeing(220, 0, 0);
const QColor majority(240, 150, 0);

QString PercentOf(const std::optional<long double>& share)
{
    return share ? FixedText(double(*share) * 100, 1) + QStringLiteral(" %") : QStringLiteral("—");
}

QString PlaceText(QPoint place)
{
    return QStringLiteral("(%1 ; %2)").arg(place.x()).arg(place.y());
}

// The land use of the table the session gave the point at `place`; empty where it gave none.
QString AnswerAt(const ClassSession& session, QPoint place, const ClassAnalysis& analysis)
{
    for (const SurveyMark& mark : session.Tally.Marks()) {
        if (mark.What != SurveyMark::Kind::CountedPoint || mark.Place != place)
            continue;
        const QString& found = session.Tally.LandUse(mark.LandUse).Name;
        for (const auto& [name, use] : analysis.FoundNames)
            if (name == found)
                return analysis.Uses[std::size_t(use)];
    }
    return {};
}

}  // namespace

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
            GridClasse->SetCellHint(4 + 2 * int(cell), gridRow, IntervalHint(row.Cells[cell].Limits()));
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
        const QColor colour = hold == analysis.Holds.end() ? QColor(40, 80, 200) : hold->Holds ? agreeing : disagreeing;
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

const ReferenceCheck* TClasse::ChosenCheck() const
{
    const int session = ComboEleve->currentData().isValid() ? ComboEleve->currentData().toInt() : -1;
    for (const ReferenceCheck& check : analysis.Checks)
        if (check.Session == session)
            return &check;
    return nullptr;
}

void TClasse::ComboEleveChange()
{
    ShowCheck();
    ButtExporterMatrice->setEnabled(ChosenCheck() != nullptr);
    ButtExporterCarte->setEnabled(ChosenCheck() != nullptr);
}

// The student chosen against the reference: the matrix cut to the land uses met, each cell its
// points with its row's and column's shares; the disagreements listed and circled on the map.
void TClasse::ShowCheck()
{
    {
        const QVariant kept = ComboEleve->currentData();
        const QSignalBlocker quiet(ComboEleve);
        ComboEleve->clear();
        for (const ReferenceCheck& check : analysis.Checks)
            ComboEleve->addItem(sessions[std::size_t(check.Session)].Name, check.Session);
        ComboEleve->setCurrentIndex(std::max(0, ComboEleve->findData(kept)));
    }
    ListDesaccords->clear();
    MapReference->SetMap(mapImage);
    const ReferenceCheck* check = ChosenCheck();
    if (!check) {
        GridConfusion->SetColCount(2);
        GridConfusion->SetRowCount(2);
        GridConfusion->SetCell(0, 0, QString());
        GridConfusion->SetCell(1, 0, QString());
        GridConfusion->SetCell(0, 1, QString());
        GridConfusion->SetCell(1, 1, QString());
        MapReference->SetMarks({});
        LabelAccordReference->setText(!analysis.ReferenceName ? QStringLiteral("Choisissez une référence.")
                                                              : QStringLiteral("Aucun élève n'a de point que la référence classe."));
        return;
    }
    const std::vector<int> uses = CheckedUses(*check);
    const int size = int(uses.size());
    GridConfusion->SetColCount(size + 1);
    GridConfusion->SetRowCount(size + 1);
    GridConfusion->SetCell(0, 0, QStringLiteral("Élève \\ réf."));
    GridConfusion->SetCellHint(0, 0, QStringLiteral("Chaque case : points, part de la ligne ; part de la colonne"));
    for (int at = 0; at < size; ++at) {
        const QString& name = analysis.Uses[std::size_t(uses[std::size_t(at)])];
        GridConfusion->SetCell(at + 1, 0, name);
        GridConfusion->SetCell(0, at + 1, name);
    }
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column) {
            const int student = uses[std::size_t(row)], truth = uses[std::size_t(column)];
            GridConfusion->SetCell(column + 1, row + 1,
                                   QStringLiteral("%1 (%2 ; %3)")
                                       .arg(IntegerText(check->Counts[std::size_t(student)][std::size_t(truth)]),
                                            PercentOf(check->RowShare(student, truth)),
                                            PercentOf(check->ColumnShare(student, truth))));
            GridConfusion->SetCellHint(column + 1, row + 1,
                                       QStringLiteral("Classés « %1 » par l'élève, « %2 » par la référence : %3 de la "
                                                      "ligne, %4 de la colonne")
                                           .arg(analysis.Uses[std::size_t(student)], analysis.Uses[std::size_t(truth)],
                                                PercentOf(check->RowShare(student, truth)),
                                                PercentOf(check->ColumnShare(student, truth))));
        }
    LabelAccordReference->setText(QStringLiteral("Accord avec %1 : %2 points sur %3, soit %4.")
                                      .arg(*analysis.ReferenceName, IntegerText(check->Agreeing), IntegerText(check->Checked),
                                           PercentOf(check->Agreement())));

    std::vector<MapMark> marks;
    const ClassSession& session = sessions[std::size_t(check->Session)];
    // A point the reference does not classify is not checked: grey, neither right nor wrong.
    for (const SurveyMark& mark : session.Tally.Marks())
        if (mark.What == SurveyMark::Kind::CountedPoint)
            marks.push_back({mark.Place, reference && reference->ClassAt(mark.Place) ? agreeing : QColor(Qt::gray), false, {}});
    for (const DisagreedPoint& point : check->Disagreements) {
        const QString said = QStringLiteral("%1 : élève « %2 », référence « %3 »")
                                 .arg(PlaceText(point.Place), analysis.Uses[std::size_t(point.Student)],
                                      analysis.Uses[std::size_t(point.Reference)]);
        new QListWidgetItem(said, ListDesaccords);
        for (MapMark& mark : marks)
            if (mark.Place == point.Place)
                mark = {point.Place, disagreeing, true, said};
    }
    MapReference->SetMarks(std::move(marks));
}

// Fleiss' kappa of the largest group who classified the same points, their most disputed points,
// and the map of those points coloured by how far they agree.
void TClasse::ShowAgreement()
{
    ListDisputes->clear();
    LabelVotes->clear();
    MapAccord->SetMap(mapImage);
    if (!analysis.Agreement) {
        LabelKappa->setText(QStringLiteral("Aucun élève n'a classé les mêmes points qu'un autre : l'accord se mesure "
                                           "entre élèves qui partagent la graine de leurs points."));
        MapAccord->SetMarks({});
        return;
    }
    const ClassAgreement& agreement = *analysis.Agreement;
    QString kappa = QStringLiteral("%1 élèves ont classé les mêmes points ; %2 points classés par tous.")
                        .arg(IntegerText(int64_t(agreement.Sessions.size())), IntegerText(agreement.PointsRatedByAll));
    kappa += agreement.Kappa ? QStringLiteral(" Kappa de Fleiss\u00a0: %1.").arg(FixedText(double(*agreement.Kappa), 3))
                             : QStringLiteral(" Le kappa de Fleiss n'a pas de valeur ici : il faut des points classés "
                                              "par tous et au moins deux noms donnés.");
    LabelKappa->setText(kappa);
    for (const PointAgreement& point : agreement.MostDisputed(DisputedShown)) {
        auto* item = new QListWidgetItem(QStringLiteral("%1 : %2 sur %3 d'accord")
                                             .arg(PlaceText(point.Place), IntegerText(point.Top), IntegerText(point.Raters)),
                                         ListDisputes);
        item->setData(Qt::UserRole, point.Place);
    }
    std::vector<MapMark> marks;
    for (const PointAgreement& point : agreement.Points) {
        const QColor colour = point.Top == point.Raters ? agreeing : point.TopUse >= 0 ? majority : disagreeing;
        marks.push_back({point.Place, colour, false,
                         QStringLiteral("%1 : %2 sur %3 d'accord")
                             .arg(PlaceText(point.Place), IntegerText(point.Top), IntegerText(point.Raters))});
    }
    MapAccord->SetMarks(std::move(marks));
}

void TClasse::ListDisputesChange()
{
    const QListWidgetItem* item = ListDisputes->currentItem();
    if (!item || !analysis.Agreement)
        return;
    const QPoint place = item->data(Qt::UserRole).toPoint();
    QStringList said{QStringLiteral("Au point %1 :").arg(PlaceText(place))};
    for (int session : analysis.Agreement->Sessions) {
        const QString answer = AnswerAt(sessions[std::size_t(session)], place, analysis);
        said << QStringLiteral("%1 : %2").arg(sessions[std::size_t(session)].Name,
                                              answer.isEmpty() ? QStringLiteral("(non classé)") : QStringLiteral("« %1 »").arg(answer));
    }
    LabelVotes->setText(said.join(QLatin1Char('\n')));
    std::vector<MapMark> marks = MapAccord->Marks();
    for (MapMark& mark : marks)
        mark.Circled = mark.Place == place;
    MapAccord->SetMarks(std::move(marks));
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
