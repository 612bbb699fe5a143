#pragma once
// Key names in shortcut texts ("Del", "Return", "Alt+Return" in menus) from the string table,
// so that they follow the program's language like every other text.

#include <QTranslator>

class CKeyNameTranslator : public QTranslator
{
    Q_OBJECT
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};
