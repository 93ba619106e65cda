#include "entries/clubtable.h"

#include <utility>

#include <QDir>
#include <QFile>
#include <QVariantHash>

#include "core/prompts.h"
#include "core/textutil.h"
#include "entries/entryfiles.h"
#include "meetdb/database.h"
#include "meetdb/keywords.h"
#include "meetdb/session.h"

namespace Entries {

namespace {

const QString ClubNameTable = QStringLiteral("Club Name Table");

} // namespace

// ---- The club code file -------------------------------------------------------------------------

bool ClubCodeFile::Load(const QString &path, QString *error, QList<int> *skippedLines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read the club code file %1: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Cannot read the club code file %1: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }

    QList<ClubCodeRow> rows;
    int lineNumber = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        ++lineNumber;
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringList fields = Core::SplitWords(line, u",");
        if (fields.isEmpty() || line.trimmed().isEmpty())
            continue;
        if (fields.size() < 2 || fields.at(1).trimmed().isEmpty()) {
            if (skippedLines)
                skippedLines->append(lineNumber);
            continue;
        }
        ClubCodeRow row;
        row.Name = fields.at(0);
        row.Code = fields.at(1).trimmed();
        row.Field3 = fields.value(2);
        row.Field4 = fields.value(3);
        row.Field5 = fields.value(4);
        rows.append(std::move(row));
    }
    m_rows = std::move(rows);
    m_path = path;
    m_loaded = true;
    return true;
}

bool ClubCodeFile::EnsureLoaded(const QString &programDir, Core::Prompts &prompts)
{
    if (m_loaded)
        return true;
    QString path = QDir(programDir).filePath(ClubCodeFileName);
    if (!Core::FileExists(path)) {
        path = prompts.BrowseExistingFile(QStringLiteral("Locate ASA club code file"), programDir);
        if (path.isEmpty()) {
            prompts.Message(QStringLiteral("No Input File Specified"));
            return false;
        }
    }
    QString error;
    QList<int> skipped;
    if (!Load(path, &error, &skipped)) {
        prompts.Message(error);
        return false;
    }
    if (!skipped.isEmpty()) {
        prompts.Message(QStringLiteral("%1, line %2: no club code, so the line is left out "
                                       "(%3 such lines in all)")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(skipped.first())
                            .arg(skipped.size()));
    }
    return true;
}

QList<int> ClubCodeFile::Find(const QString &text) const
{
    QList<int> found;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).Name.contains(text, Qt::CaseInsensitive))
            found.append(i);
    }
    return found;
}

// ---- The table ----------------------------------------------------------------------------------

QString ClubListLine(const Core::GalaClub &club)
{
    return club.Code + u':' + club.Name;
}

QString OfferedClubName(const QString &rowName)
{
    QString name = rowName.trimmed();
    if (name.endsWith(QLatin1String(" SC")))
        name.chop(3);
    return name;
}

void SortClubsByCode(QList<Core::GalaClub> &clubs)
{
    const qsizetype count = clubs.size();
    for (qsizetype i = 0; i + 1 < count; ++i) {
        for (qsizetype j = i + 1; j < count; ++j) {
            // QString's operator> compares UTF-16 code units, which is the character-code order.
            if (clubs.at(i).Code > clubs.at(j).Code)
                clubs.swapItemsAt(i, j);
        }
    }
}

AddClubResult CheckNewClub(const Core::GalaState &gala, const QString &code, const QString &name,
                           Core::Prompts &prompts)
{
    if (const QString fault = MeetDb::ClubFault(code, name); !fault.isEmpty()) {
        prompts.Message(QStringLiteral("Club not added: ") + fault);
        return AddClubResult::BadText;
    }
    // One walk, in table order: whichever duplicate comes first is the one reported.
    for (const Core::GalaClub &club : gala.Clubs) {
        if (club.Code.compare(code, Qt::CaseInsensitive) == 0) {
            prompts.Message(QStringLiteral("This ID has already been used"));
            return AddClubResult::CodeUsed;
        }
        if (club.Name == name) {
            prompts.Message(QStringLiteral("This club already exists .. code is : ") + club.Code);
            return AddClubResult::NameUsed;
        }
    }
    if (gala.ClubTotal() >= gala.ClubCount) {
        prompts.Message(QStringLiteral("Sorry .. Table of club names is full!"));
        return AddClubResult::TableFull;
    }
    return AddClubResult::Added;
}

void InsertClub(Core::GalaState &gala, const QString &code, const QString &name)
{
    gala.Clubs.append({code, name});
    SortClubsByCode(gala.Clubs);
}

void AddClubRecord(MeetDb::Database &db, const QString &meetCode, const QString &code,
                   const QString &name)
{
    MeetDb::Transaction transaction(db);
    db.Exec(QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES (:meet, :code, :name)")
                .arg(db.Quote(ClubNameTable), db.Quote(QStringLiteral("Meet code")),
                     db.Quote(QStringLiteral("Club Code")), db.Quote(QStringLiteral("Club Name"))),
            {{QStringLiteral("meet"), meetCode},
             {QStringLiteral("code"), code},
             {QStringLiteral("name"), name}});
    transaction.Commit();
}

