// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

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
    int PresentQuestion(const QString& caption, const QString& text, const QStringList& answers,
                        int defaultAnswer) override
    {
        Captions << caption;
        Questions << text;
        Offered << answers;
        Defaults << answers.at(defaultAnswer);
        const auto chosen = Answers.isEmpty() ? -1 : answers.indexOf(Answers.takeFirst());
        return int(chosen >= 0 ? chosen : answers.size() - 1);
    }
    void Clear()
    {
        Captions.clear();
        Notices.clear();
        Errors.clear();
        Questions.clear();
        Offered.clear();
        Defaults.clear();
    }

    QStringList Captions;
    QStringList Notices;
    QStringList Errors;  // as the error box shows them, full stop included
    QStringList Questions;
    QList<QStringList> Offered;  // the answers each question offered
    QStringList Defaults;        // the answer Return would have chosen, for each question
    // The answers to give, by their text, in turn; past the last, or for an answer not offered,
    // the last one offered, as Escape chooses.
    QStringList Answers;
    // Runs while a notice "waits for the user", as paints can run during a real box.
    std::function<void()> WhileNoticeOpen;

private:
    BoxPresenter* previous;
};
