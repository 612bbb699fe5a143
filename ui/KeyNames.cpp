#include "ui/KeyNames.h"

#include "ui/UiStrings.h"
#include "ui/UiText.h"

#include <cstring>

QString CKeyNameTranslator::translate(const char* context, const char* sourceText, const char*, int) const
{
    // Qt names keys in the "QShortcut" context when it writes a shortcut as text.
    if (!context || !sourceText || std::strcmp(context, "QShortcut") != 0)
        return {};
    static const struct
    {
        const char* name;
        int id;
    } names[] = {
        {"Del", kStrKeyDel},     {"Return", kStrKeyReturn},
        {"Enter", kStrKeyEnter}, {"Ins", kStrKeyIns},
        {"Esc", kStrKeyEsc},     {"Ctrl", kStrKeyCtrl},
        {"Shift", kStrKeyShift}, {"Alt", kStrKeyAlt},
        {"Space", kStrKeySpace}, {"Backspace", kStrKeyBackspace},
        {"Tab", kStrKeyTab},
    };
    for (const auto& entry : names)
        if (std::strcmp(entry.name, sourceText) == 0)
            return ResText(entry.id);
    return {};
}
