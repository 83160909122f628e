// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The survey repeated: K surveys of n random pixels of a map whose land uses are flat colours,
// each counting the pixels of the chosen colours as a perfect student would, and how often each
// way of giving a 95 % interval catches the true share, simulated and expected.

#include "core/Interval.h"
#include "core/MapColours.h"
#include "core/SampleGenerator.h"

#include <QPoint>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

constexpr int32_t MaxSimulatedSurveys = 100000;

// The ways a share's 95 % interval is given from `count` points out of n: Clopper and Pearson's
// exact limits (the program's), Wilson's score interval, Wald's f ± 1,96 √(f(1 − f)/n), and the
// f ± 1/√n taught in French schools. Wald's and the last are cut to 0 and 1.
enum class IntervalMethod { ClopperPearson, Wilson, Wald, RootN };
constexpr std::array<IntervalMethod, 4> IntervalMethods = {IntervalMethod::ClopperPearson, IntervalMethod::Wilson,
                                                           IntervalMethod::Wald, IntervalMethod::RootN};

// "Clopper-Pearson", "Wilson", "Wald", "f ± 1/√n".
QString MethodName(IntervalMethod method);
// As French teachers name them, for the window: "Exact (Clopper-Pearson)", "Score (Wilson)",
// "Asymptotique (Wald)", "f ± 1/√n (seconde)".
QString TaughtMethodName(IntervalMethod method);
// The limits as drawn and as their widths are averaged, in double precision; a limit that is 0 or
// 1 in exact arithmetic is exactly 0 or 1. Whether they hold a share is not read from them: see
// CountsWhoseIntervalHolds.
ShareLimits MethodLimits(IntervalMethod method, int32_t count, int32_t sampleSize);

// The law of the count of chosen pixels found by a survey of n points when the true share is p:
// the binomial distribution, with its tails.
class CountDistribution {
public:
    CountDistribution(int32_t sampleSize, PixelShare share);

    int32_t SampleSize() const { return sampleSize; }
    PixelShare Share() const { return share; }
    // The probability of each count, in extended precision.
    long double Probability(int32_t count) const { return probabilities[size_t(count)]; }
    // The probability that the count is one of those marked (one entry a count from 0 to n).
    long double ProbabilityOf(const std::vector<uint8_t>& marked) const;
    // The sign of P(count ≤ c) − numerator / denominator, or of P(count ≥ c) − that fraction:
    // read from the tails in extended precision, and where they come within 10⁻¹² of the fraction,
    // from the binomial sums in whole numbers, so that a tie is told as a tie.
    int CompareAtMost(int32_t count, int64_t numerator, int64_t denominator) const;
    int CompareAtLeast(int32_t count, int64_t numerator, int64_t denominator) const;

private:
    int32_t sampleSize;
    PixelShare share;  // in lowest terms
    std::vector<long double> probabilities;
    std::vector<long double> atMost;   // P(count ≤ c), summed from 0 up
    std::vector<long double> atLeast;  // P(count ≥ c), summed from n down
};

// Whether the interval of each count, from 0 to n, holds the true share: the one decision behind
// the expected coverage, the simulated one and the colour of each interval drawn. It is made in
// exact arithmetic, never by comparing a rounded limit with p: f ± 1/√n holds p when
// n(f − p)² ≤ 1, Wald's interval when n(f − p)² ≤ z²f(1 − f), Wilson's when n(f − p)² ≤ z²p(1 − p)
// (z² to 38 decimals), Clopper and Pearson's when P(count ≥ c) and P(count ≤ c) at p both reach
// 2.5 %.
std::vector<uint8_t> CountsWhoseIntervalHolds(IntervalMethod method, const CountDistribution& counts);

// Whether Clopper and Pearson's interval of `count` out of `sampleSize` holds the true share,
// decided as CountsWhoseIntervalHolds decides it, for one count without the whole table: from the
// binomial tails at p through the incomplete beta function, and where a tail comes within 10⁻¹² of
// 2.5 %, from the whole-number sums. For samples whose size changes from survey to survey.
bool ExactIntervalHolds(int32_t count, int32_t sampleSize, PixelShare share);

// The counts between which a survey of n points falls at least 95 % of the time when the true
// share is p: from the smallest count whose cumulative probability exceeds 2.5 % to the smallest
// whose cumulative probability reaches 97.5 %, each decided exactly. Over n, the fluctuation
// interval of the share; Probability is the exact chance of falling in it, often above 95 %.
struct CountRange {
    int32_t Lowest;
    int32_t Highest;
    long double Probability;
};
CountRange FluctuationCounts95(const CountDistribution& counts);

