// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The results window: the table it fills from the survey tally at each showing, what it shows
// when the sample size is missing, the look of its grid, copying, the interval hints and the
// export to a spreadsheet file.

#include "Files.h"
#include "MapWindow.h"
#include "Program.h"
#include "SurveyScript.h"
#include "FileDialog.h"

#include "core/Numbers.h"
#include "core/Results.h"
#include "core/ResultsCsv.h"
#include "core/SurveyTally.h"
#include "ui/TextGrid.h"
#include "ui/WindowFrame.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"
#include "windows/TabResultats.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

struct Use {
    QString Name;
    int Count;
};
Q_DECLARE_METATYPE(Use)

namespace {

void SetSurvey(int sampleSize, const QList<Use>& uses, int pointsProbed)
{
    SurveyTally.SampleSize = sampleSize;
    SurveyTally.LandUseCount = int(uses.size());
    for (int i = 0; i < uses.size(); ++i) {
        SurveyTally.SetLandUseName(i + 1, uses[i].Name);
        SurveyTally.LandUse(i + 1).Count = uses[i].Count;
    }
    SurveyTally.PointsProbed = pointsProbed;
}

// What the main window's results button does.
void PressResults()
{
    QTest::mouseClick(Page_1->Button1, Qt::LeftButton);
    ProcessEvents();
}

void CloseResults()
{
    QTest::mouseClick(TabRes->BitBtn1, Qt::LeftButton);
    ProcessEvents();
}

// The rows the grid shows, each as its cells joined by '|'.
QStringList ShownRows()
{
    QStringList rows;
    for (int row = 0; row < TabRes->GridResults->RowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < TabRes->GridResults->ColCount(); ++column)
            cells << TabRes->GridResults->Cell(column, row);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList Table(std::initializer_list<const char*> rows)
{
    QStringList table{QStringLiteral("Usages|Nombre|Fréquence")};
    for (const char* row : rows)
        table << QString::fromUtf8(row);
    return table;
}

// The middle of a cell, in the coordinates of the grid's viewport (body cells only).
QPoint BodyCellCentre(int column, int row)
{
    const TTextGrid* grid = TabRes->GridResults;
    return grid->visualRect(grid->model()->index(row - 1, column - 1)).center();
}

bool IsDark(QRgb pixel)
{
    return qGray(pixel) < 100;
}

}  // namespace

class ResultsTest : public ProgramTest {
    Q_OBJECT
private slots:
    void init()
    {
        ProgramTest::init();
        SetDecimalSeparator(QLatin1Char(','));
    }

    void fillsTheTableFromTheTally_data()
    {
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<QList<Use>>("uses");
        QTest::addColumn<int>("pointsProbed");
        QTest::addColumn<QStringList>("table");

        QTest::newRow("no land use") << 10 << QList<Use>{} << 0
                                     << Table({"Autres|10|1", "Total|0|"});
        QTest::newRow("one use, 3 of 10")
            << 10 << QList<Use>{{"Espaces verts", 3}} << 3
            << Table({"Espaces verts|3|0,3", "Autres|7|0,7", "Total|3|"});
        QTest::newRow("12 of 17 in extended precision")
            << 17 << QList<Use>{{"Bâti", 12}} << 12
            << Table({"Bâti|12|0,705882352941176", "Autres|5|0,294117647058824", "Total|12|"});
        QTest::newRow("more than 255 points")
            << 300 << QList<Use>{{"Rues", 45}, {"Parkings", 55}} << 100
            << Table({"Rues|45|0,15", "Parkings|55|0,183333333333333",
                      "Autres|200|0,666666666666667", "Total|100|"});
        QTest::newRow("over-count stays visible")
            << 10 << QList<Use>{{"Rues", 12}} << 12
            << Table({"Rues|12|1,2", "Autres|-2|-0,2", "Total|12|"});
        QTest::newRow("use begun but never counted")
            << 4 << QList<Use>{{"Vignes", 0}} << 0
            << Table({"Vignes|0|0", "Autres|4|1", "Total|0|"});
        QTest::newRow("negative sample size")
            << -5 << QList<Use>{} << 0 << Table({"Autres|-5|1", "Total|0|"});
        QTest::newRow("difference beyond 32 bits")
            << int(-2147483648ll) << QList<Use>{} << 10
            << Table({"Autres|-2147483658|1,00000000465661", "Total|10|"});
    }
    void fillsTheTableFromTheTally()
    {
        QFETCH(int, sampleSize);
        QFETCH(QList<Use>, uses);
        QFETCH(int, pointsProbed);
        QFETCH(QStringList, table);
        SetSurvey(sampleSize, uses, pointsProbed);
        PressResults();
        QVERIFY(TabRes->isVisible());
        QCOMPARE(boxes->Errors, QStringList());
        QCOMPARE(ShownRows(), table);
    }

