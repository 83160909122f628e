// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The drawing surface: exact ellipse coverage, pen and brush colours that outlive a handler,
// pictures scaled into rectangles, and figures drawn outside a paint that come back at every
// repaint until the window clears them.

#include "core/Errors.h"
#include "helpers/BmpWriter.h"
#include "helpers/MapWindow.h"
#include "helpers/Program.h"
#include "picture/TBitmap.h"
#include "ui/TCanvas.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <algorithm>

namespace {

constexpr QRgb White = 0xFFFFFFFF;

TBitmap Picture(const QImage& image);

// A window that paints through its canvas, on a white background. Unless a test says otherwise,
// its paint handler draws a white picture over the whole window, with the window's figures on it.
class Surface : public QWidget, public TFigureSource {
public:
    Surface()
    {
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::white);
        setPalette(palette);
        setAutoFillBackground(true);
        resize(700, 500);
        PaintHandler = [this] {
            static const TBitmap blank = [] {
                QImage white(4, 4, QImage::Format_RGB32);
                white.fill(Qt::white);
                return Picture(white);
            }();
            Canvas.DrawScaled({0, 0, width(), height()}, blank, this);
        };
    }
    TCanvas Canvas{this};
    std::function<void()> PaintHandler;
    QRegion LastPaintRegion;

    // An ellipse in the canvas's pen and brush: drawn at once inside a paint; outside one, kept
    // as the window's data and drawn over the picture at every paint, as the map's marks are.
    void Ellipse(int x1, int y1, int x2, int y2, const std::optional<TRect>& within = std::nullopt)
    {
        if (painting) {
            Canvas.DrawEllipse(x1, y1, x2, y2, within);
            return;
        }
        figures.push_back(EllipseFigure(x1, y1, x2, y2, Canvas.Pen.Color, Canvas.Brush.Color, within));
        Canvas.Invalidate(figures.back().Visible);
    }
    void Clear()
    {
        figures.clear();
        ++generation;
        update();
    }

    quint64 Generation() const override { return generation; }
    size_t Count() const override { return figures.size(); }
    TFigure Figure(size_t index) const override { return figures[index]; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        LastPaintRegion = event->region();
        painting = true;
        Canvas.Paint(event->region(), [this] {
            if (PaintHandler)
                PaintHandler();
        });
        painting = false;
    }

private:
    std::vector<TFigure> figures;
    quint64 generation = 0;
    bool painting = false;
};

TBitmap Picture(const QImage& image)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.bmp"));
    WriteBmpFile(path, image);
    TBitmap picture;
    picture.LoadPictureFile(path);
    return picture;
}

// Four distinct corners, so that a scaled copy shows whether the whole picture arrived. They
// are 4 pixels square: shrinking drops whole rows and columns, never all of a corner.
QImage Cornered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::gray);
    const int side = std::min({4, width / 2, height / 2});
    const auto corner = [&](int left, int top, QRgb colour) {
        for (int y = top; y < top + side; ++y)
            for (int x = left; x < left + side; ++x)
                image.setPixel(x, y, colour);
    };
    corner(0, 0, qRgb(255, 0, 0));
    corner(width - side, 0, qRgb(0, 255, 0));
    corner(0, height - side, qRgb(0, 0, 255));
    corner(width - side, height - side, qRgb(255, 255, 0));
    return image;
}

}  // namespace

