#pragma once
// Pieces every lotwarden command shares: the open step's questions answered without a person,
// JSON text, and the flags parsing.

#include "cli/Commands.h"
#include "core/document/OpenStep.h"

#include <iosfwd>
#include <string>

namespace cli {

// The backup of an older file is made only when asked for with --backup; errors go to `err`.
class CCliQuestions : public IOpenQuestions
{
public:
    CCliQuestions(std::ostream& errors, bool makeBackup) : err(errors), backup(makeBackup) {}
    bool AskYesNo(const std::string& text) override;
    void ShowError(const std::string& text) override;

private:
    std::ostream& err;
    bool backup;
};

// A JSON string literal (quotes included) of Windows-1252 text.
std::string JsonString(const std::string& text1252);

} // namespace cli
