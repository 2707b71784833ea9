#include "ui/UpdateQuestion.h"

#include "core/UpdateHelper.h"
#include "ui/About.h"

void AnswerUpdateCheck(LPARAM answer)
{
    const auto record = TakeUpdateAnswer(answer);
    if (!record)
        return;
    const bool ask = LogVersionFound(*record);
    TAboutBox* settings = TAboutBox::Open();
    if (settings)
        settings->UpdateCheckEnded();
    if (!ask)
        return;
    const int reply = ::MessageBoxW(settings ? settings->Handle() : nullptr, UpdateQuestionText(*record).c_str(),
                                    L"Confirm", MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION);
    HandleUpdateAnswer(reply);
}
