// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The class window: the sessions of a class gathered (chosen, a whole folder, or dropped), one
// map at a time pooled into the class table, set against a reference, each student checked, the
// students' agreement on shared points, and the names the teacher merges, kept in the class file
// beside the sessions. What it shows is worked out in core (ClassSurveys); here it is only shown.

#include "core/ClassSurveys.h"
#include "core/LandUseNames.h"
#include "core/MapColours.h"
#include "picture/ClassFiles.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

// The colours of agreement, the same on the chart and on the maps.
namespace ClassColours {
inline const QColor Agreeing{0, 160, 0};
inline const QColor Disagreeing{220, 0, 0};
inline const QColor Majority{240, 150, 0};
}  // namespace ClassColours

class QChartView;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTabBar;
class TCloseButton;
class TMarkedMap;
class TTextGrid;

class TClasse : public QWidget {
    Q_OBJECT
public:
    TClasse();

    QLabel* Label1;
    QPushButton* ButtAjouter;
    QPushButton* ButtDossier;
    QPushButton* ButtNouvelle;
    QLabel* LabelCarte;
    QComboBox* ComboCarte;
    TCloseButton* ButtFermer;
    TTextGrid* GridSeances;
    // The views one at a time, each on a page of its own under the tabs.
    QTabBar* TabVues;
    // « Tableau »: one row per student, a last one pooling the class, and how it was pooled.
    TTextGrid* GridClasse;
    QLabel* LabelCommun;
    QPushButton* ButtExporterTableau;
    // « Intervalles »: each student's interval for the land use chosen.
    QLabel* LabelUsage;
    QComboBox* ComboUsage;
    QPushButton* ButtExporterGraphique;
    QChartView* ChartIntervalles;
    QLabel* LabelContiennent;
    // « Référence »: what the class is set against, and one student checked against it.
    QLabel* LabelReference;
    QComboBox* ComboReference;
    QLabel* LabelEleve;
    QComboBox* ComboEleve;
    TTextGrid* GridConfusion;
    QLabel* LabelAccordReference;
    QListWidget* ListDesaccords;
    QPushButton* ButtExporterMatrice;
    QPushButton* ButtExporterCarte;
    TMarkedMap* MapReference;
    // « Légende »: the map's colours with their true shares, and the land use the teacher names
    // each one, kept beside the map.
    QLabel* LabelLegende;
    QTableWidget* TableLegende;
    // « Accord entre élèves »: Fleiss' kappa and the points most disputed.
    QLabel* LabelKappa;
    QListWidget* ListDisputes;
    QLabel* LabelVotes;
    QPushButton* ButtExporterAccord;
    TMarkedMap* MapAccord;
    // « Noms »: the teacher's merges, name found → name used.
    QLabel* LabelNoms;
    QTableWidget* TableNoms;

    // The files, and the *.sondelio files of the folders, added to the class after those it has;
    // a file it already has is not added again. Nothing on the disk is changed.
    void AddSessionFiles(const QStringList& files);
    void ButtAjouterClick();
    void ButtDossierClick();
    void ButtNouvelleClick();
    void ComboCarteChange();
    void TabVuesChange();
    void ComboUsageChange();
    void ComboReferenceChange();
    void ComboEleveChange();
    void TableNomsChanged(int row, int column);
    void TableLegendeChanged(int row, int column);
    void ListDisputesChange();
    void ButtExporterTableauClick();
    void ButtExporterGraphiqueClick();
    void ButtExporterMatriceClick();
    void ButtExporterCarteClick();
    void ButtExporterAccordClick();

    const std::vector<ClassSession>& Sessions() const { return sessions; }
    // The analysis shown: the map chosen, the merges, the reference and the land use chosen.
    const ClassAnalysis& Analysis() const { return analysis; }
    const LandUseMerges& Merges() const { return merges; }
    // Where the merges are kept: the class file beside the first session; empty before any.
    const QString& ClassFile() const { return classFile; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum SessionColumn { FileColumn, StudentColumn, MapColumn, SeedColumn, SizeColumn, ProgressColumn, StateColumn };

    // The map chosen, its picture and legend read again, the references it offers listed, then
    // Analyse.
    void ChooseMap();
    // The class analysed anew with the merges, the reference and the land use chosen, and every
    // view shown from it.
    void Analyse();
    // The map's picture, its colours and its legend, as far as they can be read.
    void ReadMap(const ClassMap& map);
    void ShowSessions();
    void ShowMaps();
    void ShowReferences();
    // The views (Classe_Views.cpp, the checks in Classe_Check.cpp).
    void ShowTable();
    void ShowUses();
    void ShowIntervals();
    void ShowCheck();
    void ShowAgreement();
    void ShowNames();
    void ShowLegend();
    // The check of the student chosen; nothing without a reference or points to check.
    const ReferenceCheck* ChosenCheck() const;
    void SaveWidgetPicture(QWidget* widget, const QString& title, const QString& proposed);
    QString FolderToSaveIn() const;

    QWidget* MakePage(const QString& title, const QString& tip);

    std::vector<QWidget*> pages;
    QStringList files;
    std::vector<ClassSession> sessions;
    std::vector<ClassMap> maps;
    QByteArray chosenMap;  // the SHA-256 of the map analysed
    LandUseMerges merges;
    QString classFile;
    // False when the class file could not be read: it is not written over.
    bool classFileWritable = true;
    // The map analysed as a picture: its own pixels when found, else a blank of its size.
    std::unique_ptr<ClassMapPicture> mapPicture;
    QImage mapImage;
    // The map's legend: the file beside the map, else the one its sessions carry (the teacher's
    // session handed it out), as the teacher names it here; and the map's colours, when it is a
    // map of flat colours (else why not, in French).
    ColourNames legend;
    std::vector<MapColour> census;
    QString censusProblem;
    std::optional<ClassReference> reference;
    ClassAnalysis analysis;
};

extern TClasse* Classe;
