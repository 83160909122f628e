#pragma once
// The map window: the map, the random sample points and the probing of land uses.

#include "picture/TBitmap.h"
#include "ui/TCanvas.h"
#include "windows/FileStamp.h"

#include <QWidget>
#include <optional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class TCloseButton;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2();

    TCloseButton* BitBtnFermer;
    QFrame* Panel1;
    QFrame* Panel2;
    // Step 1, on Panel2.
    QLabel* Label10;
    QLabel* Label1;
    QLineEdit* TaillePt;
    QPushButton* BtnCalcul;
    // Step 2, on Panel1.
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label2;
    QLineEdit* EdLandUse;
    QLabel* Label6;
    QPushButton* ButtSonder;
    QLabel* Label9;
    QLabel* Label3;
    QLineEdit* EdNBPoints;
    QLabel* Label8;
    QPushButton* ButtFini;

    TCanvas Canvas{this};
    // Where the map is drawn: from (10, 10), MapWidth by MapHeight.
    TRect MapRect;

    void FormPaint();
    void BtnCalculClick();
    void DrawSamplePoint(int x, int y);
    void EdLandUseChange();
    void ButtSonderClick();
    void Image1MouseDown(int x, int y);
    void ButtFiniClick();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void ScaleToMap(int pictureWidth, int pictureHeight);
    void BeginSurvey(const QString& mapName);

    // The map as last read, and the file it was read from: a repaint reads no file unless the
    // name in EdFich, or the file itself, changed.
    TBitmap map;
    std::optional<TFileStamp> mapRead;
    // The absolute name of the survey's map: a map drawn under another name begins a new survey.
    QString surveyMap;
    // Whether the last paint drew the map: "Go" and presses wait for it.
    bool mapShown = false;
    // The file whose failure was last reported: a repaint does not report it again, only once
    // the file or its name changes or the window is shown anew.
    std::optional<TFileStamp> failureReported;
    // Set when the window is shown from hidden: its next map drawing begins a new survey, and
    // a failure is worth reporting again.
    bool surveyDue = true;
    bool retryFailure = true;
};

extern TForm2* Form2;
