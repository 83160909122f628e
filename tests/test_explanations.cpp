// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The explanations window: its fixed text, which can be copied but not changed, and the way to
// the chart window.

#include "Program.h"

#include "windows/Abaquez.h"
#include "windows/Explic.h"
#include "windows/Fich_1.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTest>

namespace {

const QStringList expectedLines{
    "Les statistiques sur l'usage du sol sont très rares : quelle proportion du sol ",
    "occupent les rues et les parkings, les espaces verts, les grands immeubles, ",
    "les jardins privés, ou bien, en milieu rural, telle culture ?",
    "Les mesures exactes sur cartes sont longues et pénibles. La meilleure ",
    "manière de les connaître est de procéder à un \"sondage aréolaire\".",
    "Il s'agit de projeter sur l'espace étudié  un nuage de points localisés ",
    "aléatoirement. Il suffit alors de compter le pourcentage de points tombant ",
    "sur un usage particulier.",
    "Comme tout sondage, cette évaluation est affectée de fluctuations aléatoires ",
    "dépendant de la taille de l'échantillon.",
    "Un abaque permet de calculer la marge de fluctuation à 95 % .",
    "____________________________________",
    "1 - Fixer la taille des points, en pixels (5 par exemple)",
    "2 - Echantillonner",
    "3 - Indiquer un usage du sol (ex : trafic)",
    "4 - cliquer sur les points rouges correspondant à cet usage (rues, parkings, ...)",
    "          Les points deviennent bleu pour éviter de cliquer deux fois.",
    "5 - indiquer un autre usage ...",
    "6 - lire les résultats.",
    "7 - utiliser l'abaque pour évaluer la marge de fluctuation.",
};

void ShowExplanations()
{
    QTest::mouseClick(Page_1->ButtExplic, Qt::LeftButton);
    ProcessEvents();
    QVERIFY(QTest::qWaitForWindowExposed(Form3));
}

}  // namespace

class ExplanationsTest : public ProgramTest {
    Q_OBJECT
private slots:

    void textIsShownLetterForLetter()
    {
        ShowExplanations();
        const QStringList lines = Form3->Memo1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), expectedLines.size());
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(lines[i], expectedLines[i]);
        QCOMPARE(Form3->Label1->text(), QStringLiteral("Effectuer un sondage aréolaire"));
    }

    void everyLetterHasItsGlyphInTheFacesUsed()
    {
        for (QWidget* widget : {static_cast<QWidget*>(Form3->Memo1), static_cast<QWidget*>(Form3->Label1)}) {
            // The face itself, not a fallback that would set the letter in another style.
            const QRawFont face = QRawFont::fromFont(widget->font());
            for (const QChar letter : expectedLines.join(QString()))
                QVERIFY2(face.supportsCharacter(letter), qPrintable(QString(letter)));
        }
    }

    // Projected, old-style figures pass for letters ("95 %" reads "9s %", "1 -" reads "I -"):
    // each figure of the text, as the window draws it, stands on the baseline as tall as a capital.
    void figuresAreDrawnLining_data()
    {
        QTest::addColumn<int>("position");
        const QString text = expectedLines.join(QLatin1Char('\n'));
        for (int at = 0; at < text.size(); ++at)
            if (text[at].isDigit())
                QTest::newRow(qPrintable(QStringLiteral("%1 at %2").arg(text[at]).arg(at))) << at;
    }

    void figuresAreDrawnLining()
    {
        QFETCH(int, position);
        ShowExplanations();
        QPlainTextEdit* memo = Form3->Memo1;
        const QImage shown = memo->viewport()->grab().toImage();
        QTextCursor cursor(memo->document());
        cursor.setPosition(position);
        const QRect before = memo->cursorRect(cursor);
        cursor.setPosition(position + 1);
        const int end = memo->cursorRect(cursor).left();
        const QTextBlock block = memo->document()->findBlock(position);
        const QTextLine line = block.layout()->lineForTextPosition(position - block.position());
        const int baseline = before.top() + qRound(line.ascent());
        // The figure's ink: the window's yellow on its navy ground.
        int top = shown.height(), bottom = -1;
        for (int y = before.top(); y <= before.bottom(); ++y)
            for (int x = before.left(); x < end; ++x)
                if (qRed(shown.pixel(x, y)) > 128) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        // An old-style 1 or 2 is as tall as an x, a 3, 4, 5, 7 or 9 hangs below the baseline.
        const QFontMetrics metrics(memo->font());
        const QString measures = QStringLiteral("top %1, bottom %2, baseline %3, x-height %4, capital %5")
                                     .arg(top).arg(bottom).arg(baseline).arg(metrics.xHeight()).arg(metrics.capHeight());
        QVERIFY2(baseline - top > (metrics.xHeight() + metrics.capHeight()) / 2, qPrintable(measures));
        QVERIFY2(bottom <= baseline, qPrintable(measures));  // the baseline's own row: smoothing
    }

    void wholeTextFitsWithoutScrolling()
    {
        ShowExplanations();
        QVERIFY(!Form3->Memo1->verticalScrollBar()->isVisible());
        QCOMPARE(Form3->Memo1->verticalScrollBar()->maximum(), 0);
    }

    void textCanBeSelectedAndCopied()
    {
        ShowExplanations();
        QPlainTextEdit* memo = Form3->Memo1;
        QCOMPARE(QApplication::focusWidget(), memo);
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), expectedLines.join(QLatin1Char('\n')));
        // Cutting, or typing over the selection, changes nothing.
        QTest::keyClick(memo, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClicks(memo, QStringLiteral("abc"));
        QCOMPARE(memo->toPlainText(), expectedLines.join(QLatin1Char('\n')));
        // The caret moves through the text.
        QTest::keyClick(memo, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(memo, Qt::Key_Down);
        QCOMPARE(memo->textCursor().blockNumber(), 1);
    }

    void showingTwiceLeavesOneWindowWithTheSameText()
    {
        ShowExplanations();
        ShowExplanations();
        QVERIFY(Form3->isVisible());
        QCOMPARE(Form3->Memo1->toPlainText(), expectedLines.join(QLatin1Char('\n')));
        int shown = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            shown += window->isVisible() && window->windowTitle() == QStringLiteral("Form3");
        QCOMPARE(shown, 1);
    }

    void fermerHidesOnlyThisWindow()
    {
        ShowExplanations();
        QTest::mouseClick(Form3->Buttfermer, Qt::LeftButton);
        QVERIFY(Form3->isHidden());
        QVERIFY(Page_1->isVisible());
        ShowExplanations();
        QCOMPARE(Form3->Memo1->toPlainText(), expectedLines.join(QLatin1Char('\n')));
    }

    void voirAbaqueShowsTheChartAgainAfterItsFermer()
    {
        ShowExplanations();
        QTest::mouseClick(Form3->ButtVoirAbaque, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(Abaque));
        QTest::mouseClick(Abaque->ButtFermer, Qt::LeftButton);
        QVERIFY(Abaque->isHidden());
        QVERIFY(Form3->isVisible());
        QTest::mouseClick(Form3->ButtVoirAbaque, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(Abaque));
        QVERIFY(Form3->isVisible());
        ProcessEvents();  // a report queued by the chart's paint reaches the recorder
    }
};

QTEST_MAIN(ExplanationsTest)
#include "test_explanations.moc"
