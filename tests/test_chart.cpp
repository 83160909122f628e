// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The fluctuation chart: the chart file as generated from the exact limits (test_interval checks
// the limits themselves), and the chart window that stretches whatever file it finds into its
// rectangle under the note.

#include "BmpWriter.h"
#include "Files.h"
#include "Program.h"

#include "core/Errors.h"
#include "core/Interval.h"
#include "picture/TBitmap.h"
#include "tools/ChartGeometry.h"
#include "ui/ApplicationFrame.h"
#include "ui/Boxes.h"
#include "windows/Abaquez.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

// The generated chart lies in the run folder, beside the tests' own folder in the build tree.
QString GeneratedChartPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../run/Abaque_bon.bmp");
}

bool ColourNear(const QImage& image, int x, int y, const QColor& colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.valid(x + dx, y + dy) && QColor(image.pixel(x + dx, y + dy)) == colour)
                return true;
    return false;
}

// The error box text for what reading the file named as the chart gives now.
QString ChartFileError()
{
    try {
        TBitmap().LoadPictureFile(QStringLiteral("Abaque_bon.bmp"));
    } catch (const Exception& error) {
        return ErrorBoxText(error.Message);
    }
    return {};
}

// Top-left quarter red, top-right green, bottom-left blue, bottom-right yellow.
QImage Quarters(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, y < height / 2 ? (x < width / 2 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                                : (x < width / 2 ? qRgb(0, 0, 255) : qRgb(255, 255, 0)));
    return image;
}

QImage Plain(QRgb colour, int width = 40, int height = 30)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void ShowChartWindow()
{
    ShowWindow(Abaque);
    QVERIFY(QTest::qWaitForWindowExposed(Abaque));
    ProcessEvents();
}

}  // namespace

