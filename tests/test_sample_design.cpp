// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The sampling designs' points, drawn from a fixed seed on a small map: how many, where, in
// which block or segment; the map cut into blocks; n shared among them; the designs refused.

#include "core/SampleDesign.h"
#include "core/SampleGenerator.h"

#include <QTest>

Q_DECLARE_METATYPE(DesignKind)
Q_DECLARE_METATYPE(SampleDesign)

namespace {

SampleDesign Design(DesignKind kind, int32_t blocks = 4, int32_t clusters = 3, int32_t side = 2, int32_t spacing = 5)
{
    return {kind, blocks, clusters, side, spacing};
}

}  // namespace

class SampleDesignTest : public QObject {
    Q_OBJECT
private slots:
    // On a 60 × 40 map from seed 7: 24 points of a grid 10 pixels apart, 10 points in four
    // blocks of 30 × 20 (3, 3, 2 and 2), three segments of 2 × 2 points 5 apart.
    void eachDesignLaysItsPoints_data()
    {
        QTest::addColumn<DesignKind>("kind");
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("perGroup");  // points a block or segment; empty: not checked
        QTest::newRow("simple random") << DesignKind::SimpleRandom << 10 << QList<int>{10};
        QTest::newRow("systematic") << DesignKind::Systematic << 24 << QList<int>{24};
        QTest::newRow("stratified") << DesignKind::Stratified << 10 << QList<int>{3, 3, 2, 2};
        QTest::newRow("clusters") << DesignKind::Clustered << 0 << QList<int>{};
    }
    void eachDesignLaysItsPoints()
    {
        QFETCH(DesignKind, kind);
        QFETCH(int, n);
        QFETCH(QList<int>, perGroup);
        const QSize map(60, 40);
        const SampleDesign design = Design(kind);
        QVERIFY(!DesignMisfit(design, n, map));
        uint32_t state = 7;
        const DesignedSample sample = DrawDesign(design, n, map, state);
        QList<int> counted(sample.Groups, 0);
        for (const DesignedPoint& point : sample.Points) {
            QVERIFY(QRect(QPoint(0, 0), map).contains(point.Place));
            QVERIFY(point.Group >= 0 && point.Group < sample.Groups);
            ++counted[point.Group];
            if (kind == DesignKind::Stratified)
                QVERIFY(sample.Blocks[size_t(point.Group)].contains(point.Place));
        }
        if (!perGroup.isEmpty())
            QCOMPARE(counted, perGroup);

        uint32_t again = 7;
        if (kind == DesignKind::SimpleRandom) {
            for (const DesignedPoint& point : sample.Points)
                QCOMPARE(point.Place, SamplePlace(again, 60, 40));
        } else if (kind == DesignKind::Systematic) {
            // One start drawn, x first; every node 10 pixels from its neighbours.
            const int startX = int(RandomFraction(again) * 10);
            const QPoint start(startX, int(RandomFraction(again) * 10));
            for (int point = 0; point < 24; ++point)
                QCOMPARE(sample.Points[size_t(point)].Place, start + QPoint(point % 6 * 10, point / 6 * 10));
        } else if (kind == DesignKind::Clustered) {
            // Each segment's points lie 5 pixels apart from its drawn corner, those off the map dropped.
            QCOMPARE(sample.Groups, 3);
            for (int cluster = 0; cluster < 3; ++cluster) {
                const int left = int(RandomBelow(again, 65)) - 5;
                const QPoint corner(left, int(RandomBelow(again, 45)) - 5);
                QList<QPoint> expected;
                for (QPoint offset : {QPoint(0, 0), QPoint(5, 0), QPoint(0, 5), QPoint(5, 5)})
                    if (QRect(QPoint(0, 0), map).contains(corner + offset))
                        expected << corner + offset;
                QList<QPoint> laid;
                for (const DesignedPoint& point : sample.Points)
                    if (point.Group == cluster)
                        laid << point.Place;
                QCOMPARE(laid, expected);
            }
        }
    }

