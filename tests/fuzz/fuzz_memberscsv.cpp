// The members CSV of create-members, read and checked without touching a database, against a
// member table that holds three members already. Every member of a file accepted gets an id of
// its own.

#include <QSet>

#include "fuzzinput.h"
#include "meetdb/database.h"
#include "members/memberdb.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Members::ExistingMembers existing;
    existing.RecordIds = {1, 2, 3};
    existing.ActiveKeys = {Members::MemberKey(QStringLiteral("Brackenby"), QStringLiteral("Rosa"))};
    existing.NextId = 4;
    Members::MembersCsv csv;
    try {
        csv = Members::ReadMembersCsv(Fuzz::Bytes(data, size), QStringLiteral("members.csv"),
                                      existing);
    } catch (const MeetDb::DbError &error) {
        Fuzz::Check(error.Message().startsWith(QLatin1String("members.csv:")),
                    "a refusal that does not name the file and line");
        return 0;
    }
    QSet<int> ids = existing.RecordIds;
    for (const Members::MemberCsvRow &row : std::as_const(csv.Rows)) {
        Fuzz::Check(row.RecordId >= 1 && row.RecordId <= Members::MaxMemberRecordId &&
                        !ids.contains(row.RecordId),
                    "a member without an id of its own");
        ids.insert(row.RecordId);
        Fuzz::Check(row.Values.size() == csv.Fields.size(), "a member without a value per field");
    }
    return 0;
}