class CanvasTest : public QObject {
    Q_OBJECT
private slots:
    void ellipseCoversItsBoxExactly_data()
    {
        QTest::addColumn<QRect>("box");  // x1, y1, x2, y2 as left, top, right, bottom
        QTest::addColumn<QRect>("covered");
        QTest::addColumn<bool>("inPaint");
        const QList<std::pair<const char*, std::pair<QRect, QRect>>> cases = {
            {"1x1", {QRect(QPoint(40, 40), QPoint(41, 41)), QRect(40, 40, 1, 1)}},
            {"2x2", {QRect(QPoint(40, 40), QPoint(42, 42)), QRect(40, 40, 2, 2)}},
            {"3x3", {QRect(QPoint(40, 40), QPoint(43, 43)), QRect(40, 40, 3, 3)}},
            {"red point 5x5", {QRect(QPoint(100, 200), QPoint(105, 205)), QRect(100, 200, 5, 5)}},
            {"blue dot 7x7", {QRect(QPoint(98, 98), QPoint(105, 105)), QRect(98, 98, 7, 7)}},
            {"12x12", {QRect(QPoint(40, 40), QPoint(52, 52)), QRect(40, 40, 12, 12)}},
            {"wide 9x5", {QRect(QPoint(40, 40), QPoint(49, 45)), QRect(40, 40, 9, 5)}},
            {"tall 4x11", {QRect(QPoint(40, 40), QPoint(44, 51)), QRect(40, 40, 4, 11)}},
            {"one row", {QRect(QPoint(40, 40), QPoint(46, 41)), QRect(40, 40, 6, 1)}},
            {"reversed", {QRect(QPoint(105, 205), QPoint(100, 200)), QRect(100, 200, 5, 5)}},
            {"no width", {QRect(QPoint(100, 200), QPoint(100, 205)), QRect()}},
            {"no height", {QRect(QPoint(100, 200), QPoint(105, 200)), QRect()}},
            {"reaching past the window", {QRect(QPoint(697, 497), QPoint(702, 502)), QRect(697, 497, 3, 3)}},
        };
        for (const auto& [name, boxes] : cases) {
            QTest::addRow("%s, kept", name) << boxes.first << boxes.second << false;
            QTest::addRow("%s, in paint", name) << boxes.first << boxes.second << true;
        }
    }
    void ellipseCoversItsBoxExactly()
    {
        QFETCH(QRect, box);
        QFETCH(QRect, covered);
        QFETCH(bool, inPaint);
        // QRect(QPoint, QPoint) holds x2, y2 one past, as the canvas takes them.
        const int x1 = box.left(), y1 = box.top(), x2 = box.right(), y2 = box.bottom();
        Surface surface;
        auto draw = [&] {
            surface.Canvas.Pen.Color = clRed;
            surface.Canvas.Brush.Color = clRed;
            surface.Ellipse(x1, y1, x2, y2);
        };
        if (inPaint)
            surface.PaintHandler = draw;
        else
            draw();
        const QImage shown = Grab(&surface);
        QCOMPARE(Extent(shown, Red), covered);
        if (covered.width() >= 3 && covered.height() >= 3)
            QCOMPARE(shown.pixel(covered.center()), Red);
    }

    // Kept figures lie on the picture: a paint that draws none (its file failed) shows none of
    // them, and they are back with the picture.
    void figuresShowOnlyWithThePicture()
    {
        Surface surface;
        const std::function<void()> withPicture = surface.PaintHandler;
        surface.Canvas.Pen.Color = clRed;
        surface.Canvas.Brush.Color = clRed;
        surface.Ellipse(10, 10, 15, 15);
        surface.PaintHandler = {};
        QCOMPARE(Count(Grab(&surface), Red), 0);
        surface.PaintHandler = withPicture;
        QCOMPARE(Extent(Grab(&surface), Red), QRect(10, 10, 5, 5));
    }

    // A figure drawn within a rectangle shows only there, kept or drawn in a paint, whatever the
    // size of its box: only what shows is worked out, so even boxes millions of pixels wide draw
    // at once.
    void figuresShowOnlyWithinTheirRectangle_data()
    {
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QRect>("covered");
        const QRect within(100, 100, 200, 150);
        QTest::newRow("inside") << QRect(150, 150, 9, 9) << QRect(150, 150, 9, 9);
        QTest::newRow("astride the left edge") << QRect(96, 150, 9, 9) << QRect(100, 150, 5, 9);
        QTest::newRow("astride a corner") << QRect(296, 246, 9, 9) << QRect(296, 246, 4, 4);
        QTest::newRow("outside") << QRect(20, 20, 9, 9) << QRect();
        QTest::newRow("far larger than the window")
            << QRect(-2000000, -2000000, 4000000, 4000000) << within;
    }
    void figuresShowOnlyWithinTheirRectangle()
    {
        QFETCH(QRect, box);
        QFETCH(QRect, covered);
        const TRect within{100, 100, 300, 250};
        for (const bool inPaint : {false, true}) {
            Surface surface;
            const std::function<void()> picture = surface.PaintHandler;
            auto draw = [&] {
                surface.Canvas.Pen.Color = clRed;
                surface.Canvas.Brush.Color = clRed;
                for (int i = 0; i < 1000; ++i)
                    surface.Ellipse(box.left(), box.top(), box.left() + box.width(),
                                               box.top() + box.height(), within);
            };
            QElapsedTimer timer;
            timer.start();
            if (inPaint)
                surface.PaintHandler = [&] {
                    picture();
                    draw();
                };
            else
                draw();
            QCOMPARE(Extent(Grab(&surface), Red), covered);
            QVERIFY2(timer.elapsed() < 5000, "a thousand figures took seconds");
        }
    }

