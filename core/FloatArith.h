// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The one division of the program that can fail: extended-precision division that raises the
// floating-point errors instead of giving infinities or not-a-number values.

// EZeroDivide for a non-zero value divided by zero, EInvalidOp for 0 ÷ 0 (or any NaN operand),
// EOverflow when the quotient passes the largest extended value.
long double Divide(long double dividend, long double divisor);
