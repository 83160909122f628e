// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/Simulation.h"

#include "core/Errors.h"
#include "core/SampleGenerator.h"

#include <boost/math/distributions/binomial.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/multiprecision/cpp_int.hpp>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

using boost::multiprecision::cpp_int;
// Wide enough for n(cb − an)² times 10³⁸ with n up to 10⁴ and a map of up to 2⁶² pixels.
using Wide = boost::multiprecision::int512_t;

// The normal distribution's 97.5 % quantile: 95 % between -z and z.
constexpr double z = 1.959963984540054;
// z² to 38 decimals, 3.84145882069412595836137543736259684621: the exact decisions compare whole
// numbers with it, far finer than the double z of the limits drawn.
const Wide zSquaredNumerator("384145882069412595836137543736259684621");
const Wide zSquaredDenominator("100000000000000000000000000000000000000");

// Tails computed in extended precision are off by far less than this; nearer to the fraction
// they are compared with, the comparison is made again in whole numbers.
constexpr long double nearTie = 1e-12L;

ShareLimits CutToShares(double lower, double upper)
{
    return {std::clamp(lower, 0.0, 1.0), std::clamp(upper, 0.0, 1.0)};
}

// Σ C(n, k) aᵏ dⁿ⁻ᵏ for k from 0 to `count`: P(count ≤ c) at the share a / (a + d), times (a + d)ⁿ.
cpp_int AtMostSum(int32_t sampleSize, int32_t count, int64_t a, int64_t d)
{
    if (d == 0)
        return count == sampleSize ? cpp_int(pow(cpp_int(a), unsigned(sampleSize))) : cpp_int(0);
    cpp_int term = pow(cpp_int(d), unsigned(sampleSize));
    cpp_int sum = term;
    // Each step stays whole: C(n, k)(n − k)/(k + 1) is C(n, k + 1), and the term then holds dⁿ⁻ᵏ⁻¹.
    for (int32_t k = 0; k < count && term != 0; ++k) {
        term *= sampleSize - k;
        term /= k + 1;
        term *= a;
        term /= d;
        sum += term;
    }
    return sum;
}

int Sign(const cpp_int& left, const cpp_int& right)
{
    return left < right ? -1 : left > right ? 1 : 0;
}

// n(c/n − p)² against the bound of each method, multiplied through by n²b² (and by 10³⁸ where z²
// enters) so that only whole numbers are compared.
bool HoldsInWholeNumbers(IntervalMethod method, int32_t count, int32_t sampleSize, PixelShare share)
{
    const Wide c = count, n = sampleSize, a = share.Chosen, b = share.Total;
    const Wide gap = c * b - a * n;
    const Wide gapSquared = gap * gap;
    switch (method) {
    case IntervalMethod::RootN:
        return gapSquared <= n * b * b;
    case IntervalMethod::Wilson:
        return gapSquared * zSquaredDenominator <= zSquaredNumerator * n * a * (b - a);
    case IntervalMethod::Wald:
        return n * gapSquared * zSquaredDenominator <= zSquaredNumerator * c * (n - c) * b * b;
    case IntervalMethod::ClopperPearson:
        break;
    }
    return false;
}

}  // namespace

QString MethodName(IntervalMethod method)
{
    switch (method) {
    case IntervalMethod::ClopperPearson:
        return QStringLiteral("Clopper-Pearson");
    case IntervalMethod::Wilson:
        return QStringLiteral("Wilson");
    case IntervalMethod::Wald:
        return QStringLiteral("Wald");
    case IntervalMethod::RootN:
        return QStringLiteral("f ± 1/√n");
    }
    return {};
}

QString TaughtMethodName(IntervalMethod method)
{
    switch (method) {
    case IntervalMethod::ClopperPearson:
        return QStringLiteral("Exact (Clopper-Pearson)");
    case IntervalMethod::Wilson:
        return QStringLiteral("Score (Wilson)");
    case IntervalMethod::Wald:
        return QStringLiteral("Asymptotique (Wald)");
    case IntervalMethod::RootN:
        return QStringLiteral("f ± 1/√n (seconde)");
    }
    return {};
}

