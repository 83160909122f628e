// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

// A whole class lesson, as a teacher and three students give it, on a desktop of the test's own
// (Xvfb, openbox), the program driven with xdotool and seen with import. The teacher draws a
// sample of the demo map from a seed and saves the session, which carries the map's legend from
// then on; each student opens it, types a name, classifies every point by the colour under it,
// checks the points against the legend ("Vérifier") and saves; one of them makes mistakes on
// purpose, another spells a land use otherwise. The teacher gathers the three sessions in the
// class window, the legend as the reference, and looks at every view (their pictures are kept
// where SONDELIO_LECON_IMAGES says); the class's command line pools the same sessions.
// Skipped, with the reason, where the X server, the window manager or a tool is missing.

#include "core/LandUseNames.h"
#include "core/SurveyDocument.h"
#include "helpers/Files.h"
#include "helpers/Lesson.h"
#include "picture/MapPixels.h"
#include "picture/TBitmap.h"
#include "ui/MarkedMap.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <map>

namespace {

constexpr int patience = 20000;  // milliseconds for the desktop to answer, on a loaded machine
constexpr int sampleSize = 12;
const QString seed = QStringLiteral("4242");

// The class window's tabs, left to right, and where its "Référence" tab shows the map of the
// student's points checked, as designed.
const QStringList classTabs{
    QStringLiteral("Tableau"), QStringLiteral("Intervalles"),         QStringLiteral("Référence"),
    QStringLiteral("Légende"), QStringLiteral("Accord entre élèves"), QStringLiteral("Noms")};
const QPoint firstTab(20, 221);
const QRect checkedMap(498, 238, 474, 440);

// What a ring asking to look at a point is drawn in: the map window's own red, and the class
// window's, give or take its antialiasing. Neither is a colour of the demo map.
const QColor mapRed(255, 0, 0);
const QColor classRed(220, 0, 0);
constexpr int classRedTolerance = 40;

}  // namespace

class LessonTest : public QObject {
    Q_OBJECT
    TestDesktop desktop{patience};
    QTemporaryDir folder;
    QString pictures;
    QString map;
    std::vector<LessonPoint> points;  // the teacher's sample, with the legend's land use under each
    ColourNames legend;
    // For each student's session, by name, what the student said of each point.
    std::map<QString, QStringList> said;
    QStringList sessions;

    QString File(const QString& name) const { return QDir(folder.path()).filePath(name); }

    // Whether the answer given to the sample point differs from the legend's land use under it.
    bool Mistaken(const QStringList& answers, std::size_t point) const
    {
        return NameKey(answers[qsizetype(point)]) != NameKey(points[point].Use);
    }

    // The window's picture once the points the student got wrong are ringed, each point's centre
    // where `place` puts it; and then, only they.
    QImage CheckRings(const QString& window, const QStringList& answers, const std::function<QPointF(QPoint)>& place,
                      const QColor& colour, int tolerance = 0)
    {
        std::vector<QPointF> wrong;
        for (std::size_t at = 0; at < points.size(); ++at)
            if (Mistaken(answers, at))
                wrong.push_back(place(points[at].Place));
        const QImage shown = AwaitRings(desktop, window, wrong, colour, tolerance);
        for (std::size_t at = 0; at < points.size(); ++at)
            if (RingedAt(shown, place(points[at].Place), colour, tolerance) != Mistaken(answers, at))
                QTest::qFail(qPrintable(QStringLiteral("point %1, « %2 »").arg(at).arg(answers[qsizetype(at)])),
                             __FILE__, __LINE__);
        return shown;
    }

