#pragma once
// The program's texts, looked up by number. English is built in; a language pack file
// (same numbers) replaces any of them wholesale. Texts are Windows-1252 bytes.

#include <string>
#include <vector>

// The text of string `id`, or "" when no table has it.
std::string LoadResString(int id);

// Replaces the built-in texts with those of a language pack file; false (and English kept)
// when the file cannot be read.
bool LoadLanguagePack(const std::string& path);
void ResetLanguage(); // back to the built-in English table

// Fills the "%s", "%d", "%lu" placeholders of `format` in order, and "%1".."%9" by number,
// with texts the caller has already converted; "%%" is one percent sign.
std::string FormatText(const std::string& format, const std::vector<std::string>& args);
