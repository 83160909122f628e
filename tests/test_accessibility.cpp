// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// What a screen reader and a hovering mouse find: every control of every window has a name (its
// label's text where a label tells what it is) and a short French tooltip, and every "Fermer"
// answers Alt+F. What the desktop's accessibility bus itself reports is checked under a real X
// server by test_classroom_screens.

#include "helpers/Controls.h"
#include "helpers/Program.h"
#include "ui/ApplicationFrame.h"
#include "ui/WindowFrame.h"
#include "windows/Abaquez.h"
#include "windows/Carte2.h"
#include "windows/Classe.h"
#include "windows/Explic.h"
#include "windows/Fich_1.h"
#include "windows/PlanDialog.h"
#include "windows/ScaleDialog.h"
#include "windows/Simulation.h"

#include <QAccessible>
#include <QHash>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

namespace {

QString AccessibleName(QWidget* control)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

// What a screen reader would miss in a window: a control without a name or a tooltip.
QStringList Unexplained(const QWidget* window)
{
    QStringList missing;
    for (QWidget* control : Controls(window)) {
        const QString what = QStringLiteral("%1: %2 \"%3\"")
                                 .arg(window->windowTitle(), control->metaObject()->className(), AccessibleName(control));
        if (AccessibleName(control).trimmed().isEmpty())
            missing << what + " has no name";
        if (control->toolTip().trimmed().isEmpty())
            missing << what + " has no tooltip";
    }
    return missing;
}

}  // namespace

class AccessibilityTest : public ProgramTest {
    Q_OBJECT
private slots:
    void everyControlIsNamedAndExplained()
    {
        QStringList missing;
        for (QWidget* window : ProgramWindows())
            missing << Unexplained(window);
        // The simulation's lower chart once more, behind its other tab: the coverage curve.
        Simulation->TabCharts->setCurrentIndex(1);
        missing << Unexplained(Simulation);
        Simulation->TabCharts->setCurrentIndex(0);
        // The class window's views, each behind its tab.
        for (int view = 1; view < Classe->TabVues->count(); ++view) {
            Classe->TabVues->setCurrentIndex(view);
            missing << Unexplained(Classe);
        }
        Classe->TabVues->setCurrentIndex(0);
        // The map window's dialogs.
        missing << Unexplained(std::make_unique<TPlanDialog>(SampleDesign(), Form2).get())
                << Unexplained(std::make_unique<TScaleDialog>(std::nullopt, 600, std::nullopt, Form2).get());
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    }

    // A box is read out as the label beside it reads, without the label's mnemonic mark or
    // its margins; a button whose caption says nothing aloud is named after what it does.
    void namesAreReadAsTheLabelsAre_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("map file, trailing blank") << "EdFich" << "1)- Carte sur quel fichier .bmp ?";
        QTest::newRow("sample size") << "EdNPoints" << "2)- Combien de points d'échantillonnage voulez-vous ?";
        QTest::newRow("draw button") << "BtnDessine" << "3)- Cliquez pour dessiner la carte";
        QTest::newRow("results button") << "Button1" << "4)- Afficher les résultats";
        QTest::newRow("explanations button") << "ButtExplic" << "Explications";
        QTest::newRow("main window's Fermer, mnemonic") << "BitBtn1" << "Fermer";
        QTest::newRow("land use, leading blank") << "EdLandUse" << "Quel usage du sol ?";
        QTest::newRow("colours, mnemonic") << "ListColours" << "Usage du sol (une ou plusieurs couleurs) :";
        QTest::newRow("the \"…\" button") << "BtnChoisirCarte" << "Choisir la carte";
    }
    void namesAreReadAsTheLabelsAre()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        const QHash<QString, QWidget*> controls{{"EdFich", Page_1->EdFich},
                                                {"EdNPoints", Page_1->EdNPoints},
                                                {"BtnDessine", Page_1->BtnDessine},
                                                {"Button1", Page_1->Button1},
                                                {"ButtExplic", Page_1->ButtExplic},
                                                {"BitBtn1", Page_1->BitBtn1},
                                                {"EdLandUse", Form2->EdLandUse},
                                                {"ListColours", Simulation->ListColours},
                                                {"BtnChoisirCarte", Page_1->BtnChoisirCarte}};
        QCOMPARE(AccessibleName(controls[control]), name);
    }

    // The explanations' and the chart's "Fermer" answer the keys of every other "Fermer".
    void fermerAnswersAltF_data()
    {
        QTest::addColumn<bool>("chart");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        const Qt::KeyboardModifiers alt(Qt::AltModifier), altShift(Qt::AltModifier | Qt::ShiftModifier);
        QTest::newRow("explanations, Alt+F") << false << alt;
        QTest::newRow("explanations, Alt+Shift+F") << false << altShift;
        QTest::newRow("chart, Alt+F") << true << alt;
        QTest::newRow("chart, F on a button") << true << Qt::KeyboardModifiers();
    }
    void fermerAnswersAltF()
    {
        QFETCH(bool, chart);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QWidget* window = chart ? static_cast<QWidget*>(Abaque) : Form3;
        ShowWindow(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QWidget* button = chart ? static_cast<QWidget*>(Abaque->ButtFermer) : Form3->ButtVoirAbaque;
        QApplication::setActiveWindow(window);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_F, modifiers);
        QTRY_VERIFY(window->isHidden());  // a mnemonic presses its button after a short flash
        QVERIFY(Page_1->isVisible());
    }
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
