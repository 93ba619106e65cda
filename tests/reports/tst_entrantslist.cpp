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
        db.Exec(entrant, {{QStringLiteral("code"), Code},
                          {QStringLiteral("number"), 90},
                          {QStringLiteral("name"), QStringLiteral("Nora Nought")},
                          {QStringLiteral("club"), QStringLiteral("ASHB")}});
        db.Exec(entrant, {{QStringLiteral("code"), Code},
                          {QStringLiteral("number"), 91},
                          {QStringLiteral("name"), QStringLiteral("Vic Visitor")},
                          {QStringLiteral("club"), QStringLiteral("ZEAL")}});
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

} // namespace

class TestEntrantsList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void details_data();
    void details();
    void refusals_data();
    void refusals();
    void clubOrder();
    void golden();
    void columns();
};

void TestEntrantsList::initTestCase()
{
    Core::InstallFontSubstitutions();
}

void TestEntrantsList::details_data()
{
    QTest::addColumn<QString>("stroke");
    QTest::addColumn<QString>("details");

    QTest::newRow("MED") << "MED"
                         << "200m Individual Medley";
    QTest::newRow("FS") << "FS"
                        << "200m Freestyle";
    QTest::newRow("FSS") << "FSS"
                         << "200m Freestyle";
    QTest::newRow("BR") << "BR"
                        << "200m Breaststroke";
    QTest::newRow("BK") << "BK"
                        << "200m Backstroke";
    QTest::newRow("FLY") << "FLY"
                         << "200m Butterfly";
    QTest::newRow("FSR") << "FSR"
                         << "200m Freestyle Relay";
    QTest::newRow("MEDR") << "MEDR"
                          << "200m Medley Relay";
    QTest::newRow("BRR") << "BRR"
                         << "200m Breaststroke Relay";
    QTest::newRow("FLYR") << "FLYR"
                          << "200m Butterfly Relay";
    QTest::newRow("BKR") << "BKR"
                         << "200m Backstroke Relay";
    QTest::newRow("unknown code: distance only") << "XX"
                                                 << "200m ";
    QTest::newRow("codes are exact") << "fs"
                                     << "200m ";
}

void TestEntrantsList::details()
{
    QFETCH(QString, stroke);
    QFETCH(QString, details);

    Core::GalaState gala;
    Core::GalaEvent event;
    event.EvNumber = QStringLiteral("12");
    event.EvDistance = QStringLiteral("200");
    event.EvStroke = stroke;
    gala.Events << event;
    QCOMPARE(Reports::EntrantsListDetails(gala, QStringLiteral("12")), details);
    QCOMPARE(Reports::EntrantsListDetails(gala, QStringLiteral("13")), QString());
}

