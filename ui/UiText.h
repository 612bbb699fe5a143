#pragma once
// Texts of the string tables as Qt strings. The tables hold Windows-1252 bytes; they become
// Unicode here, at the edge of the Qt layer, and nowhere else.

#include <QString>

#include <string>
#include <vector>

QString ToQt(const std::string& text1252);
std::string FromQt(const QString& text); // characters outside Windows-1252 become '?'

// The whole text of string `id`.
QString ResText(int id);
// A command string is "prompt\nlabel": the status-bar prompt and the tooltip / toolbar label.
QString ResPrompt(int id);
QString ResLabel(int id);
// String `id` with its "%s", "%d" and "%1".."%9" placeholders filled in order.
QString ResFormat(int id, const std::vector<QString>& args);
// The application title, "Lotwarden".
QString AppTitle();
