// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/Explic.h"

#include "picture/TColor.h"
#include "ui/ApplicationFrame.h"
#include "ui/Dispatch.h"
#include "ui/HouseStyle.h"
#include "ui/TextBoxes.h"
#include "ui/WindowFrame.h"
#include "windows/Abaquez.h"

#include <QLabel>
#include <QPushButton>

TForm3* Form3 = nullptr;

namespace {

// Line for line as the user reads it, trailing blanks included.
const QStringList explanation{
    QStringLiteral("Les statistiques sur l'usage du sol sont très rares : quelle proportion du sol "),
    QStringLiteral("occupent les rues et les parkings, les espaces verts, les grands immeubles, "),
    QStringLiteral("les jardins privés, ou bien, en milieu rural, telle culture ?"),
    QStringLiteral("Les mesures exactes sur cartes sont longues et pénibles. La meilleure "),
    QStringLiteral("manière de les connaître est de procéder à un \"sondage aréolaire\"."),
    QStringLiteral("Il s'agit de projeter sur l'espace étudié  un nuage de points localisés "),
    QStringLiteral("aléatoirement. Il suffit alors de compter le pourcentage de points tombant "),
    QStringLiteral("sur un usage particulier."),
    QStringLiteral("Comme tout sondage, cette évaluation est affectée de fluctuations aléatoires "),
    QStringLiteral("dépendant de la taille de l'échantillon."),
    QStringLiteral("Un abaque permet de calculer la marge de fluctuation à 95 % ."),
    QStringLiteral("____________________________________"),
    QStringLiteral("1 - Fixer la taille des points, en pixels (5 par exemple)"),
    QStringLiteral("2 - Echantillonner"),
    QStringLiteral("3 - Indiquer un usage du sol (ex : trafic)"),
    QStringLiteral("4 - cliquer sur les points rouges correspondant à cet usage (rues, parkings, ...)"),
    QStringLiteral("          Les points deviennent bleu pour éviter de cliquer deux fois."),
    QStringLiteral("5 - indiquer un autre usage ..."),
    QStringLiteral("6 - lire les résultats."),
    QStringLiteral("7 - utiliser l'abaque pour évaluer la marge de fluctuation."),
};

// The program's Garamond has its lining figures and every accented letter; having one style, it
// is emboldened by Qt (see LoadLiningGaramond in app/Application.cpp).
QFont BoldGaramond(int pixelHeight)
{
    return PixelFont(QStringLiteral("Garamond"), pixelHeight, true);
}

}  // namespace

TForm3::TForm3()
{
    SetUpWindow(this, QStringLiteral("Form3"), 195, 143, 791, 642,
                PixelFont(QStringLiteral("MS Sans Serif"), 16, true), ColourToRGB(clYellow));

    Label1 = MakeLabel(this, QStringLiteral("Effectuer un sondage aréolaire"), 176, 24,
                       BoldGaramond(32), ColourToRGB(clNavy));

    // Created in tab order. The text can be read, selected and copied, never changed.
    Memo1 = new TMemo(explanation.join(QLatin1Char('\n')), this);
    Memo1->setGeometry(64, 96, 657, 473);
    Memo1->setFont(BoldGaramond(19));
    NameAfter(Memo1, Label1);
    Memo1->setToolTip(QStringLiteral("La méthode, et comment faire un sondage pas à pas"));
    QPalette memoColours = Memo1->palette();
    memoColours.setColor(QPalette::Base, ColourToRGB(clNavy));
    memoColours.setColor(QPalette::Text, ColourToRGB(clYellow));
    Memo1->setPalette(memoColours);
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setWordWrapMode(QTextOption::WordWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Buttfermer = MakeButton(this, QStringLiteral("&Fermer"), 576, 576, 75, 25);
    Buttfermer->setToolTip(QStringLiteral("Fermer les explications (Alt+F)"));
    AddMnemonicKeys(Buttfermer);
    ButtVoirAbaque = MakeButton(this, QStringLiteral("Voir Abaque"), 144, 576, 129, 25);
    ButtVoirAbaque->setToolTip(QStringLiteral("L'abaque qui donne la marge de fluctuation à 95 %"));
    ButtSimuler = MakeButton(this, QStringLiteral("&Simuler…"), 288, 576, 129, 25);
    ButtSimuler->setToolTip(QStringLiteral("Refaire l'enquête des milliers de fois sur la carte et voir "
                                           "les estimations fluctuer"));

    connect(Buttfermer, &QPushButton::clicked, this, Guarded(this, &TForm3::ButtfermerClick));
    connect(ButtVoirAbaque, &QPushButton::clicked, this, Guarded(this, &TForm3::ButtVoirAbaqueClick));
    connect(ButtSimuler, &QPushButton::clicked, this, Guarded(this, &TForm3::ButtSimulerClick));
}

void TForm3::ButtfermerClick()
{
    close();
}

void TForm3::ButtVoirAbaqueClick()
{
    ShowWindow(Abaque);
}

void TForm3::ButtSimulerClick()
{
    emit SimulationWanted();
}
