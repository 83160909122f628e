#include "windows/Abaquez.h"

#include "app/WindowFrame.h"

TAbaque* Abaque = nullptr;

TAbaque::TAbaque()
{
    SetUpWindow(this, QStringLiteral("Abaque"), 191, 187, 970, 849,
                PixelFont(QStringLiteral("MS Sans Serif"), 11, false), palette().color(QPalette::WindowText));
}
