// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/HouseStyle.h"

#include "ui/TextBoxes.h"
#include "ui/WindowFrame.h"

#include <QFrame>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

QLineEdit* MakeEditBox(QWidget* parent, int left, int top, int width, int height,
                       const std::optional<QColor>& textColour)
{
    auto* box = new TEditBox(parent);
    box->setGeometry(left, top, width, height);
    if (textColour)
        SetTextColour(box, *textColour);
    return box;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, int left, int top, int width,
                        int height, const std::optional<QFont>& font)
{
    auto* button = new QPushButton(caption, parent);
    if (font)
        button->setFont(*font);
    button->setGeometry(left, top, width, height);
    return button;
}

QFrame* MakePanel(QWidget* window, int left, int top, int width, int height, TColor colour)
{
    auto* panel = new QFrame(window);
    panel->setGeometry(left, top, width, height);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, ColourToRGB(colour));
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
    // A press on a panel, or on a label or a disabled button in it, is not a press on the map.
    panel->setAttribute(Qt::WA_NoMousePropagation);
    // The crosshair belongs to the map's surface only.
    panel->setCursor(CursorOf(crDefault));
    return panel;
}