    void outlineTakesThePenAndInsideTheBrush()
    {
        Surface surface;
        surface.Canvas.Pen.Color = clRed;
        surface.Canvas.Brush.Color = clBlue;
        surface.Ellipse(40, 40, 60, 60);
        const QImage shown = Grab(&surface);
        QCOMPARE(Extent(shown, Red), QRect(40, 40, 20, 20));
        QCOMPARE(Extent(shown, Blue), QRect(41, 41, 18, 18));
        QCOMPARE(shown.pixel(50, 40), Red);
        QCOMPARE(shown.pixel(50, 50), Blue);
    }

    void coloursOutliveTheHandlerThatSetThem()
    {
        Surface surface;
        surface.Canvas.Pen.Color = clBlue;
        surface.Canvas.Brush.Color = clBlue;
        surface.PaintHandler = [&] { surface.Ellipse(10, 10, 20, 20); };
        QCOMPARE(Extent(Grab(&surface), Blue), QRect(10, 10, 10, 10));
        QCOMPARE(Extent(Grab(&surface), Blue), QRect(10, 10, 10, 10));
    }

    void movingThePenDrawsNothing()
    {
        Surface alone;
        alone.Ellipse(30, 30, 37, 37);
        Surface moved;
        moved.Canvas.MovePenTo(5, 5);
        moved.Ellipse(30, 30, 37, 37);
        QCOMPARE(moved.Canvas.PenPos(), QPoint(5, 5));
        QCOMPARE(Grab(&moved), Grab(&alone));
    }

    void keptFiguresComeBackUntilCleared()
    {
        Surface surface;
        surface.show();
        QVERIFY(QTest::qWaitForWindowExposed(&surface));
        surface.Canvas.Pen.Color = clRed;
        surface.Canvas.Brush.Color = clRed;
        surface.Ellipse(10, 10, 15, 15);
        surface.repaint();
        // Beyond the first figures: the kept layer has to grow.
        surface.Ellipse(600, 400, 605, 405);
        surface.repaint();
        QImage shown = Grab(&surface);
        QCOMPARE(Extent(shown, Red, QRect(0, 0, 100, 100)), QRect(10, 10, 5, 5));
        QCOMPARE(Extent(shown, Red, QRect(500, 300, 200, 200)), QRect(600, 400, 5, 5));

        surface.Clear();
        QCOMPARE(Count(Grab(&surface), Red), 0);
    }

    // Figures come over the paint handler's picture, and overlap in the order they were drawn,
    // also where some lie on the picture and others reach beyond it.
    void keptFiguresDrawOverThePaintHandlerInOrder()
    {
        Surface surface;
        QImage grey(50, 50, QImage::Format_RGB32);
        grey.fill(Qt::gray);
        const TBitmap picture = Picture(grey);
        surface.PaintHandler = [&] { surface.Canvas.DrawScaled({0, 0, 100, 100}, picture, &surface); };
        surface.Canvas.Pen.Color = clBlue;
        surface.Canvas.Brush.Color = clBlue;
        surface.Ellipse(20, 20, 27, 27);
        surface.Ellipse(90, 40, 110, 60);  // astride the right edge
        surface.Canvas.Pen.Color = clRed;
        surface.Canvas.Brush.Color = clRed;
        surface.Ellipse(85, 45, 95, 55);   // on the picture, over the blue one
        surface.Ellipse(98, 70, 108, 80);  // astride, alone
        for (int paint = 0; paint < 2; ++paint) {
            const QImage shown = Grab(&surface);
            QCOMPARE(Extent(shown, Blue, QRect(0, 0, 50, 50)), QRect(20, 20, 7, 7));
            QCOMPARE(shown.pixel(92, 50), qRgb(255, 0, 0));
            QCOMPARE(shown.pixel(105, 50), qRgb(0, 0, 255));
            QCOMPARE(shown.pixel(97, 50), qRgb(0, 0, 255));
            QCOMPARE(Extent(shown, Red, QRect(95, 65, 20, 20)), QRect(98, 70, 10, 10));
        }
    }

