// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The text boxes of every window: text of any length, and a paste or a drop that brings nothing.

#include "Program.h"

#include "windows/Abaquez.h"
#include "windows/Carte2.h"
#include "windows/Explic.h"
#include "windows/Fich_1.h"
#include "windows/TabResultats.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

namespace {

QList<QWidget*> EveryTextBox()
{
    QList<QWidget*> boxes;
    for (QWidget* window : {static_cast<QWidget*>(Page_1), static_cast<QWidget*>(Form2),
                            static_cast<QWidget*>(TabRes), static_cast<QWidget*>(Form3),
                            static_cast<QWidget*>(Abaque)}) {
        // The other windows belong to the main window: each box is counted with its own. A box
        // that only shows a value takes no text.
        for (QLineEdit* box : window->findChildren<QLineEdit*>())
            if (box->window() == window && !box->isReadOnly())
                boxes << box;
        for (QPlainTextEdit* box : window->findChildren<QPlainTextEdit*>())
            if (box->window() == window)
                boxes << box;
    }
    return boxes;
}

QString TextOf(QWidget* box)
{
    if (auto* line = qobject_cast<QLineEdit*>(box))
        return line->text();
    return qobject_cast<QPlainTextEdit*>(box)->toPlainText();
}

// A multi-line box takes drops on its viewport.
QWidget* DropSite(QWidget* box)
{
    if (auto* memo = qobject_cast<QPlainTextEdit*>(box))
        return memo->viewport();
    return box;
}

QString Named(QWidget* box)
{
    return box->window()->windowTitle() + QStringLiteral(" / ") + box->metaObject()->className();
}

}  // namespace

class TextBoxesTest : public QObject {
    Q_OBJECT
private slots:
    void init() { StartProgram(); }
    void cleanup()
    {
        QApplication::clipboard()->clear();
        EndProgram();
    }

    void editBoxesTakeTextOfAnyLength_data()
    {
        QTest::addColumn<bool>("pasted");
        QTest::newRow("set") << false;
        QTest::newRow("pasted") << true;
    }
    void editBoxesTakeTextOfAnyLength()
    {
        QFETCH(bool, pasted);
        const QString longText = QStringLiteral("1234567890").repeated(10000);
        for (QWidget* box : EveryTextBox()) {
            auto* line = qobject_cast<QLineEdit*>(box);
            if (!line)
                continue;
            if (pasted) {
                line->clear();
                QApplication::clipboard()->setText(longText);
                QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
            } else {
                line->setText(longText);
            }
            QVERIFY2(line->text() == longText, qPrintable(Named(box)));
        }
    }

    // A paste (Ctrl+V, Shift+Insert) or a drop that brings nothing, or data in no format.
    void nothingPastedOrDroppedChangesNothing_data()
    {
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<bool>("emptyData");
        QTest::newRow("paste, nothing copied") << false << false;
        QTest::newRow("paste, data without a format") << false << true;
        QTest::newRow("drop, no data") << true << false;
        QTest::newRow("drop, data without a format") << true << true;
    }
    void nothingPastedOrDroppedChangesNothing()
    {
        QFETCH(bool, dropped);
        QFETCH(bool, emptyData);
        QMimeData empty;
        const QMimeData* data = emptyData ? &empty : nullptr;
        const QList<QWidget*> boxes = EveryTextBox();
        QCOMPARE(boxes.size(), 9);  // EdFich, EdNPoints, EdLandUse, EdNBPoints, TaillePt, EdGraine, EdEleve, two notes
        for (QWidget* box : boxes) {
            const QString before = TextOf(box);
            if (dropped) {
                const QPointF at(5, 5);
                QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(DropSite(box), &enter);
                QDragMoveEvent move(at.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(DropSite(box), &move);
                QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(DropSite(box), &drop);
                QVERIFY2(!drop.isAccepted(), qPrintable(Named(box)));
            } else {
                if (emptyData)
                    QApplication::clipboard()->setMimeData(new QMimeData);
                else
                    QApplication::clipboard()->clear();
                QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
                QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
            }
            QVERIFY2(TextOf(box) == before, qPrintable(Named(box)));
        }
    }
};

QTEST_MAIN(TextBoxesTest)
#include "test_text_boxes.moc"
