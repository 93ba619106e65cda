#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace Core {

// The options of the existing-file window, as the caller reads them after it closes.
enum class ExistingFileOption { Overwrite, Append, ChangeName };

struct ExistingFileAnswer
{
    bool Ok = false; // "Continue" pressed; false for "Cancel" or a closed window
    ExistingFileOption Option = ExistingFileOption::Overwrite;
};

// The one way the logic talks to the user. The windows implement it with Qt dialogs; the tests
// implement it with a script that answers from a queue and records every text shown. Logic code
// never opens a dialog of its own, so every message and every answer path can be tested.
class Prompts
{
public:
    virtual ~Prompts() = default;

    // A modal message box with an OK button.
    virtual void Message(const QString &text) = 0;

    // The yes/no window `YesNo`; returns true for the first button ("Yes"). With `defaultNo`
    // the "No" button is the default, so that Return alone cannot confirm a question that
    // loses work or adds something twice (a deletion, a discard, an
    // entrant entered again).
    virtual bool AskYesNo(const QString &question, bool defaultNo = false) = 0;

    // A one-line input prompt. Returns std::nullopt when the user cancels.
    virtual std::optional<QString> Input(const QString &title, const QString &question,
                                         const QString &defaultText) = 0;

    // Pick one line from a list. Returns the 1-based position of the chosen line, 0 for none.
    virtual int PickFromList(const QString &caption, const QStringList &lines) = 0;

    // Browse for an existing file. Returns the chosen path, or "" when none was chosen.
    virtual QString BrowseExistingFile(const QString &caption, const QString &startDir) = 0;
    // The same, offering first the files `filter` names ("Lenex (*.lxf *.lef)") and then all
    // files, so that the official sees the files that can be read and can still pick another
    // name. A front end without filters browses as BrowseExistingFile does.
    virtual QString BrowseExistingFileOfType(const QString &caption, const QString &startDir,
                                             const QString &filter)
    {
        (void)filter;
        return BrowseExistingFile(caption, startDir);
    }

    // Browse for a file to write, starting at `startPath` (a folder, or a folder and a name),
    // offering the files `filter` names ("Lenex (*.lxf *.lef)"). Returns the chosen path, or ""
    // when none was chosen. The window itself asks before an existing file is replaced. A front
    // end without such a window chooses none.
    virtual QString BrowseNewFile(const QString &caption, const QString &startPath,
                                  const QString &filter)
    {
        (void)caption;
        (void)startPath;
        (void)filter;
        return {};
    }

    // The existing-file window `FileDialogue` ("File already exists, what do you want to do?").
    virtual ExistingFileAnswer AskExistingFile() = 0;

    // Progress text for the main window's `Status` box. Not modal; never waits for an answer.
    virtual void ShowStatus(const QString &text) = 0;
};

// The text of the existing-file window and of its options, shared by the window and the tests.
inline const QString ExistingFileQuestion =
    QStringLiteral("File already exists, what do you want to do?");

} // namespace Core
