#include "windows/TabResultats.h"

#include "app/WindowFrame.h"

TTabRes* TabRes = nullptr;

TTabRes::TTabRes()
{
    SetUpWindow(this, QStringLiteral("Résultats"), 549, 191, 362, 377,
                PixelFont(QStringLiteral("MS Sans Serif"), 11, false), palette().color(QPalette::WindowText));
}