// ---- The form -----------------------------------------------------------------------------------

ClubTableForm::ClubTableForm(MeetDb::Session &session, ClubCodeFile &codeFile,
                             Core::Prompts &prompts)
    : m_session(session)
    , m_codeFile(codeFile)
    , m_prompts(prompts)
{}

QStringList ClubTableForm::ClubNameList() const
{
    QStringList lines;
    lines.reserve(m_session.Gala.Clubs.size());
    for (const Core::GalaClub &club : m_session.Gala.Clubs)
        lines.append(ClubListLine(club));
    return lines;
}

std::optional<QString> ClubTableForm::Ask(const QString &question, const QString &offered)
{
    std::optional<QString> answer = m_prompts.Input(ClubTableTitle, question, offered);
    if (!answer)
        return std::nullopt;
    const QString text = answer->trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

AddClubResult ClubTableForm::AddClub(const QString &typedCode, const QString &name)
{
    Core::GalaState &gala = m_session.Gala;
    const QString code = Core::ClubCode(typedCode);
    const AddClubResult checked = CheckNewClub(gala, code, name, m_prompts);
    if (checked != AddClubResult::Added)
        return checked;

    // The record goes first: should the database refuse it, the table still matches the file.
    if (gala.MeetDbOpen) {
        try {
            AddClubRecord(m_session.MeetDb, gala.MeetCode, code, name);
        } catch (const MeetDb::DbError &e) {
            m_prompts.Message(e.Message());
            return AddClubResult::Failed;
        }
    }
    InsertClub(gala, code, name);
    for (int i = 0; i < gala.ClubTotal(); ++i) {
        if (gala.Clubs.at(i).Code == code) {
            m_lastAdded = i;
            break;
        }
    }
    return AddClubResult::Added;
}

void ClubTableForm::AddClubByHand()
{
    const std::optional<QString> code = Ask(QStringLiteral("Enter new club abbreviation"));
    if (!code)
        return;
    const std::optional<QString> name = Ask(QStringLiteral("Enter new club name"));
    if (!name)
        return;
    AddClub(*code, *name);
}

void ClubTableForm::AddFromClubCodeFile()
{
    if (!m_codeFile.EnsureLoaded(m_session.ProgramDir, m_prompts))
        return;
    const std::optional<QString> search = Ask(QStringLiteral("Enter name of club"));
    if (!search)
        return;

    const QList<int> found = m_codeFile.Find(*search);
    if (found.isEmpty()) {
        m_prompts.Message(QStringLiteral("Club not found"));
        return;
    }
    int row = found.first();
    if (found.size() > 1) {
        QStringList names;
        names.reserve(found.size());
        for (int i : found)
            names.append(m_codeFile.Rows().at(i).Name);
        const int chosen = m_prompts.PickFromList(QStringLiteral("Select club"), names);
        if (chosen == 0) {
            m_prompts.Message(QStringLiteral("No club selected"));
            return;
        }
        // The chosen line is taken by its position, so two rows of the same name still give
        // their own codes.
        if (chosen < 1 || chosen > found.size()) {
            m_prompts.Message(QStringLiteral("Can't find that club"));
            return;
        }
        row = found.at(chosen - 1);
    }

    const ClubCodeRow &club = m_codeFile.Rows().at(row);
    const QString code = club.Code;
    const std::optional<QString> name =
        Ask(QStringLiteral("Confirm/edit club name"), OfferedClubName(club.Name));
    if (!name)
        return;
    AddClub(code, *name);
}

void ClubTableForm::RenameClub(int line)
{
    Core::GalaState &gala = m_session.Gala;
    if (line < 0 || line >= gala.ClubTotal())
        return;
    const Core::GalaClub club = gala.Clubs.at(line);
    const std::optional<QString> name =
        Ask(QStringLiteral("Enter revised name for code ") + club.Code, club.Name);
    if (!name)
        return;
    if (const QString fault = MeetDb::ClubNameFault(*name); !fault.isEmpty()) {
        m_prompts.Message(QStringLiteral("Name not changed: ") + fault);
        return;
    }
    gala.Clubs[line].Name = *name;
}

bool ClubTableForm::Exit()
{
    if (m_exited)
        return true;
    m_exited = true;
    const Core::GalaState &gala = m_session.Gala;
    if (gala.MeetDbOpen || gala.GalaParamFile.isEmpty())
        return true;
    QString error;
    if (!RewriteClubLines(gala, EntryDirPath(gala, m_session.ProgramDir), &error)) {
        m_prompts.Message(error);
        return false;
    }
    return true;
}

} // namespace Entries
