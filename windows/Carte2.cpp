#include "windows/Carte2.h"

#include "app/WindowFrame.h"

TForm2* Form2 = nullptr;

TForm2::TForm2()
{
    SetUpWindow(this, QStringLiteral("Fond de Carte"), 224, 115, 1042, 779,
                PixelFont(QStringLiteral("MS Sans Serif"), 11, false), QColor(0, 0, 255));
}
