// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/Numbers.h"

#include "core/Errors.h"
#include "core/MessageText.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

QChar decimalSeparator = QLatin1Char('.');

[[noreturn]] void Refuse(const QString& text)
{
    throw EConvertError(
        QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(MessageQuote(text)));
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

}  // namespace

int32_t ParseInteger(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');

    const bool dollar = i < n && text[i] == QLatin1Char('$');
    const bool letterX = i < n && (text[i] == QLatin1Char('x') || text[i] == QLatin1Char('X'));
    const bool zeroX = i + 1 < n && text[i] == QLatin1Char('0') &&
                       (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'));
    if (dollar || letterX || zeroX) {
        i += zeroX ? 2 : 1;
        if (i == n)
            Refuse(text);
        uint32_t value = 0;
        for (; i < n; ++i) {
            const int digit = HexDigit(text[i]);
            if (digit < 0 || value > 0x0FFFFFFFu)
                Refuse(text);
            value = value * 16 + uint32_t(digit);
        }
        return static_cast<int32_t>(negative ? 0u - value : value);
    }

    if (i == n)
        Refuse(text);
    const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    uint64_t value = 0;
    for (; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u < '0' || u > '9')
            Refuse(text);
        value = value * 10 + (u - '0');
        if (value > limit)
            Refuse(text);
    }
    return static_cast<int32_t>(negative ? 0 - value : value);
}

uint32_t ParseUnsigned(const QString& text)
{
    // A seed is often copied from a note or a message, blanks around it included.
    const QString digits = text.trimmed();
    const bool negative = digits.startsWith(QLatin1Char('-'));
    qsizetype i = negative ? 1 : 0;
    if (i == digits.size())
        Refuse(text);
    uint64_t value = 0;
    for (; i < digits.size(); ++i) {
        const char16_t u = digits[i].unicode();
        if (u < '0' || u > '9')
            Refuse(text);
        // Past the largest the value stays there: only its being out of range still matters.
        value = std::min<uint64_t>(value * 10 + (u - '0'), 0x100000000ull);
    }
    if (negative ? value > 0 : value > 0xFFFFFFFFull)
        throw EConvertError(QStringLiteral("'%1' est hors des limites : la graine est un nombre entier de 0 "
                                           "à 4294967295")
                                .arg(MessageQuote(text)));
    return static_cast<uint32_t>(value);
}

QString IntegerText(int64_t value)
{
    return QString::number(value);
}

QString RealText(long double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0 || std::fpclassify(value) == FP_SUBNORMAL)
        return QStringLiteral("0");

    // 18 significant digits, rounded to nearest by the C library: "d.ddddddddddddddddde±x".
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", std::fabs(value));
    QByteArray digits;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits.append(*p);
    int exponent = std::atoi(p + 1) + 1;  // the magnitude is 0.d1d2d3… × 10^exponent

    // Then 15 digits, rounding up in magnitude when the 16th digit is 5 or more.
    const bool roundUp = digits[15] >= '5';
    digits.truncate(15);
    if (roundUp) {
        int k = 14;
        while (k >= 0 && digits[k] == '9')
            digits[k--] = '0';
        if (k < 0) {
            digits = "1";
            ++exponent;
        } else {
            digits[k] = char(digits[k] + 1);
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.chop(1);

    QString out = value < 0 ? QStringLiteral("-") : QString();
    const QString d = QString::fromLatin1(digits);
    if (exponent > 15 || exponent < -3) {
        out += d[0];
        if (d.size() > 1)
            out += decimalSeparator + d.mid(1);
        out += QLatin1Char('E') + QString::number(exponent - 1);
    } else if (exponent >= 1) {
        out += d.left(exponent).leftJustified(exponent, QLatin1Char('0'));
        if (d.size() > exponent)
            out += decimalSeparator + d.mid(exponent);
    } else {
        out += QLatin1Char('0') + QString(decimalSeparator) + QString(-exponent, QLatin1Char('0')) + d;
    }
    return out;
}

long double ParseDecimal(const QString& text)
{
    QString digits;
    bool separated = false;
    const auto refuse = [&text] {
        throw EConvertError(QStringLiteral("'%1' n'est pas un nombre : tapez des chiffres, avec une virgule pour les "
                                           "décimales (par exemple 2,5).")
                                .arg(MessageQuote(text)));
    };
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        if (c == QLatin1Char(',') || c == QLatin1Char('.')) {
            if (separated)
                refuse();
            separated = true;
            digits += QLatin1Char('.');
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits += c;
        } else {
            refuse();
        }
    }
    if (digits.isEmpty() || digits == QLatin1String("."))
        refuse();
    return std::strtold(digits.toLatin1().constData(), nullptr);
}

QString FixedText(double value, int decimals)
{
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), decimalSeparator);
}

QChar DecimalSeparator()
{
    return decimalSeparator;
}

void SetDecimalSeparator(QChar separator)
{
    decimalSeparator = separator;
}

void ReadDecimalSeparator()
{
    const QString symbol = QLocale::system().decimalPoint();
    SetDecimalSeparator(symbol.size() == 1 ? symbol[0] : QLatin1Char('.'));
}
