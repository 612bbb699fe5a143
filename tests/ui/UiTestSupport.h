#pragma once
// Shared pieces of the GUI tests: a program folder with the data files, an application on an
// in-memory settings store, a way to answer the next modal dialog, and item addresses.

#include "platform/MemorySettingsStore.h"
#include "ui/LotwardApp.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>

class CLotwardDoc;
class CMainFrame;
class CLotwardView;
class QWidget;

// A temporary program folder holding Lotward.dat and Blank.html (each can be left out).
struct ProgramFolder
{
    explicit ProgramFolder(bool withData = true, bool withBlank = true, bool withFrench = false);
    QString Path() const { return dir.path(); }
    QTemporaryDir dir;
};

// Answers the next modal window with `answer` once it shows; the text it showed is kept in
// *seenText when given (a message box's text).
void AnswerNextModal(std::function<void(QWidget*)> answer, QString* seenText = nullptr);
// Presses the button whose text is `label` (table text, mnemonic included) in the next modal box.
void PressInNextModal(const QString& label, QString* seenText = nullptr);

// A started application (new document) on an in-memory settings store. Its refresh is shut
// down at once, so that the items these tests add never go to the network.
struct RunningApp
{
    explicit RunningApp(std::function<void(CMemorySettingsStore&)> prepare = {});
    ~RunningApp();
    CLotwardDoc& Doc();
    CMainFrame& Frame();
    CLotwardView& View();

    ProgramFolder folder;
    CMemorySettingsStore settings;
    std::unique_ptr<CLotwardApp> app;
};

// The eBay page address of item `number`.
std::string EbayUrl(const std::string& number);
// Adds eBay items with these numbers to the document.
void AddEbayItems(CLotwardDoc& doc, std::initializer_list<const char*> numbers);
