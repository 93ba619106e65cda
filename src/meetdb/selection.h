#pragma once

#include <QString>
#include <QStringList>

namespace Core {
class Prompts;
}

/*
 * The logic of the three small windows that serve the competition load: the source choice
 * IntSelect ("Select Gala Parameter File"), the database choice NT_Select ("Select Natamar
 * Database") and the list window List_Select ("Select from List"). The windows only show a form's
 * state and call its commands; the tests drive the forms directly.
 */
namespace MeetDb {

struct Session;

class IntSelectForm
{
public:
    IntSelectForm(Session &session, Core::Prompts &prompts);

    // What is visible. "Known Natamar Database" only when a meet database was listed when the
    // form opened; "List of Galas" and "Latest Internal Gala File" after "More Options"; the gala
    // list after "List of Galas".
    bool KnownDatabaseShown() const { return m_knownShown; }
    bool GalaListButtonShown() const { return m_moreOptions; }
    bool InternalGalaShown() const { return m_moreOptions; }
    bool DbListShown() const { return m_galaList; }
    QStringList DbList() const; // the gala names of the galafile lines, in file order

    // Commands. Every choice closes the form (Closed() becomes true).
    void KnownDatabase();
    // Browses for an existing file. A chosen file that exists is added to the known meet
    // databases (unless 100 are listed: "Too Many Natamar Files"); a chosen path becomes
    // NatamarDb and the form closes whether or not the file exists, since the load reports a
    // missing one. No file chosen: "No Output File Specified" and the form stays open.
    void UnknownDatabase();
    // A file was chosen by browsing: it is the database of this load, and the list of known
    // databases is not offered on top of it.
    bool DatabaseBrowsed() const { return m_browsed; }
    void MoreOptions();        // shows "List of Galas" and "Latest Internal Gala File"
    void ListOfGalas();        // shows the gala list
    void ChooseGala(int line); // 1-based line of DbList(); a line outside the list is ignored
    void LatestInternalGala(); // internal.ini in the program's folder

    bool Closed() const { return m_closed; }

private:
    Session &m_session;
    Core::Prompts &m_prompts;
    bool m_knownShown = false;
    bool m_moreOptions = false;
    bool m_galaList = false;
    bool m_browsed = false;
    bool m_closed = false;
};

class NtSelectForm
{
public:
    explicit NtSelectForm(Session &session);
    QStringList NtList() const; // the known meet database paths
    // The 1-based line of the current NatamarDb, the one a plain Enter keeps; 0 when unlisted.
    int CurrentLine() const;
    void Choose(int line); // 1-based; sets NatamarDb and closes; other lines are ignored
    bool Closed() const { return m_closed; }

private:
    Session &m_session;
    bool m_closed = false;
};

class ListSelectForm
{
public:
    ListSelectForm(const QString &caption, const QStringList &lines);
    QString Caption() const { return m_caption; } // "Select from List" when given none
    QStringList Lines() const { return m_lines; }
    void Choose(int line); // 1-based; sets ListSelectChoice and closes; other lines are ignored
    void Cancel();         // ListSelectChoice 0, closes
    int ListSelectChoice() const { return m_choice; }
    bool Closed() const { return m_closed; }

private:
    QString m_caption;
    QStringList m_lines;
    int m_choice = 0;
    bool m_closed = false;
};

// Shows the three windows modally. The Qt windows implement it; tests script it.
class SelectionWindows
{
public:
    virtual ~SelectionWindows() = default;
    virtual void ShowIntSelect(IntSelectForm &form) = 0;
    virtual void ShowNtSelect(NtSelectForm &form) = 0;
    virtual void ShowListSelect(ListSelectForm &form) = 0;
};

} // namespace MeetDb
