// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/Boxes.h"

#include "core/Errors.h"
#include "ui/ApplicationFrame.h"
#include "ui/NoticeBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>


namespace {

class DialogPresenter : public BoxPresenter {
public:
    void PresentNotice(const QString& caption, const QString& text) override
    {
        TNoticeBox box(caption, text);
        box.exec();
    }

    void PresentError(const QString& caption, const QString& text) override
    {
        TErrorBox box(caption, text);
        box.exec();
    }

    int PresentQuestion(const QString& caption, const QString& text, const QStringList& answers,
                        int defaultAnswer) override
    {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
        QList<QAbstractButton*> buttons;
        for (const QString& answer : answers)
            buttons << box.addButton(answer, QMessageBox::ActionRole);
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.at(defaultAnswer)));
        box.setEscapeButton(buttons.constLast());
        box.exec();
        const auto chosen = buttons.indexOf(box.clickedButton());
        return int(chosen >= 0 ? chosen : buttons.size() - 1);
    }
};

DialogPresenter dialogs;
BoxPresenter* current = &dialogs;

}  // namespace

BoxPresenter* SetBoxPresenter(BoxPresenter* presenter)
{
    BoxPresenter* previous = current == &dialogs ? nullptr : current;
    current = presenter ? presenter : &dialogs;
    return previous;
}

void ShowNotice(const QString& text)
{
    current->PresentNotice(ApplicationTitle(), text);
}

int AskQuestion(const QString& text, const QStringList& answers, int defaultAnswer)
{
    Q_ASSERT(defaultAnswer >= 0 && defaultAnswer < answers.size());
    return current->PresentQuestion(ApplicationTitle(), text, answers, defaultAnswer);
}

void ReportError(const Exception& error)
{
    current->PresentError(ApplicationTitle(), ErrorBoxText(error.Message));
}

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}
