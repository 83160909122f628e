// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The rules that place a window on a monitor and fit it to one smaller than its design: where it
// goes, the monitor it comes onto when shown, which designed pixel a window pixel shows when drawn
// smaller, and how the map window lays out its map and its panels on a projector, a laptop or a
// screen at a scale factor of 2.

#include "core/ScreenRoom.h"
#include "ui/ApplicationFrame.h"

#include <QSet>
#include <QTest>

namespace {

// The map window's panels as designed ("1 - Echantillonner", "2 - Pour chaque usage du sol",
// "3 - Séance"), its close button, and the largest map.
const QSize sampling(209, 129), probing(209, 273), session(209, 283), closeButton(145, 25);
const QRect largestMap(10, 10, 700, 700);
constexpr int gap = 5;

// A layout from (10, 10) on, shown as the row's columns "shown" and "designed" say.
TViewScale RowView()
{
    QFETCH(int, shown);
    QFETCH(int, designed);
    return TViewScale{QPoint(10, 10), shown, designed};
}

}  // namespace

class ScreenRoomTest : public QObject {
    Q_OBJECT

private slots:
    void windowMovesTheLeastIntoTheArea_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("place");
        const QRect projector(0, 0, 1024, 768);
        QTest::newRow("inside: stays") << QRect(218, 97, 702, 506) << projector << QPoint(218, 97);
        QTest::newRow("past the bottom only") << QRect(224, 115, 937, 756) << QRect(0, 0, 1366, 768)
                                              << QPoint(224, 12);
        QTest::newRow("past the right only") << QRect(500, 50, 600, 400) << projector << QPoint(424, 50);
        QTest::newRow("larger than the area: its corner") << QRect(100, 100, 1100, 900) << projector
                                                          << QPoint(0, 0);
        QTest::newRow("above a panel at the top") << QRect(10, 0, 100, 100) << QRect(0, 30, 1024, 738)
                                                  << QPoint(10, 30);
        QTest::newRow("on a second monitor") << QRect(1100, 700, 400, 300) << QRect(1024, 0, 1366, 768)
                                             << QPoint(1100, 468);
        QTest::newRow("left of a second monitor") << QRect(900, 10, 400, 300) << QRect(1024, 0, 1366, 768)
                                                  << QPoint(1024, 10);
    }
    void windowMovesTheLeastIntoTheArea()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, available);
        QFETCH(QPoint, place);
        QCOMPARE(PlaceWithin(window, available), place);
    }

    // A window shown while another is active comes onto the active one's monitor, at the same
    // place on it as on its own.
    void shownWindowMovesOntoTheActiveMonitor_data()
    {
        const QRect left(0, 0, 1200, 1000), right(1200, 0, 1200, 1000), below(300, 1000, 800, 600);
        const QRect explanations(195, 143, 791, 642);
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QList<QRect>>("monitors");
        QTest::addColumn<QRect>("active");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("already there") << explanations << QList{left, right} << left << QPoint(195, 143);
        QTest::newRow("left to right") << explanations << QList{left, right} << right << QPoint(1395, 143);
        QTest::newRow("right to left") << explanations.translated(1205, 7) << QList{left, right} << left
                                       << QPoint(200, 150);
        QTest::newRow("onto a monitor below") << explanations << QList{left, below} << below
                                              << QPoint(495, 1143);
        QTest::newRow("corner off every monitor") << QRect(-50, 100, 400, 300) << QList{left, right}
                                                  << right << QPoint(1150, 100);
        QTest::newRow("corner off, mostly on the right") << QRect(1000, -50, 1000, 300)
                                                        << QList{left, right} << left << QPoint(-200, -50);
        QTest::newRow("on no monitor") << QRect(5000, 5000, 400, 300) << QList{left, right} << right
                                       << QPoint(5000, 5000);
    }
    void shownWindowMovesOntoTheActiveMonitor()
    {
        QFETCH(QRect, window);
        QFETCH(QList<QRect>, monitors);
        QFETCH(QRect, active);
        QFETCH(QPoint, place);
        QCOMPARE(PlaceOnMonitor(window, monitors, active), place);
    }

    void windowPixelShowsOneDesignedPixel_data()
    {
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("designed");
        QTest::addColumn<QPoint>("window");
        QTest::addColumn<QPoint>("pixel");
        QTest::newRow("as designed") << 1 << 1 << QPoint(37, 12) << QPoint(37, 12);
        QTest::newRow("the origin") << 687 << 700 << QPoint(10, 10) << QPoint(10, 10);
        QTest::newRow("the map's last shown column") << 687 << 700 << QPoint(696, 10) << QPoint(709, 10);
        QTest::newRow("inside") << 687 << 700 << QPoint(348, 500) << QPoint(354, 509);
        // Window pixel 0 covers designed pixels 0 and 1: its middle is the edge between them.
        QTest::newRow("a middle on an edge goes right") << 1 << 2 << QPoint(10, 11) << QPoint(11, 13);
        QTest::newRow("left of and above the origin") << 1 << 2 << QPoint(9, 8) << QPoint(9, 7);
    }
    void windowPixelShowsOneDesignedPixel()
    {
        QFETCH(QPoint, window);
        QFETCH(QPoint, pixel);
        QCOMPARE(RowView().DesignedPixelAt(window), pixel);
    }

    // Every window pixel of a map shown smaller shows a pixel of the map, in order, and none of
    // the map's columns is skipped twice running: a press on the map is never taken off it.
    void windowPixelsShowTheMapInOrder()
    {
        for (const int shown : {1, 349, 570, 687, 699}) {
            const TViewScale view{QPoint(10, 10), shown, 700};
            const QRect map(10, 10, 600, 450);
            const QRect onWindow = view.ShownFrom(map);
            int last = map.left() - 1;
            for (int x = onWindow.left(); x <= onWindow.right(); ++x) {
                const int pixel = view.DesignedPixelAt(QPoint(x, 10)).x();
                QVERIFY2(pixel > last && pixel <= map.right(), qPrintable(QStringLiteral("%1/700 at %2").arg(shown).arg(x)));
                QVERIFY(pixel - last <= (700 + shown - 1) / shown);
                last = pixel;
            }
        }
    }

    void designedLengthsAndAreasAsShown_data()
    {
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("designed");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("shownArea");
        QTest::addColumn<QRect>("covering");
        QTest::newRow("as designed") << 5 << 5 << QRect(13, 17, 9, 4) << QRect(13, 17, 9, 4) << QRect(13, 17, 9, 4);
        QTest::newRow("the map drawn smaller") << 687 << 700 << QRect(10, 10, 600, 450) << QRect(10, 10, 589, 442)
                                               << QRect(10, 10, 589, 442);
        // 3 × 1/2 = 1.5 rounds up; the pixels touched reach from 0.5 to 2.
        QTest::newRow("halves") << 1 << 2 << QRect(11, 11, 3, 3) << QRect(11, 11, 1, 1) << QRect(10, 10, 2, 2);
        QTest::newRow("left of the origin") << 1 << 2 << QRect(5, 10, 4, 2) << QRect(8, 10, 2, 1) << QRect(7, 10, 3, 1);
    }
    void designedLengthsAndAreasAsShown()
    {
        QFETCH(QRect, area);
        QFETCH(QRect, shownArea);
        QFETCH(QRect, covering);
        const TViewScale view = RowView();
        QCOMPARE(view.ShownFrom(area), shownArea);
        QCOMPARE(view.Covering(area), covering);
        QVERIFY(view.Covering(area).contains(view.ShownFrom(area)));
    }

    void mapWindowLaysOutBesideItsMap_data()
    {
        QTest::addColumn<QSize>("room");
        QTest::addColumn<QSize>("sessionPanel");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QSize>("client");
        // Under a frame of 1, 20, 1 and 5 pixels, and at a scale factor of 2 its half.
        QTest::newRow("projector 1024 x 768: the map whole, one column")
            << QSize(1022, 743) << session << 700 << 1 << QSize(929, 735);
        QTest::newRow("laptop 1366 x 768: the same") << QSize(1364, 743) << session << 700 << 1 << QSize(929, 735);
        QTest::newRow("1280 x 720 at scale 2: two columns, the map a little smaller")
            << QSize(1278, 707) << session << 687 << 2 << QSize(1130, 707);
        QTest::newRow("projector, a taller session panel: two columns")
            << QSize(1022, 743) << QSize(209, 383) << 579 << 2 << QSize(1022, 599);
        QTest::newRow("640 x 480: two columns, the map small") << QSize(638, 455) << session << 195 << 2
                                                                << QSize(638, 417);
    }
    void mapWindowLaysOutBesideItsMap()
    {
        QFETCH(QSize, room);
        QFETCH(QSize, sessionPanel);
        QFETCH(int, shown);
        QFETCH(int, columns);
        QFETCH(QSize, client);
        const QList<QSize> panels{sampling, probing, sessionPanel};
        const TBesideLayout layout = LayOutBeside(largestMap, panels, closeButton, gap, room);
        QCOMPARE(layout.View, (TViewScale{largestMap.topLeft(), shown, 700}));
        QCOMPARE(layout.Client, client);
        QVERIFY(FitsIn(layout.Client, room));

        // The panels in their order down their columns, apart from one another and from the
        // map, and the close button in the corner under the last column: all within the window.
        const QRect map = layout.View.ShownFrom(largestMap);
        QList<QRect> placed{map};
        QSet<int> lefts;
        for (qsizetype i = 0; i < panels.size(); ++i) {
            placed << QRect(layout.Blocks[i], panels[i]);
            lefts << layout.Blocks[i].x();
            if (i > 0 && layout.Blocks[i].x() == layout.Blocks[i - 1].x())
                QVERIFY(layout.Blocks[i].y() > layout.Blocks[i - 1].y());
        }
        placed << QRect(layout.Corner, closeButton);
        QCOMPARE(lefts.size(), columns);
        QCOMPARE(layout.Corner + QPoint(closeButton.width(), closeButton.height()),
                 QPoint(client.width(), client.height()) - QPoint(gap, gap));
        for (qsizetype i = 0; i < placed.size(); ++i) {
            QVERIFY(QRect(QPoint(), client).contains(placed[i]));
            for (qsizetype j = i + 1; j < placed.size(); ++j)
                QVERIFY2(!placed[i].intersects(placed[j]), qPrintable(QStringLiteral("%1 and %2").arg(i).arg(j)));
        }
    }
};

QTEST_MAIN(ScreenRoomTest)
#include "test_screen_room.moc"
