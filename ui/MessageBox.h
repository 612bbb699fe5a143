#pragma once
// Message boxes whose captions and button texts come from the string tables, so that the
// French pack replaces them with everything else.

#include <QMessageBox>
#include <QString>

class QWidget;

namespace LwMessage {

enum Buttons { Ok, YesNo, YesNoCancel, AbortRetryIgnore };
enum Answer { AnswerOk = 1, AnswerCancel = 2, AnswerAbort = 3, AnswerRetry = 4, AnswerIgnore = 5, AnswerYes = 6, AnswerNo = 7 };

// Shows `text` modally with the application title as caption; `defaultAnswer` 0 takes the
// first button. Returns the answer; closing the box gives Cancel, No or Abort, whichever the
// box has.
int Show(QWidget* parent, const QString& text, Buttons buttons, QMessageBox::Icon icon, int defaultAnswer = 0);

} // namespace LwMessage
