// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The generator that places the sample points, without any window: its sequence from a known
// state, the same for "Go" and for a state of its own, x drawn before y; seeds from the clock
// that differ; and the seed typed in a box, or else a new one.

#include "core/Errors.h"
#include "core/SampleGenerator.h"

#include <QTest>
#include <QThread>

class SampleGeneratorTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SeedGenerator = SeedFromClock; }

    // From state 0, the points of a 600 x 450 map fall on the pixels (0, 14), (516, 91) and
    // (163, 302), whether drawn on the program's state or on one of their own.
    void sequenceFromStateZero()
    {
        GeneratorState = 0;
        QList<uint32_t> drawn;
        for (int i = 0; i < 3; ++i)
            drawn << RandomBelow(600) << RandomBelow(450);
        QCOMPARE(drawn, (QList<uint32_t>{0, 14, 516, 91, 163, 302}));
        uint32_t state = 0;
        QList<QPoint> places;
        for (int i = 0; i < 3; ++i)
            places << SamplePlace(state, 600, 450);
        QCOMPARE(places, (QList<QPoint>{{0, 14}, {516, 91}, {163, 302}}));
        QCOMPARE(state, GeneratorState);
        QCOMPARE(RandomBelow(0), 0u);
    }

    void clockSeedsDiffer()
    {
        SeedFromClock();
        const uint32_t first = GeneratorState;
        QThread::usleep(50);
        SeedFromClock();
        QVERIFY(GeneratorState != first);
    }

    // A blank box asks for a new seed; anything else is read as test_numbers' parsesSeeds reads
    // a seed, its refusal passed on.
    void typedSeed_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("given");
        QTest::addColumn<uint>("seed");
        QTest::addColumn<QString>("error");  // empty: accepted
        QTest::newRow("empty") << "" << false << 0u << "";
        QTest::newRow("blanks only") << "   " << false << 0u << "";
        QTest::newRow("a number, leading blanks") << "  42" << true << 42u << "";
        QTest::newRow("past the largest")
            << "4294967296" << false << 0u
            << "'4294967296' est hors des limites : la graine est un nombre entier de 0 à 4294967295";
    }
    void typedSeed()
    {
        QFETCH(QString, typed);
        QFETCH(bool, given);
        QFETCH(uint, seed);
        QFETCH(QString, error);
        try {
            const std::optional<uint32_t> read = TypedSeed(typed);
            QVERIFY2(error.isEmpty(), "accepted");
            QCOMPARE(read.has_value(), given);
            QCOMPARE(read.value_or(0), seed);
        } catch (const EConvertError& refusal) {
            QCOMPARE(refusal.Message, error);
        }
    }

    // A typed seed is taken as it is, the generator left alone; without one, SeedGenerator gives it.
    void seedOrNew()
    {
        SeedGenerator = [] { GeneratorState = 777; };
        GeneratorState = 5;
        QCOMPARE(SeedOrNew(12345u), 12345u);
        QCOMPARE(GeneratorState, 5u);
        QCOMPARE(SeedOrNew(std::nullopt), 777u);
        QCOMPARE(GeneratorState, 777u);
    }
};

QTEST_GUILESS_MAIN(SampleGeneratorTest)
#include "test_sample_generator.moc"
