// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The class window's checks: a student against the reference in a confusion matrix with the points
// they part on, and the students who classified the same points against one another.

#include "windows/Classe.h"

#include "core/ClassCsv.h"
#include "core/Numbers.h"
#include "ui/MarkedMap.h"
#include "ui/TextGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

// How many disputed points the list offers: more than a class can discuss in one sitting.
constexpr int DisputedShown = 50;

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
            marks.push_back({mark.Place, reference && reference->ClassAt(mark.Place) ? ClassColours::Agreeing : QColor(Qt::gray), false, {}});
    for (const DisagreedPoint& point : check->Disagreements) {
        const QString said = QStringLiteral("%1 : élève « %2 », référence « %3 »")
                                 .arg(PlaceText(point.Place), analysis.Uses[std::size_t(point.Student)],
                                      analysis.Uses[std::size_t(point.Reference)]);
        new QListWidgetItem(said, ListDesaccords);
        for (MapMark& mark : marks)
            if (mark.Place == point.Place)
                mark = {point.Place, ClassColours::Disagreeing, true, said};
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
        const QColor colour = point.Top == point.Raters ? ClassColours::Agreeing : point.TopUse >= 0 ? ClassColours::Majority : ClassColours::Disagreeing;
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

