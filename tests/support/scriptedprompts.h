#pragma once

#include <optional>
#include <variant>

#include <QList>
#include <QString>
#include <QStringList>

#include "core/prompts.h"

/*
 * A Prompts that answers from a queue and records every text shown.
 *
 * Each question (yes/no, input, pick, browse, existing file) takes the next queued answer, which
 * must be of the matching kind. A question with no answer queued, or with an answer of another
 * kind, fails the running test (QTest::qFail) and answers "no"/cancel. Messages need no answer:
 * they are recorded in Messages, and Shown holds every text in order with its kind as a prefix
 * ("message: ", "yesno: " or "yesno, default no: ", "input: ", "pick: ", "browse: ", "save: ",
 * "exists: "), for asserting order.
 */
class ScriptedPrompts : public Core::Prompts
{
public:
    struct InputAnswer
    {
        std::optional<QString> Text;
    };
    struct PickAnswer
    {
        int Line = 0;
    };
    struct BrowseAnswer
    {
        QString Path;
    };
    using Answer =
        std::variant<bool, InputAnswer, PickAnswer, BrowseAnswer, Core::ExistingFileAnswer>;

    ~ScriptedPrompts() override;

    ScriptedPrompts &Yes()
    {
        m_answers.append(Answer(true));
        return *this;
    }
    ScriptedPrompts &No()
    {
        m_answers.append(Answer(false));
        return *this;
    }
    ScriptedPrompts &Type(const QString &text)
    {
        m_answers.append(InputAnswer{text});
        return *this;
    }
    ScriptedPrompts &CancelInput()
    {
        m_answers.append(InputAnswer{std::nullopt});
        return *this;
    }
    ScriptedPrompts &Pick(int line)
    {
        m_answers.append(PickAnswer{line});
        return *this;
    }
    ScriptedPrompts &Browse(const QString &path)
    {
        m_answers.append(BrowseAnswer{path});
        return *this;
    }
    ScriptedPrompts &Exists(bool ok, Core::ExistingFileOption option)
    {
        m_answers.append(Core::ExistingFileAnswer{ok, option});
        return *this;
    }

    void Message(const QString &text) override;
    bool AskYesNo(const QString &question, bool defaultNo = false) override;
    std::optional<QString> Input(const QString &title, const QString &question,
                                 const QString &defaultText) override;
    int PickFromList(const QString &caption, const QStringList &lines) override;
    QString BrowseExistingFile(const QString &caption, const QString &startDir) override;
    // Shown and answered as BrowseExistingFile; the filter is kept in Filters.
    QString BrowseExistingFileOfType(const QString &caption, const QString &startDir,
                                     const QString &filter) override;
    // Takes a Browse answer too, shown as "save: " and the caption.
    QString BrowseNewFile(const QString &caption, const QString &startPath,
                          const QString &filter) override;
    Core::ExistingFileAnswer AskExistingFile() override;
    void ShowStatus(const QString &text) override;

    QStringList Messages;           // message box texts, in order
    QStringList Questions;          // yes/no questions, in order
    QStringList DefaultNoQuestions; // the yes/no questions asked with "No" as the default
    QStringList Shown;              // every prompt, prefixed with its kind
    QStringList Statuses;           // ShowStatus texts
    QStringList Filters;            // the filters of BrowseExistingFileOfType, in order
    QList<QStringList> PickLists;   // the lines offered by each PickFromList
    QStringList PickCaptions;

    int PendingAnswers() const { return int(m_answers.size()); }
    // When true (the default) answers left unused at destruction fail the test.
    bool RequireAllAnswersUsed = true;

private:
    template<typename T>
    std::optional<T> Next(const char *kind);

    QList<Answer> m_answers;
};