    // Qt repaints parts of a window (a box closing over it, a new figure) and leaves out its
    // opaque children. Whatever the part, the pixels in it are those of a whole repaint and no
    // pixel outside it is touched.
    void aPaintOfPartOfTheWindowDrawsWhatAWholePaintDrawsThere_data()
    {
        QTest::addColumn<QRegion>("part");
        QTest::newRow("inside the picture") << QRegion(30, 30, 40, 20);
        QTest::newRow("astride the picture's edge") << QRegion(80, 30, 60, 60);
        QTest::newRow("beyond the picture") << QRegion(105, 0, 200, 200);
        QTest::newRow("two pieces") << QRegion(0, 0, 50, 50).united(QRect(95, 60, 30, 30));
        QTest::newRow("under the panel") << QRegion(140, 100, 80, 80);
        QTest::newRow("whole window") << QRegion(0, 0, 700, 500);
        QRegion scattered;  // more pieces than are worth a clip each
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                scattered += QRect(5 + 23 * x, 3 + 19 * y, 9, 7);
        QTest::newRow("a hundred pieces") << scattered;
    }
    void aPaintOfPartOfTheWindowDrawsWhatAWholePaintDrawsThere()
    {
        QFETCH(QRegion, part);
        Surface surface;
        auto* panel = new QWidget(&surface);  // opaque: Qt leaves it out of the window's paint
        panel->setGeometry(150, 110, 60, 60);
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::green);
        panel->setPalette(palette);
        panel->setAutoFillBackground(true);
        const TBitmap picture = Picture(Cornered(50, 50));
        surface.PaintHandler = [&] { surface.Canvas.DrawScaled({0, 0, 100, 100}, picture, &surface); };
        surface.Canvas.Pen.Color = clRed;
        surface.Canvas.Brush.Color = clBlue;
        surface.Ellipse(20, 20, 40, 40);    // on the picture
        surface.Ellipse(90, 40, 110, 60);   // astride its edge
        surface.Ellipse(140, 100, 170, 130); // beyond it, under the panel's corner
        const QImage whole = Grab(&surface);