ShareLimits MethodLimits(IntervalMethod method, int32_t count, int32_t sampleSize)
{
    const double n = sampleSize;
    const double f = count / n;
    switch (method) {
    case IntervalMethod::ClopperPearson:
        return *ExactLimits95(count, sampleSize);
    case IntervalMethod::Wilson: {
        const double z2 = z * z;
        const double centre = (count + z2 / 2) / (n + z2);
        const double half = z / (n + z2) * std::sqrt(count * (n - count) / n + z2 / 4);
        // No point found gives a lower limit of exactly 0, every point an upper one of exactly 1;
        // computed, they come out a hair off, and p = 1 would look missed.
        return CutToShares(count == 0 ? 0.0 : centre - half, count == sampleSize ? 1.0 : centre + half);
    }
    case IntervalMethod::Wald: {
        const double half = z * std::sqrt(f * (1 - f) / n);
        return CutToShares(f - half, f + half);
    }
    case IntervalMethod::RootN: {
        const double half = 1 / std::sqrt(n);
        return CutToShares(f - half, f + half);
    }
    }
    return {};
}

CountDistribution::CountDistribution(int32_t sampleSize, PixelShare share)
    : sampleSize(sampleSize), share(share)
{
    const int64_t common = std::gcd(share.Chosen, share.Total);
    this->share = {share.Chosen / common, share.Total / common};
    const boost::math::binomial_distribution<long double> law(sampleSize, this->share.Value());
    probabilities.resize(size_t(sampleSize) + 1);
    atMost.resize(probabilities.size());
    atLeast.resize(probabilities.size());
    for (int32_t count = 0; count <= sampleSize; ++count)
        probabilities[size_t(count)] = pdf(law, static_cast<long double>(count));
    long double sum = 0;
    for (int32_t count = 0; count <= sampleSize; ++count)
        atMost[size_t(count)] = sum += probabilities[size_t(count)];
    sum = 0;
    for (int32_t count = sampleSize; count >= 0; --count)
        atLeast[size_t(count)] = sum += probabilities[size_t(count)];
}

long double CountDistribution::ProbabilityOf(const std::vector<uint8_t>& marked) const
{
    long double sum = 0;
    for (size_t count = 0; count < probabilities.size(); ++count)
        if (marked[count])
            sum += probabilities[count];
    return sum;
}

int CountDistribution::CompareAtMost(int32_t count, int64_t numerator, int64_t denominator) const
{
    const long double fraction = (long double)numerator / denominator;
    const long double tail = atMost[size_t(count)];
    if (std::abs(tail - fraction) > nearTie)
        return tail < fraction ? -1 : 1;
    return Sign(denominator * AtMostSum(sampleSize, count, share.Chosen, share.Total - share.Chosen),
                numerator * pow(cpp_int(share.Total), unsigned(sampleSize)));
}

int CountDistribution::CompareAtLeast(int32_t count, int64_t numerator, int64_t denominator) const
{
    const long double fraction = (long double)numerator / denominator;
    const long double tail = atLeast[size_t(count)];
    if (std::abs(tail - fraction) > nearTie)
        return tail < fraction ? -1 : 1;
    // At least c chosen pixels out of n is at most n − c of the others.
    return Sign(denominator * AtMostSum(sampleSize, sampleSize - count, share.Total - share.Chosen, share.Chosen),
                numerator * pow(cpp_int(share.Total), unsigned(sampleSize)));
}

std::vector<uint8_t> CountsWhoseIntervalHolds(IntervalMethod method, const CountDistribution& counts)
{
    const int32_t sampleSize = counts.SampleSize();
    std::vector<uint8_t> holds(size_t(sampleSize) + 1);
    for (int32_t count = 0; count <= sampleSize; ++count) {
        if (method == IntervalMethod::ClopperPearson)
            // The lower limit is the share at which P(count ≥ c) is 2.5 %, and that chance grows
            // with the share: the limit is at most p when P(count ≥ c) at p is at least 2.5 %.
            // The upper limit mirrors it.
            holds[size_t(count)] = counts.CompareAtLeast(count, 1, 40) >= 0 && counts.CompareAtMost(count, 1, 40) >= 0;
        else
            holds[size_t(count)] = HoldsInWholeNumbers(method, count, sampleSize, counts.Share());
    }
    return holds;
}