// A share axis with round ticks for a chart: from `From` to `To` by `Step` (1, 2 or 5 times a
// power of ten), within 0 and 1, covering the range asked, with about four to ten ticks; its
// labels need `Decimals` digits after the separator.
struct ShareAxis {
    double From;
    double To;
    double Step;
    int Decimals;
};
ShareAxis RoundShareAxis(double low, double high);

// One method's row of the table, over the surveys done so far.
struct MethodFigures {
    IntervalMethod Method;
    int32_t Surveys;            // surveys done
    int32_t Containing;         // of them, those whose interval holds the true share
    long double SimulatedCoverage;  // Containing / Surveys
    ShareLimits CoverageLimits;     // exact 95 % limits of that share (Clopper-Pearson)
    long double ExpectedCoverage;
    long double MeanWidth;          // mean of upper less lower limit
};

// The map read for a simulation: one byte a pixel, row after row, 1 for a chosen colour, so that
// a survey reads a single byte per point; and the true share, counted in whole pixels.
struct MarkedMap {
    int32_t Width;
    int32_t Height;
    std::vector<uint8_t> Marks;
    PixelShare Share;

    uint8_t At(QPoint place) const { return Marks[size_t(place.y()) * size_t(Width) + size_t(place.x())]; }
};
// The refusals of SurveySimulation's constructor about the sample size, the surveys and the
// colours, in that order; `sampleSize` is not looked at when nothing is given.
MarkedMap MarkChosenPixels(const PixelView& map, const std::vector<uint32_t>& chosenColours,
                              std::optional<int32_t> sampleSize, int32_t surveys);

class SurveySimulation {
public:
    // The chosen colours are 0xRRGGBB (a higher byte is ignored; a colour given twice counts
    // once). Throws EInvalidOperation, with a French message, for a sample size outside 1 to
    // 10000, a number of surveys outside 1 to 100000, no colour chosen, or a colour the map lacks.
    SurveySimulation(const PixelView& map, const std::vector<uint32_t>& chosenColours, int32_t sampleSize,
                     int32_t surveys, uint32_t seed);

    int32_t SampleSize() const { return sampleSize; }
    int32_t Surveys() const { return static_cast<int32_t>(counts.size()); }
    uint32_t Seed() const { return seed; }
    int64_t ChosenPixels() const { return share.Chosen; }
    PixelShare Share() const { return share; }
    long double TrueShare() const { return share.Value(); }
    // The counts between which 95 % of the surveys should fall, for this n and p.
    CountRange Fluctuation() const { return fluctuation; }
    // Whether the method's interval for this count holds the true share (CountsWhoseIntervalHolds).
    bool Holds(IntervalMethod method, int32_t count) const;

    // Runs the surveys still to do, one after the other, until all are done or `stop` is set,
    // which is looked at after each survey (a few hundred microseconds apart at most). The points
    // are drawn as "Go" draws them from the same seed, x then y for each point, but over the
    // picture's own pixels, whose count gives the true share (the map window draws a map at its
    // window's size); the surveys follow one another in the generator's sequence. One thread runs
    // a simulation at a time; meanwhile others may read SurveysDone, Counts and Figures: they
    // give the surveys finished so far.
    void Run(const std::atomic<bool>& stop);

    int32_t SurveysDone() const { return done.load(std::memory_order_acquire); }
    // The count of chosen pixels found by each survey done, in order.
    std::span<const int32_t> Counts() const { return {counts.data(), size_t(SurveysDone())}; }
    // One row per method, in the order of IntervalMethods, over the surveys done so far.
    std::vector<MethodFigures> Figures() const;

private:
    int32_t sampleSize;
    uint32_t seed;
    uint32_t state;
    int32_t width;
    int32_t height;
    std::vector<uint8_t> chosen;  // one byte a pixel, row after row: 1 for a chosen colour
    PixelShare share;
    CountRange fluctuation;
    std::vector<int32_t> counts;  // all K, filled in order
    std::atomic<int32_t> done = 0;

    // Per method: whether the interval of each count holds the true share, its width, and the
    // expected coverage, computed once for n and p.
    struct MethodTable {
        std::vector<uint8_t> Holds;
        std::vector<double> Width;
        long double Expected;
    };
    std::array<MethodTable, IntervalMethods.size()> tables;
};