    // With a scale, a column of areas beside the shares, the window widened for it, its interval
    // as the hint; taken away, the window as it was.
    void areasBesideTheSharesWithAScale()
    {
        SetSurvey(10, {{"Rues", 3}}, 3);
        SurveyTally.MapWidth = 600;
        SurveyTally.MapHeight = 450;
        SurveyTally.Scale = MeasuredScale(600, 1200);
        PressResults();
        const QString comma(DecimalSeparator());
        QCOMPARE(ShownRows(), QStringList({"Usages|Nombre|Fréquence|Aire", "Rues|3|0" + comma + "3|32" + comma + "40 ha",
                                           "Autres|7|0" + comma + "7|75" + comma + "60 ha", "Total|3||"}));
        QCOMPARE(TabRes->GridResults->CellHint(3, 1),
                 AreaOf(ResultRows(SurveyTally)[0], SurveyTally)->Hint());
        QVERIFY(TabRes->GridResults->geometry().right() < TabRes->width());
        const int wide = TabRes->width();
        CloseResults();
        SurveyTally.Scale.reset();
        PressResults();
        QCOMPARE(TabRes->GridResults->ColCount(), 3);
        QCOMPARE(TabRes->width(), wide - TTextGrid::ColumnWidth);
        QCOMPARE(boxes->Errors, QStringList());
    }

    void fiftyCharacterNameIsKeptWholeAndClipped()
    {
        const QString name(50, QLatin1Char('W'));
        SetSurvey(10, {{"Rues", 1}, {name, 1}}, 2);
        PressResults();
        QCOMPARE(TabRes->GridResults->Cell(0, 2), name);
        // The text stops at its cell: the fixed column's black line, then blank window colour.
        const QImage grid = Grab(TabRes->GridResults);
        const int edge = TabRes->GridResults->frameWidth();
        const int rowMiddle = edge + 24 + 1 + 19 + 1 + 12;
        QCOMPARE(QColor(grid.pixel(edge + 93, rowMiddle)), QColor(Qt::black));
        for (int x = edge + 94; x < edge + 94 + 10; ++x)
            QVERIFY2(!IsDark(grid.pixel(x, rowMiddle)), qPrintable(QString::number(x)));
    }

    void twentyUsesScrollUnderTheFixedRow()
    {
        QList<Use> uses;
        for (int i = 1; i <= 20; ++i)
            uses << Use{QStringLiteral("Usage %1").arg(i), 1};
        SetSurvey(40, uses, 20);
        PressResults();
        TTextGrid* grid = TabRes->GridResults;
        QCOMPARE(grid->RowCount(), 23);
        QCOMPARE(grid->Cell(0, 21), QStringLiteral("Autres"));
        QCOMPARE(grid->Cell(0, 22), QStringLiteral("Total"));
        QVERIFY(grid->verticalScrollBar()->isVisible());

        const QImage before = Grab(grid);
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        ProcessEvents();
        const QImage after = Grab(grid);
        // The fixed row, left of the scroll bar, has not moved; the cells under it have.
        const QRect fixedRow(0, 0, grid->viewport()->geometry().right(),
                             grid->horizontalHeader()->height());
        QCOMPARE(after.copy(fixedRow), before.copy(fixedRow));
        const QRect firstRows = fixedRow.translated(0, fixedRow.height());
        QVERIFY(after.copy(firstRows) != before.copy(firstRows));
        // The last row has come into view.
        QVERIFY(grid->viewport()->rect().contains(BodyCellCentre(1, 22)));
    }

