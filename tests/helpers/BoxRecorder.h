#pragma once
// Stands in for the real dialogs while it lives: every notice and error box the program would
// show is recorded instead, with its caption and exact text.

#include "ui/Boxes.h"

#include <QStringList>
#include <functional>

class BoxRecorder : public BoxPresenter {
public:
    BoxRecorder() : previous(SetBoxPresenter(this)) {}
    ~BoxRecorder() override { SetBoxPresenter(previous); }

    void PresentNotice(const QString& caption, const QString& text) override
    {
        Captions << caption;
        Notices << text;
        if (WhileNoticeOpen)
            WhileNoticeOpen();
    }
    void PresentError(const QString& caption, const QString& text) override
    {
        Captions << caption;
        Errors << text;
    }
    void Clear()
    {
        Captions.clear();
        Notices.clear();
        Errors.clear();
    }

    QStringList Captions;
    QStringList Notices;
    QStringList Errors;  // as the error box shows them, full stop included
    // Runs while a notice "waits for the user", as paints can run during a real box.
    std::function<void()> WhileNoticeOpen;

private:
    BoxPresenter* previous;
};
