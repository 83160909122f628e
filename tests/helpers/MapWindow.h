// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Drives the map window as a user does: maps written as BMP files, the main window's boxes and
// draw button, presses on the map window's surface, and what its pixels show.

#include "core/SampleDesign.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <functional>

class QAbstractButton;

// A picture of one colour written as a 24-bit BMP file; returns the path.
QString WriteMap(const QString& path, int width, int height, const QColor& colour = Qt::white);

// Types the map file and the sample size into the main window and presses its draw button;
// returns once the map window has painted.
void OpenMap(const QString& fileName, const QString& sampleSize = QStringLiteral("4"));

// The whole map window painted again, as when a window passing over it goes away.
void Uncover();

// A press of a mouse button on the map window, through the window system's path.
void PressOnMap(QPoint at, Qt::MouseButton button = Qt::LeftButton);
// Where the survey's sample point number `point` lies on the map window.
QPoint SamplePointOnWindow(int point);
void DoubleClickOnMap(QPoint at);
// Left clicks at each place in turn, `apart` milliseconds from one press to the next, as a
// quick hand makes them: Qt takes the second for a double click, as from a real mouse.
void QuickClicksOnMap(const QList<QPoint>& places, int apart = 60);

void Click(QAbstractButton* button);

// While it lives, each modal dialog of type Dialog that shows is answered with the next of
// `answers`, as a user fills it in and closes it; one left open (a value refused) gets the next
// answer too.
template <typename Dialog>
class DialogAnswers {
public:
    explicit DialogAnswers(QList<std::function<void(Dialog*)>> answers) : answers(std::move(answers))
    {
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget()); dialog && Answered() < this->answers.size())
                this->answers[answered++](dialog);
        });
        poll.start();
    }
    qsizetype Answered() const { return answered; }

private:
    QList<std::function<void(Dialog*)>> answers;
    qsizetype answered = 0;
    QTimer poll;
};

// Presses the map window's "Plan…" and chooses the design in its dialog, as a user ticks and
// types there, then "OK"; or "Annuler" when `confirm` is false.
void ChoosePlan(const SampleDesign& design, bool confirm = true);

// The pixels of one colour in an image, as the smallest rectangle holding them all (empty when
// there are none), and their number.
QRect Extent(const QImage& image, QRgb colour, const QRect& within = QRect());
int Count(const QImage& image, QRgb colour, const QRect& within = QRect());

// The map window's own surface left of its panels and above its scale, where the labels' blue
// text never lies.
inline constexpr QRect MapSurface(0, 0, 810, 712);

inline constexpr QRgb Red = 0xFFFF0000;
inline constexpr QRgb Blue = 0xFF0000FF;
