// The entry files of a gala kept without the meet database: intent.vb and intent.cds in the
// entrant layout (with and without final ranks), intent.vb in the swim layout, and intent.ctl.
//
// Besides not crashing, the readers keep two promises the writers and the entry deletion rely
// on: every record read writes back to bytes that read as the same record, and the bytes a record
// is said to take (Begin to End) read alone as that record, since a deletion copies the other
// records' bytes as they stand.

#include <QList>

#include "entries/entryfiles.h"
#include "entries/entrywriter.h"
#include "fuzzinput.h"

namespace {

const QString FileName = QStringLiteral("intent.vb");

bool SameBlock(const Entries::EntrantBlock &a, const Entries::EntrantBlock &b)
{
    if (a.Number != b.Number || a.Name != b.Name || a.Club != b.Club || a.Age != b.Age ||
        a.Sex != b.Sex || a.Swims.size() != b.Swims.size())
        return false;
    for (qsizetype i = 0; i < a.Swims.size(); ++i) {
        const Entries::EntrySwim &x = a.Swims.at(i);
        const Entries::EntrySwim &y = b.Swims.at(i);
        if (x.EventNumber != y.EventNumber || x.EntryTime != y.EntryTime ||
            x.Confirmed != y.Confirmed || x.FinalRank != y.FinalRank)
            return false;
    }
    return true;
}

bool SameSwim(const Entries::SwimLine &a, const Entries::SwimLine &b)
{
    return a.EventNumber == b.EventNumber && a.MemberKey == b.MemberKey && a.Date == b.Date &&
           a.EntryTime == b.EntryTime;
}

// Reads one block back from `bytes`, which must hold exactly one.
void CheckOneBlock(const QByteArray &bytes, bool withFinalRank, const Entries::EntrantBlock &block,
                   const char *what)
{
    QList<Entries::EntrantBlock> again;
    QString error;
    Fuzz::Check(Entries::ParseEntrantBlocks(bytes, FileName, withFinalRank, again, &error) &&
                    again.size() == 1 && SameBlock(again.first(), block),
                what);
}

void CheckEntrantLayout(const QByteArray &data, bool withFinalRank)
{
    QList<Entries::EntrantBlock> blocks;
    QString error;
    const bool read = Entries::ParseEntrantBlocks(data, FileName, withFinalRank, blocks, &error);
    Fuzz::Check(read || !error.isEmpty(), "an entry file refused without a reason");
    qsizetype previousEnd = 0;
    for (const Entries::EntrantBlock &block : std::as_const(blocks)) {
        Fuzz::Check(block.Begin >= previousEnd && block.Begin < block.End &&
                        block.End <= data.size(),
                    "a block's bytes overlap another's or lie outside the file");
        previousEnd = block.End;
        CheckOneBlock(data.mid(block.Begin, block.End - block.Begin), withFinalRank, block,
                      "a block's own bytes do not read as the block");
        for (const Entries::BlockShape shape :
             {Entries::BlockShape::Individual, Entries::BlockShape::Relay,
              Entries::BlockShape::MeetDay}) {
            QByteArray bytes;
            Fuzz::Check(
                Entries::EncodeEntrantBlock(block, shape, withFinalRank, FileName, bytes, &error),
                "a block read cannot be written");
            CheckOneBlock(bytes, withFinalRank, block, "a block written does not read back");
        }
    }
}

void CheckSwimLayout(const QByteArray &data)
{
    QList<Entries::SwimLine> lines;
    QString error;
    const bool read = Entries::ParseSwimLines(data, FileName, lines, &error);
    Fuzz::Check(read || !error.isEmpty(), "an entry file refused without a reason");
    qsizetype previousEnd = 0;
    for (const Entries::SwimLine &swim : std::as_const(lines)) {
        Fuzz::Check(swim.Begin >= previousEnd && swim.Begin < swim.End && swim.End <= data.size(),
                    "a swim's bytes overlap another's or lie outside the file");
        previousEnd = swim.End;
        QByteArray bytes;
        Fuzz::Check(Entries::EncodeSwimLine(swim, FileName, bytes, &error),
                    "a swim read cannot be written");
        for (const QByteArray &one : {data.mid(swim.Begin, swim.End - swim.Begin), bytes}) {
            QList<Entries::SwimLine> again;
            Fuzz::Check(Entries::ParseSwimLines(one, FileName, again, &error) &&
                            again.size() == 1 && SameSwim(again.first(), swim),
                        "a swim line does not read back");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Fuzz::Bytes(data, size);
    CheckEntrantLayout(bytes, false);
    CheckEntrantLayout(bytes, true);
    CheckSwimLayout(bytes);

    int next = 0;
    QString error;
    if (Entries::ParseControlRecord(bytes, QStringLiteral("intent.ctl"), next, &error)) {
        Fuzz::Check(next >= 1 && next <= Entries::MaxEntrantNumber,
                    "a next entrant number out of range");
        int again = 0;
        Fuzz::Check(Entries::ParseControlRecord(Entries::EncodeControlRecord(next),
                                                QStringLiteral("intent.ctl"), again, &error) &&
                        again == next,
                    "a control record does not read back");
    }
    return 0;
}
