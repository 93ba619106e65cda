#include "support/entryfixture.h"

#include <QFile>
#include <QTest>

#include "core/sysparams.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "support/dbrows.h"

EntryGala::EntryGala(const QString &type, const QStringList &events)
{
    session.ProgramDir = dir.Path();
    Core::GalaState &gala = session.Gala;
    gala.GalaType = type;
    gala.GalaDir = dir.Path();
    gala.QualDate = QStringLiteral("31/12/2026");
    gala.UseMeetDb = false;
    for (const char *group : {"IND", "R72", "OPEN"})
        gala.Groups << Core::GalaGroup{group, group, group, group};
    for (const QString &row : events) {
        const QStringList f = row.split(u'|');
        Core::GalaEvent event;
        event.EvNumber = f.at(0);
        event.EvSex = f.at(1);
        event.EvGroup = f.at(2);
        event.EvDistance = f.at(3);
        event.EvStroke = f.at(4);
        event.EvType = f.value(5);
        event.EvLimitTime = f.value(6).toFloat();
        gala.Events << event;
    }
    gala.Clubs << Core::GalaClub{"ASHB", "Ashbury Barracudas"}
               << Core::GalaClub{"VMSC", "Velmora Marlets"};
}

void EntryGala::UseMeetDb()
{
    const QString path = dir.FilePath("natamar.mdb");
    MeetDb::CreateMeetDatabase(path);
    session.MeetDb.Open(path);
    InsertRows(session.MeetDb, "Meet Table", "Meet code|Meet Name|Meet Type",
               {"M1|Spring|" + session.Gala.GalaType});
    session.Gala.MeetCode = QStringLiteral("M1");
    session.Gala.DbVersion = 1.0f;
    session.Gala.MeetDbOpen = session.Gala.UseMeetDb = true;
}

bool EntryGala::Open()
{
    form = std::make_unique<Entries::EntryForm>(session, prompts, dialogs,
                                                Entries::MakeEntryStore(session));
    return form->Open();
}

void EntryGala::AddMember(const Members::Member &member)
{
    const QString path = dir.FilePath("pbsys.mdb");
    if (!QFile::exists(path))
        Members::CreateMemberDatabase(path);
    {
        MeetDb::Database db;
        db.Open(path);
        Members::WriteMember(db, member);
    }
    Core::ReadSystemParams(dir.Path(), session.Settings, prompts);
}

void EntryGala::Fill(const QString &name, const QString &club, const QString &dob,
                     const QString &sex, int group, const QStringList &times)
{
    form->FullName = name;
    form->ClubName = club;
    form->IntDob = dob;
    if (!dob.isEmpty())
        form->OnDobLeft();
    form->IntSex = sex;
    form->OnSexLeft();
    form->OnGroupClicked(group);
    for (int i = 0; i < times.size(); ++i) {
        QVERIFY(form->Slots[i].Visible);
        if (times.at(i) == u"-") {
            form->Slots[i].Checked = true;
        } else if (!times.at(i).isEmpty()) {
            form->Slots[i].Time = times.at(i);
            form->OnTimeLeft(i);
        }
    }
}

QStringList EntryGala::Column(const QString &table, const QString &field)
{
    return TableRows(session.MeetDb, table, {field});
}

QStringList EntryGala::Captions() const
{
    QStringList captions;
    for (const Entries::EventSlot &slot : form->Slots)
        if (slot.Visible)
            captions << slot.Caption;
    return captions;
}

Members::Member NewMember(const QString &surname, const QString &forename, const QString &dob,
                          const QString &pb50Fs)
{
    Members::Member member;
    member.Surname = surname;
    member.Forename = forename;
    member.RecordType = QStringLiteral("A");
    member.Sex = QStringLiteral("F");
    member.DateOfBirth = dob;
    if (!pb50Fs.isEmpty()) {
        member.PbTimes = QStringList(Members::MaxPbColumns, QString());
        member.PbTimes[4] = pb50Fs;
    }
    return member;
}

QStringList TableRows(MeetDb::Database &db, const QString &table, const QStringList &fields)
{
    QStringList rows;
    std::unique_ptr<MeetDb::RecordSet> rs = db.OpenTable(table);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList values;
        for (const QString &field : fields)
            values << (rs->IsNull(field) ? QStringLiteral("<null>") : rs->Text(field));
        rows << values.join(u'|');
    }
    return rows;
}
