// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window: its layout, the sample size it takes, the windows it opens, and the ways it
// ends the program.

#include "Files.h"
#include "MapWindow.h"
#include "Program.h"

#include "app/WindowSet.h"
#include "core/SurveyTally.h"
#include "ui/ApplicationFrame.h"
#include "ui/WindowFrame.h"
#include "windows/Abaquez.h"
#include "windows/Carte2.h"
#include "windows/Explic.h"
#include "windows/Fich_1.h"
#include "windows/TabResultats.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>

class MainWindowTest : public ProgramTest {
    Q_OBJECT
private slots:
    void init()
    {
        ProgramTest::init();
        QVERIFY(QTest::qWaitForWindowActive(Page_1));
    }

    void startsWithOnlyTheMainWindowShown()
    {
        QVERIFY(Page_1->isVisible());
        QStringList captions{Page_1->windowTitle()};
        for (QWidget* window : {static_cast<QWidget*>(Form2), static_cast<QWidget*>(TabRes),
                                static_cast<QWidget*>(Form3), static_cast<QWidget*>(Abaque)}) {
            QVERIFY(window && window->isHidden());
            captions << window->windowTitle();
        }
        QCOMPARE(captions, (QStringList{"rizo0346.bmp", "Fond de Carte", "Résultats", "Form3", "Abaque"}));
        QCOMPARE(Page_1->pos(), QPoint(218, 97));
        QCOMPARE(QApplication::focusWidget(), Page_1->EdFich);
    }

