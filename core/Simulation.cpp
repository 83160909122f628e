#include "core/Simulation.h"

#include "core/Errors.h"
#include "core/SampleGenerator.h"

#include <boost/math/distributions/binomial.hpp>
#include <algorithm>
#include <cmath>

namespace {

// The normal distribution's 97.5 % quantile: 95 % between -z and z.
constexpr double z = 1.959963984540054;

ShareLimits CutToShares(double lower, double upper)
{
    return {std::clamp(lower, 0.0, 1.0), std::clamp(upper, 0.0, 1.0)};
}

bool Holds(const ShareLimits& limits, long double share)
{
    return limits.Lower <= share && share <= limits.Upper;
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
        return CutToShares(centre - half, centre + half);
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

std::vector<ShareLimits> LimitsOfEveryCount(IntervalMethod method, int32_t sampleSize)
{
    std::vector<ShareLimits> limits;
    limits.reserve(size_t(sampleSize) + 1);
    for (int32_t count = 0; count <= sampleSize; ++count)
        limits.push_back(MethodLimits(method, count, sampleSize));
    return limits;
}

long double ExpectedCoverage(const std::vector<ShareLimits>& limitsOfEveryCount, long double share)
{
    const auto sampleSize = static_cast<long double>(limitsOfEveryCount.size() - 1);
    const boost::math::binomial_distribution<long double> counts(sampleSize, share);
    long double coverage = 0;
    for (size_t count = 0; count < limitsOfEveryCount.size(); ++count)
        if (Holds(limitsOfEveryCount[count], share))
            coverage += pdf(counts, static_cast<long double>(count));
    return coverage;
}

CountRange FluctuationCounts95(long double share, int32_t sampleSize)
{
    const boost::math::binomial_distribution<long double> counts(sampleSize, share);
    CountRange range{-1, sampleSize};
    long double cumulated = 0;
    for (int32_t count = 0; count <= sampleSize; ++count) {
        cumulated += pdf(counts, static_cast<long double>(count));
        if (range.Lowest < 0 && cumulated > 0.025L)
            range.Lowest = count;
        if (cumulated >= 0.975L) {
            range.Highest = count;
            break;
        }
    }
    return range;
}

SurveySimulation::SurveySimulation(const PixelView& map, const std::vector<uint32_t>& chosenColours,
                                   int32_t sampleSize, int32_t surveys, uint32_t seed)
    : sampleSize(sampleSize), seed(seed), state(seed), width(map.Width), height(map.Height)
{
    if (sampleSize < 1 || sampleSize > MaxSimulatedSampleSize)
        throw EInvalidOperation(QStringLiteral("Vous devez entrer un nombre de points d'échantillon compris "
                                               "entre 1 et %1 !")
                                    .arg(MaxSimulatedSampleSize));
    if (surveys < 1 || surveys > MaxSimulatedSurveys)
        throw EInvalidOperation(
            QStringLiteral("Vous devez entrer un nombre d'enquêtes compris entre 1 et %1 !").arg(MaxSimulatedSurveys));
    if (chosenColours.empty())
        throw EInvalidOperation(QStringLiteral("Choisissez au moins une couleur de la carte comme usage du sol !"));
    if (width <= 0 || height <= 0)
        throw EInvalidGraphic(QStringLiteral("La carte n'a aucun pixel."));

    std::vector<uint32_t> colours;
    for (uint32_t colour : chosenColours)
        if (std::find(colours.begin(), colours.end(), colour & 0xFFFFFFu) == colours.end())
            colours.push_back(colour & 0xFFFFFFu);
    // The chosen colours become one byte a pixel, so that a survey reads a single byte per point.
    std::vector<int64_t> pixelsOfColour(colours.size(), 0);
    chosen.resize(size_t(width) * size_t(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const auto found = std::find(colours.begin(), colours.end(), map.Rgb(x, y));
            if (found == colours.end())
                continue;
            chosen[size_t(y) * size_t(width) + size_t(x)] = 1;
            ++pixelsOfColour[size_t(found - colours.begin())];
        }
    for (size_t i = 0; i < colours.size(); ++i)
        if (pixelsOfColour[i] == 0)
            throw EInvalidOperation(QStringLiteral("La couleur %1 n'est pas dans la carte.").arg(ColourText(colours[i])));
    for (int64_t pixels : pixelsOfColour)
        chosenPixels += pixels;
    trueShare = chosenPixels / ((long double)width * height);

    for (size_t m = 0; m < IntervalMethods.size(); ++m) {
        const std::vector<ShareLimits> limits = LimitsOfEveryCount(IntervalMethods[m], sampleSize);
        MethodTable& table = tables[m];
        for (const ShareLimits& each : limits) {
            table.Holds.push_back(Holds(each, trueShare) ? 1 : 0);
            table.Width.push_back(each.Upper - each.Lower);
        }
        table.Expected = ExpectedCoverage(limits, trueShare);
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
            const uint32_t x = RandomBelow(state, mapWidth);
            const uint32_t y = RandomBelow(state, mapHeight);
            count += pixels[size_t(y) * mapWidth + x];
        }
        counts[size_t(survey)] = count;
        done.store(survey + 1, std::memory_order_release);
    }
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
