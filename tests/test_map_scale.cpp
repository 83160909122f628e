// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// A map's scale: measured by hand or from the picture's georeferencing, written as the map window
// writes it, and the areas of land uses with their limits rounded outward.

#include "core/Errors.h"
#include "core/MapScale.h"
#include "core/Numbers.h"

#include <QTest>

namespace {

QString Decimal(QString text)
{
    return text.replace(',', DecimalSeparator());
}

}  // namespace

class MapScaleTest : public QObject {
    Q_OBJECT
private slots:
    // Two clicks 120 px apart on a 300 m bar, a map 600 px wide said to be 1.5 km, and what no map
    // can be.
    void measuredScale_data()
    {
        QTest::addColumn<double>("pixels");
        QTest::addColumn<double>("metres");
        QTest::addColumn<QString>("text");  // empty: refused
        QTest::newRow("a 300 m bar") << 120.0 << 300.0 << "1 px = 2,5 m — carte : 168,75 ha";
        QTest::newRow("the map 1.5 km across") << 600.0 << 1500.0 << "1 px = 2,5 m — carte : 168,75 ha";
        QTest::newRow("a county") << 600.0 << 60000.0 << "1 px = 100 m — carte : 2700,00 km²";
        QTest::newRow("a garden") << 600.0 << 15.0 << "1 px = 0,025 m — carte : 0,02 ha";
        QTest::newRow("clicks on one pixel") << 0.0 << 300.0 << QString();
        QTest::newRow("a distance of 0") << 120.0 << 0.0 << QString();
        QTest::newRow("a negative distance") << 120.0 << -300.0 << QString();
        QTest::newRow("km typed for mm") << 600.0 << 0.3 << QString();
        QTest::newRow("beyond the Earth") << 2.0 << 1e6 << QString();
    }
    void measuredScale()
    {
        QFETCH(double, pixels);
        QFETCH(double, metres);
        QFETCH(QString, text);
        if (text.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(EConvertError, MeasuredScale(pixels, metres));
            return;
        }
        const MapScale scale = MeasuredScale(pixels, metres);
        QVERIFY(IsSoundScale(scale));
        QCOMPARE(ScaleText(scale, QSize(600, 450)), Decimal(text));
    }

    // A picture of 0.5 m pixels 2400 × 1800 drawn 600 × 450: each drawn pixel is 2 m across and
    // covers 4 × 4 picture pixels.
    void georeferencedPicturesDrawnSmaller()
    {
        const MapScale scale = GeoreferencedScale(0.25L, 0.5L, QSize(2400, 1800), QSize(600, 450));
        QCOMPARE(scale.PixelMetres, 2.0);
        QCOMPARE(scale.PixelArea, 4.0);
        QCOMPARE(double(MapArea(scale, QSize(600, 450))), 2400 * 1800 * 0.25);
    }

    // The share's limits scaled and rounded outward to the hundredth of the unit; the estimate to
    // the nearest.
    void areaLimitsRoundedOutward_data()
    {
        QTest::addColumn<double>("mapArea");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<QString>("interval");
        QTest::newRow("hectares") << 1687500.0 << 0.066740 << 0.652453 << "11,26 ha à 110,11 ha";
        QTest::newRow("exact hundredths stay") << 1000000.0 << 0.25 << 0.5 << "25,00 ha à 50,00 ha";
        QTest::newRow("square kilometres") << 27e8 << 0.1 << 0.123456 << "270,00 km² à 333,34 km²";
        QTest::newRow("from nothing to all") << 1687500.0 << 0.0 << 1.0 << "0,00 ha à 168,75 ha";
    }
    void areaLimitsRoundedOutward()
    {
        QFETCH(double, mapArea);
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(QString, interval);
        QCOMPARE(AreaIntervalText(ShareLimits{lower, upper}, mapArea, AreaUnitFor(mapArea)), Decimal(interval));
        QCOMPARE(AreaIntervalText(std::nullopt, mapArea, AreaUnitFor(mapArea)), QString());
    }
};

QTEST_MAIN(MapScaleTest)
#include "test_map_scale.moc"
