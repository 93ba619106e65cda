#pragma once

#include "core/prompts.h"

namespace Core {

// Prompts for work without a user (the command-line tools, benchmarks): every message is kept
// for the caller to report, every yes/no question gets YesAnswer ("no" unless set), every other
// question is cancelled, and status text is counted.
class CapturePrompts : public Prompts
{
public:
    void Message(const QString &text) override { Messages.append(text); }
    bool AskYesNo(const QString &, bool = false) override { return YesAnswer; }
    std::optional<QString> Input(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    int PickFromList(const QString &, const QStringList &) override { return 0; }
    QString BrowseExistingFile(const QString &, const QString &) override { return {}; }
    ExistingFileAnswer AskExistingFile() override { return {}; }
    void ShowStatus(const QString &) override { ++Statuses; }

    bool YesAnswer = false;
    QStringList Messages;
    int Statuses = 0;
};

} // namespace Core
