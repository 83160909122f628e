// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/Interval.h"

#include "core/Numbers.h"

#include <boost/math/distributions/beta.hpp>
#include <algorithm>
#include <cmath>

namespace {

constexpr double tailShare = 0.025;  // half of the 5 % left outside the interval

enum class Rounding { Down, Up };

// A limit in percent, rounded away from the interval's inside, so that the interval shown always
// holds the exact one and never shrinks to a point. One decimal in general; within 1 % of 0 or
// of 100 as many as give two significant digits of the distance to that end, so that a limit
// close to an end never reads as the end itself ("0,00025 %", "99,963 %").
QString LimitText(double share, Rounding rounding)
{
    const double percent = share * 100.0;
    const double distanceToEnd = std::min(percent, 100.0 - percent);
    int decimals = 1;
    if (distanceToEnd > 0 && distanceToEnd < 1)
        decimals = 1 - int(std::floor(std::log10(distanceToEnd)));
    const double scale = std::pow(10.0, decimals);
    const double steps = rounding == Rounding::Down ? std::floor(percent * scale) : std::ceil(percent * scale);
    return FixedText(steps / scale, decimals);
}

}  // namespace

std::optional<ShareLimits> ExactLimits95(double successes, int64_t trials)
{
    if (trials < 1)
        return std::nullopt;
    return FractionalLimits95(successes, double(trials));
}

std::optional<ShareLimits> FractionalLimits95(double successes, double sampleSize)
{
    if (!(sampleSize > 0) || !std::isfinite(sampleSize) || !(successes >= 0) || successes > sampleSize)
        return std::nullopt;
    const double n = sampleSize;
    // The lower limit is the share under which seeing this many points or more has only a 2.5 %
    // chance, the upper one the share over which seeing this many or fewer has only 2.5 %; both
    // are quantiles of beta distributions, which need no whole count. No points seen puts the
    // lower limit at 0, every point seen puts the upper one at 1.
    const double lower =
        successes == 0
            ? 0.0
            : quantile(boost::math::beta_distribution<double>(successes, n - successes + 1), tailShare);
    const double upper =
        successes == n
            ? 1.0
            : quantile(boost::math::beta_distribution<double>(successes + 1, n - successes), 1 - tailShare);
    return ShareLimits{lower, upper};
}

QString IntervalText(const std::optional<ShareLimits>& limits)
{
    if (!limits)
        return {};
    return QStringLiteral("%1 % à %2 %")
        .arg(LimitText(limits->Lower, Rounding::Down), LimitText(limits->Upper, Rounding::Up));
}

QString IntervalText(int64_t count, int64_t sampleSize)
{
    return IntervalText(ExactLimits95(double(count), sampleSize));
}

QString IntervalHint(const std::optional<ShareLimits>& limits)
{
    const QString interval = IntervalText(limits);
    if (interval.isEmpty())
        return {};
    return QStringLiteral("Intervalle de confiance à 95 % : ") + interval;
}
