// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The chart window: the fluctuation chart and how to read it.

#include "picture/ShownPicture.h"
#include "ui/TCanvas.h"
#include "ui/WindowFit.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

class TAbaque : public QWidget, public TFittingWindow {
    Q_OBJECT
public:
    TAbaque();

    // Where the room is smaller than the design, the chart is drawn smaller, to the height left
    // under the note, and "Fermer" moves up with the window's bottom: on a projector every part
    // of the chart stays in sight at once, as a scroll bar would not leave it.
    void LayOutWithin(QSize room) override;

    QPushButton* ButtFermer;
    QPlainTextEdit* Memo1;
    TCanvas Canvas{this};

    void FormPaint();
    void ButtFermerClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The chart as last read: a failing chart file is reported once, until the file changes or
    // the window is shown anew.
    TShownPicture shownChart;
};

extern TAbaque* Abaque;
