// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The exact 95 % interval of a share, without any window: its limits, none without a sample,
// and its text as the results grid's hint gives it, each limit rounded outward.

#include "core/Interval.h"
#include "core/Numbers.h"

#include <QTest>
#include <cmath>

class IntervalTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SetDecimalSeparator(QLatin1Char(',')); }

    void exactLimits_data()
    {
        QTest::addColumn<double>("successes");
        QTest::addColumn<int>("trials");
        QTest::addColumn<double>("lowerPercent");
        QTest::addColumn<double>("upperPercent");
        QTest::newRow("3 of 10, the note's example") << 3.0 << 10 << 6.674 << 65.245;
        QTest::newRow("50 of 100") << 50.0 << 100 << 39.832 << 60.168;
        QTest::newRow("none of 10") << 0.0 << 10 << 0.0 << 30.850;
        QTest::newRow("all of 10") << 10.0 << 10 << 69.150 << 100.0;
        QTest::newRow("1 of 20") << 1.0 << 20 << 0.127 << 24.873;
    }
    void exactLimits()
    {
        QFETCH(double, successes);
        QFETCH(int, trials);
        QFETCH(double, lowerPercent);
        QFETCH(double, upperPercent);
        const std::optional<ShareLimits> limits = ExactLimits95(successes, trials);
        QVERIFY(limits);
        QVERIFY2(std::abs(limits->Lower * 100 - lowerPercent) < 0.001, qPrintable(QString::number(limits->Lower * 100, 'f', 4)));
        QVERIFY2(std::abs(limits->Upper * 100 - upperPercent) < 0.001, qPrintable(QString::number(limits->Upper * 100, 'f', 4)));
    }

    void noLimitsWithoutASample_data()
    {
        QTest::addColumn<double>("successes");
        QTest::addColumn<int>("trials");
        QTest::newRow("no trials") << 0.0 << 0;
        QTest::newRow("negative trials") << 1.0 << -3;
        QTest::newRow("negative count") << -1.0 << 10;
        QTest::newRow("over-count") << 10.5 << 10;
        QTest::newRow("not a number") << std::nan("") << 10;
    }
    void noLimitsWithoutASample()
    {
        QFETCH(double, successes);
        QFETCH(int, trials);
        QVERIFY(!ExactLimits95(successes, trials));
    }

    void intervalHint_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("sampleSize");
        QTest::addColumn<QString>("hint");
        const QString prefix = QStringLiteral("Intervalle de confiance à 95 % : ");
        // Each limit rounded outward: exactly 6.674 % to 65.245 %.
        QTest::newRow("3 of 10") << 3ll << 10ll << prefix + "6,6 % à 65,3 %";
        QTest::newRow("none of 10") << 0ll << 10ll << prefix + "0,0 % à 30,9 %";
        QTest::newRow("all of 10") << 10ll << 10ll << prefix + "69,1 % à 100,0 %";
        QTest::newRow("50 of 100") << 50ll << 100ll << prefix + "39,8 % à 60,2 %";
        // Within 1 % of an end, two significant digits of the distance to it.
        QTest::newRow("1 of 10") << 1ll << 10ll << prefix + "0,25 % à 44,6 %";
        QTest::newRow("none of 7376") << 0ll << 7376ll << prefix + "0,0 % à 0,050 %";
        QTest::newRow("1 of 10000") << 1ll << 10000ll << prefix + "0,00025 % à 0,056 %";
        QTest::newRow("100 of 10000") << 100ll << 10000ll << prefix + "0,81 % à 1,3 %";
        QTest::newRow("9999 of 10000") << 9999ll << 10000ll << prefix + "99,944 % à 99,99975 %";
        QTest::newRow("all of 10000") << 10000ll << 10000ll << prefix + "99,963 % à 100,0 %";
        QTest::newRow("over-count") << 11ll << 10ll << "";
        QTest::newRow("negative count") << -1ll << 10ll << "";
        QTest::newRow("no sample") << 0ll << 0ll << "";
        QTest::newRow("negative sample") << 0ll << -5ll << "";
    }
    void intervalHint()
    {
        QFETCH(qint64, count);
        QFETCH(qint64, sampleSize);
        QFETCH(QString, hint);
        QCOMPARE(IntervalHint(ExactLimits95(double(count), sampleSize)), hint);
        // The shown interval holds the exact one, and in the regional notation.
        if (const std::optional<ShareLimits> exact = ExactLimits95(double(count), sampleSize)) {
            QString shown = IntervalText(count, sampleSize);
            const QStringList limits =
                shown.remove(QStringLiteral(" %")).replace(QLatin1Char(','), QLatin1Char('.')).split(QStringLiteral(" à "));
            QVERIFY(limits[0].toDouble() <= exact->Lower * 100);
            QVERIFY(limits[1].toDouble() >= exact->Upper * 100);
            SetDecimalSeparator(QLatin1Char('.'));
            QCOMPARE(IntervalHint(ExactLimits95(double(count), sampleSize)), QString(hint).replace(QLatin1Char(','), QLatin1Char('.')));
        }
    }
};

QTEST_GUILESS_MAIN(IntervalTest)
#include "test_interval.moc"
