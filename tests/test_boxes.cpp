// The message box and the error box as the user meets them: size, wrapping, buttons, the
// copied text, and the dispatch guard that reports an error and lets the program go on.

#include "app/Application.h"
#include "app/Boxes.h"
#include "app/Dispatch.h"
#include "app/Errors.h"
#include "app/NoticeBox.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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