    void blocksCoverTheMapOnceWithNearEqualAreas_data()
    {
        QTest::addColumn<QSize>("map");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<QRect>("first");
        QTest::addColumn<QRect>("last");
        QTest::newRow("four in two columns") << QSize(60, 40) << 4 << QRect(0, 0, 30, 20) << QRect(30, 20, 30, 20);
        QTest::newRow("five on a portrait map: 3 and 2")
            << QSize(600, 700) << 5 << QRect(0, 0, 360, 233) << QRect(360, 350, 240, 350);
        QTest::newRow("a strip: one column") << QSize(10, 700) << 3 << QRect(0, 0, 10, 233) << QRect(0, 466, 10, 234);
        QTest::newRow("a band: one row") << QSize(600, 10) << 3 << QRect(0, 0, 200, 10) << QRect(400, 0, 200, 10);
    }
    void blocksCoverTheMapOnceWithNearEqualAreas()
    {
        QFETCH(QSize, map);
        QFETCH(int, blocks);
        QFETCH(QRect, first);
        QFETCH(QRect, last);
        const std::vector<QRect> cut = MapBlocks(map, blocks);
        QCOMPARE(int(cut.size()), blocks);
        QCOMPARE(cut.front(), first);
        QCOMPARE(cut.back(), last);
        int64_t area = 0;
        for (size_t a = 0; a < cut.size(); ++a) {
            area += int64_t{cut[a].width()} * cut[a].height();
            for (size_t b = a + 1; b < cut.size(); ++b)
                QVERIFY(!cut[a].intersects(cut[b]));
        }
        QCOMPARE(area, int64_t{map.width()} * map.height());
    }

    void nIsSharedInProportionInWholeNumbers_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<QList<qint64>>("weights");
        QTest::addColumn<QList<int>>("shares");
        QTest::newRow("exact") << 7 << QList<qint64>{1, 2, 4} << QList<int>{1, 2, 4};
        QTest::newRow("equal remainders: the first ones") << 10 << QList<qint64>{1, 1, 1, 1} << QList<int>{3, 3, 2, 2};
        QTest::newRow("largest remainder") << 10 << QList<qint64>{1, 2, 3} << QList<int>{2, 3, 5};
        QTest::newRow("a weight of nothing gets nothing") << 5 << QList<qint64>{0, 3, 2} << QList<int>{0, 3, 2};
        // 100 × 83880 / 420000 = 19.97… for the two blocks that take the remainders.
        QTest::newRow("the portrait map's five blocks")
            << 100 << QList<qint64>{83880, 84240, 83880, 84000, 84000} << QList<int>{20, 20, 20, 20, 20};
    }
    void nIsSharedInProportionInWholeNumbers()
    {
        QFETCH(int, total);
        QFETCH(QList<qint64>, weights);
        QFETCH(QList<int>, shares);
        const std::vector<int64_t> given(weights.begin(), weights.end());
        const std::vector<int32_t> shared = ShareInProportion(total, given);
        QCOMPARE(QList<int>(shared.begin(), shared.end()), shares);
    }

    void designsThatCannotBeLaidAreRefused_data()
    {
        QTest::addColumn<SampleDesign>("design");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("grid of 100 points") << Design(DesignKind::Systematic) << 100 << "";
        QTest::newRow("grid past the bound")
            << Design(DesignKind::Systematic) << 10000 << "Le quadrillage placerait jusqu'à 10086 points, plus que les 10000 permis.";
        QTest::newRow("one block") << Design(DesignKind::Stratified, 1) << 10 << "Il faut au moins 2 blocs.";
        QTest::newRow("under 2 points a block")
            << Design(DesignKind::Stratified, 6) << 11 << "Il faut au moins 2 points par bloc : 11 points ne suffisent pas pour 6 blocs.";
        QTest::newRow("blocks too thin")
            << Design(DesignKind::Stratified, 5000) << 10000 << "La carte est trop petite pour 5000 blocs.";
        QTest::newRow("no cluster") << Design(DesignKind::Clustered, 4, 0) << 0
                                    << "Il faut au moins une grappe, d'au moins 1 point, espacés d'au moins 1 pixel.";
        QTest::newRow("clusters past the bound") << Design(DesignKind::Clustered, 4, 1112, 3) << 0
                                                 << "Les grappes placeraient 10008 points, plus que les 10000 permis.";
        QTest::newRow("a segment wider than the map") << Design(DesignKind::Clustered, 4, 3, 3, 20) << 0
                                                      << "Une grappe de 41 pixels de côté ne tient pas sur la carte.";
    }
    void designsThatCannotBeLaidAreRefused()
    {
        QFETCH(SampleDesign, design);
        QFETCH(int, n);
        QFETCH(QString, refusal);
        QCOMPARE(DesignMisfit(design, n, QSize(60, 40)).value_or(QString()), refusal);
    }
};

QTEST_GUILESS_MAIN(SampleDesignTest)
#include "test_sample_design.moc"
