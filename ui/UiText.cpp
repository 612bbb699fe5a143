#include "ui/UiText.h"

#include "core/StringTable.h"
#include "platform/Cp1252.h"
#include "ui/UiStrings.h"

QString ToQt(const std::string& text1252)
{
    return QString::fromStdString(Utf8FromCp1252(text1252));
}

std::string FromQt(const QString& text)
{
    return Cp1252FromUtf8(text.toStdString());
}

QString ResText(int id)
{
    return ToQt(LoadResString(id));
}

QString ResPrompt(int id)
{
    const QString text = ResText(id);
    const qsizetype nl = text.indexOf(QLatin1Char('\n'));
    return nl < 0 ? text : text.left(nl);
}

QString ResLabel(int id)
{
    const QString text = ResText(id);
    const qsizetype nl = text.indexOf(QLatin1Char('\n'));
    return nl < 0 ? QString() : text.mid(nl + 1);
}

QString ResFormat(int id, const std::vector<QString>& args)
{
    // Same placeholder rules as FormatText, but on Unicode text, so that a file name with
    // characters outside the code page shows as it is.
    const QString format = ResText(id);
    QString out;
    std::size_t next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar n = format[i + 1];
        if (n == QLatin1Char('%')) {
            out += QLatin1Char('%');
            ++i;
        } else if (n == QLatin1Char('s') || n == QLatin1Char('d')) {
            if (next < args.size())
                out += args[next];
            ++next;
            ++i;
        } else if (n == QLatin1Char('l') && i + 2 < format.size() && format[i + 2] == QLatin1Char('u')) {
            if (next < args.size())
                out += args[next];
            ++next;
            i += 2;
        } else if (n >= QLatin1Char('1') && n <= QLatin1Char('9')) {
            const std::size_t index = static_cast<std::size_t>(n.unicode() - '1');
            if (index < args.size())
                out += args[index];
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString AppTitle()
{
    return ResText(kStrAppName);
}
