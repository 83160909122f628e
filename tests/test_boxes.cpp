// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The message box and the error box as the user meets them: size, wrapping, buttons, the
// copied text, and the dispatch guard that reports an error and lets the program go on.

#include "BoxRecorder.h"

#include "app/Application.h"
#include "core/Errors.h"
#include "ui/Boxes.h"
#include "ui/Dispatch.h"
#include "ui/NoticeBox.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(std::function<void()>)

namespace {

// Runs a check on whichever modal box opens next, then closes it with the given key.
void OnNextModalBox(const std::function<void(QWidget*)>& check, Qt::Key closeKey)
{
    QTimer::singleShot(0, [check, closeKey] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        check(box);
        QTest::keyClick(box, closeKey);
    });
}

}  // namespace

class BoxesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetUpApplication(*qApp); }

    void shortNoticeIsAsWideAsItsButtonAndMargins()
    {
        const QFont font = QApplication::font("QMessageBox");
        const QFontMetrics metrics(font);
        const int h = metrics.horizontalAdvance(
                          QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
        const NoticeLayout layout = LayOutNotice(font, QStringLiteral("Ok"), 1600);
        QCOMPARE(layout.Button.width(), qRound(50.0 * h / 4));
        QCOMPARE(layout.Client.width(), layout.Button.width() + 2 * qRound(8.0 * h / 4));
        QCOMPARE(layout.Text.topLeft(), QPoint(qRound(8.0 * h / 4), metrics.height()));
        QVERIFY(qAbs(2 * layout.Button.left() + layout.Button.width() - layout.Client.width()) <= 1);
        QVERIFY(layout.Button.bottom() < layout.Client.height());
    }

    void longNoticeWrapsAtHalfTheScreen()
    {
        const QFont font = QApplication::font("QMessageBox");
        const QString text = QStringLiteral("Vous devez entrer le nombre de points d'echantillon ! ").repeated(12);
        const NoticeLayout layout = LayOutNotice(font, text, 800);
        QVERIFY(layout.Text.width() <= 400);
        QVERIFY(layout.Text.width() > 300);
        QVERIFY(layout.Text.height() >= 3 * QFontMetrics(font).height());
        QVERIFY(layout.Button.top() > layout.Text.bottom());
    }

    void realNoticeShowsTextTitleAndOneDefaultButton()
    {
        QString shownText, shownTitle;
        int buttons = 0;
        bool okIsDefault = false;
        OnNextModalBox([&](QWidget* box) {
            shownTitle = box->windowTitle();
            shownText = box->findChild<QLabel*>()->text();
            const auto all = box->findChildren<QPushButton*>();
            buttons = all.size();
            okIsDefault = all.value(0) && all[0]->isDefault() && all[0]->text() == "OK";
        }, Qt::Key_Escape);
        ShowNotice(QStringLiteral("Appuyez sur le bouton \"Sonder\""));
        QCOMPARE(shownTitle, QStringLiteral("Test_boxes"));
        QCOMPARE(shownText, QStringLiteral("Appuyez sur le bouton \"Sonder\""));
        QCOMPARE(buttons, 1);
        QVERIFY(okIsDefault);
    }

    // Return chooses the answer that keeps the work, Escape the last one, whatever the order.
    void questionReturnChoosesItsDefault_data()
    {
        QTest::addColumn<int>("defaultAnswer");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("chosen");
        QTest::newRow("Return, the second the default") << 1 << int(Qt::Key_Return) << 1;
        QTest::newRow("Return, the first the default") << 0 << int(Qt::Key_Return) << 0;
        QTest::newRow("Escape") << 0 << int(Qt::Key_Escape) << 2;
    }
    void questionReturnChoosesItsDefault()
    {
        QFETCH(int, defaultAnswer);
        QFETCH(int, key);
        QFETCH(int, chosen);
        OnNextModalBox([](QWidget*) {}, Qt::Key(key));
        QCOMPARE(AskQuestion(QStringLiteral("Continuer ?"), {"Oui", "Non", "Annuler"}, defaultAnswer), chosen);
    }

    void ctrlCCopiesTheBoxAsText()
    {
        QApplication::clipboard()->clear();
        OnNextModalBox([](QWidget* box) { QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier); },
                       Qt::Key_Return);
        ShowNotice(QStringLiteral("Bonjour"));
        const QString rule(27, QLatin1Char('-'));
        QCOMPARE(QApplication::clipboard()->text(),
                 rule + "\r\nTest_boxes\r\n" + rule + "\r\nBonjour\r\n" + rule + "\r\nOK   \r\n" + rule + "\r\n");
    }

    void guardReportsErrorInTheStopBoxAndStopsTheHandler()
    {
        QString shownText, shownTitle;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        OnNextModalBox([&](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            QVERIFY(message);
            shownText = message->text();
            shownTitle = message->windowTitle();
            icon = message->icon();
        }, Qt::Key_Return);
        bool ranPastTheError = false;
        RunHandler([&] {
            throw EConvertError(QStringLiteral("'abc' n'est pas une valeur entière correcte"));
            ranPastTheError = true;
        });
        QVERIFY(!ranPastTheError);
        QCOMPARE(shownText, QStringLiteral("'abc' n'est pas une valeur entière correcte."));
        QCOMPARE(shownTitle, QStringLiteral("Test_boxes"));
        QCOMPARE(icon, QMessageBox::Critical);
    }

    void errorBoxFitsOnItsScreen_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("600 digits") << QString(600, '7');
        QTest::newRow("2500 words") << QStringLiteral("mot ").repeated(2500);
        QTest::newRow("unbroken wide letters") << QString(400, QChar(0x6F22));
        QTest::newRow("a line per word") << QStringLiteral("ligne\n").repeated(300);
    }
    void errorBoxFitsOnItsScreen()
    {
        QFETCH(QString, message);
        QRect frame, available, labelRect;
        QString shown;
        QFont labelFont;
        OnNextModalBox([&](QWidget* box) {
            frame = box->frameGeometry();
            available = box->screen()->availableGeometry();
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label && !label->wordWrap());
            labelRect = label->rect();
            labelFont = label->font();
            shown = label->text();
        }, Qt::Key_Return);
        RunHandler([&] { throw EReadError(message); });
        QVERIFY2(available.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frame.x())
                     .arg(frame.y()).arg(frame.width()).arg(frame.height())));
        // Every line of the text is shown whole.
        const QFontMetrics metrics(labelFont);
        const QStringList lines = shown.split('\n');
        for (const QString& line : lines)
            QVERIFY(metrics.horizontalAdvance(line) <= labelRect.width());
        QVERIFY(lines.size() * metrics.lineSpacing() <= labelRect.height() + metrics.leading());
        QVERIFY(shown.startsWith(message.left(4)));
    }

    void errorBoxCopiesItsWholeTextLikeTheNoticeBox()
    {
        const QString message = QStringLiteral("mot ").repeated(2500) + QStringLiteral("fin");
        QApplication::clipboard()->clear();
        OnNextModalBox([](QWidget* box) { QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier); },
                       Qt::Key_Return);
        RunHandler([&] { throw EReadError(message); });
        QCOMPARE(QApplication::clipboard()->text(), NoticeClipboardText("Test_boxes", message + "."));
    }

    void guardReportsEveryExceptionAndGoesOn_data()
    {
        QTest::addColumn<std::function<void()>>("thrower");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ours") << std::function<void()>([] { throw EOSError("Accès refusé"); })
                              << "Accès refusé.";
        QTest::newRow("memory") << std::function<void()>([] { throw std::bad_alloc(); })
                                << "Mémoire insuffisante.";
        QTest::newRow("library's exception")
            << std::function<void()>([] { throw std::out_of_range("vector::_M_range_check"); })
            << "Erreur imprévue : vector::_M_range_check.";
        QTest::newRow("exception without text")
            << std::function<void()>([] { throw std::runtime_error(""); }) << "Erreur imprévue.";
        QTest::newRow("not an exception") << std::function<void()>([] { throw 42; })
                                          << "Erreur imprévue.";
    }
    void guardReportsEveryExceptionAndGoesOn()
    {
        QFETCH(std::function<void()>, thrower);
        QFETCH(QString, shown);
        BoxRecorder boxes;
        RunHandler(thrower);
        RunHandler(thrower, HandlerKind::Paint);
        QTRY_COMPARE(boxes.Errors, QStringList({shown, shown}));
    }

    void paintErrorIsReportedAfterThePaint()
    {
        QString shownText;
        bool reportedDuringHandler = false;
        RunHandler([&] {
            throw EZeroDivide(QStringLiteral("Division par zéro en virgule flottante"));
        }, HandlerKind::Paint);
        reportedDuringHandler = QApplication::activeModalWidget() != nullptr;
        OnNextModalBox([&](QWidget* box) { shownText = qobject_cast<QMessageBox*>(box)->text(); },
                       Qt::Key_Return);
        QTRY_COMPARE(shownText, QStringLiteral("Division par zéro en virgule flottante."));
        QVERIFY(!reportedDuringHandler);
    }
};

QTEST_MAIN(BoxesTest)
#include "test_boxes.moc"