class ChartTest : public ProgramTest {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(folder.isValid());
        previousFolder = QDir::currentPath();
        QDir::setCurrent(folder.path());
        ProgramTest::init();
    }
    void cleanup()
    {
        ProgramTest::cleanup();
        QDir::setCurrent(previousFolder);
        QFile::remove(folder.filePath(QStringLiteral("Abaque_bon.bmp")));
    }

    void generatedChartFollowsTheLimits_data()
    {
        QTest::addColumn<int>("sampleSizeIndex");
        QTest::addColumn<double>("observedPercent");
        QTest::addColumn<bool>("upper");
        QTest::addColumn<double>("expectedPercent");  // for the whole counts, as test_interval has them
        QTest::newRow("n=10 at 30, lower") << 0 << 30.0 << false << 6.674;
        QTest::newRow("n=10 at 30, upper") << 0 << 30.0 << true << 65.245;
        QTest::newRow("n=100 at 50, upper") << 5 << 50.0 << true << 60.168;
        QTest::newRow("n=1000 at 20, lower") << 7 << 20.0 << false << -1.0;
        QTest::newRow("n=30 at 70, upper") << 3 << 70.0 << true << -1.0;
        QTest::newRow("n=2500 at 10, lower") << 8 << 10.0 << false << -1.0;
        QTest::newRow("n=10000 at 50, upper") << 9 << 50.0 << true << 50.985;
    }
    void generatedChartFollowsTheLimits()
    {
        QFETCH(int, sampleSizeIndex);
        QFETCH(double, observedPercent);
        QFETCH(bool, upper);
        QFETCH(double, expectedPercent);
        QVERIFY2(QFile::exists(GeneratedChartPath()), "the chart is generated when the program is built");
        TBitmap chart;
        chart.LoadPictureFile(GeneratedChartPath());
        const QImage& image = chart.Image();
        const int n = ChartGeometry::SampleSizes[sampleSizeIndex];
        const ShareLimits limits = *ExactLimits95(n * observedPercent / 100, n);
        const double percent = (upper ? limits.Upper : limits.Lower) * 100;
        if (expectedPercent >= 0)
            QVERIFY(std::abs(percent - expectedPercent) < 0.001);
        const int x = int(std::lround(ChartGeometry::XOf(observedPercent)));
        const int y = int(std::lround(ChartGeometry::YOf(percent)));
        QVERIFY2(ColourNear(image, x, y, ChartGeometry::CurveColour(sampleSizeIndex)),
                 qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        // And nowhere near a point a few percent off the curve.
        const int off = int(std::lround(ChartGeometry::YOf(percent + (upper ? 3 : -3))));
        QVERIFY(!ColourNear(image, x, off, ChartGeometry::CurveColour(sampleSizeIndex)));
    }

    // Nothing laid over the chart hides a curve: each one shows in every column where the belts
    // stand apart, whatever its line style, and the legend stands clear of all of them.
    void generatedChartShowsEveryCurveWhole()
    {
        QVERIFY2(QFile::exists(GeneratedChartPath()), "the chart is generated when the program is built");
        TBitmap chart;
        chart.LoadPictureFile(GeneratedChartPath());
        const QImage& image = chart.Image();
        const QRect legend = ChartGeometry::LegendBox();
        for (int i = 0; i < int(ChartGeometry::SampleSizes.size()); ++i) {
            const int n = ChartGeometry::SampleSizes[i];
            const QColor colour = ChartGeometry::CurveColour(i);
            for (int x = int(ChartGeometry::XOf(0)); x <= int(ChartGeometry::XOf(100)); ++x) {
                const double observed = (x - ChartGeometry::PlotLeft) * 100.0 / ChartGeometry::PlotWidth;
                const ShareLimits limits = *ExactLimits95(n * observed / 100, n);
                for (const double limit : {limits.Lower, limits.Upper}) {
                    const int y = int(std::lround(ChartGeometry::YOf(limit * 100)));
                    QVERIFY(!legend.adjusted(-2, -2, 2, 2).contains(x, y));
                    if (observed < 10 || observed > 90)
                        continue;  // where the belts close in, curves lie over one another
                    bool shown = false;
                    for (int dy = -ChartGeometry::LongestGap + 1; dy < ChartGeometry::LongestGap && !shown; ++dy)
                        for (int dx = -ChartGeometry::LongestGap + 1; dx < ChartGeometry::LongestGap && !shown; ++dx)
                            shown = image.valid(x + dx, y + dy) && QColor(image.pixel(x + dx, y + dy)) == colour;
                    QVERIFY2(shown, qPrintable(QStringLiteral("n=%1 at (%2, %3)").arg(n).arg(x).arg(y)));
                }
            }
            // The legend's line for this belt carries its colour.
            bool named = false;
            const QRect line = ChartGeometry::LegendLine(i);
            for (int x = line.left(); x <= line.right() && !named; ++x)
                named = QColor(image.pixel(x, line.center().y())) == colour;
            QVERIFY2(named, qPrintable(QStringLiteral("n=%1").arg(n)));
        }
    }

    void generatedChartFitsTheWindowWithItsTopRowsFree()
    {
        QVERIFY2(QFile::exists(GeneratedChartPath()), "the chart is generated when the program is built");
        TBitmap chart;
        chart.LoadPictureFile(GeneratedChartPath());
        QCOMPARE(chart.Width(), 690);
        QCOMPARE(chart.Height(), 740);
        for (int y = 0; y < ChartGeometry::HiddenRows; ++y)
            for (int x = 0; x < chart.Width(); ++x)
                QCOMPARE(QColor(chart.Image().pixel(x, y)), QColor(Qt::white));
    }

    void chartIsStretchedIntoItsRectangle_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("the chart's own size") << QSize(690, 740);
        QTest::newRow("small square") << QSize(100, 100);
        QTest::newRow("wide and flat") << QSize(1380, 200);
    }
    void chartIsStretchedIntoItsRectangle()
    {
        QFETCH(QSize, size);
        WriteBmpFile(QStringLiteral("Abaque_bon.bmp"), Quarters(size.width(), size.height()));
        ShowChartWindow();
        QCOMPARE(boxes->Errors, QStringList());
        const QImage window = Grab(Abaque);
        const QColor face = Abaque->palette().color(QPalette::Window);
        // Quarters meet at (455, 430); the rectangle runs from (110, 60) to (799, 799).
        QCOMPARE(QColor(window.pixel(112, 100)), QColor(255, 0, 0));
        QCOMPARE(QColor(window.pixel(452, 427)), QColor(255, 0, 0));
        QCOMPARE(QColor(window.pixel(458, 427)), QColor(0, 255, 0));
        QCOMPARE(QColor(window.pixel(797, 100)), QColor(0, 255, 0));
        QCOMPARE(QColor(window.pixel(112, 433)), QColor(0, 0, 255));
        QCOMPARE(QColor(window.pixel(799, 799)), QColor(255, 255, 0));
        QCOMPARE(QColor(window.pixel(109, 400)), face);
        QCOMPARE(QColor(window.pixel(800, 400)), face);
        QCOMPARE(QColor(window.pixel(400, 800)), face);
        // The note box covers the chart's top 13 rows, 60 to 72.
        const QRect note = Abaque->Memo1->geometry();
        QCOMPARE(note.top(), 8);
        QCOMPARE(note.bottom(), 72);
        QVERIFY(note.left() < 110 && note.right() >= 799);
        QCOMPARE(QColor(window.pixel(400, 73)), QColor(255, 0, 0));
        QCOMPARE(QColor(window.pixel(400, 70)), Abaque->Memo1->palette().color(QPalette::Base));
    }

    void replacedChartShowsAtTheNextPaint()
    {
        WriteBmpFile(QStringLiteral("Abaque_bon.bmp"), Plain(qRgb(255, 0, 0)));
        ShowChartWindow();
        QCOMPARE(QColor(Grab(Abaque).pixel(400, 400)), QColor(255, 0, 0));
        WriteBmpFile(QStringLiteral("Abaque_bon.bmp"), Plain(qRgb(0, 128, 0), 41));
        QCOMPARE(QColor(Grab(Abaque).pixel(400, 400)), QColor(0, 128, 0));
    }

    void unreadableChartIsReportedOncePerFileAndShowing()
    {
        ShowChartWindow();
        const QString missing = ChartFileError();
        QVERIFY(!missing.isEmpty());
        QCOMPARE(boxes->Errors, QStringList{missing});
        // Each error box closing over the window repaints it: no second box.
        for (int i = 0; i < 5; ++i) {
            Abaque->repaint();
            ProcessEvents();
        }
        QCOMPARE(boxes->Errors, QStringList{missing});
        const QImage bare = Grab(Abaque);
        QCOMPARE(QColor(bare.pixel(400, 400)), Abaque->palette().color(QPalette::Window));
        QVERIFY(Abaque->ButtFermer->isVisible() && Abaque->Memo1->isVisible());

        // A changed file is read again, and its own failure reported once.
        WriteFile(QStringLiteral("Abaque_bon.bmp"), "GIF89a, pas une image bitmap");
        const QString invalid = ChartFileError();
        Abaque->repaint();
        Abaque->repaint();
        ProcessEvents();
        QCOMPARE(boxes->Errors, (QStringList{missing, invalid}));

        // Shown anew, the window reports the same failure again.
        QTest::mouseClick(Abaque->ButtFermer, Qt::LeftButton);
        QVERIFY(Abaque->isHidden());
        ShowChartWindow();
        QCOMPARE(boxes->Errors, (QStringList{missing, invalid, invalid}));

        // A good file draws again, silently.
        WriteBmpFile(QStringLiteral("Abaque_bon.bmp"), Plain(qRgb(255, 0, 0)));
        QCOMPARE(QColor(Grab(Abaque).pixel(400, 400)), QColor(255, 0, 0));
        QCOMPARE(boxes->Errors.size(), 3);
    }

    void noteTellsHowToReadTheChart()
    {
        const QStringList lines = Abaque->Memo1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("Tout échantillon est affecté de fluctuations qu'un abaque permet d'évaluer. Supposons que vous ayez projeté 10 points aléatoires, dont 3 tombent sur les espaces verts,soit 30 %."));
        QCOMPARE(lines[1], QStringLiteral("Sur l'abaque, joignez le long de la ligne verticale 30 les deux intersections avec les courbes n=10. Il y a 95 chances sur 100 pour que les espace verts occupent entre 8 % et 65 % du sol :"));
        QCOMPARE(lines[2], QStringLiteral("évaluer un pourcentage réclame de gros échantillons ..."));
        QVERIFY(lines[3].endsWith(QStringLiteral(" ; calcul exact : ") + IntervalText(3, 10) + "."));
        for (const char* part : {"Clopper", "Pearson", "1934", "The use of confidence or fiducial limits illustrated in the case of the binomial",
                                 "Biometrika", "26", "404-413"})
            QVERIFY2(lines[3].contains(QString::fromUtf8(part)), part);
    }

    void tabLeavesTheNote_data()
    {
        QTest::addColumn<bool>("backwards");
        QTest::newRow("Tab") << false;
        QTest::newRow("Shift+Tab") << true;
    }
    void tabLeavesTheNote()
    {
        QFETCH(bool, backwards);
        ShowChartWindow();
        QVERIFY(QTest::qWaitForWindowActive(Abaque));
        // The reader may write in the note; Tab then leaves it without a tab typed.
        Abaque->Memo1->setFocus();
        QTest::keyClick(Abaque->Memo1, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(Abaque->Memo1, QStringLiteral(" Lu."));
        const QString note = Abaque->Memo1->toPlainText();
        QVERIFY(note.endsWith(IntervalText(3, 10) + QStringLiteral(". Lu.")));
        if (backwards)
            QTest::keyClick(Abaque->Memo1, Qt::Key_Backtab, Qt::ShiftModifier);
        else
            QTest::keyClick(Abaque->Memo1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Abaque->ButtFermer);
        QCOMPARE(Abaque->Memo1->toPlainText(), note);
        // And from the button back into the note.
        QTest::keyClick(Abaque->ButtFermer, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(QApplication::focusWidget(), Abaque->Memo1);
        ProcessEvents();
    }

private:
    QTemporaryDir folder;
    QString previousFolder;
};

QTEST_MAIN(ChartTest)
#include "test_chart.moc"
