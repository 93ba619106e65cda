#pragma once

#include <memory>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "entries/entryform.h"
#include "meetdb/session.h"
#include "members/memberdb.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

// Dialogs that are never answered: no address is given and the member details window does
// nothing.
class NoEntryDialogs : public Entries::EntryDialogs
{
public:
    bool AskAddress(const QString &, int, int, Entries::AddressRecord &) override { return false; }
    Entries::MemberDetailsAction ShowMemberDetails(Entries::MemberDetailsRequest &) override
    {
        return Entries::MemberDetailsAction::None;
    }
};

// A gala of the given kind loaded by hand into a session over a temporary folder, which is both
// the program's and the gala's folder. Groups IND, R72 and OPEN; clubs ASHB and VMSC; events
// given as "number|sex|group|distance|stroke[|type|limit]". Entries go to the entry files until
// UseMeetDb() is called.
struct EntryGala
{
    TestDir dir;
    MeetDb::Session session;
    ScriptedPrompts prompts;
    NoEntryDialogs dialogs;
    std::unique_ptr<Entries::EntryForm> form;

    EntryGala(const QString &type, const QStringList &events);

    // Creates natamar.mdb holding meet "M1" of this kind, and records into it.
    void UseMeetDb();
    bool Open();
    // Writes `member` to pbsys.mdb (created when missing) and reads the settings that find it.
    void AddMember(const Members::Member &member);
    // Fills the form for a swimmer: `times` per offered slot, "" not checked, "-" checked without
    // a time, anything else typed into the time box. Nothing is recorded.
    void Fill(const QString &name, const QString &club, const QString &dob, const QString &sex,
              int group, const QStringList &times = {});

    QByteArray File(const QString &name) const { return TestDir::Read(dir.FilePath(name)); }
    QStringList Column(const QString &table, const QString &field);
    // The captions of the event slots shown.
    QStringList Captions() const;
};

// A female "A" member with a personal best for 50 FS (column 4), or none when `pb50Fs` is empty.
Members::Member NewMember(const QString &surname, const QString &forename, const QString &dob,
                          const QString &pb50Fs = {});

// The rows of a table as "value|value|..." over `fields`, Null shown as "<null>".
QStringList TableRows(MeetDb::Database &db, const QString &table, const QStringList &fields);
