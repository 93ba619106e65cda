#pragma once

#include <QString>
#include <QStringList>

/*
 * The text of SQL that a file brings: its saved queries and the stored definitions of its
 * tables and indexes.
 *
 * The scanner knows SQLite's quoting ('text', "name", `name`, [name]), its comments (two dashes
 * to the end of the line; block comments, which may run to the end of the text) and the
 * placeholders of saved queries ({Name}), so that nothing inside quotes is taken for a comment
 * and nothing inside a comment for a quote or a placeholder.
 */
namespace MeetDb {

// `sql` with every comment replaced by one blank and the blanks and semicolons at its end
// removed, so that the statement can be placed inside another one. Quoted text and
// placeholders are kept as they are.
QString WithoutComments(const QString &sql);

// The tokens of `sql` without blanks and comments. Words and names are in lower case, and a
// quoted name that is a plain word reads as the word ("TEXT", [text] and TEXT are one token);
// text in single quotes is kept as written. Two statements with the same tokens differ only in
// their spacing, comments, quoting and the case of their words.
QStringList SqlTokens(const QString &sql);

// Tokens as text for a message: blanks between them, but none inside brackets or before a comma.
QString JoinTokens(const QStringList &tokens);

} // namespace MeetDb
