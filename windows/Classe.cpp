// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The class window's controls, laid out by coordinates in the house style, and its views one at a
// time behind the tabs.

#include "windows/Classe.h"

#include "ui/Dispatch.h"
#include "ui/HouseStyle.h"
#include "ui/MarkedMap.h"
#include "ui/TextGrid.h"
#include "ui/WindowFrame.h"
#include "windows/ChartParts.h"

#include <QChartView>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>

TClasse* Classe = nullptr;

namespace {

QComboBox* MakeChooser(QWidget* parent, QLabel* label, int left, int top, int width, const QString& tip)
{
    auto* chooser = new QComboBox(parent);
    chooser->setGeometry(left, top, width, 25);
    chooser->setToolTip(tip);
    label->setBuddy(chooser);
    NameAfter(chooser, label);
    return chooser;
}

QLabel* MakeNote(QWidget* parent, int left, int top, int width, int height)
{
    QLabel* note = MakeLabel(parent, QString(), left, top, parent->font(), parent->palette().color(QPalette::WindowText));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    note->setFixedSize(width, height);
    return note;
}

}  // namespace

QWidget* TClasse::MakePage(const QString& title, const QString& tip)
{
    auto* page = new QFrame(this);
    page->setFrameShape(QFrame::StyledPanel);
    page->setGeometry(8, 234, 976, 454);
    TabVues->setTabToolTip(TabVues->addTab(title), tip);
    pages.push_back(page);
    return page;
}

