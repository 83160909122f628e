// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/FloatArith.h"

#include "core/Errors.h"

#include <cmath>

long double Divide(long double dividend, long double divisor)
{
    if (std::isnan(dividend) || std::isnan(divisor) || (dividend == 0 && divisor == 0) ||
        (std::isinf(dividend) && std::isinf(divisor)))
        throw EInvalidOp(QStringLiteral("Opération en virgule flottante incorrecte"));
    if (divisor == 0)
        throw EZeroDivide(QStringLiteral("Division par zéro en virgule flottante"));
    const long double quotient = dividend / divisor;
    if (std::isinf(quotient) && !std::isinf(dividend))
        throw EOverflow(QStringLiteral("Débordement en virgule flottante"));
    return quotient;
}
