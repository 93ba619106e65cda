#include "scriptedprompts.h"

#include <QTest>

ScriptedPrompts::~ScriptedPrompts()
{
    if (RequireAllAnswersUsed && !m_answers.isEmpty() && !QTest::currentTestFailed()) {
        QTest::qFail(
            qPrintable(
                QStringLiteral("%1 scripted answer(s) never asked for").arg(m_answers.size())),
            __FILE__, __LINE__);
    }
}

template<typename T>
std::optional<T> ScriptedPrompts::Next(const char *kind)
{
    if (m_answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected %1 prompt: %2")
                                    .arg(QLatin1String(kind), Shown.value(Shown.size() - 1))),
                     __FILE__, __LINE__);
        return std::nullopt;
    }
    Answer answer = m_answers.takeFirst();
    if (!std::holds_alternative<T>(answer)) {
        QTest::qFail(
            qPrintable(QStringLiteral("the next scripted answer is not for a %1 prompt: %2")
                           .arg(QLatin1String(kind), Shown.value(Shown.size() - 1))),
            __FILE__, __LINE__);
        return std::nullopt;
    }
    return std::get<T>(answer);
}

void ScriptedPrompts::Message(const QString &text)
{
    Messages.append(text);
    Shown.append(QStringLiteral("message: ") + text);
}

bool ScriptedPrompts::AskYesNo(const QString &question, bool defaultNo)
{
    Questions.append(question);
    if (defaultNo)
        DefaultNoQuestions.append(question);
    Shown.append((defaultNo ? QStringLiteral("yesno, default no: ") : QStringLiteral("yesno: ")) +
                 question);
    return Next<bool>("yes/no").value_or(false);
}

std::optional<QString> ScriptedPrompts::Input(const QString &title, const QString &question,
                                              const QString &defaultText)
{
    Shown.append(QStringLiteral("input: ") + title + QStringLiteral(" | ") + question +
                 QStringLiteral(" | ") + defaultText);
    const std::optional<InputAnswer> answer = Next<InputAnswer>("input");
    return answer ? answer->Text : std::nullopt;
}

int ScriptedPrompts::PickFromList(const QString &caption, const QStringList &lines)
{
    Shown.append(QStringLiteral("pick: ") + caption);
    PickCaptions.append(caption);
    PickLists.append(lines);
    const std::optional<PickAnswer> answer = Next<PickAnswer>("pick");
    return answer ? answer->Line : 0;
}

QString ScriptedPrompts::BrowseExistingFile(const QString &caption, const QString &)
{
    Shown.append(QStringLiteral("browse: ") + caption);
    const std::optional<BrowseAnswer> answer = Next<BrowseAnswer>("browse");
    return answer ? answer->Path : QString();
}

QString ScriptedPrompts::BrowseExistingFileOfType(const QString &caption, const QString &startDir,
                                                  const QString &filter)
{
    Filters.append(filter);
    return BrowseExistingFile(caption, startDir);
}

QString ScriptedPrompts::BrowseNewFile(const QString &caption, const QString &, const QString &)
{
    Shown.append(QStringLiteral("save: ") + caption);
    const std::optional<BrowseAnswer> answer = Next<BrowseAnswer>("browse");
    return answer ? answer->Path : QString();
}

Core::ExistingFileAnswer ScriptedPrompts::AskExistingFile()
{
    Shown.append(QStringLiteral("exists: ") + Core::ExistingFileQuestion);
    return Next<Core::ExistingFileAnswer>("existing-file").value_or(Core::ExistingFileAnswer{});
}

void ScriptedPrompts::ShowStatus(const QString &text)
{
    Statuses.append(text);
}