TClasse::TClasse()
{
    SetUpWindow(this, QStringLiteral("Classe"), 12, 30, 1000, 720,
                PixelFont(QStringLiteral("MS Sans Serif"), 13, false), palette().color(QPalette::WindowText));
    const QColor text = palette().color(QPalette::WindowText);

    Label1 = MakeLabel(this, QStringLiteral("Les séances de la classe"), 8, 0,
                       PixelFont(QStringLiteral("Times New Roman"), 27, true), HouseBlue);

    // Created in tab order.
    ButtAjouter = MakeButton(this, QStringLiteral("&Ajouter des séances…"), 8, 44, 170, 25);
    ButtAjouter->setToolTip(QStringLiteral("Choisir une ou plusieurs séances (.sondelio) des élèves ; "
                                           "on peut aussi les déposer sur la fenêtre"));
    ButtDossier = MakeButton(this, QStringLiteral("Ajouter un d&ossier…"), 186, 44, 170, 25);
    ButtDossier->setToolTip(QStringLiteral("Ajouter toutes les séances (.sondelio) d'un dossier"));
    ButtNouvelle = MakeButton(this, QStringLiteral("&Nouvelle classe"), 364, 44, 130, 25);
    ButtNouvelle->setToolTip(QStringLiteral("Retirer toutes les séances de la fenêtre ; aucun fichier n'est effacé"));
    LabelCarte = MakeLabel(this, QStringLiteral("&Carte :"), 508, 49, font(), text);
    ComboCarte = MakeChooser(this, LabelCarte, 560, 44, 300, QStringLiteral("La classe est analysée carte par carte : "
                                                                            "la carte dont les séances sont montrées"));
    ButtFermer = new TCloseButton(this, QStringLiteral("&Fermer"), 872, 44, 112, 25);
    ButtFermer->setToolTip(QStringLiteral("Fermer la fenêtre de la classe (Alt+F)"));

    GridSeances = new TTextGrid(this, 7, {22});
    GridSeances->setGeometry(8, 76, 976, 124);
    GridSeances->setAccessibleName(QStringLiteral("Séances de la classe"));
    SetToolTip(GridSeances, QStringLiteral("Chaque séance ajoutée : son élève, sa carte, sa graine, sa taille N et "
                                           "ses points classés k ; une séance refusée dit pourquoi"));
    GridSeances->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11, false));
    GridSeances->verticalHeader()->setFixedWidth(160);
    // The state last, as wide as the rest leaves: a refusal's reason is read whole in its hint.
    for (const auto& [column, width] : {std::pair{StudentColumn, 130}, std::pair{MapColumn, 130}, std::pair{SeedColumn, 96},
                                        std::pair{SizeColumn, 60}, std::pair{ProgressColumn, 70}, std::pair{StateColumn, 300}})
        GridSeances->horizontalHeader()->resizeSection(column - 1, width);
    GridSeances->SetRowCount(2);
    const QStringList sessionHeads{QStringLiteral("Fichier"), QStringLiteral("Élève"), QStringLiteral("Carte"),
                                   QStringLiteral("Graine"), QStringLiteral("N"), QStringLiteral("k / N"),
                                   QStringLiteral("État")};
    for (int column = 0; column < sessionHeads.size(); ++column)
        GridSeances->SetCell(column, 0, sessionHeads[column]);

    TabVues = new QTabBar(this);
    TabVues->setGeometry(8, 208, 976, 26);
    TabVues->setExpanding(false);
    TabVues->setUsesScrollButtons(false);
    TabVues->setAccessibleName(QStringLiteral("Vues de la classe"));
    SetToolTip(TabVues, QStringLiteral("Le tableau, les intervalles, la référence, l'accord entre élèves "
                                                 "et les noms des usages du sol"));

    QWidget* table = MakePage(QStringLiteral("Tableau"),
                              QStringLiteral("Une ligne par élève et une ligne pour la classe"));
    GridClasse = new TTextGrid(table, 3, {22});
    GridClasse->setGeometry(4, 4, 960, 300);
    GridClasse->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11, false));
    GridClasse->setAccessibleName(QStringLiteral("Tableau de la classe"));
    SetToolTip(GridClasse, QStringLiteral("Pour chaque élève et chaque usage du sol : le nombre de points et la "
                                          "fréquence ; la souris sur une fréquence donne son intervalle à 95 %"));
    GridClasse->horizontalHeader()->setDefaultSectionSize(70);
    GridClasse->verticalHeader()->setFixedWidth(150);
    LabelCommun = MakeNote(table, 4, 310, 960, 90);
    ButtExporterTableau = MakeButton(table, QStringLiteral("E&xporter le tableau…"), 4, 406, 200, 25);
    ButtExporterTableau->setToolTip(QStringLiteral("Écrire le tableau de la classe et son estimation en CSV"));

    QWidget* intervals = MakePage(QStringLiteral("Intervalles"),
                                  QStringLiteral("L'intervalle à 95 % de chaque élève pour un usage du sol"));
    LabelUsage = MakeLabel(intervals, QStringLiteral("&Usage du sol :"), 4, 9, font(), text);
    ComboUsage = MakeChooser(intervals, LabelUsage, 110, 4, 250,
                             QStringLiteral("L'usage du sol dont les intervalles sont montrés"));
    ButtExporterGraphique = MakeButton(intervals, QStringLiteral("Exporter le &graphique…"), 372, 4, 200, 25);
    ButtExporterGraphique->setToolTip(QStringLiteral("Écrire le graphique des intervalles en PNG"));
    ChartIntervalles = MakeChartView(intervals, 4, 34, 960, 366);
    ChartIntervalles->setAccessibleName(QStringLiteral("Intervalles de la classe"));
    ChartIntervalles->setToolTip(QStringLiteral("L'intervalle à 95 % de chaque élève et son estimation, l'estimation "
                                                "de la classe et la part de référence"));
    LabelContiennent = MakeNote(intervals, 4, 406, 960, 40);

    QWidget* check = MakePage(QStringLiteral("Référence"),
                              QStringLiteral("Chaque élève comparé à une référence"));
    LabelReference = MakeLabel(check, QStringLiteral("&Référence :"), 4, 9, font(), text);
    ComboReference = MakeChooser(check, LabelReference, 90, 4, 300,
                                 QStringLiteral("La légende de la carte, ou la séance d'un élève prise pour référence"));
    LabelEleve = MakeLabel(check, QStringLiteral("Élè&ve :"), 4, 39, font(), text);
    ComboEleve = MakeChooser(check, LabelEleve, 90, 34, 300, QStringLiteral("L'élève comparé à la référence"));
    GridConfusion = new TTextGrid(check, 2, {22});
    GridConfusion->setGeometry(4, 64, 476, 196);
    GridConfusion->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11, false));
    GridConfusion->setAccessibleName(QStringLiteral("Matrice de confusion"));
    SetToolTip(GridConfusion, QStringLiteral("En ligne, l'usage donné par l'élève ; en colonne, celui de la "
                                             "référence : les points, puis leur part de la ligne et de la colonne"));
    GridConfusion->horizontalHeader()->setDefaultSectionSize(124);
    GridConfusion->verticalHeader()->setFixedWidth(100);
    LabelAccordReference = MakeNote(check, 4, 264, 476, 36);
    ListDesaccords = new QListWidget(check);
    ListDesaccords->setGeometry(4, 302, 476, 100);
    ListDesaccords->setAccessibleName(QStringLiteral("Points en désaccord"));
    SetToolTip(ListDesaccords, QStringLiteral("Les points où l'élève et la référence diffèrent, cerclés sur la carte"));
    ButtExporterMatrice = MakeButton(check, QStringLiteral("Exporter la &matrice…"), 4, 408, 190, 25);
    ButtExporterMatrice->setToolTip(QStringLiteral("Écrire la matrice de confusion de l'élève en CSV"));
    ButtExporterCarte = MakeButton(check, QStringLiteral("Exporter la car&te…"), 200, 408, 190, 25);
    ButtExporterCarte->setToolTip(QStringLiteral("Écrire la carte des désaccords en PNG"));
    MapReference = new TMarkedMap(check);
    MapReference->setGeometry(490, 4, 474, 440);
    MapReference->setAccessibleName(QStringLiteral("Carte des désaccords"));
    MapReference->setToolTip(QStringLiteral("Les points vérifiés de l'élève : verts s'ils s'accordent avec la "
                                            "référence, cerclés de rouge sinon ; la souris sur un point donne les deux noms"));

    QWidget* colours = MakePage(QStringLiteral("Légende"),
                                QStringLiteral("L'usage du sol de chaque couleur de la carte, que vous nommez"));
    LabelLegende = MakeNote(colours, 4, 4, 960, 54);
    TableLegende = new QTableWidget(0, 3, colours);
    TableLegende->setGeometry(4, 62, 600, 380);
    TableLegende->setHorizontalHeaderLabels(
        {QStringLiteral("Couleur"), QStringLiteral("Part vraie"), QStringLiteral("Usage du sol")});
    TableLegende->horizontalHeader()->resizeSection(0, 130);
    TableLegende->horizontalHeader()->resizeSection(1, 110);
    TableLegende->horizontalHeader()->setStretchLastSection(true);
    TableLegende->verticalHeader()->hide();
    TableLegende->setAccessibleName(QStringLiteral("Légende de la carte"));
    SetToolTip(TableLegende, QStringLiteral("Chaque couleur de la carte et sa part vraie : double-cliquez la troisième "
                                            "colonne pour nommer son usage du sol ; vide, la couleur n'a pas de nom"));

    QWidget* agreement = MakePage(QStringLiteral("Accord entre élèves"),
                                  QStringLiteral("L'accord des élèves qui ont classé les mêmes points"));
    LabelKappa = MakeNote(agreement, 4, 4, 476, 70);
    ListDisputes = new QListWidget(agreement);
    ListDisputes->setGeometry(4, 78, 476, 190);
    ListDisputes->setAccessibleName(QStringLiteral("Points les plus disputés"));
    SetToolTip(ListDisputes, QStringLiteral("Les points où les élèves s'accordent le moins ; un clic montre ce que "
                                            "chaque élève a dit"));
    LabelVotes = MakeNote(agreement, 4, 272, 476, 130);
    ButtExporterAccord = MakeButton(agreement, QStringLiteral("Exporter la carte de l'accor&d…"), 4, 408, 250, 25);
    ButtExporterAccord->setToolTip(QStringLiteral("Écrire la carte de l'accord en PNG"));
    MapAccord = new TMarkedMap(agreement);
    MapAccord->setGeometry(490, 4, 474, 440);
    MapAccord->setAccessibleName(QStringLiteral("Carte de l'accord"));
    MapAccord->setToolTip(QStringLiteral("Chaque point partagé : vert si tous s'accordent, orange pour une majorité, "
                                         "rouge sans majorité ; le point choisi est cerclé"));

    QWidget* names = MakePage(QStringLiteral("Noms"),
                              QStringLiteral("Les noms d'usage du sol trouvés et ceux sous lesquels ils comptent"));
    LabelNoms = MakeNote(names, 4, 4, 960, 36);
    LabelNoms->setText(QStringLiteral("Les noms qui ne diffèrent que par les majuscules, les accents ou les espaces "
                                      "comptent ensemble d'eux-mêmes. Pour en réunir d'autres, tapez le nom utilisé en "
                                      "face du nom trouvé ; la table est gardée dans le fichier de la classe."));
    TableNoms = new QTableWidget(0, 2, names);
    TableNoms->setGeometry(4, 44, 600, 396);
    TableNoms->setHorizontalHeaderLabels({QStringLiteral("Nom trouvé"), QStringLiteral("Nom utilisé")});
    TableNoms->horizontalHeader()->setDefaultSectionSize(280);
    TableNoms->verticalHeader()->hide();
    TableNoms->setAccessibleName(QStringLiteral("Fusions des noms"));
    SetToolTip(TableNoms, QStringLiteral("Nom trouvé → nom utilisé : double-cliquez un nom utilisé pour le changer ; "
                                         "vide, le nom trouvé compte sous lui-même"));

    TabVuesChange();
    setAcceptDrops(true);

    connect(ButtAjouter, &QPushButton::clicked, this, Guarded(this, &TClasse::ButtAjouterClick));
    connect(ButtDossier, &QPushButton::clicked, this, Guarded(this, &TClasse::ButtDossierClick));
    connect(ButtNouvelle, &QPushButton::clicked, this, Guarded(this, &TClasse::ButtNouvelleClick));
    connect(TabVues, &QTabBar::currentChanged, this, Guarded(this, &TClasse::TabVuesChange));
    connect(ComboCarte, &QComboBox::currentIndexChanged, this, Guarded(this, &TClasse::ComboCarteChange));
    connect(ComboUsage, &QComboBox::currentIndexChanged, this, Guarded(this, &TClasse::ComboUsageChange));
    connect(ComboReference, &QComboBox::currentIndexChanged, this, Guarded(this, &TClasse::ComboReferenceChange));
    connect(ComboEleve, &QComboBox::currentIndexChanged, this, Guarded(this, &TClasse::ComboEleveChange));
    connect(ListDisputes, &QListWidget::currentRowChanged, this, Guarded(this, &TClasse::ListDisputesChange));
    // Queued: the table is filled anew from the analysis, which would delete the item being edited
    // under the editor's feet.
    connect(
        TableNoms, &QTableWidget::cellChanged, this,
        [this](int row, int column) { RunHandler([this, row, column] { TableNomsChanged(row, column); }); },
        Qt::QueuedConnection);
    connect(
        TableLegende, &QTableWidget::cellChanged, this,
        [this](int row, int column) { RunHandler([this, row, column] { TableLegendeChanged(row, column); }); },
        Qt::QueuedConnection);
    connect(ButtExporterTableau, &QPushButton::clicked, this, Guarded(this, &TClasse::ButtExporterTableauClick));
    connect(ButtExporterGraphique, &QPushButton::clicked, this, Guarded(this, &TClasse::ButtExporterGraphiqueClick));
    connect(ButtExporterMatrice, &QPushButton::clicked, this, Guarded(this, &TClasse::ButtExporterMatriceClick));
    connect(ButtExporterCarte, &QPushButton::clicked, this, Guarded(this, &TClasse::ButtExporterCarteClick));
    connect(ButtExporterAccord, &QPushButton::clicked, this, Guarded(this, &TClasse::ButtExporterAccordClick));

    Analyse();
}

void TClasse::TabVuesChange()
{
    for (std::size_t page = 0; page < pages.size(); ++page)
        pages[page]->setVisible(int(page) == TabVues->currentIndex());
}