bool ExactIntervalHolds(int32_t count, int32_t sampleSize, PixelShare share)
{
    const long double p = share.Value();
    // P(count ≥ c) is I_p(c, n − c + 1) and P(count ≤ c) is 1 − I_p(c + 1, n − c).
    const long double atLeast =
        count == 0 ? 1.0L : boost::math::ibeta((long double)count, (long double)(sampleSize - count + 1), p);
    const long double atMost =
        count == sampleSize ? 1.0L : boost::math::ibetac((long double)(count + 1), (long double)(sampleSize - count), p);
    const auto nearTheLimit = [](long double tail) { return std::abs(tail - 0.025L) <= nearTie; };
    if (nearTheLimit(atLeast) || nearTheLimit(atMost)) {
        const CountDistribution counts(sampleSize, share);
        return counts.CompareAtLeast(count, 1, 40) >= 0 && counts.CompareAtMost(count, 1, 40) >= 0;
    }
    return atLeast >= 0.025L && atMost >= 0.025L;
}

CountRange FluctuationCounts95(const CountDistribution& counts)
{
    const int32_t sampleSize = counts.SampleSize();
    CountRange range{0, sampleSize, 0};
    while (counts.CompareAtMost(range.Lowest, 1, 40) <= 0)
        ++range.Lowest;
    range.Highest = range.Lowest;
    while (counts.CompareAtMost(range.Highest, 39, 40) < 0)
        ++range.Highest;
    for (int32_t count = range.Lowest; count <= range.Highest; ++count)
        range.Probability += counts.Probability(count);
    return range;
}

ShareAxis RoundShareAxis(double low, double high)
{
    low = std::clamp(low, 0.0, 1.0);
    high = std::clamp(high, low, 1.0);
    // The smallest step of 1, 2 or 5 times a power of ten that leaves at most ten ticks between
    // round values around the range; a step of 0.1 always does.
    for (int decimals = 6; decimals >= 1; --decimals)
        for (int multiple : {1, 2, 5}) {
            const double step = multiple * std::pow(10.0, -decimals);
            // A hair of slack, so that 0.3 over 0.1 counts as 3 and not as 2.9999…
            double from = std::floor(low / step + 1e-9) * step;
            double to = std::min(1.0, std::ceil(high / step - 1e-9) * step);
            if (to - from < step / 2) {
                if (from + step <= 1.0)
                    to = from + step;
                else
                    from = to - step;
            }
            if ((to - from) / step <= 10 + 1e-9)
                return {from, to, step, decimals};
        }
    return {0.0, 1.0, 0.1, 1};
}

MarkedMap MarkChosenPixels(const PixelView& map, const std::vector<uint32_t>& chosenColours,
                              std::optional<int32_t> sampleSize, int32_t surveys)
{
    if (sampleSize && (*sampleSize < 1 || *sampleSize > MaxSampleSize))
        throw EInvalidOperation(QStringLiteral("Vous devez entrer un nombre de points d'échantillon compris "
                                               "entre 1 et %1 !")
                                    .arg(MaxSampleSize));
    if (surveys < 1 || surveys > MaxSimulatedSurveys)
        throw EInvalidOperation(
            QStringLiteral("Vous devez entrer un nombre d'enquêtes compris entre 1 et %1 !").arg(MaxSimulatedSurveys));
    if (chosenColours.empty())
        throw EInvalidOperation(QStringLiteral("Choisissez au moins une couleur de la carte comme usage du sol !"));
    if (map.Width <= 0 || map.Height <= 0)
        throw EInvalidGraphic(QStringLiteral("La carte n'a aucun pixel."));

    std::vector<uint32_t> colours;
    for (uint32_t colour : chosenColours)
        if (std::find(colours.begin(), colours.end(), colour & 0xFFFFFFu) == colours.end())
            colours.push_back(colour & 0xFFFFFFu);
    MarkedMap chosen{map.Width, map.Height, std::vector<uint8_t>(size_t(map.Width) * size_t(map.Height)),
                        {0, int64_t(map.Width) * map.Height}};
    std::vector<int64_t> pixelsOfColour(colours.size(), 0);
    for (int32_t y = 0; y < map.Height; ++y)
        for (int32_t x = 0; x < map.Width; ++x) {
            const auto found = std::find(colours.begin(), colours.end(), map.Rgb(x, y));
            if (found == colours.end())
                continue;
            chosen.Marks[size_t(y) * size_t(map.Width) + size_t(x)] = 1;
            ++pixelsOfColour[size_t(found - colours.begin())];
        }
    for (size_t i = 0; i < colours.size(); ++i)
        if (pixelsOfColour[i] == 0)
            throw EInvalidOperation(QStringLiteral("La couleur %1 n'est pas dans la carte.").arg(ColourText(colours[i])));
    for (int64_t pixels : pixelsOfColour)
        chosen.Share.Chosen += pixels;
    return chosen;
}

