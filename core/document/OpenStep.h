#pragma once
// The application's open-document step: open a watch list and, when it held items of an older
// format, offer to keep a copy of the old file before it is ever rewritten.

#include <string>

class CLotwardDoc;

// The questions and errors of the open step, answered by the GUI's message boxes or by the
// command line.
class IOpenQuestions
{
public:
    virtual ~IOpenQuestions() = default;
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual void ShowError(const std::string& text) = 0;
    // Whether the document stays open when the backup copy the user asked for failed. A
    // person who saw the error decides later whether to save; a program acting alone must not
    // go on to rewrite the only copy of the old file.
    virtual bool KeepOpenWithoutBackup() { return true; }
};

// The path with its extension replaced by ".old" (".old" appended when the file name has no
// extension). Only the file name is searched for the dot, so a dot in a folder name never
// sends the copy into another folder.
std::string BackupFileName(const std::string& path);

// Opens `path` into `doc`; on a failed open `error` receives the message to show. A failed
// backup copy fails the open when the questions say so (the error is then the backup's).
bool OpenDocumentFile(CLotwardDoc& doc, const std::string& path, IOpenQuestions& questions,
                      std::string* error = nullptr);