void TestEntrantsList::refusals_data()
{
    QTest::addColumn<QString>("galaType");
    QTest::addColumn<QString>("meet");
    QTest::addColumn<QString>("damage");  // "close" the database, or a statement run on it
    QTest::addColumn<QString>("message"); // "" when the list is printed

    QTest::newRow("Open") << "Open" << Code << ""
                          << "";
    QTest::newRow("Champs") << "Champs" << Code << ""
                            << "";
    QTest::newRow("Masters") << "Masters" << Code << ""
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

void TestEntrantsList::clubOrder()
{
    FixtureMeet fixture;
    QVERIFY(fixture.Make());
    const std::optional<Reports::EntrantsList> list =
        Reports::PrepareEntrantsList(fixture.session, fixture.prompts);
    QVERIFY(list);
    // The meet's club list in its order without the placeholder, then the club entrants name
    // that the list lacks.
    QCOMPARE(list->Clubs, (QStringList{"ASHB", "BRKF", "CALD", "EMPT", "ZEAL"}));

    // With "ALL" in the list, every entrant is printed there and no club is added.
    fixture.session.Gala.Clubs.append({QStringLiteral("ALL"), QStringLiteral("All clubs")});
    const std::optional<Reports::EntrantsList> all =
        Reports::PrepareEntrantsList(fixture.session, fixture.prompts);
    QVERIFY(all);
    QCOMPARE(all->Clubs, (QStringList{"ASHB", "BRKF", "CALD", "EMPT", "ALL"}));
    const PdfContents pdf = PdfWords(ListPdf(*all));
    // Each of the 35 entrants with events appears once under their club and once under ALL.
    QCOMPARE(FindWords(pdf, QStringLiteral("Visitor")).size(), 1);
    QCOMPARE(FindWords(pdf, QStringLiteral("Quill")).size(), 2);
}

void TestEntrantsList::golden()
{
    FixtureMeet fixture;
    QVERIFY(fixture.Make());
    const std::optional<Reports::EntrantsList> list =
        Reports::PrepareEntrantsList(fixture.session, fixture.prompts);
    QVERIFY(list);
    const QString text = PdfLayoutText(ListPdf(*list));
    QVERIFY(!text.isNull());

    const QString goldenPath = Fixture(QStringLiteral("golden.txt"));
    const QString golden = QString::fromUtf8(TestDir::Read(goldenPath));
    if (text != golden) {
        // Left beside the test for a diff; copy it over the golden file once checked by eye.
        QFile actual(QStringLiteral("entrantslist-actual.txt"));
        if (actual.open(QIODevice::WriteOnly))
            actual.write(text.toUtf8());
        const QStringList got = text.split(QLatin1Char('\n'));
        const QStringList want = golden.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < qMax(got.size(), want.size()); ++i) {
            const QString g = got.value(i);
            const QString w = want.value(i);
            if (g != w) {
                QFAIL(qPrintable(QStringLiteral("line %1 differs (actual text in %2):\n got: "
                                                "%3\nwant: %4")
                                     .arg(i + 1)
                                     .arg(actual.fileName(), g, w)));
            }
        }
    }
}

void TestEntrantsList::columns()
{
    FixtureMeet fixture;
    QVERIFY(fixture.Make());
    const std::optional<Reports::EntrantsList> list =
        Reports::PrepareEntrantsList(fixture.session, fixture.prompts);
    QVERIFY(list);
    const PdfContents pdf = PdfWords(ListPdf(*list));
    // Ashbury, Brookford, Caldermoor on two sheets, Emptywater, the club missing from the list.
    QCOMPARE(pdf.Pages, 6);

    // Every heading word of every sheet stands at its column: half an inch inside the
    // quarter-inch border, plus the column's position.
    const struct
    {
        const char *Word;
        double Column;
    } headings[] = {{"Ent", Reports::EntNoColumn},      {"Name", Reports::NameColumn},
                    {"DoB", Reports::DobColumn},        {"Sex", Reports::SexColumn},
                    {"Event", Reports::EventColumn},    {"Details", Reports::DetailsColumn},
                    {"Entry", Reports::EntryTimeColumn}};
    for (const auto &heading : headings) {
        const QList<PdfWord> words = FindWords(pdf, QString::fromLatin1(heading.Word));
        QCOMPARE(words.size(), 6);
        for (const PdfWord &word : words)
            QVERIFY2(qAbs(word.Left - (0.75 + heading.Column)) < 0.01, heading.Word);
    }
    // The meet's heading opens every sheet, in 14 point.
    const QList<PdfWord> meet = FindWords(pdf, QStringLiteral("Harbour"));
    QCOMPARE(meet.size(), 6);
    for (const PdfWord &word : meet) {
        QVERIFY(qAbs(word.Left - 0.75) < 0.01);
        QVERIFY(word.Bottom - word.Top > 0.18);
    }
    // The long name is narrowed to stay clear of the DoB column.
    const QList<PdfWord> longName = FindWords(pdf, QStringLiteral("Featherstonehaugh-Wilberforce"));
    QCOMPARE(longName.size(), 1);
    QVERIFY(longName[0].Right < 0.75 + Reports::DobColumn);
    // Each entrant row of a sheet is one line below the last.
    const QList<PdfWord> numbers = FindWords(pdf, QStringLiteral("1"));
    QVERIFY(!numbers.isEmpty());
    QVERIFY(qAbs(numbers[0].Left - 0.75) < 0.01);
}

QTEST_MAIN(TestEntrantsList)
#include "tst_entrantslist.moc"