        constexpr QRgb Untouched = 0xFFFF00FF;
        QImage shown(surface.size(), QImage::Format_RGB32);
        shown.fill(Untouched);
        // Qt puts the top left of the part's bounding box at the offset given.
        surface.render(&shown, part.boundingRect().topLeft(), part);
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb expected = part.contains(QPoint(x, y)) ? whole.pixel(x, y) : Untouched;
                if (shown.pixel(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, not %4")
                                         .arg(x).arg(y).arg(shown.pixel(x, y), 0, 16).arg(expected, 0, 16)));
            }
    }

    // Figures reaching beyond the picture are kept with it on the window's background: what
    // changes after a first paint must still show at the next.
    void figuresBeyondThePictureFollowWhatChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QPoint>("where");
        QTest::addColumn<QRgb>("shown");
        QTest::newRow("a figure reaching further") << "figure" << QPoint(67, 112) << Red;
        QTest::newRow("another background") << "background" << QPoint(108, 42) << qRgb(0, 128, 0);
        QTest::newRow("a larger window") << "window" << QPoint(152, 52) << Red;
    }
    void figuresBeyondThePictureFollowWhatChanges()
    {
        QFETCH(QString, change);
        QFETCH(QPoint, where);
        QFETCH(QRgb, shown);
        Surface surface;
        surface.resize(150, 150);
        const TBitmap picture = Picture(Cornered(50, 50));
        surface.PaintHandler = [&] { surface.Canvas.DrawScaled({0, 0, 100, 100}, picture, &surface); };
        surface.Canvas.Pen.Color = clRed;
        surface.Canvas.Brush.Color = clRed;
        surface.Ellipse(90, 40, 110, 60);
        surface.Ellipse(140, 45, 160, 55);  // reaching past the window
        QCOMPARE(Grab(&surface).pixel(100, 50), Red);
        QCOMPARE(Grab(&surface).pixel(108, 42), White);  // beside the ellipse, inside its box

        if (change == "figure") {
            surface.Ellipse(60, 105, 75, 120);  // below the picture
        } else if (change == "background") {
            QPalette palette;
            palette.setColor(QPalette::Window, QColor(0, 128, 0));
            surface.setPalette(palette);
        } else {
            surface.resize(200, 150);
        }
        QCOMPARE(Grab(&surface).pixel(where), shown);
    }

    // "Go" draws thousands of points in one handler: one repaint of the box that holds them, not
    // a region of thousands of pieces that takes seconds to build and paint.
    void figuresDrawnAtOnceAskForOneRepaint()
    {
        Surface surface;
        surface.show();
        QVERIFY(QTest::qWaitForWindowExposed(&surface));
        QCoreApplication::processEvents();
        for (int i = 0; i < 3000; ++i) {
            const int x = 20 + (i * 37) % 600, y = 20 + (i * 53) % 400;
            surface.Ellipse(x, y, x + 5, y + 5);
        }
        surface.LastPaintRegion = QRegion();
        QCoreApplication::processEvents();
        QCOMPARE(surface.LastPaintRegion.rectCount(), 1);
        QVERIFY(Count(Grab(&surface), qRgb(0, 0, 0), QRect(20, 20, 605, 405)) > 3000);
    }

    void whereThePictureIsNoLongerDrawnTheBackgroundShows()
    {
        Surface surface;
        const TBitmap picture = Picture(Cornered(40, 30));
        TRect into{10, 10, 210, 160};
        surface.PaintHandler = [&] { surface.Canvas.DrawScaled(into, picture); };
        QCOMPARE(Grab(&surface).pixel(200, 150), qRgb(255, 255, 0));
        into = {10, 10, 110, 85};  // a smaller map
        QImage shown = Grab(&surface);
        QCOMPARE(shown.pixel(200, 150), White);
        QCOMPARE(shown.pixel(109, 84), qRgb(255, 255, 0));
        surface.PaintHandler = {};  // a paint that draws no picture at all
        shown = Grab(&surface);
        QCOMPARE(Count(shown, White), shown.width() * shown.height());
    }

    void aFigureBeyondAWindowShowsWhenTheWindowGrows()
    {
        Surface surface;
        surface.resize(100, 100);
        surface.Canvas.Pen.Color = clRed;
        surface.Canvas.Brush.Color = clRed;
        surface.Ellipse(150, 150, 155, 155);
        QCOMPARE(Count(Grab(&surface), Red), 0);
        surface.resize(200, 200);
        QCOMPARE(Extent(Grab(&surface), Red), QRect(150, 150, 5, 5));
    }

    void scaledPictureFillsTheRectangle_data()
    {
        QTest::addColumn<QSize>("pictureSize");
        QTest::newRow("shrunk 1200x800") << QSize(1200, 800);
        QTest::newRow("enlarged 300x200") << QSize(300, 200);
        QTest::newRow("same size") << QSize(600, 400);
        QTest::newRow("proportions follow the rectangle") << QSize(100, 700);
    }
    void scaledPictureFillsTheRectangle()
    {
        QFETCH(QSize, pictureSize);
        Surface surface;
        const TBitmap picture = Picture(Cornered(pictureSize.width(), pictureSize.height()));
        surface.PaintHandler = [&] { surface.Canvas.DrawScaled({10, 10, 610, 410}, picture); };
        const QImage shown = Grab(&surface);
        QCOMPARE(shown.pixel(10, 10), qRgb(255, 0, 0));
        QCOMPARE(shown.pixel(609, 10), qRgb(0, 255, 0));
        QCOMPARE(shown.pixel(10, 409), qRgb(0, 0, 255));
        QCOMPARE(shown.pixel(609, 409), qRgb(255, 255, 0));
        QCOMPARE(shown.pixel(610, 409), White);
        QCOMPARE(shown.pixel(609, 410), White);
        QCOMPARE(shown.pixel(9, 9), White);
    }

    void averagingOnlyOnScreensPoorerThanThePicture_data()
    {
        QTest::addColumn<int>("screenBits");
        QTest::addColumn<int>("pictureBits");
        QTest::addColumn<bool>("averaged");
        QTest::newRow("8-bit screen, 24-bit map") << 8 << 24 << true;
        QTest::newRow("4-bit screen, 8-bit map") << 4 << 8 << true;
        QTest::newRow("8-bit screen, 8-bit map") << 8 << 8 << false;
        QTest::newRow("8-bit screen, 1-bit map") << 8 << 1 << false;
        QTest::newRow("16-bit screen, 24-bit map") << 16 << 24 << false;
        QTest::newRow("24-bit screen, 32-bit map") << 24 << 32 << false;
        QTest::newRow("32-bit screen, 8-bit map") << 32 << 8 << false;
    }
    void averagingOnlyOnScreensPoorerThanThePicture()
    {
        QFETCH(int, screenBits);
        QFETCH(int, pictureBits);
        QFETCH(bool, averaged);
        QCOMPARE(ScalesByAveraging(screenBits, pictureBits), averaged);
    }

    void aNewPictureReplacesTheScaledCopy()
    {
        Surface surface;
        TBitmap picture = Picture(Cornered(40, 30));
        surface.PaintHandler = [&] { surface.Canvas.DrawScaled({0, 0, 80, 60}, picture); };
        QCOMPARE(Grab(&surface).pixel(0, 0), qRgb(255, 0, 0));
        QImage green(40, 30, QImage::Format_RGB32);
        green.fill(qRgb(0, 128, 0));
        picture = Picture(green);
        QCOMPARE(Grab(&surface).pixel(0, 0), qRgb(0, 128, 0));
    }

    void nothingToScaleDrawsNothing_data()
    {
        QTest::addColumn<bool>("emptyPicture");
        QTest::addColumn<QRect>("rect");  // left, top, right, bottom in x, y, width, height
        QTest::newRow("empty picture") << true << QRect(10, 10, 100, 100);
        QTest::newRow("rectangle without width") << false << QRect(10, 10, 10, 100);
        QTest::newRow("reversed rectangle") << false << QRect(100, 100, 10, 10);
    }
    void nothingToScaleDrawsNothing()
    {
        QFETCH(bool, emptyPicture);
        QFETCH(QRect, rect);
        Surface surface;
        const TBitmap picture = emptyPicture ? TBitmap() : Picture(Cornered(20, 20));
        const TRect into{rect.x(), rect.y(), rect.width(), rect.height()};
        surface.PaintHandler = [&] { surface.Canvas.DrawScaled(into, picture); };
        const QImage shown = Grab(&surface);
        QCOMPARE(Count(shown, White), shown.width() * shown.height());
    }

    void drawingOutsideAPaintIsRefused()
    {
        Surface surface;
        const TBitmap picture = Picture(Cornered(4, 4));
        for (const std::function<void()>& draw :
             {std::function<void()>([&] { surface.Canvas.DrawScaled({0, 0, 10, 10}, picture); }),
              std::function<void()>([&] { surface.Canvas.DrawEllipse(0, 0, 10, 10); })}) {
            try {
                draw();
                QFAIL("drew outside a paint");
            } catch (const EInvalidOperation& error) {
                QCOMPARE(error.Message, QStringLiteral("Le canevas ne permet pas de dessiner"));
            }
        }
    }

    void colourValues_data()
    {
        QTest::addColumn<int>("colour");
        QTest::addColumn<QColor>("rgb");
        QTest::newRow("clRed") << int(clRed) << QColor(255, 0, 0);
        QTest::newRow("clBlue") << int(clBlue) << QColor(0, 0, 255);
        QTest::newRow("clNavy") << int(clNavy) << QColor(0, 0, 128);
        QTest::newRow("clYellow") << int(clYellow) << QColor(255, 255, 0);
        QTest::newRow("clGreen") << int(clGreen) << QColor(0, 128, 0);
        QTest::newRow("clSkyBlue") << int(clSkyBlue) << QColor(166, 202, 240);
        QTest::newRow("clBtnFace") << int(clBtnFace) << QGuiApplication::palette().color(QPalette::Button);
        QTest::newRow("clWindow") << int(clWindow) << QGuiApplication::palette().color(QPalette::Base);
    }
    void colourValues()
    {
        QFETCH(int, colour);
        QFETCH(QColor, rgb);
        QCOMPARE(ColourToRGB(colour), rgb);
    }

    void crossIsTheCrosshair()
    {
        QCOMPARE(int(crCross), -3);
        QCOMPARE(CursorOf(crCross).shape(), Qt::CrossCursor);
        QCOMPARE(CursorOf(crDefault).shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(CanvasTest)
#include "test_canvas.moc"