    void rowsAreNineteenThenTwentyFourPixelsHigh()
    {
        SetSurvey(10, {{"Rues", 2}, {"Jardins", 3}}, 5);
        PressResults();
        TTextGrid* grid = TabRes->GridResults;
        QCOMPARE(grid->RowHeight(0), 24);
        QCOMPARE(grid->RowHeight(1), 19);
        for (int row = 2; row < grid->RowCount(); ++row)
            QCOMPARE(grid->RowHeight(row), 24);

        // Lines follow each cell: black in the fixed column, silver between the other cells.
        const QImage image = Grab(grid);
        const int edge = grid->frameWidth();
        QList<int> blackRows;
        for (int y = edge; y < edge + 120; ++y)
            if (QColor(image.pixel(edge + 90, y)) == QColor(Qt::black))
                blackRows << y - edge;
        QCOMPARE(blackRows, (QList<int>{24, 44, 69, 94, 119}));
        QCOMPARE(QColor(image.pixel(edge + 94 + 90, edge + 69)), QColor(192, 192, 192));
        QCOMPARE(QColor(image.pixel(edge + 94 + 93, edge + 60)), QColor(192, 192, 192));
        QCOMPARE(QColor(image.pixel(edge + 93, edge + 60)), QColor(Qt::black));
        // Button face for the fixed cells, window colour for the others.
        QCOMPARE(QColor(image.pixel(edge + 88, edge + 12)),
                 grid->palette().color(QPalette::Button));
        QCOMPARE(QColor(image.pixel(edge + 94 + 88, edge + 60)),
                 grid->palette().color(QPalette::Base));
    }

    void textStandsTwoPixelsIn()
    {
        SetSurvey(10, {}, 0);
        PressResults();
        const QImage image = Grab(TabRes->GridResults);
        const int edge = TabRes->GridResults->frameWidth();
        // "Nombre" in the fixed row, from the cell's inner corner (94, 0).
        int left = 1000, top = 1000;
        for (int y = edge + 1; y < edge + 23; ++y)
            for (int x = edge + 94 + 1; x < edge + 94 + 92; ++x)
                if (IsDark(image.pixel(x, y))) {
                    left = std::min(left, x - edge - 94);
                    top = std::min(top, y - edge);
                }
        QVERIFY2(left >= 2 && left <= 4, qPrintable(QString::number(left)));
        QVERIFY2(top >= 2 && top <= 6, qPrintable(QString::number(top)));
    }

    void laterShowingWithFewerRowsLeavesNoStaleText()
    {
        SetSurvey(20, {{"Rues", 2}, {"Jardins", 3}, {"Bâti", 4}}, 9);
        PressResults();
        CloseResults();
        QVERIFY(TabRes->isHidden());
        SetSurvey(20, {{"Parcs", 5}}, 5);
        PressResults();
        QCOMPARE(ShownRows(), Table({"Parcs|5|0,25", "Autres|15|0,75", "Total|5|"}));
        QCOMPARE(TabRes->GridResults->model()->rowCount(), 3);
    }

    void resultsButtonWhileOpenDoesNotRefresh()
    {
        SetSurvey(10, {{"Rues", 3}}, 3);
        PressResults();
        const QStringList first = ShownRows();
        SetSurvey(10, {{"Rues", 4}, {"Parcs", 1}}, 5);
        PressResults();
        QVERIFY(TabRes->isVisible());
        QCOMPARE(ShownRows(), first);
    }

