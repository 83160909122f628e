#include "app/WindowSet.h"

#include "windows/Abaquez.h"
#include "windows/Carte2.h"
#include "windows/Explic.h"
#include "windows/Fich_1.h"
#include "windows/TabResultats.h"

void CreateWindowSet()
{
    Page_1 = new TPage_1;
    Form2 = new TForm2;
    TabRes = new TTabRes;
    Form3 = new TForm3;
    Abaque = new TAbaque;
}

void DestroyWindowSet()
{
    delete Abaque;
    delete Form3;
    delete TabRes;
    delete Form2;
    delete Page_1;
    Abaque = nullptr;
    Form3 = nullptr;
    TabRes = nullptr;
    Form2 = nullptr;
    Page_1 = nullptr;
}
