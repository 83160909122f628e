// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The main window: presents the tool, takes the map file and the sample size, and opens the
// other windows. Closing it ends the program.

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class TCloseButton;

class TPage_1 : public QWidget {
    Q_OBJECT
public:
    TPage_1();

    TCloseButton* BitBtn1;
    QPushButton* BtnDessine;
    QLabel* Label1;
    QLineEdit* EdNPoints;
    QLabel* Label2;
    QLabel* Label5;
    QLineEdit* EdFich;
    QPushButton* BtnChoisirCarte;
    QPushButton* Button1;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label3;
    QPushButton* ButtExplic;
    QPushButton* BtnOuvrirSeance;
    QPushButton* BtnClasse;

    void BtnChoisirCarteClick();
    void BtnDessineClick();
    void Button1Click();
    void ButtExplicClick();
    // A saved survey taken up again, without first drawing a map.
    void BtnOuvrirSeanceClick();
    // The sessions of a whole class, pooled and compared.
    void BtnClasseClick();

protected:
    // A file dropped anywhere on the window becomes the map file.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

extern TPage_1* Page_1;