    void noControlOverlapsAnother()
    {
        auto controls = Page_1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        controls.removeIf([](const QWidget* child) { return child->isWindow(); });
        for (QWidget* a : controls)
            for (QWidget* b : controls)
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->metaObject()->className() + QStringLiteral(" / ") +
                                    b->metaObject()->className()));
    }

    void titleAndCreditsStayCentredOnTheirDesign()
    {
        for (auto [label, left, width] : {std::tuple{Page_1->Label2, 168, 415},
                                          std::tuple{Page_1->Label8, 176, 395},
                                          std::tuple{Page_1->Label3, 304, 127},
                                          std::tuple{Page_1->Label9, 272, 187}}) {
            QVERIFY(!label->text().isEmpty());
            QVERIFY(qAbs(2 * label->x() + label->width() - (2 * left + width)) <= 1);
        }
        QCOMPARE(Page_1->Label2->text(), QStringLiteral("Sondelio"));
    }

    // The file box names "chosen.bmp" in a folder of its own, or nothing; the user then picks
    // "other.bmp" of that folder and opens it, or cancels.
    void chooseButtonPutsTheChosenFileInTheBox_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("picturesFolder");  // whether the user's pictures folder exists
        QTest::newRow("opened from the named file's folder") << true << true << true;
        QTest::newRow("cancelled") << true << false << true;
        QTest::newRow("opened from the pictures folder") << false << true << true;
        QTest::newRow("no pictures folder: the home folder") << false << true << false;
    }
    void chooseButtonPutsTheChosenFileInTheBox()
    {
        QFETCH(bool, named);
        QFETCH(bool, accepted);
        QFETCH(bool, picturesFolder);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString other = WriteMap(dir.filePath("other.bmp"), 8, 8);
        const QString before = named ? dir.filePath("chosen.bmp") : QString();
        Page_1->EdFich->setText(before);
        // The user's pictures folder, as the desktop's settings name it.
        if (picturesFolder)
            QVERIFY(QDir(dir.path()).mkdir("Images"));
        WriteFile(dir.filePath("user-dirs.dirs"), "XDG_PICTURES_DIR=\"" + QFile::encodeName(dir.filePath("Images")) + "\"\n");
        const FolderVariable settings("XDG_CONFIG_HOME", dir.path());

        QString title, folder;
        QStringList filters, buttons;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            folder = dialog->directory().absolutePath();
            filters = dialog->nameFilters();
            for (QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons())
                buttons << button->text().remove('&');
            if (accepted) {
                dialog->selectFile(other);
                static_cast<QDialog*>(dialog)->accept();  // as the open button does
            } else {
                dialog->reject();
            }
        });
        Click(Page_1->BtnChoisirCarte);

        QCOMPARE(Page_1->BtnChoisirCarte->toolTip(), QStringLiteral("Choisir la carte"));
        QCOMPARE(title, QStringLiteral("Choisir la carte"));
        QCOMPARE(filters, QStringList({"Images (*.bmp *.png *.jpg *.jpeg *.jfif *.tif *.tiff *.webp *.gif)",
                                       "Tous les fichiers (*)"}));
        buttons.sort();
        QCOMPARE(buttons, QStringList({"Annuler", "Ouvrir"}));
        QCOMPARE(folder, named ? dir.path() : picturesFolder ? dir.filePath("Images") : QDir::homePath());
        QCOMPARE(Page_1->EdFich->text(), accepted ? other : before);
    }

    // Something dragged from another program and dropped: on the main window, over its file box
    // too, or on the map window with a survey under way on another map.
    void droppedFileBecomesTheMap_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<bool>("taken");
        for (const QString window : {"main", "file box", "map"}) {
            QTest::addRow("local file on %s", qPrintable(window)) << window << "file" << true;
            QTest::addRow("web link on %s", qPrintable(window)) << window << "link" << false;
            QTest::addRow("text on %s", qPrintable(window)) << window << "text" << false;
        }
    }
    void droppedFileBecomesTheMap()
    {
        QFETCH(QString, window);
        QFETCH(QString, dropped);
        QFETCH(bool, taken);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString first = WriteMap(dir.filePath("first.bmp"), 640, 480);
        // Named as no picture is: whether it is one is for its reader to tell.
        const QString second = WriteMap(dir.filePath("second.carte"), 800, 400);
        OpenMap(first);
        SurveyTally.LandUseCount = 3;

        QMimeData data;
        if (dropped == "file")
            data.setUrls({QUrl::fromLocalFile(second)});
        else if (dropped == "link")
            data.setUrls({QUrl("https://example.org/carte.bmp")});
        else
            data.setText(second);
        QWidget* target = window == "map" ? static_cast<QWidget*>(Form2) : Page_1;
        const QPoint at = window == "file box" ? Page_1->EdFich->geometry().center() : QPoint(5, 5);
        // Where the drop lands is the widget under the pointer that takes drops.
        QWidget* receiver = target->childAt(at) ? target->childAt(at) : target;
        while (!receiver->acceptDrops() && !receiver->isWindow())
            receiver = receiver->parentWidget();
        const QPoint local = receiver->mapFrom(target, at);
        QDragEnterEvent enter(local, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(receiver, &enter);
        QCOMPARE(enter.isAccepted(), taken);
        if (taken) {
            QDropEvent drop(local, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(receiver, &drop);
            QVERIFY(drop.isAccepted());
        }
        ProcessEvents();

        QCOMPARE(Page_1->EdFich->text(), taken ? second : first);
        // The map window draws a dropped map at once, in a new survey; the main window only
        // names it.
        const bool drawn = taken && window == "map";
        QCOMPARE(SurveyTally.MapHeight, drawn ? 300 : 450);
        QCOMPARE(SurveyTally.LandUseCount, drawn ? 0 : 3);
    }

    // As the application hands them over, the program's own name first.
    void mapFileNamedOnTheCommandLineFillsTheBox_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("none") << QStringList{"sondelio"} << "";
        QTest::newRow("one") << QStringList{"sondelio", "carte.jpg"} << "carte.jpg";
        QTest::newRow("the first of several") << QStringList{"sondelio", "/tmp/a b.png", "c.png"}
                                              << "/tmp/a b.png";
    }
    void mapFileNamedOnTheCommandLineFillsTheBox()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, fileName);
        TakeFileArgument(arguments);
        QCOMPARE(Page_1->EdFich->text(), fileName);
    }

    void drawButtonTakesSampleSize_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("sampleSize");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("mapShown");
        QTest::newRow("empty") << "" << 77 << "'' n'est pas une valeur entière correcte." << false;
        QTest::newRow("letters") << "abc" << 77 << "'abc' n'est pas une valeur entière correcte." << false;
        QTest::newRow("trailing blank") << "25 " << 77 << "'25 ' n'est pas une valeur entière correcte."
                                        << false;
        QTest::newRow("beyond 32 bits") << "2147483648" << 77
                                        << "'2147483648' n'est pas une valeur entière correcte." << false;
        QTest::newRow("leading blank") << " 25" << 25 << "" << true;
        QTest::newRow("dollar hex") << "$1F" << 31 << "" << true;
        QTest::newRow("0x hex") << "0x1F" << 31 << "" << true;
        QTest::newRow("negative kept as typed") << "-4" << -4 << "" << true;
        QTest::newRow("large kept as typed") << "300" << 300 << "" << true;
    }
    void drawButtonTakesSampleSize()
    {
        QFETCH(QString, typed);
        QFETCH(int, sampleSize);
        QFETCH(QString, error);
        QFETCH(bool, mapShown);
        SurveyTally.SampleSize = 77;
        Page_1->EdNPoints->setText(typed);
        QTest::mouseClick(Page_1->BtnDessine, Qt::LeftButton);
        QCOMPARE(SurveyTally.SampleSize, sampleSize);
        QCOMPARE(boxes->Errors, error.isEmpty() ? QStringList() : QStringList{error});
        QVERIFY(boxes->Notices.isEmpty());
        QCOMPARE(Form2->isVisible(), mapShown);
        if (!error.isEmpty())
            QCOMPARE(boxes->Captions, QStringList{QStringLiteral("Test_main_window")});
    }

    void zeroSampleSizeWarnsOverTheShownMap()
    {
        bool mapVisibleBehindNotice = false;
        boxes->WhileNoticeOpen = [&] { mapVisibleBehindNotice = Form2->isVisible(); };
        Page_1->EdNPoints->setText(QStringLiteral("0"));
        QTest::mouseClick(Page_1->BtnDessine, Qt::LeftButton);
        QCOMPARE(boxes->Notices,
                 QStringList{QStringLiteral("Vous devez entrer le nombre de points d'echantillon !")});
        QVERIFY(mapVisibleBehindNotice);
        QCOMPARE(SurveyTally.SampleSize, 0);
    }

    void drawButtonBringsAnOpenMapForward()
    {
        Page_1->EdNPoints->setText(QStringLiteral("10"));
        QTest::mouseClick(Page_1->BtnDessine, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(Form2));
        QApplication::setActiveWindow(Page_1);
        Page_1->EdNPoints->setText(QStringLiteral("30"));
        QTest::mouseClick(Page_1->BtnDessine, Qt::LeftButton);
        QCOMPARE(SurveyTally.SampleSize, 30);
        QVERIFY(Form2->isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), Form2);
    }

    void otherButtonsOpenTheirWindows()
    {
        QTest::mouseClick(Page_1->ButtExplic, Qt::LeftButton);
        QVERIFY(Form3->isVisible());
        QTest::mouseClick(Page_1->Button1, Qt::LeftButton);
        QVERIFY(TabRes->isVisible());
        QVERIFY(!Terminated());
    }

    void closingASecondaryWindowOnlyHidesIt()
    {
        Page_1->EdNPoints->setText(QStringLiteral("10"));
        QTest::mouseClick(Page_1->BtnDessine, Qt::LeftButton);
        Form2->close();
        QVERIFY(Form2->isHidden());
        QVERIFY(Page_1->isVisible());
        QVERIFY(!Terminated());
    }

    void everyWayOfClosingEndsTheProgram_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("title bar") << "close";
        QTest::newRow("Fermer clicked") << "click";
        QTest::newRow("Alt+F in an edit box") << "alt-f";
        QTest::newRow("Alt+Shift+F in an edit box") << "alt-shift-f";
        QTest::newRow("F on a push button") << "f-on-button";
        QTest::newRow("shift+F on a push button") << "shift-f-on-button";
    }
    void everyWayOfClosingEndsTheProgram()
    {
        QFETCH(QString, how);
        QTest::mouseClick(Page_1->ButtExplic, Qt::LeftButton);  // another window open meanwhile
        QApplication::setActiveWindow(Page_1);
        QVERIFY(QTest::qWaitForWindowActive(Page_1));
        if (how == "close") {
            Page_1->close();
        } else if (how == "click") {
            QTest::mouseClick(Page_1->BitBtn1, Qt::LeftButton);
        } else if (how.startsWith("alt")) {
            Page_1->EdFich->setFocus();
            QTest::keyClick(Page_1->EdFich, Qt::Key_F,
                            how == "alt-f" ? Qt::AltModifier : Qt::AltModifier | Qt::ShiftModifier);
            QCOMPARE(Page_1->EdFich->text(), QString());
        } else {
            Page_1->Button1->setFocus();
            QTest::keyClick(Page_1->Button1, Qt::Key_F,
                            how == "shift-f-on-button" ? Qt::ShiftModifier : Qt::NoModifier);
        }
        QTRY_VERIFY(Terminated());  // a mnemonic presses its button after a short flash
        QVERIFY(Page_1->isHidden());
        QVERIFY(Form3->isHidden());
    }

    void returnOrEnterPressesTheFocusedButton_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("key");
        for (const char* window : {"Page_1", "Form2", "TabRes", "Form3", "Abaque"}) {
            QTest::addRow("%s, Return", window) << window << int(Qt::Key_Return);
            QTest::addRow("%s, Enter", window) << window << int(Qt::Key_Enter);
        }
    }
    void returnOrEnterPressesTheFocusedButton()
    {
        QFETCH(QString, window);
        QFETCH(int, key);
        const QMap<QString, QWidget*> windows{{"Page_1", Page_1}, {"Form2", Form2}, {"TabRes", TabRes},
                                              {"Form3", Form3}, {"Abaque", Abaque}};
        const auto buttons = windows.value(window)->findChildren<QPushButton*>();
        QVERIFY(!buttons.isEmpty());
        // A button that opens a file dialog has been pressed once the dialog shows: it goes.
        QTimer dialogCloser;
        dialogCloser.callOnTimeout([] {
            if (QWidget* dialog = QApplication::activeModalWidget())
                dialog->close();
        });
        dialogCloser.start(20);
        for (QPushButton* button : buttons) {
            button->setEnabled(true);
            QSignalSpy presses(button, &QPushButton::clicked);
            QTest::keyClick(button, Qt::Key(key),
                            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            QVERIFY2(presses.count() == 1, qPrintable(button->text()));
        }
    }

    void qtOwnTextsAreFrench()
    {
        QLineEdit box(QStringLiteral("texte"));
        box.selectAll();
        std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
        QCOMPARE(texts, QStringList({"Annuler", "Rétablir", "Couper", "Copier", "Coller", "Supprimer",
                                     "Tout sélectionner"}));
    }

    void otherWindowsAreMinimisedAndRestoredWithTheMainWindow()
    {
        for (QWidget* window : {static_cast<QWidget*>(Form2), static_cast<QWidget*>(TabRes),
                                static_cast<QWidget*>(Form3), static_cast<QWidget*>(Abaque)})
            QCOMPARE(window->parentWidget(), Page_1);
        ShowWindow(Form3);
        ShowWindow(TabRes);
        TabRes->setWindowState(Qt::WindowMinimized);  // by the user, on its own
        Page_1->setWindowState(Qt::WindowMinimized);
        QVERIFY(Form3->isMinimized());
        QVERIFY(TabRes->isMinimized());
        QVERIFY(Form2->isHidden());
        Page_1->setWindowState(Qt::WindowNoState);
        QVERIFY(!Form3->isMinimized());
        QVERIFY(Form3->isVisible());
        QVERIFY(TabRes->isMinimized());
        QVERIFY(Form2->isHidden());
        QCOMPARE(Form3->pos(), QPoint(195, 143));
    }

    void letterFInAnEditBoxIsTyped()
    {
        Page_1->EdNPoints->setFocus();
        QTest::keyClicks(Page_1->EdNPoints, QStringLiteral("fF"));
        QCOMPARE(Page_1->EdNPoints->text(), QStringLiteral("fF"));
        QVERIFY(!Terminated());
        QVERIFY(Page_1->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
