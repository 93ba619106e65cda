// The files the programme is printed from in a gala without the meet database: a heat work file
// (wk12.vb) in each kind of gala, the same reader on a championship's finals file (wk12-f.vb),
// and the holders file (ev12-hst.csv). An event is printed whole or not at all.

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "core/textutil.h"
#include "fuzzinput.h"
#include "reports/pooleventlist.h"
#include "reports/programmepages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::InputFile(data, size, QStringLiteral("wk12.vb"));
    bool counted = false;
    const int count = Core::DecodeTextFile(Fuzz::Bytes(data, size))
                          .section(u'\n', 0, 0)
                          .trimmed()
                          .toInt(&counted);
    for (const QString *galaType : {&Core::GalaOpen, &Core::GalaGraded, &Core::GalaChamps}) {
        Core::CapturePrompts prompts;
        const Reports::PoolEventList rows = Reports::LoadHeatsFileList(path, *galaType, prompts);
        Fuzz::Check(rows.isEmpty() || prompts.Messages.isEmpty(),
                    "a damaged heats file printed in part");
        Fuzz::Check(rows.isEmpty() || (counted && rows.size() == count),
                    "a heats file read with another number of swimmers than it gives");
    }

    constexpr int maxRows = 14;
    const QList<QStringList> holders = Reports::ReadHoldersFile(path, maxRows);
    Fuzz::Check(holders.size() <= maxRows, "more holders than asked for");
    for (const QStringList &row : holders)
        Fuzz::Check(row.size() == 5, "a holders row not of five fields");
    return 0;
}