    void KeepPicture(const QImage& picture, const QString& name)
    {
        QVERIFY2(picture.save(QDir(pictures).filePath(name + QStringLiteral(".png"))), qPrintable(name));
    }

private slots:
    void initTestCase()
    {
        const QString missing =
            MissingTool({"Xvfb", "openbox", "xdotool", "xwininfo", "wmctrl", "xmodmap", "import", "xclip"});
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        if (const QString failure = desktop.StartServer(QStringLiteral("1600x1200")); !failure.isEmpty())
            QSKIP(qPrintable(failure));
        if (const QString failure = desktop.StartWindowManager(); !failure.isEmpty())
            QSKIP(qPrintable(failure));
        QVERIFY(folder.isValid());
        map = File(QStringLiteral("rizo0346.bmp"));
        QVERIFY(QFile::copy(QStringLiteral(SONDELIO_RUN_DIR "/rizo0346.bmp"), map));
        QVERIFY(QFile::copy(QStringLiteral(SONDELIO_RUN_DIR "/rizo0346-legende.csv"), LegendFileFor(map)));
        // Kept where SONDELIO_LECON_IMAGES names a folder, for a developer to look at; else they go
        // with the test's folder.
        pictures = qEnvironmentVariable("SONDELIO_LECON_IMAGES", File(QStringLiteral("images")));
        QVERIFY(QDir().mkpath(pictures));
        qInfo("Les images de la leçon : %s", qPrintable(pictures));
    }

    void teacherSavesTheSample()
    {
        DesktopProgram teacher(desktop, File(QStringLiteral("professeur")));
        const QString main = teacher.Start(QStringLiteral(SONDELIO_PROGRAM), {map});
        QVERIFY(!main.isEmpty());
        desktop.TypeInto(main, LessonPlaces::SampleSizeBox, QString::number(sampleSize));
        desktop.ClickAt(main, LessonPlaces::DrawButton);
        const QString mapWindow = desktop.AwaitWindow(QStringLiteral("Fond de Carte"));
        QVERIFY(!mapWindow.isEmpty());
        desktop.Activate(mapWindow);
        desktop.Key(QStringLiteral("alt+g"));
        desktop.Type(seed);
        desktop.ClickAt(mapWindow, LessonPlaces::Go);
        desktop.Key(QStringLiteral("alt+e"));
        QVERIFY(
            desktop.ChooseFiles(QStringLiteral("Enregistrer la séance"), {File(QStringLiteral("teacher.sondelio"))}));
        QVERIFY(teacher.Close());

        const SurveyFileContent session = ReadSession(File(QStringLiteral("teacher.sondelio")));
        QCOMPARE(session.Tally.SamplePoints(), sampleSize);
        QCOMPARE(QString::number(session.Tally.Seed), seed);
        QCOMPARE(session.Tally.PointsProbed, 0);
        legend = ReadLegendBeside(map);
        QVERIFY(session.Tally.Legend == legend);
        // The map is handed out with the session alone: the students, and the teacher's class
        // window after them, have only the legend the sessions carry.
        QVERIFY(QFile::remove(LegendFileFor(map)));
        points = LegendUses(File(QStringLiteral("teacher.sondelio")), map);
        QStringList uses;
        for (const LessonPoint& point : points) {
            QVERIFY2(!point.Use.isEmpty(), "every point of the demo map lies on a colour its legend names");
            if (!uses.contains(point.Use))
                uses << point.Use;
        }
        QVERIFY2(uses.size() >= 3 && uses.contains(QStringLiteral("bâti")), qPrintable(uses.join(", ")));
    }

