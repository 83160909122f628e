// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"

#include "core/Numbers.h"
#include "ui/ApplicationFrame.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QPointer>
#include <QPushButton>
#include <QTranslator>

namespace {

// The desktop announces changed regional settings to the application object.
class LocaleWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp && event->type() == QEvent::LocaleChange)
            ReadDecimalSeparator();
        return false;
    }
};

// Return and Enter press the push button that has the focus, as Space does, in every window.
// A dialog keeps them: there they press its default button.
class ReturnPressesButtons : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->isEnabled() || qobject_cast<QDialog*>(button->window()))
            return false;
        if (!key->isAutoRepeat())  // a held key presses once, as Space does
            button->click();
        return true;
    }
};

// The program is French whatever the user's language, and so are the texts that Qt's own
// controls draw: the edit boxes' context menu, the standard buttons.
void LoadQtFrench(QApplication& application)
{
    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

// The explanations are read on a projector, where EB Garamond's old-style figures pass for
// letters ("95 %" reads "9s %"): the layouts' Garamond is a variant of it with lining figures,
// built into the program (see tools/make_lining_font.py). Its one style is Regular; Qt draws its
// bold by emboldening, which keeps every accented letter that EB Garamond's own bold lacks.
void LoadLiningGaramond()
{
    if (QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/SondelioGaramond-Regular.otf")) < 0)
        qWarning("the Garamond with lining figures built into the program could not be loaded");
}

void MapLayoutFaces()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Garamond"), QStringLiteral("Sondelio Garamond"));
    QFont::insertSubstitution(QStringLiteral("Old English Text MT"), QStringLiteral("Blankenburg_UNZ1A"));
}

}  // namespace

QString TitleFromExecutable(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    // Executables here are named in lower case; the title reads as a name all the same.
    return name.left(1).toUpper() + name.mid(1).toLower();
}

void SetUpApplication(QApplication& application)
{
    const QString title = TitleFromExecutable(QApplication::applicationFilePath());
    application.setApplicationDisplayName(QString());
    application.setApplicationName(title);
    // The desktop matches the running program to its installed entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(SONDELIO_APP_ID));
    application.setQuitOnLastWindowClosed(false);
    ReadDecimalSeparator();
    // Set up once per application, however often the window set is made anew.
    static QPointer<QApplication> setUp;
    if (setUp != &application) {
        setUp = &application;
        application.installEventFilter(new LocaleWatcher(&application));
        application.installEventFilter(new ReturnPressesButtons(&application));
        LoadQtFrench(application);
        LoadLiningGaramond();
    }
    MapLayoutFaces();
    BeginRun(title);
}