SurveySimulation::SurveySimulation(const PixelView& map, const std::vector<uint32_t>& chosenColours,
                                   int32_t sampleSize, int32_t surveys, uint32_t seed)
    : sampleSize(sampleSize), seed(seed), state(seed), width(map.Width), height(map.Height)
{
    MarkedMap marked = MarkChosenPixels(map, chosenColours, sampleSize, surveys);
    chosen = std::move(marked.Marks);
    share = marked.Share;

    const CountDistribution law(sampleSize, share);
    fluctuation = FluctuationCounts95(law);
    for (size_t m = 0; m < IntervalMethods.size(); ++m) {
        MethodTable& table = tables[m];
        table.Holds = CountsWhoseIntervalHolds(IntervalMethods[m], law);
        table.Expected = law.ProbabilityOf(table.Holds);
        for (int32_t count = 0; count <= sampleSize; ++count) {
            const ShareLimits limits = MethodLimits(IntervalMethods[m], count, sampleSize);
            table.Width.push_back(limits.Upper - limits.Lower);
        }
    }
    counts.resize(size_t(surveys));
}

void SurveySimulation::Run(const std::atomic<bool>& stop)
{
    const auto mapWidth = static_cast<uint32_t>(width);
    const auto mapHeight = static_cast<uint32_t>(height);
    const uint8_t* pixels = chosen.data();
    for (int32_t survey = done.load(std::memory_order_relaxed); survey < Surveys(); ++survey) {
        if (stop.load(std::memory_order_relaxed))
            return;
        int32_t count = 0;
        for (int32_t point = 0; point < sampleSize; ++point) {
            const QPoint place = SamplePlace(state, mapWidth, mapHeight);
            count += pixels[size_t(place.y()) * mapWidth + size_t(place.x())];
        }
        counts[size_t(survey)] = count;
        done.store(survey + 1, std::memory_order_release);
    }
}

bool SurveySimulation::Holds(IntervalMethod method, int32_t count) const
{
    const auto m = size_t(std::find(IntervalMethods.begin(), IntervalMethods.end(), method) - IntervalMethods.begin());
    return tables[m].Holds[size_t(count)] != 0;
}

std::vector<MethodFigures> SurveySimulation::Figures() const
{
    const std::span<const int32_t> found = Counts();
    std::vector<MethodFigures> figures;
    for (size_t m = 0; m < IntervalMethods.size(); ++m) {
        const MethodTable& table = tables[m];
        int32_t containing = 0;
        long double widths = 0;
        for (int32_t count : found) {
            containing += table.Holds[size_t(count)];
            widths += table.Width[size_t(count)];
        }
        const auto surveys = static_cast<int32_t>(found.size());
        const std::optional<ShareLimits> limits = ExactLimits95(containing, surveys);
        figures.push_back({IntervalMethods[m], surveys, containing,
                           surveys > 0 ? (long double)containing / surveys : 0.0L,
                           limits.value_or(ShareLimits{0, 1}), table.Expected,
                           surveys > 0 ? widths / surveys : 0.0L});
    }
    return figures;
}
