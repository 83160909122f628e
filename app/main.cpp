// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// Sondelio: areal point sampling of land use, for teaching.

#include "app/Application.h"
#include "app/WindowSet.h"
#include "core/SurveyTally.h"
#include "ui/ApplicationFrame.h"
#include "windows/Fich_1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    SetUpApplication(application);
    SurveyTally.Reset();
    CreateWindowSet();
    ShowWindow(Page_1);
    OfferRecovery();
    TakeFileArgument(QCoreApplication::arguments());
    application.exec();
    DestroyWindowSet();
    return 0;
}
