// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The map window's paint: the map scaled to 600 wide or 700 high with the exact arithmetic, a
// survey that no repaint can lose, a map file read again only when it changed, and a failing
// file reported once; a photo drawn turned upright, and a damaged one reported once.

#include "core/SurveyTally.h"
#include "helpers/BmpWriter.h"
#include "helpers/MapWindow.h"
#include "helpers/Program.h"
#include "ui/WindowFrame.h"
#include "windows/Carte2.h"
#include "windows/Fich_1.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

constexpr QRgb Green = 0xFF008000;

}  // namespace

class MapPaintingTest : public ProgramTest {
    Q_OBJECT
    QTemporaryDir dir;

    QString MapPath(const QString& name) const { return dir.filePath(name); }

    // Points drawn, a land use begun and the first point counted on the map in the file.
    static void SurveyWithOnePress(const QString& path)
    {
        OpenMap(path);
        Click(Form2->BtnCalcul);
        Form2->EdLandUse->setText("eau");
        Click(Form2->ButtSonder);
        PressOnMap(SamplePointOnWindow(0));
    }

private slots:
    void scalesThePicture_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("map");
        // The arithmetic of the drawn size is test_survey_document's; the window draws at it.
        QTest::newRow("landscape") << QSize(640, 480) << QSize(600, 450);
        QTest::newRow("portrait") << QSize(480, 640) << QSize(525, 700);
    }
    void scalesThePicture()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, map);
        OpenMap(WriteMap(MapPath("scaled.bmp"), picture.width(), picture.height(), QColor(Green)));
        QCOMPARE(SurveyTally.MapWidth, map.width());
        QCOMPARE(SurveyTally.MapHeight, map.height());
        QCOMPARE(Form2->MapRect, (TRect{10, 10, 10 + map.width(), 10 + map.height()}));
        QCOMPARE(Extent(Grab(Form2), Green), QRect(QPoint(10, 10), map));
        QVERIFY(boxes->Errors.isEmpty());
    }

    void firstPaintBeginsASurvey()
    {
        Form2->TaillePt->setText("8");
        SurveyTally.LandUseCount = 3;
        QVERIFY(Form2->ButtSonder->isEnabled());
        OpenMap(WriteMap(MapPath("a.bmp"), 640, 480));
        QCOMPARE(Form2->TaillePt->text(), QStringLiteral("5"));
        QCOMPARE(SurveyTally.LandUseCount, 0);
        QVERIFY(!Form2->ButtSonder->isEnabled());
    }

    // Mend: the survey, the typed point size and the drawn points outlive any repaint.
    void aRepaintLosesNoSurvey()
    {
        OpenMap(WriteMap(MapPath("a.bmp"), 640, 480));
        Click(Form2->BtnCalcul);
        Form2->EdLandUse->setText("bâti");
        Click(Form2->ButtSonder);
        Form2->EdLandUse->setText("trafic");
        Click(Form2->ButtSonder);
        PressOnMap(SamplePointOnWindow(1));
        Form2->TaillePt->setText("8");
        const QImage before = Grab(Form2);

        Uncover();
        Form2->showMinimized();
        Form2->showNormal();
        ProcessEvents();
        Uncover();

        QCOMPARE(Form2->TaillePt->text(), QStringLiteral("8"));
        QCOMPARE(SurveyTally.LandUseCount, 2);
        QVERIFY(Form2->ButtSonder->isEnabled());
        QCOMPARE(SurveyTally.PointsProbed, 1);
        const QImage after = Grab(Form2);
        QCOMPARE(Count(after, Red), Count(before, Red));
        QVERIFY(Count(after, Red) > 0);
        QCOMPARE(Extent(after, Blue, MapSurface), QRect(SamplePointOnWindow(1) - QPoint(3, 3), QSize(7, 7)));
    }

    // A new survey starts on a clean map: what the screen keeps of the old survey's points and
    // dots is gone, and "Go" then shows the new points alone.
    void aNewSurveyBegins_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("shown again after closing") << "reopen";
        QTest::newRow("another file named") << "rename";
    }
    void aNewSurveyBegins()
    {
        QFETCH(QString, how);
        OpenMap(WriteMap(MapPath("a.bmp"), 640, 480));
        Click(Form2->BtnCalcul);
        Form2->EdLandUse->setText("eau");
        Click(Form2->ButtSonder);
        PressOnMap(SamplePointOnWindow(0));
        Form2->TaillePt->setText("8");
        Form2->EdLandUse->setText("bois");

        // The survey goes when the new one begins, not when the window closes: asked then.
        boxes->Answers = QStringList{"Ne pas enregistrer"};
        if (how == "reopen") {
            Click(Form2->BitBtnFermer);
            QVERIFY(boxes->Questions.isEmpty());
            QVERIFY(Form2->isHidden());
            Click(Page_1->BtnDessine);
        } else {
            Page_1->EdFich->setText(WriteMap(MapPath("b.bmp"), 480, 640));
            Click(Page_1->BtnDessine);
        }

        QCOMPARE(Form2->TaillePt->text(), QStringLiteral("5"));
        QCOMPARE(SurveyTally.LandUseCount, 0);
        QVERIFY(!Form2->ButtSonder->isEnabled());
        QCOMPARE(Form2->EdLandUse->text(), QStringLiteral("bois"));
        QImage shown = Shown(Form2);
        QCOMPARE(Count(shown, Red), 0);
        QCOMPARE(Count(shown, Blue, MapSurface), 0);
        QCOMPARE(SurveyTally.MapWidth, how == "reopen" ? 600 : 525);

        goState = 99;
        Click(Form2->BtnCalcul);
        shown = Shown(Form2);
        QCOMPARE(Count(shown, Red), Count(Grab(Form2), Red));
        QVERIFY(Count(shown, Red) <= 4 * 25);
    }

    // A survey belongs to the map's name: the same file rewritten, touched, or deleted and put
    // back keeps its counts and points. The map is drawn anew whole, though the paint that
    // notices the change covers only a corner; while the file is missing the survey waits with
    // its points off the screen, "Go" and presses only say why.
    void aChangedFileKeepsItsSurvey_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QRgb>("mapAfter");
        QTest::newRow("rewritten with other pixels") << "rewrite" << qRgb(255, 255, 0);
        QTest::newRow("touched") << "touch" << Green;
        QTest::newRow("deleted and put back") << "delete" << Green;
        QTest::newRow("named another way") << "dot" << Green;
    }
    void aChangedFileKeepsItsSurvey()
    {
        QFETCH(QString, change);
        QFETCH(QRgb, mapAfter);
        const QString path = WriteMap(MapPath("a.bmp"), 640, 480, QColor(Green));
        SurveyWithOnePress(path);
        Form2->TaillePt->setText("8");
        const QImage before = Shown(Form2);
        const auto paintACorner = [] {
            Form2->update(QRect(0, 0, 20, 20));
            ProcessEvents();
        };

        if (change == "rewrite") {
            WriteMap(path, 640, 480, Qt::yellow);
        } else if (change == "touch") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                     QFileDevice::FileModificationTime));
        } else if (change == "dot") {
            Page_1->EdFich->setText(QDir(dir.path()).filePath("./a.bmp"));
            Click(Page_1->BtnDessine);
        } else {
            QVERIFY(QFile::remove(path));
            paintACorner();
            QCOMPARE(boxes->Errors.size(), 1);
            const QImage waiting = Shown(Form2);
            QCOMPARE(Count(waiting, Red), 0);
            QCOMPARE(Count(waiting, Blue, MapSurface), 0);
            QCOMPARE(Count(waiting, Green), 0);
            Click(Form2->BtnCalcul);
            PressOnMap(QPoint(200, 200));
            QCOMPARE(boxes->Notices, QStringList(2, "La carte doit être dessinée !"));
            QCOMPARE(SurveyTally.PointsProbed, 1);
            WriteMap(path, 640, 480, QColor(Green));
        }
        paintACorner();

        const QImage after = Shown(Form2);
        QCOMPARE(QRgb(after.pixel(400, 400)), mapAfter);
        QCOMPARE(Count(after, Red), Count(before, Red));
        QCOMPARE(Extent(after, Blue, MapSurface), Extent(before, Blue, MapSurface));
        QCOMPARE(Form2->TaillePt->text(), QStringLiteral("8"));
        QCOMPARE(SurveyTally.LandUseCount, 1);
        QCOMPARE(SurveyTally.PointsProbed, 1);
        PressOnMap(SamplePointOnWindow(1));
        QCOMPARE(SurveyTally.PointsProbed, 2);
    }

    // Drawing a name that cannot be read shows the bare background, not the survey's points on
    // it; the survey comes back with its map.
    void anUnreadableNameHidesTheSurveyUntilItsMapIsBack()
    {
        const QString path = WriteMap(MapPath("a.bmp"), 640, 480, QColor(Green));
        SurveyWithOnePress(path);
        const QImage before = Shown(Form2);

        Page_1->EdFich->setText(MapPath("absent.bmp"));
        boxes->Answers = QStringList{"Ne pas enregistrer"};
        Click(Page_1->BtnDessine);
        QCOMPARE(boxes->Errors.size(), 1);
        const QImage bare = Shown(Form2);
        QCOMPARE(Count(bare, Red) + Count(bare, Blue, MapSurface) + Count(bare, Green), 0);

        Page_1->EdFich->setText(path);
        Click(Page_1->BtnDessine);
        const QImage back = Shown(Form2);
        QCOMPARE(Count(back, Red), Count(before, Red));
        QCOMPARE(Extent(back, Blue, MapSurface), Extent(before, Blue, MapSurface));
        QCOMPARE(SurveyTally.LandUseCount, 1);
    }

    // The map file is read again only when it changed: other pixels behind the same name, size
    // and time stay unseen, any change of time or another file put in its place shows.
    void aMapFileIsReadAgainOnlyWhenItChanged_data()
    {
        QTest::addColumn<int>("laterMs");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<QRgb>("shown");
        const QRgb yellow = qRgb(255, 255, 0);
        QTest::newRow("nothing to see") << 0 << false << Green;
        QTest::newRow("five seconds later") << 5000 << false << yellow;
        QTest::newRow("a millisecond later") << 1 << false << yellow;
        QTest::newRow("another file in its place") << 0 << true << yellow;
    }
    void aMapFileIsReadAgainOnlyWhenItChanged()
    {
        QFETCH(int, laterMs);
        QFETCH(bool, replaced);
        QFETCH(QRgb, shown);
        // A time in whole seconds, which can be set again to the nanosecond.
        const QDateTime modified(QDate(2026, 3, 1), QTime(10, 0));
        const auto writeAt = [](const QString& path, const QColor& colour, const QDateTime& time) {
            WriteMap(path, 640, 480, colour);
            QFile file(path);
            return file.open(QIODevice::ReadWrite) &&
                   file.setFileTime(time, QFileDevice::FileModificationTime);
        };
        const QString path = MapPath("a.bmp");
        QVERIFY(writeAt(path, QColor(Green), modified));
        OpenMap(path);
        QCOMPARE(QRgb(Grab(Form2).pixel(100, 100)), Green);

        // Same size, other pixels: only a read would show them.
        if (replaced) {
            const QString other = MapPath("b.bmp");
            QVERIFY(writeAt(other, Qt::yellow, modified));
            QCOMPARE(std::rename(QFile::encodeName(other).constData(),
                                 QFile::encodeName(path).constData()), 0);
        } else {
            QVERIFY(writeAt(path, Qt::yellow, modified.addMSecs(laterMs)));
        }
        Uncover();
        QCOMPARE(QRgb(Grab(Form2).pixel(100, 100)), shown);
    }

    // Mend: a failing map file does not flood the user with boxes.
    void aFailingFileIsReportedOnce()
    {
        OpenMap(MapPath("absent.bmp"));
        QCOMPARE(boxes->Errors.size(), 1);
        Uncover();
        Uncover();
        QCOMPARE(boxes->Errors.size(), 1);

        Page_1->EdFich->setText(MapPath("absent too.bmp"));
        Click(Page_1->BtnDessine);
        ProcessEvents();
        QCOMPARE(boxes->Errors.size(), 2);

        Click(Form2->BitBtnFermer);
        Click(Page_1->BtnDessine);
        ProcessEvents();
        QCOMPARE(boxes->Errors.size(), 3);

        Page_1->EdFich->setText(WriteMap(MapPath("present.bmp"), 640, 480));
        Click(Page_1->BtnDessine);
        ProcessEvents();
        QCOMPARE(boxes->Errors.size(), 3);
        QCOMPARE(SurveyTally.MapWidth, 600);
    }

    // A photo whose file says to turn it a quarter clockwise is drawn turned, as a portrait.
    void aPhotoIsDrawnUpright()
    {
        QImage picture(640, 480, QImage::Format_RGB32);
        picture.fill(Red);
        for (int y = 0; y < 480; ++y)
            for (int x = 320; x < 640; ++x)
                picture.setPixel(x, y, Blue);
        {
            QImageWriter writer(MapPath("photo.tif"), "tiff");
            writer.setTransformation(QImageIOHandler::TransformationRotate90);
            QVERIFY(writer.write(picture));
        }
        OpenMap(MapPath("photo.tif"));
        QCOMPARE(boxes->Errors.join(""), QString());
        QCOMPARE(QSize(SurveyTally.MapWidth, SurveyTally.MapHeight), QSize(525, 700));
        QCOMPARE(Extent(Grab(Form2), Red), QRect(10, 10, 525, 350));
        QCOMPARE(Extent(Grab(Form2), Blue, MapSurface), QRect(10, 360, 525, 350));
    }

    void aDamagedPhotoIsReportedOnce()
    {
        QImage picture(640, 480, QImage::Format_RGB32);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                picture.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        QVERIFY(picture.save(MapPath("photo.jpg"), "JPEG"));
        QFile photo(MapPath("photo.jpg"));
        QVERIFY(photo.resize(photo.size() / 2));
        OpenMap(MapPath("photo.jpg"));
        Uncover();
        Uncover();
        QCOMPARE(boxes->Errors,
                 QStringList(QStringLiteral("Image illisible : le fichier \"%1\" est endommagé ou incomplet.")
                                 .arg(MapPath("photo.jpg"))));
    }

    void aMissingFileDrawsNothingAndKeepsTheSize()
    {
        OpenMap(MapPath("absent.bmp"));
        QCOMPARE(boxes->Errors.size(), 1);
        QVERIFY(boxes->Errors[0].contains("absent.bmp"));
        QCOMPARE(SurveyTally.MapWidth, 0);
        QCOMPARE(SurveyTally.MapHeight, 0);
        QVERIFY(Form2->ButtSonder->isEnabled());
        QCOMPARE(Form2->TaillePt->text(), QString());
    }

    void aFailureLeavesTheSurveyAlone()
    {
        OpenMap(WriteMap(MapPath("a.bmp"), 640, 480));
        Form2->EdLandUse->setText("eau");
        Click(Form2->ButtSonder);
        Form2->TaillePt->setText("8");
        Page_1->EdFich->setText(MapPath("absent.bmp"));
        Click(Page_1->BtnDessine);
        ProcessEvents();
        QCOMPARE(boxes->Errors.size(), 1);
        QCOMPARE(SurveyTally.MapWidth, 600);
        QCOMPARE(SurveyTally.MapHeight, 450);
        QCOMPARE(SurveyTally.LandUseCount, 1);
        QCOMPARE(Form2->TaillePt->text(), QStringLiteral("8"));
        QVERIFY(Form2->ButtSonder->isEnabled());
    }

    void aPictureWithoutAreaIsRefusedOnce_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("error");
        // A 0-byte file is a picture of 0 x 0: the ratio is 0 / 0. A file that declares a
        // flat picture is refused by the reader before any ratio is formed.
        QTest::newRow("empty file") << -1 << -1 << "Opération en virgule flottante incorrecte.";
        QTest::newRow("no height") << 100 << 0 << "Image bitmap incorrecte.";
        QTest::newRow("no width") << 0 << 100 << "Image bitmap incorrecte.";
    }
    void aPictureWithoutAreaIsRefusedOnce()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, error);
        const QString path = MapPath("flat.bmp");
        if (width < 0) {
            QFile empty(path);
            QVERIFY(empty.open(QIODevice::WriteOnly));
        } else {
            BmpLayout layout;
            layout.width = width;
            layout.height = height;
            WriteBmpFile(path, layout);
        }
        OpenMap(path);
        QCOMPARE(boxes->Errors, QStringList{error});
        QCOMPARE(SurveyTally.MapWidth, 0);
        QCOMPARE(SurveyTally.MapHeight, 0);
        Uncover();
        QCOMPARE(boxes->Errors.size(), 1);
    }
};

QTEST_MAIN(MapPaintingTest)
#include "test_map_painting.moc"