    void studentClassifiesEveryPoint_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("mistakes");         // the first points given the next land use's name
        QTest::addColumn<QString>("builtUpName");  // what the student types for "bâti"
        QTest::newRow("right") << QStringLiteral("Alice") << 0 << QStringLiteral("bâti");
        QTest::newRow("mistaken") << QStringLiteral("Bruno") << 2 << QStringLiteral("bâti");
        QTest::newRow("spelt otherwise") << QStringLiteral("Chloé") << 0 << QStringLiteral("Bati");
    }

    void studentClassifiesEveryPoint()
    {
        QFETCH(QString, name);
        QFETCH(int, mistakes);
        QFETCH(QString, builtUpName);
        QVERIFY(!points.empty());
        QStringList uses;
        for (const LessonPoint& point : points)
            if (!uses.contains(point.Use))
                uses << point.Use;
        QStringList answers;
        Answers classified;
        for (std::size_t at = 0; at < points.size(); ++at) {
            const qsizetype truth = uses.indexOf(points[at].Use);
            QString answer = uses[int(at) < mistakes ? (truth + 1) % uses.size() : truth];
            if (answer == QStringLiteral("bâti"))
                answer = builtUpName;
            answers << answer;
            auto use = std::find_if(classified.begin(), classified.end(),
                                    [&](const auto& one) { return one.first == answer; });
            if (use == classified.end())
                use = classified.insert(classified.end(), {answer, {}});
            use->second.push_back(points[at].Place);
        }

        DesktopProgram student(desktop, File(name));
        const QString session = File(name + QStringLiteral(".sondelio"));
        QVERIFY(!student.Start(QStringLiteral(SONDELIO_PROGRAM), {File(QStringLiteral("teacher.sondelio"))}).isEmpty());
        const QString mapWindow = desktop.AwaitWindow(QStringLiteral("Fond de Carte"));
        QVERIFY(!mapWindow.isEmpty());
        desktop.Activate(mapWindow);
        desktop.Key(QStringLiteral("alt+v"));
        desktop.Type(name);
        Classify(desktop, mapWindow, classified);

        // "Vérifier": the box sums the check up, and the mistakes, and only they, stay ringed.
        desktop.Activate(mapWindow);
        desktop.Key(QStringLiteral("alt+i"));
        const QString box = desktop.AwaitWindow(QStringLiteral("Sondelio"));
        QVERIFY(!box.isEmpty());
        const QString summary = desktop.CopiedText(box);
        const QString agreeing =
            mistakes == 0 ? QStringLiteral("Vos %1 points classés s'accordent tous avec la légende").arg(sampleSize)
                          : QStringLiteral("%1 points classés sur %2 s'accordent avec la légende")
                                .arg(sampleSize - mistakes)
                                .arg(sampleSize);
        QVERIFY2(summary.contains(agreeing), qPrintable(summary));
        desktop.Key(QStringLiteral("Return"));
        QVERIFY(desktop.AwaitGone(QStringLiteral("Sondelio")));
        const auto onMap = [](QPoint place) { return QPointF(LessonPlaces::MapOrigin + place); };
        KeepPicture(CheckRings(mapWindow, answers, onMap, mapRed), name);
        if (QTest::currentTestFailed())
            return;

        desktop.Activate(mapWindow);
        desktop.Key(QStringLiteral("alt+e"));
        QVERIFY(desktop.ChooseFiles(QStringLiteral("Enregistrer la séance"), {session}));
        QVERIFY(student.Close());

        const SurveyFileContent saved = ReadSession(session);
        QCOMPARE(saved.Tally.Student, name);
        QCOMPARE(saved.Tally.SamplePoints(), sampleSize);
        QCOMPARE(saved.Tally.PointsProbed, sampleSize);
        QStringList kept(sampleSize);
        for (const SurveyMark& mark : saved.Tally.Marks())
            if (mark.What == SurveyMark::Kind::CountedPoint)
                kept[mark.Point] = saved.Tally.LandUse(mark.LandUse).Name;
        QCOMPARE(kept, answers);
        for (int use = 1; use <= saved.Tally.LandUseCount; ++use)
            QCOMPARE(saved.Tally.LandUse(use).Count, answers.count(saved.Tally.LandUse(use).Name));
        QVERIFY(saved.Tally.Legend == legend);
        said[name] = answers;
        sessions << session;
    }

    void teacherComparesTheClass()
    {
        QCOMPARE(sessions.size(), qsizetype(3));
        DesktopProgram teacher(desktop, File(QStringLiteral("professeur")));
        const QString main = teacher.Start(QStringLiteral(SONDELIO_PROGRAM), {});
        QVERIFY(!main.isEmpty());
        desktop.Activate(main);
        desktop.Key(QStringLiteral("alt+c"));
        const QString classWindow = desktop.AwaitWindow(QStringLiteral("Classe"));
        QVERIFY(!classWindow.isEmpty());
        desktop.Activate(classWindow);
        const QImage empty = desktop.Picture(classWindow);
        desktop.Key(QStringLiteral("alt+a"));
        QVERIFY(desktop.ChooseFiles(QStringLiteral("Ajouter des séances"), sessions));

        // The map of the checked points, as the class window places them.
        TMarkedMap placed(nullptr);
        placed.resize(checkedMap.size());
        placed.SetMap(QImage(DrawnMapSize(PictureFileSize(map)), QImage::Format_RGB32));

        desktop.ClickAt(classWindow, firstTab);
        QImage shown = desktop.AwaitNewPicture(classWindow, empty);
        for (int tab = 0; tab < classTabs.size(); ++tab) {
            if (tab > 0) {
                desktop.WheelAt(classWindow, firstTab, 1);
                shown = desktop.AwaitNewPicture(classWindow, shown);
            }
            if (classTabs[tab] == QStringLiteral("Référence")) {
                desktop.Key(QStringLiteral("alt+r"));
                desktop.Type(QStringLiteral("La"));  // the legend; a space would open the list
                desktop.Key(QStringLiteral("alt+v"));
                desktop.Type(QStringLiteral("Bruno"));
                const auto onCheckedMap = [&](QPoint place) { return checkedMap.topLeft() + placed.ToBox(place); };
                shown = CheckRings(classWindow, said[QStringLiteral("Bruno")], onCheckedMap, classRed, classRedTolerance);
            }
            QVERIFY2(!shown.isNull(), qPrintable(classTabs[tab]));
            KeepPicture(shown, QStringLiteral("classe-%1-%2").arg(tab + 1).arg(classTabs[tab]));
        }
        QVERIFY(teacher.Close());
    }

    void classCommandPoolsTheSessions()
    {
        QCOMPARE(sessions.size(), qsizetype(3));
        // The command takes no legend from the sessions: the teacher types the one they carry.
        QStringList colours;
        for (const auto& [colour, name] : legend)
            colours << ColourText(colour) + QLatin1Char('=') + name;
        QProcess command;
        command.start(QStringLiteral(SONDELIO_CLASSE),
                      sessions + QStringList{QStringLiteral("--legende"), colours.join(QLatin1Char(',')),
                                             QStringLiteral("--usage"), QStringLiteral("bâti")});
        QVERIFY(command.waitForFinished(patience));
        const QString output = QString::fromUtf8(command.readAllStandardOutput());
        QVERIFY2(command.exitCode() == 0, qPrintable(QString::fromUtf8(command.readAllStandardError())));

        // Each student's row: the points counted under each land use, names matched as the class
        // matches them.
        const QStringList lines = output.split(QStringLiteral("\r\n"));
        const QStringList header = lines.value(1).split(QLatin1Char(';'));
        for (const auto& [name, answers] : said) {
            const auto row = std::find_if(lines.begin(), lines.end(),
                                          [&](const QString& line) { return line.startsWith(name + ';'); });
            QVERIFY2(row != lines.end(), qPrintable(name));
            const QStringList cells = row->split(QLatin1Char(';'));
            for (const QString& column : header) {
                if (!column.endsWith(QStringLiteral(" : points")) || column.startsWith(QStringLiteral("Autres")))
                    continue;
                const QString use = column.chopped(9);
                const qsizetype expected = std::count_if(answers.begin(), answers.end(), [&](const QString& answer) {
                    return NameKey(answer) == NameKey(use);
                });
                QCOMPARE(cells.value(header.indexOf(column)).toLongLong(), expected);
            }
        }
        QVERIFY2(QRegularExpression(QStringLiteral("\\d+ intervalles? sur 3 contien")).match(output).hasMatch(),
                 qPrintable(output));
        // The students share the points, and all but a few agree.
        const QRegularExpressionMatch kappa =
            QRegularExpression(QStringLiteral("Kappa de Fleiss;(\\d+)[.,](\\d+)")).match(output);
        QVERIFY2(kappa.hasMatch(), qPrintable(output));
        const double value = (kappa.captured(1) + '.' + kappa.captured(2)).toDouble();
        QVERIFY2(value > 0.5 && value < 1, qPrintable(kappa.captured(0)));
    }
};

QTEST_MAIN(LessonTest)
#include "test_lesson.moc"