    void missingSampleSizeStopsAtTheFirstDivision_data()
    {
        QTest::addColumn<QList<Use>>("uses");
        QTest::addColumn<int>("pointsProbed");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("table");
        QTest::newRow("no land use: 0 ÷ 0")
            << QList<Use>{} << 0 << "Opération en virgule flottante incorrecte."
            << Table({"Autres|0|", "Total|0|"});
        QTest::newRow("count 5: 5 ÷ 0")
            << QList<Use>{{"Rues", 5}} << 5 << "Division par zéro en virgule flottante."
            << Table({"Rues|5|", "Autres||", "Total|5|"});
    }
    void missingSampleSizeStopsAtTheFirstDivision()
    {
        QFETCH(QList<Use>, uses);
        QFETCH(int, pointsProbed);
        QFETCH(QString, error);
        QFETCH(QStringList, table);
        SetSurvey(0, uses, pointsProbed);
        PressResults();
        QCOMPARE(boxes->Errors, QStringList{error});
        QVERIFY(TabRes->isVisible());
        QCOMPARE(ShownRows(), table);
        QCOMPARE(SurveyTally.SampleSize, 0);
    }

    void landUseCountBeyondTheTableStopsAtTwenty()
    {
        SetSurvey(40, {}, 0);
        SurveyTally.LandUseCount = 25;
        PressResults();
        QCOMPARE(TabRes->GridResults->RowCount(), 23);
        QCOMPARE(TabRes->GridResults->Cell(0, 21), QStringLiteral("Autres"));
    }

    void fixedCellsCannotBeSelected()
    {
        SetSurvey(10, {{"Rues", 3}}, 3);
        PressResults();
        TTextGrid* grid = TabRes->GridResults;
        grid->selectAll();
        QCOMPARE(grid->SelectionText(),
                 QStringLiteral("Usages\tNombre\tFréquence\nRues\t3\t0,3\nAutres\t7\t0,7\nTotal\t3\t\n"));
        grid->clearSelection();
        QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
        QTest::mouseClick(grid->verticalHeader()->viewport(), Qt::LeftButton, {}, QPoint(40, 10));
        QVERIFY(grid->selectionModel()->selectedIndexes().isEmpty());
    }

