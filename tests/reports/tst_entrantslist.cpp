#include <QFile>
#include <QTest>

#include "core/startup.h"
#include "entries/entryimport.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "reports/entrantslist.h"
#include "reports/printer.h"
#include "reports/reportoutput.h"
#include "support/pdftext.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

// The entrants list of a small open meet (tests/data/entrantslist): Ashbury with an entrant of
// four events and one of none, Brookford with a name too long for its column, Caldermoor with
// forty entrants (more than a sheet), Emptywater with no entrants, a placeholder club "????"
// and an entrant of a club missing from the club list.
namespace {

const QString Code = QStringLiteral("HARB27");
const QString EmptyCode = QStringLiteral("EMPTY27");

QString Fixture(const QString &name)
{
    return TestDataPath(QStringLiteral("entrantslist/") + name);
}

struct FixtureMeet
{
    TestDir dir;
    QString path = dir.FilePath(QStringLiteral("natamar.mdb"));
    MeetDb::Session session;
    ScriptedPrompts prompts;

    // Makes the database with the fixture meet (and the same meet without entries under
    // EmptyCode), then loads `code`. Fails the test when any step does.
    bool Make(const QString &code = Code)
    {
        MeetDb::CreateMeetDatabase(path);
        MeetDb::ImportMessages messages;
        if (!MeetDb::AddMeetFromFile(path, Fixture(QStringLiteral("meet.ini")), Code, messages) ||
            !MeetDb::AddMeetFromFile(path, Fixture(QStringLiteral("meet.ini")), EmptyCode,
                                     messages)) {
            qWarning() << messages.Errors;
            return false;
        }
        if (!MeetDb::LoadMeetByCode(session, path, Code, prompts))
            return false;
        QStringList errors;
        if (!Entries::ImportEntriesCsv(session, Fixture(QStringLiteral("entries.csv")), errors)) {
            qWarning() << errors;
            return false;
        }
        // What the entry window would refuse, but a database from elsewhere may hold.
        MeetDb::Database &db = session.MeetDb;
        db.Exec(QStringLiteral("INSERT INTO \"Club Name Table\" (\"Meet code\", \"Club Code\", "
                               "\"Club Name\") VALUES (:code, :club, 'Unattached')"),
                {{QStringLiteral("code"), Code}, {QStringLiteral("club"), Reports::NoClubCode}});
        const QString entrant = QStringLiteral(
            "INSERT INTO \"Entrant Table\" (\"Meet code\", \"Entrant Number\", \"Swimmer Name\", "
            "\"club\", \"age\", \"Sex\") VALUES (:code, :number, :name, :club, '09/09/10', 'F')");
        for (const auto &[number, name, club] :
             {std::tuple{90, "Nora Nought", "ASHB"}, std::tuple{91, "Vic Visitor", "ZEAL"}})
            db.Exec(entrant, {{QStringLiteral("code"), Code},
                              {QStringLiteral("number"), number},
                              {QStringLiteral("name"), QString::fromUtf8(name)},
                              {QStringLiteral("club"), QString::fromUtf8(club)}});
        db.Exec(QStringLiteral("INSERT INTO \"Swim Table\" (\"Meet code\", \"Entrant Number\", "
                               "\"Event number\", \"Entry Time\") VALUES (:code, 91, '9', "
                               "'1:05.00')"),
                {{QStringLiteral("code"), Code}});
        prompts.Messages.clear();
        prompts.Shown.clear();
        return code == Code || MeetDb::LoadMeetByCode(session, path, code, prompts);
    }
};

QByteArray ListPdf(const Reports::EntrantsList &list)
{
    return Reports::PdfReport(QStringLiteral("entrants"), {}, [&](Reports::Printer &printer) {
        Reports::PrintEntrantsList(printer, list);
    });
}

// The list of the fixture meet, with `extraClub` added to the meet's clubs when given.
std::optional<Reports::EntrantsList> FixtureList(FixtureMeet &fixture,
                                                 const QString &extraClub = {})
{
    if (!fixture.Make())
        return std::nullopt;
    if (!extraClub.isEmpty())
        fixture.session.Gala.Clubs.append({extraClub, QStringLiteral("All clubs")});
    return Reports::PrepareEntrantsList(fixture.session, fixture.prompts);
}

} // namespace

class TestEntrantsList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Core::InstallFontSubstitutions(); }
    void details_data();
    void details();
    void refusals_data();
    void refusals();
    void golden();
    void allClubs();
};

void TestEntrantsList::details_data()
{
    QTest::addColumn<QString>("stroke");
    QTest::addColumn<QString>("details");

    // clang-format off
    QTest::newRow("MED")                         << "MED"  << "200m Individual Medley";
    QTest::newRow("FS")                          << "FS"   << "200m Freestyle";
    QTest::newRow("FSS")                         << "FSS"  << "200m Freestyle";
    QTest::newRow("FLY")                         << "FLY"  << "200m Butterfly";
    QTest::newRow("FSR")                         << "FSR"  << "200m Freestyle Relay";
    QTest::newRow("MEDR")                        << "MEDR" << "200m Medley Relay";
    QTest::newRow("BKR")                         << "BKR"  << "200m Backstroke Relay";
    QTest::newRow("unknown code: distance only") << "XX"   << "200m ";
    QTest::newRow("codes are exact")             << "fs"   << "200m ";
    // clang-format on
}

