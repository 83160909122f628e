#include "app/Application.h"

#include "app/Dispatch.h"
#include "app/Numbers.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QWidget>

namespace {

QString title;
bool terminated = false;

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

void MapLayoutFaces()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Garamond"), QStringLiteral("EB Garamond"));
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

QString ApplicationTitle()
{
    return title;
}

void SetUpApplication(QApplication& application)
{
    title = TitleFromExecutable(QApplication::applicationFilePath());
    application.setApplicationDisplayName(QString());
    application.setApplicationName(title);
    application.setQuitOnLastWindowClosed(false);
    ReadDecimalSeparator();
    application.installEventFilter(new LocaleWatcher(&application));
    MapLayoutFaces();
    terminated = false;
}

void ShowWindow(QWidget* window, const std::function<void()>& showHandler)
{
    if (window->isHidden()) {
        if (showHandler)
            RunHandler(showHandler);
        window->show();
    }
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

void Terminate()
{
    terminated = true;
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}

bool Terminated()
{
    return terminated;
}
