// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "windows/Fich_1.h"

#include "core/Numbers.h"
#include "core/SampleGenerator.h"
#include "core/SurveyTally.h"
#include "picture/DataFolder.h"
#include "ui/ApplicationFrame.h"
#include "ui/Boxes.h"
#include "ui/Dispatch.h"
#include "ui/DroppedFile.h"
#include "ui/FileDialogs.h"
#include "ui/HouseStyle.h"
#include "ui/WindowFrame.h"
#include "windows/Carte2.h"
#include "windows/Classe.h"
#include "windows/Explic.h"
#include "windows/TabResultats.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

TPage_1* Page_1 = nullptr;

namespace {

// The title and the credit lines were laid out centred on the window; texts and faces of
// other widths keep that centre.
QLabel* MakeCentredLabel(QWidget* parent, const QString& text, int designedLeft, int designedWidth,
                         int top, const QFont& font)
{
    QLabel* label = MakeLabel(parent, text, designedLeft, top, font, HouseBlue);
    label->move(designedLeft + (designedWidth - label->width()) / 2, top);
    return label;
}

// Where choosing a map begins: the folder of the file named now, else the user's pictures, else
// the home folder (a pictures folder that does not exist would show up as a file name to open).
QString FolderToChooseFrom(const QString& named)
{
    if (!named.isEmpty()) {
        const QFileInfo file(PictureFilePath(named));
        if (file.absoluteDir().exists())
            return file.absolutePath();
    }
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

}  // namespace

TPage_1::TPage_1()
{
    SetUpWindow(this, QStringLiteral("rizo0346.bmp"), 218, 97, 702, 506,
                PixelFont(QStringLiteral("MS Sans Serif"), 11), palette().color(QPalette::WindowText));
    const QFont times19 = PixelFont(QStringLiteral("Times New Roman"), 19);

    const QFont times16 = PixelFont(QStringLiteral("Times New Roman"), 16);

    Label2 = MakeCentredLabel(this, QStringLiteral("Sondelio"), 168, 415, 8,
                              PixelFont(QStringLiteral("Old English Text MT"), 37));
    Label8 = MakeCentredLabel(this, QStringLiteral("Sondelio : apprendre le sondage aréolaire de l'usage du sol"),
                              176, 395, 64, times16);
    Label3 = MakeCentredLabel(this, QStringLiteral("Logiciel libre d'enseignement"), 304, 127, 88, times16);
    Label3->setToolTip(QStringLiteral("© 2026 Projet Sondelio. Logiciel libre : vous pouvez le redistribuer "
                                      "et le modifier\nselon la licence publique générale GNU, version 3 ou "
                                      "ultérieure.\nIl est fourni SANS AUCUNE GARANTIE. Texte de la licence : "
                                      "https://www.gnu.org/licenses/gpl-3.0.html"));
    Label9 = MakeCentredLabel(this, QStringLiteral("Projet Sondelio, 2026"), 272, 187, 112, times16);
    Label7 = MakeLabel(this, QString(32, QLatin1Char('_')), 184, 136,
                       PixelFont(QStringLiteral("MS Sans Serif"), 19, true), HouseBlue);
    Label6 = MakeLabel(this,
                       QStringLiteral("Cette application vous permet de sonder sur une image Bitmap "
                                      "(photo ou carte scannée)"),
                       16, 184, times19, HouseBlue, 656);
    Label5 = MakeLabel(this, QStringLiteral("1)- Carte sur quel fichier .bmp ? "), 112, 224, times19,
                       HouseBlue, 243);
    Label1 = MakeLabel(this, QStringLiteral("2)- Combien de points d'échantillonnage voulez-vous ?"),
                       112, 256, times19, HouseBlue, 408);

    // Created in tab order: the focus chain follows creation.
    EdFich = MakeEditBox(this, 360, 224, 265, 21);
    NameAfter(EdFich, Label5);
    EdFich->setToolTip(QStringLiteral("Le fichier de la carte ou de la photo : BMP, PNG, JPEG, TIFF, WebP ou GIF"));
    // A file dropped on the box replaces its name, as one dropped on the window does, rather
    // than adding its address to the text.
    EdFich->setAcceptDrops(false);
    BtnChoisirCarte = MakeButton(this, QStringLiteral("…"), 629, 224, 23, 21);
    // A screen reader would read the caption out as "ellipsis".
    BtnChoisirCarte->setAccessibleName(QStringLiteral("Choisir la carte"));
    BtnChoisirCarte->setToolTip(QStringLiteral("Choisir la carte"));
    EdNPoints = MakeEditBox(this, 528, 256, 57, 21);
    NameAfter(EdNPoints, Label1);
    EdNPoints->setToolTip(QStringLiteral("Combien de points tirer au hasard sur la carte, de 1 à %1").arg(MaxSampleSize));
    BtnDessine = MakeButton(this, QStringLiteral("3)- Cliquez pour dessiner la carte"), 104, 280, 265, 41,
                            times19);
    BtnDessine->setToolTip(QStringLiteral("Ouvrir la carte dans la fenêtre « Fond de Carte »"));
    BitBtn1 = new TCloseButton(this, QStringLiteral("&Fermer"), 312, 431, 75, 25);
    BitBtn1->setToolTip(QStringLiteral("Quitter Sondelio (Alt+F)"));
    Button1 = MakeButton(this, QStringLiteral("4)- Afficher les résultats"), 80, 328, 241, 25, times19);
    Button1->setToolTip(QStringLiteral("Le nombre et la fréquence des points de chaque usage du sol"));
    ButtExplic = MakeButton(this, QStringLiteral("Explications"), 272, 360, 153, 57, times19);
    ButtExplic->setToolTip(QStringLiteral("La méthode du sondage aréolaire et l'abaque"));
    // Beside the draw button, in the free space: a pupil given a session file opens it here.
    BtnOuvrirSeance = MakeButton(this, QStringLiteral("&Ouvrir une séance…"), 400, 288, 225, 25, times19);
    BtnOuvrirSeance->setToolTip(QStringLiteral("Reprendre une séance enregistrée : sa carte et ses points"));
    // Under it, right of the results: the teacher gathers the class's sessions here.
    BtnClasse = MakeButton(this, QStringLiteral("&Classe…"), 400, 328, 225, 25, times19);
    BtnClasse->setToolTip(QStringLiteral("Réunir les séances des élèves : le tableau de la classe, les intervalles, "
                                         "la comparaison à une référence"));
    setTabOrder(BtnDessine, BtnOuvrirSeance);
    setTabOrder(BtnOuvrirSeance, BitBtn1);
    setTabOrder(Button1, BtnClasse);
    setTabOrder(BtnClasse, ButtExplic);

    setAcceptDrops(true);

    connect(BtnChoisirCarte, &QPushButton::clicked, this, Guarded(this, &TPage_1::BtnChoisirCarteClick));
    connect(BtnDessine, &QPushButton::clicked, this, Guarded(this, &TPage_1::BtnDessineClick));
    connect(Button1, &QPushButton::clicked, this, Guarded(this, &TPage_1::Button1Click));
    connect(ButtExplic, &QPushButton::clicked, this, Guarded(this, &TPage_1::ButtExplicClick));
    connect(BtnOuvrirSeance, &QPushButton::clicked, this, Guarded(this, &TPage_1::BtnOuvrirSeanceClick));
    connect(BtnClasse, &QPushButton::clicked, this, Guarded(this, &TPage_1::BtnClasseClick));
}

void TPage_1::BtnChoisirCarteClick()
{
    // The system's own dialog where the desktop offers one, in French like the rest.
    if (const std::optional<QString> file = AskFileToOpen(
            this, QStringLiteral("Choisir la carte"), FolderToChooseFrom(EdFich->text()),
            {QStringLiteral("Images (*.bmp *.png *.jpg *.jpeg *.jfif *.tif *.tiff *.webp *.gif)"),
             QStringLiteral("Tous les fichiers (*)")}))
        EdFich->setText(*file);
}

void TPage_1::BtnDessineClick()
{
    const int32_t sampleSize = ParseInteger(EdNPoints->text());
    if (!Form2->TakeMapFile(EdFich->text()))
        return;
    SurveyTally.SampleSize = sampleSize;
    ShowWindow(Form2);
    // An open map window draws the named map at its next paint: have it do so now.
    Form2->update();
    if (SurveyTally.SampleSize == 0)
        ShowNotice(QStringLiteral("Vous devez entrer le nombre de points d'echantillon !"));
}

void TPage_1::Button1Click()
{
    ShowWindow(TabRes, [] { TabRes->FormShow(); });
}

void TPage_1::ButtExplicClick()
{
    ShowWindow(Form3);
}

void TPage_1::BtnOuvrirSeanceClick()
{
    Form2->ButtOuvrirClick();
}

void TPage_1::BtnClasseClick()
{
    ShowWindow(Classe);
}

void TPage_1::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedLocalFile(event->mimeData()))
        event->acceptProposedAction();
}

void TPage_1::dropEvent(QDropEvent* event)
{
    if (const std::optional<QString> file = DroppedLocalFile(event->mimeData())) {
        EdFich->setText(*file);
        event->acceptProposedAction();
    }
}

void TPage_1::closeEvent(QCloseEvent* event)
{
    // The survey in the map window outlives its window, not the program: ask before it goes.
    bool leave = false;
    RunHandler([&leave] { leave = !Form2 || Form2->ConfirmLeavingSurvey(); });
    event->setAccepted(leave);
    if (!leave)
        return;
    if (Form2)
        Form2->LetSurveyGo();
    Terminate();
}
