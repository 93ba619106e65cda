#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace MeetDb {
class Database;
}

// Storage helpers shared by the member database code and the CSV importer; not for callers
// outside this folder.
namespace Members {

// The text fields of "Members Table" other than the date of birth, in table order.
QStringList MemberTextFieldNames();

// The stored form of a date text: "" for an empty text; the ISO date when the text is a date
// (read day first); the text itself when it is not a date. When `stored` already holds a date
// that shows as `text`, it is kept, so a "dd/mm/yy" text written back does not move a
// birth year to another century.
QString StoredDate(const QString &text, const QVariant &stored = QVariant());

// A stored date as "dd/mm/yy"; "" for ""; a stored text that is not a date as it stands.
QString DisplayDate(const QString &stored);

// One above the highest "Record Id" in the table, 1 when it is empty. Throws MeetDb::DbError.
int NextMemberId(MeetDb::Database &db);

} // namespace Members
