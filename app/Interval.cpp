#include "app/Interval.h"

#include "app/Numbers.h"

#include <boost/math/distributions/beta.hpp>
#include <cmath>

namespace {

constexpr double tailShare = 0.025;  // half of the 5 % left outside the interval

QString PercentText(double share)
{
    QString text = QString::number(share * 100.0, 'f', 1);
    text.replace(QLatin1Char('.'), DecimalSeparator());
    return text;
}

}  // namespace

std::optional<ShareLimits> ExactLimits95(double successes, int64_t trials)
{
    if (trials < 1 || !(successes >= 0) || successes > double(trials))
        return std::nullopt;
    const double n = double(trials);
    // The lower limit is the share under which seeing this many points or more has only a 2.5 %
    // chance, the upper one the share over which seeing this many or fewer has only 2.5 %; both
    // are quantiles of beta distributions. No points seen puts the lower limit at 0, every point
    // seen puts the upper one at 1.
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

QString IntervalHint(int64_t count, int64_t sampleSize)
{
    const std::optional<ShareLimits> limits = ExactLimits95(double(count), sampleSize);
    if (!limits)
        return {};
    return QStringLiteral("Intervalle de confiance à 95 % : %1 % à %2 %")
        .arg(PercentText(limits->Lower), PercentText(limits->Upper));
}