void TestEntrantsList::details()
{
    QFETCH(QString, stroke);

    Core::GalaState gala;
    Core::GalaEvent event;
    event.EvNumber = QStringLiteral("12");
    event.EvDistance = QStringLiteral("200");
    event.EvStroke = stroke;
    gala.Events << event;
    QTEST(Reports::EntrantsListDetails(gala, QStringLiteral("12")), "details");
    QCOMPARE(Reports::EntrantsListDetails(gala, QStringLiteral("13")), QString());
}

void TestEntrantsList::refusals_data()
{
    QTest::addColumn<QString>("galaType");
    QTest::addColumn<QString>("meet");
    QTest::addColumn<QString>("damage");  // "close" the database, or a statement run on it
    QTest::addColumn<QString>("message"); // "" when the list is printed

    for (const char *type : {"Open", "Champs", "Masters"})
        QTest::newRow(type) << type << Code << ""
                            << "";
    for (const char *type : {"Internal", "Graded", "Select"})
        QTest::newRow(type) << type << Code << "" << Reports::EntrantsListNotApplicable;
    QTest::newRow("kind checked before the database")
        << "Internal" << Code << "close" << Reports::EntrantsListNotApplicable;
    QTest::newRow("no meet database")
        << "Open" << Code << "close" << Reports::EntrantsListNatamarOnly;
    QTest::newRow("no entrants") << "Open" << EmptyCode << "" << Reports::EntrantsListNoEntrants;
    QTest::newRow("damaged database")
        << "Open" << Code << "DELETE FROM \"Saved Queries\" WHERE \"Name\" = 'Events for 1 Entrant'"
        << "Saved query 'Events for 1 Entrant' not found in";
}

void TestEntrantsList::refusals()
{
    QFETCH(QString, galaType);
    QFETCH(QString, meet);
    QFETCH(QString, damage);
    QFETCH(QString, message);

    FixtureMeet fixture;
    QVERIFY(fixture.Make(meet));
    fixture.session.Gala.GalaType = galaType;
    if (damage == QLatin1String("close")) {
        fixture.session.MeetDb.Close();
        fixture.session.Gala.MeetDbOpen = false;
    } else if (!damage.isEmpty()) {
        fixture.session.MeetDb.Exec(damage);
    }
    const std::optional<Reports::EntrantsList> list =
        Reports::PrepareEntrantsList(fixture.session, fixture.prompts);
    QCOMPARE(list.has_value(), message.isEmpty());
    if (message.isEmpty()) {
        QCOMPARE(fixture.prompts.Shown, QStringList());
    } else {
        // Said once, whatever the number of clubs.
        QCOMPARE(fixture.prompts.Messages.size(), 1);
        QVERIFY2(fixture.prompts.Messages[0].startsWith(message),
                 qPrintable(fixture.prompts.Messages[0]));
    }
}

void TestEntrantsList::golden()
{
    FixtureMeet fixture;
    const std::optional<Reports::EntrantsList> list = FixtureList(fixture);
    QVERIFY(list);
    // The meet's club list in its order without the placeholder, then the club entrants name
    // that the list lacks.
    QCOMPARE(list->Clubs, (QStringList{"ASHB", "BRKF", "CALD", "EMPT", "ZEAL"}));
    const QByteArray pdf = ListPdf(*list);
    const QString text = PdfLayoutText(pdf);
    const QString golden = QString::fromUtf8(TestDir::Read(Fixture(QStringLiteral("golden.txt"))));
    QVERIFY(!text.isNull());
    if (text != golden) {
        // Left beside the test for a diff; copy it over the golden file once checked by eye.
        QFile actual(QStringLiteral("entrantslist-actual.txt"));
        if (actual.open(QIODevice::WriteOnly))
            actual.write(text.toUtf8());
        QCOMPARE(text.split(u'\n'), golden.split(u'\n'));
    }

    // Ashbury, Brookford, Caldermoor on two sheets, Emptywater, the club missing from the list;
    // the meet's heading in 14 point opens every sheet.
    const PdfContents words = PdfWords(pdf);
    const QList<PdfWord> meet = FindWords(words, QStringLiteral("Harbour"));
    QCOMPARE(meet.size(), 6);
    for (const PdfWord &word : meet)
        QVERIFY(qAbs(word.Left - 0.75) < 0.01 && word.Bottom - word.Top > 0.18);
    // The long name is narrowed to stay clear of the DoB column.
    const QList<PdfWord> longName =
        FindWords(words, QStringLiteral("Featherstonehaugh-Wilberforce"));
    QCOMPARE(longName.size(), 1);
    QVERIFY(longName[0].Right < 0.75 + Reports::DobColumn);
}

// With "ALL" in the club list, every entrant is printed there and no club is added.
void TestEntrantsList::allClubs()
{
    FixtureMeet fixture;
    const std::optional<Reports::EntrantsList> all = FixtureList(fixture, QStringLiteral("ALL"));
    QVERIFY(all);
    QCOMPARE(all->Clubs, (QStringList{"ASHB", "BRKF", "CALD", "EMPT", "ALL"}));
    const PdfContents pdf = PdfWords(ListPdf(*all));
    QCOMPARE(FindWords(pdf, QStringLiteral("Visitor")).size(), 1);
    QCOMPARE(FindWords(pdf, QStringLiteral("Quill")).size(), 2);
}

QTEST_MAIN(TestEntrantsList)
#include "tst_entrantslist.moc"
