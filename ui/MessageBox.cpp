#include "ui/MessageBox.h"

#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <QPushButton>

#include <map>
#include <utility>
#include <vector>

namespace LwMessage {

int Show(QWidget* parent, const QString& text, Buttons buttons, QMessageBox::Icon icon, int defaultAnswer)
{
    QMessageBox box(icon, AppTitle(), text, QMessageBox::NoButton, parent);
    std::vector<std::pair<int, int>> choices; // answer, string id
    switch (buttons) {
    case Ok:
        choices = {{AnswerOk, kStrButtonOk}};
        break;
    case YesNo:
        choices = {{AnswerYes, kStrButtonYes}, {AnswerNo, kStrButtonNo}};
        break;
    case YesNoCancel:
        choices = {{AnswerYes, kStrButtonYes}, {AnswerNo, kStrButtonNo}, {AnswerCancel, kStrButtonCancel}};
        break;
    case AbortRetryIgnore:
        choices = {{AnswerAbort, kStrButtonAbort}, {AnswerRetry, kStrButtonRetry}, {AnswerIgnore, kStrButtonIgnore}};
        break;
    }
    std::map<QAbstractButton*, int> answers;
    QPushButton* escapeButton = nullptr;
    for (const auto& [answer, stringId] : choices) {
        const QMessageBox::ButtonRole role = (answer == AnswerYes || answer == AnswerOk || answer == AnswerRetry)
                                                 ? QMessageBox::AcceptRole
                                                 : (answer == AnswerNo ? QMessageBox::NoRole : QMessageBox::RejectRole);
        QPushButton* button = box.addButton(ResText(stringId), role);
        answers[button] = answer;
        if (answer == defaultAnswer || (defaultAnswer == 0 && answers.size() == 1))
            box.setDefaultButton(button);
        if (answer == AnswerCancel || answer == AnswerAbort || (answer == AnswerNo && buttons == YesNo) || answer == AnswerOk)
            escapeButton = button;
    }
    if (escapeButton)
        box.setEscapeButton(escapeButton);
    box.exec();
    auto it = answers.find(box.clickedButton());
    if (it != answers.end())
        return it->second;
    if (buttons == Ok)
        return AnswerOk;
    if (buttons == YesNo)
        return AnswerNo;
    if (buttons == AbortRetryIgnore)
        return AnswerAbort;
    return AnswerCancel;
}

} // namespace LwMessage
