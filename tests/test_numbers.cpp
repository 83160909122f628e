// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Number entry and number text, the error box's full stop, the title rule and the one
// division that raises floating-point errors.

#include "app/Application.h"
#include "core/Errors.h"
#include "core/FloatArith.h"
#include "core/Numbers.h"
#include "ui/Boxes.h"

#include <QTest>

class NumbersTest : public QObject {
    Q_OBJECT
private slots:
    void acceptsIntegerForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("leading blanks") << "   25" << 25;
        QTest::newRow("plus") << "+25" << 25;
        QTest::newRow("minus") << "-25" << -25;
        QTest::newRow("leading zeros") << "007" << 7;
        QTest::newRow("dollar hex") << "$1F" << 31;
        QTest::newRow("x hex") << "x1F" << 31;
        QTest::newRow("0X hex mixed case") << "0X1f" << 31;
        QTest::newRow("0x hex") << "0x1F" << 31;
        QTest::newRow("all ones is -1") << "$FFFFFFFF" << -1;
        QTest::newRow("hex with leading zeros") << "$000000001" << 1;
        QTest::newRow("hex sign bit") << "$80000000" << int(0x80000000u);
        QTest::newRow("negated hex") << "-$10" << -16;
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << int(-2147483648ll);
        QTest::newRow("minus zero") << "-0" << 0;
        QTest::newRow("zero") << "0" << 0;
    }
    void acceptsIntegerForms()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(ParseInteger(text), value);
    }

    // Distances typed with either separator, blanks between thousands; anything else refused.
    void parsesTypedDecimals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");  // -1: refused
        QTest::newRow("comma") << "2,5" << 2.5;
        QTest::newRow("full stop") << " 2.5 " << 2.5;
        QTest::newRow("thousands apart") << "1 250,75" << 1250.75;
        QTest::newRow("no-break space") << "1\u00a0000" << 1000.0;
        QTest::newRow("whole") << "300" << 300.0;
        QTest::newRow("leading separator") << ",5" << 0.5;
        QTest::newRow("two separators") << "1,2.5" << -1.0;
        QTest::newRow("sign") << "-3" << -1.0;
        QTest::newRow("exponent") << "1e3" << -1.0;
        QTest::newRow("unit typed") << "3 km" << -1.0;
        QTest::newRow("separator alone") << "," << -1.0;
        QTest::newRow("empty") << "" << -1.0;
    }
    void parsesTypedDecimals()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        if (value >= 0)
            QCOMPARE(double(ParseDecimal(text)), value);
        else
            QVERIFY_THROWS_EXCEPTION(EConvertError, ParseDecimal(text));
    }

    void refusesWithQuotedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("trailing blank") << "25 ";
        QTest::newRow("tab before digits") << "\t25";
        QTest::newRow("just past largest") << "2147483648";
        QTest::newRow("just past smallest") << "-2147483649";
        QTest::newRow("2^32") << "4294967296";
        QTest::newRow("decimal point") << "1.5";
        QTest::newRow("decimal comma") << "1,5";
        QTest::newRow("thousands blank") << "1 000";
        QTest::newRow("lone dollar") << "$";
        QTest::newRow("0x without digits") << "0x";
        QTest::newRow("blank after sign") << "- 5";
        QTest::newRow("two signs") << "+-5";
        QTest::newRow("sign alone") << "-";
        QTest::newRow("empty") << "";
        QTest::newRow("blanks only") << "   ";
        QTest::newRow("letters") << "abc";
        QTest::newRow("hex too long") << "$100000000";
        QTest::newRow("hex bad digit") << "$1G";
        QTest::newRow("arabic digits") << QString::fromUtf8("٣");
    }
    void refusesWithQuotedText()
    {
        QFETCH(QString, text);
        try {
            ParseInteger(text);
            QFAIL("accepted");
        } catch (const EConvertError& error) {
            QCOMPARE(error.Message, QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text));
        }
    }

    // A seed: blanks at either end are dropped; a whole number out of range is told the range.
    void parsesSeeds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("value");
        QTest::addColumn<QString>("error");  // empty: accepted
        const QString range = QStringLiteral("' est hors des limites : la graine est un nombre entier de 0 à 4294967295");
        const QString notWhole = QStringLiteral("' n'est pas une valeur entière correcte");
        QTest::newRow("plain") << "12" << 12u << "";
        QTest::newRow("leading blank") << " 12" << 12u << "";
        QTest::newRow("trailing blank") << "12 " << 12u << "";
        QTest::newRow("tab and line break around") << "\t12\n" << 12u << "";
        QTest::newRow("zero") << "0" << 0u << "";
        QTest::newRow("largest") << "4294967295" << 4294967295u << "";
        QTest::newRow("just past largest") << "4294967296" << 0u << "'4294967296" + range;
        QTest::newRow("far past largest") << "99999999999999999999999" << 0u << "'99999999999999999999999" + range;
        QTest::newRow("negative") << "-1" << 0u << "'-1" + range;
        QTest::newRow("blank inside") << "1 2" << 0u << "'1 2" + notWhole;
        QTest::newRow("blanks only") << "  " << 0u << "'  " + notWhole;
        QTest::newRow("minus alone") << "-" << 0u << "'-" + notWhole;
        QTest::newRow("arabic-indic digits") << QString::fromUtf8("١٢") << 0u << QString::fromUtf8("'١٢") + notWhole;
    }
    void parsesSeeds()
    {
        QFETCH(QString, text);
        QFETCH(uint, value);
        QFETCH(QString, error);
        try {
            QCOMPARE(ParseUnsigned(text), value);
            QVERIFY2(error.isEmpty(), "accepted");
        } catch (const EConvertError& refusal) {
            QCOMPARE(refusal.Message, error);
        }
    }

    // The message quotes any typed text so that it stays short and reads left to right.
    void refusalQuotesLongAndRightToLeftTexts_data()
    {
        const QString fsi(QChar(0x2068)), pdi(QChar(0x2069)), rli(QChar(0x2067)), rlo(QChar(0x202E));
        const QString shalom = QString::fromUtf8("שלום"), olam = QString::fromUtf8("עולם");
        const QString accented = QString::fromUtf8("e\u0301");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("80 digits kept whole") << QString(80, '7') << QString(80, '7');
        QTest::newRow("600 digits") << QString(300, '7') + QString(300, '8')
                                    << QString(40, '7') + "…" + QString(39, '8');
        QTest::newRow("accents stay on their letters")
            << accented.repeated(100) << accented.repeated(40) + "…" + accented.repeated(39);
        QTest::newRow("hebrew") << shalom << fsi + shalom + pdi;
        QTest::newRow("hebrew after digits") << "12" + shalom << fsi + "12" + shalom + pdi;
        QTest::newRow("override left open") << "a" + rlo + "b" << fsi + "a" + rlo + "b" + pdi;
        QTest::newRow("stray closing isolate") << "x" + pdi + rlo + "y" << fsi + "x" + rlo + "y" + pdi;
        QTest::newRow("isolate left open") << rli + shalom << fsi + rli + shalom + pdi + pdi;
        QTest::newRow("line break") << shalom + "\n" + olam << fsi + shalom + " " + olam + pdi;
    }
    void refusalQuotesLongAndRightToLeftTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        try {
            ParseInteger(text);
            QFAIL("accepted");
        } catch (const EConvertError& error) {
            QCOMPARE(error.Message, QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(quoted));
            QVERIFY(!error.Message.isRightToLeft());
        }
    }

    void integerText_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("255") << 255 << "255";
        QTest::newRow("-1") << -1 << "-1";
        QTest::newRow("7") << 7 << "7";
        QTest::newRow("0") << 0 << "0";
        QTest::newRow("smallest") << int(-2147483648ll) << "-2147483648";
    }
    void integerText()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(IntegerText(value), text);
    }

    void realText_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<long double>("value");
        QTest::addColumn<QString>("text");
        for (const QString& sep : {QStringLiteral(","), QStringLiteral(".")}) {
            auto row = [&](const char* name, long double v, QString t) {
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(name, sep)))
                    << sep << v << t.replace(QLatin1Char(','), sep);
            };
            row("3/10", 3.0L / 10, "0,3");
            row("1/3", 1.0L / 3, "0,333333333333333");
            row("2/3", 2.0L / 3, "0,666666666666667");
            row("1/255", 1.0L / 255, "0,00392156862745098");
            row("12/17 in extended", 12.0L / 17, "0,705882352941176");
            row("1/1", 1.0L, "1");
            row("0.0001", 0.0001L, "0,0001");
            row("0.00001", 0.00001L, "1E-5");
            row("15 digits", 123456789012345.0L, "123456789012345");
            row("1E15", 1e15L, "1E15");
            row("just below 1E15", 999999999999999.0L, "999999999999999");
            row("carry through all digits", 0.99999999999999999L, "1");
            row("-2.5", -2.5L, "-2,5");
            row("7/10 negative", -7.0L / 10, "-0,7");
            row("large", 1.5e300L, "1,5E300");
            row("tiny", 2.5e-300L, "2,5E-300");
            row("zero", 0.0L, "0");
            row("minus zero", -0.0L, "0");
        }
    }
    void realText()
    {
        QFETCH(QString, separator);
        QFETCH(long double, value);
        QFETCH(QString, text);
        SetDecimalSeparator(separator[0]);
        QCOMPARE(RealText(value), text);
    }

    void quotientNarrowedToDoubleWouldEndIn177()
    {
        SetDecimalSeparator(QLatin1Char('.'));
        QCOMPARE(RealText(static_cast<double>(12.0L / 17)), QStringLiteral("0.705882352941177"));
    }

    void divisionErrors_data()
    {
        QTest::addColumn<long double>("dividend");
        QTest::addColumn<long double>("divisor");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("message");
        QTest::newRow("0/0") << 0.0L << 0.0L << "EInvalidOp" << "Opération en virgule flottante incorrecte";
        QTest::newRow("1/0") << 1.0L << 0.0L << "EZeroDivide" << "Division par zéro en virgule flottante";
        QTest::newRow("-5/0") << -5.0L << 0.0L << "EZeroDivide" << "Division par zéro en virgule flottante";
        QTest::newRow("overflow") << std::numeric_limits<long double>::max() << 0.5L << "EOverflow"
                                  << "Débordement en virgule flottante";
    }
    void divisionErrors()
    {
        QFETCH(long double, dividend);
        QFETCH(long double, divisor);
        QFETCH(QString, className);
        QFETCH(QString, message);
        try {
            Divide(dividend, divisor);
            QFAIL("no error");
        } catch (const Exception& error) {
            QCOMPARE(error.ClassName, className);
            QCOMPARE(error.Message, message);
        }
    }

    void divisionIsExtended()
    {
        QCOMPARE(Divide(12, 17), 12.0L / 17);
        QVERIFY(Divide(12, 17) != static_cast<long double>(12.0 / 17));
    }

    void titleFromExecutable_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("ours") << "/opt/x/sondelio" << "Sondelio";
        QTest::newRow("cut at first dot") << "/a/MY.TOOL.EXE" << "My";
        QTest::newRow("mixed case") << "sONDELIO" << "Sondelio";
        QTest::newRow("folder dropped") << "/usr/Bin.d/tool" << "Tool";
        QTest::newRow("dot first") << "/x/.hidden" << "";
    }
    void titleFromExecutable()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(TitleFromExecutable(path), title);
    }

    void errorBoxFullStop_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "abc" << "abc.";
        QTest::newRow("digit") << "Code 5" << "Code 5.";
        QTest::newRow("apostrophe") << "'x'" << "'x'";
        QTest::newRow("quote") << "'abc' n'est pas une valeur entière correcte"
                               << "'abc' n'est pas une valeur entière correcte.";
        QTest::newRow("full stop") << "Fini." << "Fini.";
        QTest::newRow("blank") << "Fini " << "Fini ";
        QTest::newRow("line break") << "Fini\n" << "Fini\n";
        QTest::newRow("exclamation") << "Fini !" << "Fini !";
        QTest::newRow("hyphen") << "a-" << "a-";
        QTest::newRow("slash") << "a/" << "a/.";
        QTest::newRow("accented") << "créé" << "créé.";
        QTest::newRow("empty") << "" << "";
    }
    void errorBoxFullStop()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorBoxText(message), shown);
    }
};

QTEST_MAIN(NumbersTest)
#include "test_numbers.moc"
