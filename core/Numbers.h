// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Number entry and number text, as the edit boxes and the results grid show them.

#include <QChar>
#include <QString>
#include <cstdint>

// Text to a 32-bit signed integer: leading spaces, one sign, then decimal digits or a
// hexadecimal number ($, x, X, 0x, 0X) running to the very end. Raises EConvertError.
int32_t ParseInteger(const QString& text);
// Text to a 32-bit unsigned integer (a generator's seed): decimal digits between blanks, from 0 to
// 4294967295. Raises EConvertError: with ParseInteger's message for what is no whole number, with
// the range for a whole number outside it ("-1", "4294967296").
uint32_t ParseUnsigned(const QString& text);

// A decimal number as a user types it, a distance or a width: digits with at most one decimal
// separator, the comma or the full stop whatever the region, blanks around and between groups of
// digits ("1 250,5"); no sign, no exponent. Raises EConvertError in French.
long double ParseDecimal(const QString& text);

QString IntegerText(int64_t value);

// General format with 15 significant digits, from the 80-bit extended value, with the
// regional decimal separator.
QString RealText(long double value);
// `value` rounded to `decimals` digits after the regional decimal separator, every one written:
// "0,950" for 0.95 at three decimals, as the tables and captions show shares.
QString FixedText(double value, int decimals);

// The regional decimal separator used by RealText.
QChar DecimalSeparator();
void SetDecimalSeparator(QChar separator);
// Reads the separator from the user's regional settings: the full stop when the setting is
// missing or longer than one character.
void ReadDecimalSeparator();
