#include "ui/Boxes.h"

#include "core/Errors.h"
#include "ui/ApplicationFrame.h"
#include "ui/NoticeBox.h"


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
