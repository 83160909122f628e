// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// The survey as a document, without a window: how large a map is drawn, whether a session fits
// its map, when a new survey begins, what "Go" places, when leaving asks first, and that every
// change is told to whoever shows the survey.

#include "core/Errors.h"
#include "core/SampleGenerator.h"
#include "core/SurveyDocument.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A document over a tally of its own, its map drawn at 600 × 700.
struct OpenDocument {
    TSurveyTally tally;
    TSurveyDocument document{tally};
    QSignalSpy changes{&document, &TSurveyDocument::Changed};

    OpenDocument()
    {
        document.MapDrawn(QStringLiteral("/cartes/rizo.bmp"), QSize(600, 700));
        tally.SampleSize = 6;
    }
    void Classify(int points)
    {
        document.DrawSample(5, 1234);
        document.BeginLandUse(QStringLiteral("bâti"));
        for (int point = 0; point < points; ++point)
            document.CountPoint(point);
    }
};

}  // namespace

class SurveyDocumentTest : public QObject {
    Q_OBJECT
private slots:
    void mapIsDrawnSixHundredWideOrSevenHundredHigh_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("drawn");
        QTest::newRow("wider") << QSize(1200, 800) << QSize(600, 400);
        QTest::newRow("square") << QSize(300, 300) << QSize(700, 700);
        QTest::newRow("higher") << QSize(400, 800) << QSize(350, 700);
        QTest::newRow("half a row rounds to even") << QSize(1200, 1) << QSize(600, 0);
        QTest::newRow("12.5 goes to the even 12") << QSize(4800, 100) << QSize(600, 12);
        QTest::newRow("a ratio through a double") << QSize(7, 3) << QSize(600, 257);
        QTest::newRow("a ratio through a double: 187") << QSize(320, 100) << QSize(600, 187);
        QTest::newRow("just above 262.5 high") << QSize(320, 140) << QSize(600, 263);
        QTest::newRow("just above 262.5 wide") << QSize(300, 800) << QSize(263, 700);
        QTest::newRow("one column") << QSize(1, 5000) << QSize(0, 700);
    }
    void mapIsDrawnSixHundredWideOrSevenHundredHigh()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, drawn);
        QCOMPARE(DrawnMapSize(picture), drawn);
    }

    void aSessionFitsTheMapItWasDrawnOn_data()
    {
        QTest::addColumn<QSize>("saved");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("misfit");
        QTest::newRow("same drawing") << QSize(600, 400) << QSize(1200, 800) << QString();
        QTest::newRow("picture tells no size") << QSize(600, 400) << QSize() << QString();
        QTest::newRow("another shape")
            << QSize(600, 400) << QSize(800, 800)
            << "Cette séance est endommagée et ne peut pas être ouverte : elle dessine sa carte en 600 × 400 "
               "pixels, et non en 700 × 700.";
    }
    void aSessionFitsTheMapItWasDrawnOn()
    {
        QFETCH(QSize, saved);
        QFETCH(QSize, picture);
        QFETCH(QString, misfit);
        TSurveyTally survey;
        survey.MapWidth = saved.width();
        survey.MapHeight = saved.height();
        QCOMPARE(SessionMisfit(survey, picture).value_or(QString()), misfit);
    }

    void aNewSurveyBeginsWithAnotherMapOrAShowingAnew_data()
    {
        QTest::addColumn<QString>("map");
        QTest::addColumn<bool>("shownAnew");
        QTest::addColumn<bool>("begins");
        QTest::newRow("same map drawn again") << "/cartes/rizo.bmp" << false << false;
        QTest::newRow("another map") << "/cartes/autre.bmp" << false << true;
        QTest::newRow("same map, window shown anew") << "/cartes/rizo.bmp" << true << true;
    }
    void aNewSurveyBeginsWithAnotherMapOrAShowingAnew()
    {
        QFETCH(QString, map);
        QFETCH(bool, shownAnew);
        QFETCH(bool, begins);
        OpenDocument open;
        open.Classify(2);
        open.document.Saved(QStringLiteral("/cartes/rizo.sondelio"));
        open.document.CountPoint(2);
        if (shownAnew)
            open.document.BeginOnNextDrawing();
        QCOMPARE(open.document.MapDrawn(map, QSize(1200, 800)), begins);
        QCOMPARE(QSize(open.tally.MapWidth, open.tally.MapHeight), QSize(600, 400));
        QCOMPARE(open.document.MapName(), map);
        QCOMPARE(open.tally.PointsProbed, begins ? 0 : 3);
        QCOMPARE(open.tally.Marks().empty(), begins);
        QCOMPARE(open.document.AsksBeforeLeaving(), !begins);
        // A new survey is not proposed to be saved over the last one's file.
        QCOMPARE(open.document.SessionFile(), begins ? QString() : QStringLiteral("/cartes/rizo.sondelio"));
    }

    void goPlacesThePointsTheSeedGives_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<int>("kind");
        QTest::newRow("seed typed") << true << int(DesignKind::SimpleRandom);
        QTest::newRow("seed from the clock") << false << int(DesignKind::SimpleRandom);
        QTest::newRow("two blocks") << true << int(DesignKind::Stratified);
    }
    void goPlacesThePointsTheSeedGives()
    {
        QFETCH(bool, typed);
        QFETCH(int, kind);
        const auto clock = SeedGenerator;
        SeedGenerator = [] { GeneratorState = 987654321u; };
        OpenDocument open;
        open.Classify(3);
        const SampleDesign design{DesignKind(kind), 2};
        open.document.DrawSample(9, typed ? std::optional<uint32_t>(42u) : std::nullopt, design);
        SeedGenerator = clock;

        uint32_t state = typed ? 42u : 987654321u;
        QCOMPARE(open.tally.Seed, state);
        QCOMPARE(open.document.SeedTyped(), typed);
        QVERIFY(open.tally.Design == design);
        // The counts of the old sample went with it; its land use stays, back to 0.
        QCOMPARE(open.tally.PointsProbed, 0);
        QCOMPARE(open.tally.LandUse(1).Count, 0);
        const DesignedSample drawn = DrawDesign(design, 6, QSize(600, 700), state);
        QCOMPARE(open.tally.SamplePoints(), int(drawn.Points.size()));
        for (size_t point = 0; point < drawn.Points.size(); ++point) {
            const SurveyMark& mark = open.tally.Marks()[point];
            QCOMPARE(mark.Place, drawn.Points[point].Place);
            QCOMPARE(mark.Group, drawn.Points[point].Group);
            QCOMPARE(mark.Size, 9);
        }
    }

    // After two points counted: how many changes the steps tell, and whether leaving then asks
    // first, which it does only for counts neither saved nor let go.
    void stepsAreToldAndLeavingAsksForCountsNotKept_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("changes");
        QTest::addColumn<bool>("asks");
        QTest::newRow("counted") << "" << 0 << true;
        QTest::newRow("saved") << "save" << 0 << false;
        QTest::newRow("saved, then counted again") << "save count" << 1 << true;
        QTest::newRow("saved, counted, taken back") << "save count undo" << 2 << false;
        QTest::newRow("let go") << "let-go" << 0 << false;
        QTest::newRow("let go, then counted again") << "let-go count" << 1 << true;
        QTest::newRow("sonder") << "sonder" << 1 << true;
        QTest::newRow("a counted point refused") << "count-again" << 0 << true;
        QTest::newRow("redo with nothing undone") << "redo" << 0 << true;
        QTest::newRow("fini") << "fini" << 1 << true;
        QTest::newRow("go drops the counts") << "go" << 1 << false;
        QTest::newRow("saved, then the student named") << "save name" << 1 << true;
        QTest::newRow("saved, named as before") << "name save name" << 1 << false;
    }
    void stepsAreToldAndLeavingAsksForCountsNotKept()
    {
        QFETCH(QString, steps);
        QFETCH(int, changes);
        QFETCH(bool, asks);
        OpenDocument open;
        open.Classify(2);
        open.changes.clear();
        TSurveyDocument& document = open.document;
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            if (step == "save")
                document.Saved(QStringLiteral("/cartes/rizo.sondelio"));
            else if (step == "let-go")
                document.LetGo();
            else if (step == "count")
                QVERIFY(document.CountPoint(5));
            else if (step == "count-again")
                QVERIFY(!document.CountPoint(0));
            else if (step == "undo")
                QVERIFY(document.Undo());
            else if (step == "redo")
                QVERIFY(!document.Redo());
            else if (step == "sonder")
                QVERIFY(document.BeginLandUse(QStringLiteral("eau")));
            else if (step == "fini")
                document.FinishLandUse();
            else if (step == "name")
                document.NameStudent(QStringLiteral(" Zoé "));
            else
                document.DrawSample(5, 7u);
        }
        QCOMPARE(open.changes.count(), changes);
        QCOMPARE(document.AsksBeforeLeaving(), asks);
    }

    // A map that cannot be drawn, or a session that does not fit its map, leaves the survey as
    // it was: its map, its size, its counts, nothing told.
    void aRefusedMapOrSessionChangesNothing_data()
    {
        QTest::addColumn<bool>("session");
        QTest::newRow("a picture without rows") << false;
        QTest::newRow("a session drawn at another size") << true;
    }
    void aRefusedMapOrSessionChangesNothing()
    {
        QFETCH(bool, session);
        OpenDocument open;
        open.Classify(2);
        open.changes.clear();
        SurveyFileContent content;
        content.Tally.MapWidth = 600;
        content.Tally.MapHeight = 400;
        if (session)
            QVERIFY_THROWS_EXCEPTION(EReadError, open.document.Take(content, "/cartes/autre.bmp", QSize(100, 100), {}, true));
        else
            QVERIFY_THROWS_EXCEPTION(EZeroDivide, open.document.MapDrawn("/cartes/vide.bmp", QSize(5, 0)));
        QCOMPARE(open.document.MapName(), QStringLiteral("/cartes/rizo.bmp"));
        QCOMPARE(QSize(open.tally.MapWidth, open.tally.MapHeight), QSize(600, 700));
        QCOMPARE(open.tally.PointsProbed, 2);
        QCOMPARE(open.changes.count(), 0);
    }

    void marksAreCentredOnTheirPoints_data()
    {
        QTest::addColumn<QPoint>("place");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("counted");
        QTest::addColumn<QRect>("box");  // left, top, right, bottom, the map's corner at (10, 10)
        const QPoint place(10, 20);
        QTest::newRow("red, odd size") << place << 5 << false << QRect(QPoint(18, 28), QPoint(23, 33));
        QTest::newRow("red, even size") << place << 4 << false << QRect(QPoint(18, 28), QPoint(22, 32));
        QTest::newRow("blue over a small point") << place << 3 << true << QRect(QPoint(17, 27), QPoint(24, 34));
        QTest::newRow("blue over a large point") << place << 11 << true << QRect(QPoint(15, 25), QPoint(26, 36));
        const int most = std::numeric_limits<int32_t>::max();
        QTest::newRow("a size past all reason stays in range")
            << QPoint(2000000000, 20) << most << false << QRect(QPoint(926258187, -1073741793), QPoint(most, 1073741854));
    }
    void marksAreCentredOnTheirPoints()
    {
        QFETCH(QPoint, place);
        QFETCH(int, size);
        QFETCH(bool, counted);
        QFETCH(QRect, box);
        TSurveyTally tally;
        tally.BeginSurvey();
        tally.BeginSample();
        tally.AddSamplePoint(place, size);
        tally.BeginLandUse(QStringLiteral("eau"));
        tally.CountPoint(0);
        const MarkBox drawn = tally.BoxOf(tally.Marks()[counted ? 1 : 0], QPoint(10, 10));
        QCOMPARE(QRect(QPoint(drawn.Left, drawn.Top), QPoint(drawn.Right, drawn.Bottom)), box);
    }
};

QTEST_GUILESS_MAIN(SurveyDocumentTest)
#include "test_survey_document.moc"
