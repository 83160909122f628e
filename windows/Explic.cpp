#include "windows/Explic.h"

#include "app/WindowFrame.h"

TForm3* Form3 = nullptr;

TForm3::TForm3()
{
    SetUpWindow(this, QStringLiteral("Form3"), 195, 143, 791, 642,
                PixelFont(QStringLiteral("MS Sans Serif"), 16, true), QColor(255, 255, 0));
}