    void copiesTheSelectedCellsAsTabSeparatedLines_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("Ctrl+C") << false;
        QTest::newRow("context menu") << true;
    }
    void copiesTheSelectedCellsAsTabSeparatedLines()
    {
        QFETCH(bool, byMenu);
        SetSurvey(10, {{"Rues", 3}}, 3);
        PressResults();
        TTextGrid* grid = TabRes->GridResults;
        QVERIFY(QTest::qWaitForWindowActive(TabRes));
        grid->setFocus();
        QApplication::clipboard()->clear();
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(0, 0), grid->model()->index(1, 1)),
            QItemSelectionModel::ClearAndSelect);
        if (byMenu) {
            QCOMPARE(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
            QCOMPARE(grid->actions(), QList<QAction*>{grid->CopyAction});
            QCOMPARE(grid->CopyAction->text(), QStringLiteral("Copier"));
            grid->CopyAction->trigger();
        } else {
            QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        }
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("Usages\tNombre\tFréquence\nRues\t3\t0,3\nAutres\t7\t0,7\n"));
    }

    void copiedRowsKeepTheirNames_data()
    {
        QTest::addColumn<QRect>("cells");  // body cells, model coordinates: x column, y row
        QTest::addColumn<QString>("copied");
        QTest::newRow("first row") << QRect(0, 0, 2, 1) << "Usages\tNombre\tFréquence\nRues\t3\t0,3\n";
        QTest::newRow("a later row") << QRect(0, 2, 2, 1) << "Parcs\t1\t0,1\n";
        QTest::newRow("one column from the first row")
            << QRect(1, 0, 1, 2) << "Usages\tFréquence\nRues\t0,3\nJardins\t0\n";
        QTest::newRow("counts below the first row") << QRect(0, 3, 1, 2) << "Autres\t6\nTotal\t4\n";
        QTest::newRow("one cell") << QRect(1, 2, 1, 1) << "Parcs\t0,1\n";
    }
    void copiedRowsKeepTheirNames()
    {
        QFETCH(QRect, cells);
        QFETCH(QString, copied);
        SetSurvey(10, {{"Rues", 3}, {"Jardins", 0}, {"Parcs", 1}}, 4);
        PressResults();
        TTextGrid* grid = TabRes->GridResults;
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(cells.top(), cells.left()),
                           grid->model()->index(cells.bottom(), cells.right())),
            QItemSelectionModel::ClearAndSelect);
        QCOMPARE(grid->SelectionText(), copied);
    }

    // Names are what users typed: copied, each stays one cell and none becomes a formula, as
    // in the CSV export.
    void copiedNamesStayWholeAndInert_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("copied");
        QTest::newRow("a tab") << "Rues\tplaces" << "\"Rues\tplaces\"\t3\n";
        QTest::newRow("a line break") << "Rues\nplaces" << "\"Rues\nplaces\"\t3\n";
        QTest::newRow("a quote") << "Rue \"haute\"" << "\"Rue \"\"haute\"\"\"\t3\n";
        QTest::newRow("a formula") << "=1+1" << "'=1+1\t3\n";
        QTest::newRow("a plus") << "+33" << "'+33\t3\n";
        QTest::newRow("a minus") << "-bois" << "'-bois\t3\n";
        QTest::newRow("an at sign") << "@A1" << "'@A1\t3\n";
        QTest::newRow("plain") << "Rues" << "Rues\t3\n";
    }
    void copiedNamesStayWholeAndInert()
    {
        QFETCH(QString, name);
        QFETCH(QString, copied);
        SetSurvey(10, {{name, 3}}, 3);
        PressResults();
        TTextGrid* grid = TabRes->GridResults;
        grid->selectionModel()->select(grid->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
        QCOMPARE(grid->SelectionText(), "Usages\tNombre\n" + copied);
    }

    // While shown, the table follows the survey: a count on the map, and its undo, show at once.
    void followsTheSurveyWhileShown()
    {
        QTemporaryDir dir;
        OpenMap(WriteMap(dir.filePath("carte.bmp"), 640, 480), "4");
        Click(Form2->BtnCalcul);
        PressResults();
        Form2->EdLandUse->setText("bois");
        Click(Form2->ButtSonder);
        PressOnMap(SamplePointOnWindow(0));
        QCOMPARE(ShownRows(), Table({"bois|1|0,25", "Autres|3|0,75", "Total|1|"}));
        Click(Form2->ButtAnnuler);
        QCOMPARE(ShownRows(), Table({"bois|0|0", "Autres|4|1", "Total|0|"}));
    }

    void tabMovesAlongTheWindow_data()
    {
        QTest::addColumn<bool>("backwards");
        QTest::newRow("Tab") << false;
        QTest::newRow("Shift+Tab") << true;
    }
    void tabMovesAlongTheWindow()
    {
        QFETCH(bool, backwards);
        SetSurvey(10, {{"Rues", 3}}, 3);
        PressResults();
        QVERIFY(QTest::qWaitForWindowActive(TabRes));
        TTextGrid* grid = TabRes->GridResults;
        QCOMPARE(QApplication::focusWidget(), grid);
        const Qt::Key key = backwards ? Qt::Key_Backtab : Qt::Key_Tab;
        const Qt::KeyboardModifiers modifiers = backwards ? Qt::ShiftModifier : Qt::NoModifier;
        // Left to right along the bottom: "Exporter…" then "Fermer".
        const QList<QWidget*> chain = backwards ? QList<QWidget*>{TabRes->BitBtn1, TabRes->BtnExporter, grid}
                                                : QList<QWidget*>{TabRes->BtnExporter, TabRes->BitBtn1, grid};
        for (QWidget* next : chain) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 0));
        QVERIFY(TabRes->isVisible());
    }

    void letterFClosesWhileTheGridHasTheFocus_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("F alone") << Qt::KeyboardModifiers();
        QTest::newRow("Shift+F") << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Alt+F") << Qt::KeyboardModifiers(Qt::AltModifier);
    }
    void letterFClosesWhileTheGridHasTheFocus()
    {
        QFETCH(Qt::KeyboardModifiers, modifiers);
        SetSurvey(10, {}, 0);
        PressResults();
        QVERIFY(QTest::qWaitForWindowActive(TabRes));
        QCOMPARE(QApplication::focusWidget(), TabRes->GridResults);
        QTest::keyClick(TabRes->GridResults, Qt::Key_F, modifiers);
        QTRY_VERIFY(TabRes->isHidden());  // a mnemonic presses its button after a short flash
        QVERIFY(Page_1->isVisible());
    }

    void otherLettersLeaveTheCurrentCell()
    {
        SetSurvey(10, {{"Rues", 3}}, 3);
        PressResults();
        QVERIFY(QTest::qWaitForWindowActive(TabRes));
        TTextGrid* grid = TabRes->GridResults;
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 0));
        QTest::keyClicks(grid, QStringLiteral("7"));
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 0));
        QVERIFY(TabRes->isVisible());
    }

    void frequencyHintGivesTheExactInterval()
    {
        SetSurvey(10, {{"Espaces verts", 3}, {"Rues", 12}}, 15);
        PressResults();
        TTextGrid* grid = TabRes->GridResults;
        QCOMPARE(grid->CellHint(2, 1), QStringLiteral("Intervalle de confiance à 95 % : 6,6 % à 65,3 %"));
        QCOMPARE(grid->CellHint(2, 2), QString());  // 12 out of 10 has no interval
        QCOMPARE(grid->CellHint(2, 3), QString());  // nor has a negative "Autres"

        const QPoint where = BodyCellCentre(2, 1);
        QHelpEvent help(QEvent::ToolTip, where, grid->viewport()->mapToGlobal(where));
        QApplication::sendEvent(grid->viewport(), &help);
        QCOMPARE(QToolTip::text(), grid->CellHint(2, 1));
        QToolTip::hideText();
    }

    // Points laid by blocks: the grid gives the design's estimate under "Estimation", names the
    // design under it, and explains the estimate in the hint; the next survey at random shows as
    // it always did.
    void aDesignedSurveyShowsTheDesignsEstimate()
    {
        LayTwoGroups(SurveyTally, DesignKind::Stratified);
        SurveyTally.BeginLandUse(QStringLiteral("eau"));
        SurveyTally.CountPoint(0);  // a quarter of the first block, none of the second: p = 1/8
        PressResults();
        QCOMPARE(ShownRows().mid(0, 2), QStringList({"Usages|Nombre|Estimation", "eau|1|0,125"}));
        QCOMPARE(TabRes->LabelPlan->text(), QStringLiteral("Plan : stratifié par 2 blocs"));
        QCOMPARE(TabRes->GridResults->CellHint(2, 1), ResultHint(ResultRows(SurveyTally).front(), SurveyTally.Design));
        CloseResults();
        SurveyTally.BeginSurvey();
        SetSurvey(10, {{"Rues", 3}}, 3);
        PressResults();
        QCOMPARE(ShownRows().front(), QStringLiteral("Usages|Nombre|Fréquence"));
        QCOMPARE(TabRes->LabelPlan->text(), QString());
    }

    void hintFollowsItsCellAcrossShowings()
    {
        SetSurvey(10, {{"Rues", 3}, {"Parcs", 2}}, 5);
        PressResults();
        CloseResults();
        SetSurvey(10, {}, 0);
        PressResults();
        // Row 2 was a land use; now it is "Total", whose blank frequency has nothing to explain.
        QCOMPARE(TabRes->GridResults->Cell(2, 2), QString());
        QCOMPARE(TabRes->GridResults->CellHint(2, 2), QString());
        QCOMPARE(TabRes->GridResults->CellHint(2, 1),
                 QStringLiteral("Intervalle de confiance à 95 % : 69,1 % à 100,0 %"));
    }

    // Beside the map of the survey, the survey as it holds now rather than as the grid last
    // showed it, ".csv" added to a name typed without it; by the button or by Alt+E.
    void exportWritesTheSurveyAsItHoldsNow_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("button, name with its suffix") << false << "classe.csv" << "classe.csv";
        QTest::newRow("Alt+E, name without suffix") << true << "classe" << "classe.csv";
    }
    void exportWritesTheSurveyAsItHoldsNow()
    {
        QFETCH(bool, byKey);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString map = WriteMap(dir.filePath("ville.bmp"), 40, 30);
        goState = 4242;
        OpenMap(map, QStringLiteral("10"));
        Click(Form2->BtnCalcul);
        SetSurvey(10, {{"Rues", 3}}, 3);
        PressResults();
        QVERIFY(QTest::qWaitForWindowActive(TabRes));
        SetSurvey(10, {{"Rues", 4}, {"Parcs", 1}}, 5);

        const FileDialogOffer offer = ChooseFile(dir.filePath(typed), [&] {
            if (byKey)
                QTest::keyClick(TabRes->GridResults, Qt::Key_E, Qt::AltModifier);
            else
                Click(TabRes->BtnExporter);
        });
        QCOMPARE(boxes->Errors, QStringList());
        QCOMPARE(offer.Title, QStringLiteral("Exporter les résultats"));
        QCOMPARE(offer.Filters, QStringList{"Tableur CSV (*.csv)"});
        QCOMPARE(offer.File, dir.filePath("resultats.csv"));

        const QByteArray bytes = FileBytes(dir.filePath(written));
        const QList<QByteArray> lines = bytes.split('\n');
        QVERIFY(lines.size() > 10);
        QCOMPARE(lines[0], "\xEF\xBB\xBF" "Carte;" + QFile::encodeName(map) + "\r");
        QCOMPARE(lines[3], QByteArray("Graine;4242\r"));
        QCOMPARE(lines[7], QByteArray("Rues;4;0,4;0,121552258119827;0,737621923393055\r"));
        QCOMPARE(lines[8].left(12), QByteArray("Parcs;1;0,1;"));
        // The rest as the survey's CSV gives it at the moment written in the file.
        const QDateTime when = QDateTime::fromString(QString::fromUtf8(lines[1].mid(5).trimmed()),
                                                     QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY(when.isValid());
        QCOMPARE(bytes, ResultsCsv(SurveyTally, map, when));
    }

    // Before any map the dialog offers the home folder; a name typed there into a folder that
    // does not exist fails, and the error box names the file and the system's reason.
    void exportIntoAMissingFolderSaysSo()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SetSurvey(10, {{"Rues", 3}}, 3);
        PressResults();
        const QString missingFolder = QFileInfo(dir.path()).fileName() + QStringLiteral("-absent");
        QVERIFY(!QDir::home().exists(missingFolder));
        const FileDialogOffer offer =
            ChooseFile(missingFolder + QStringLiteral("/resultats.csv"), [] { Click(TabRes->BtnExporter); });
        QCOMPARE(offer.File, QDir::home().filePath("resultats.csv"));

        const QString named = QDir::home().filePath(missingFolder + QStringLiteral("/resultats.csv"));
        QCOMPARE(boxes->Errors, QStringList{QStringLiteral("Impossible d'écrire le fichier \"%1\". Aucun fichier ou dossier.")
                                               .arg(named)});
        QVERIFY(!QDir::home().exists(missingFolder));
        QVERIFY(TabRes->isVisible());
    }

    void cellsOutsideTheCountsAreKeptUnseen()
    {
        TTextGrid* grid = TabRes->GridResults;
        grid->SetRowCount(3);
        grid->SetCell(1, 6, QStringLiteral("plus loin"));
        QCOMPARE(grid->model()->rowCount(), 2);
        grid->SetRowCount(8);
        QCOMPARE(grid->model()->index(5, 0).data().toString(), QStringLiteral("plus loin"));
        QCOMPARE(grid->RowHeight(1), 19);
        QCOMPARE(grid->RowHeight(7), 24);
    }
};

QTEST_MAIN(ResultsTest)
#include "test_results.moc"
