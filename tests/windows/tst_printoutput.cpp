#include <functional>

#include <QApplication>
#include <QElapsedTimer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "core/startup.h"
#include "meetdb/session.h"
#include "reports/entrantslist.h"
#include "support/pdftext.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"
#include "windows/pbmain.h"
#include "windows/printoutput.h"

using Windows::OutputChoice;
using Windows::OutputKind;
using Windows::PrintOutput;

namespace {

// Runs `action` on the next modal window of type T once it is shown (the windows under test
// are exec()ed, so the test answers them from the event loop).
template<typename T>
void WhenShown(std::function<void(T *)> action)
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [=] {
        if (auto *window = dynamic_cast<T *>(QApplication::activeModalWidget())) {
            action(window);
        } else if (timer->elapsed() < 5000) {
            QTimer::singleShot(10, *poll);
        } else {
            QApplication::closeAllWindows();
            QFAIL("the expected window did not open");
        }
    };
    QTimer::singleShot(0, *poll);
}

// Ticks `kind` in the output choice window and presses OK.
void Choose(OutputKind kind)
{
    WhenShown<OutputChoice>([kind](OutputChoice *choice) {
        QRadioButton *option = kind == OutputKind::Preview   ? choice->PreviewOption()
                               : kind == OutputKind::Printer ? choice->PrinterOption()
                                                             : choice->PdfOption();
        option->setChecked(true);
        QTest::mouseClick(choice->OkButton(), Qt::LeftButton);
    });
}

// A report of three sheets.
void ThreeSheets(Reports::Printer &printer)
{
    for (int sheet = 1; sheet <= 3; ++sheet) {
        printer.PrintLine(QStringLiteral("Sheet%1").arg(sheet));
        printer.NewPage();
    }
}

} // namespace

class TestPrintOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Core::InstallFontSubstitutions(); }
    void pdfFile_data();
    void pdfFile();
    void previewShowsThePages();
    void checksBeforeAsking();
    void printListLoadsFirst();
};

void TestPrintOutput::pdfFile_data()
{
    QTest::addColumn<QString>("chosen"); // NAME stands for the suggested path
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("message");

    QTest::newRow("suggested name") << "NAME" << true << "";
    QTest::newRow("file dialog cancelled") << "" << false << "";
    QTest::newRow("missing folder") << "NAME/missing/list.pdf" << false << "cannot be written";
}

void TestPrintOutput::pdfFile()
{
    QFETCH(QString, chosen);
    QFETCH(bool, written);
    QFETCH(QString, message);

    TestDir dir;
    ScriptedPrompts prompts;
    PrintOutput output(prompts);
    QString suggested;
    output.SetPdfPathChooser([&](const QString &path) {
        suggested = path;
        // The first time the file is offered in the home folder.
        return chosen.replace(QStringLiteral("NAME"), dir.FilePath(QStringLiteral("list.pdf")));
    });
    Choose(OutputKind::PdfFile);
    QCOMPARE(
        output.Run(QStringLiteral("Entrants"), QStringLiteral("entrants-X.pdf"), {}, ThreeSheets),
        written);
    QCOMPARE(suggested, QDir::home().filePath(QStringLiteral("entrants-X.pdf")));
    // The choice is offered first next time, whatever became of the file.
    QCOMPARE(output.LastChoice(), OutputKind::PdfFile);
    const QString path = dir.FilePath(QStringLiteral("list.pdf"));
    QCOMPARE(QFileInfo::exists(path), written);
    if (written) {
        QCOMPARE(PdfWords(TestDir::Read(path)).Pages, 3);
        QCOMPARE(prompts.Statuses, QStringList{"The report was written to " + path});
    }
    QCOMPARE(prompts.Messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(prompts.Messages[0].contains(message), qPrintable(prompts.Messages[0]));

    // The next report offers PDF first, in the folder of the last file.
    if (written) {
        WhenShown<OutputChoice>([](OutputChoice *choice) {
            QCOMPARE(choice->Choice(), OutputKind::PdfFile);
            choice->reject();
        });
        QVERIFY(
            !output.Run(QStringLiteral("Entrants"), QStringLiteral("again.pdf"), {}, ThreeSheets));
    }
}

void TestPrintOutput::previewShowsThePages()
{
    ScriptedPrompts prompts;
    PrintOutput output(prompts);
    int pages = -1;
    QString title;
    Choose(OutputKind::Preview);
    // Opened after the choice closes.
    QTimer::singleShot(50, [&] {
        WhenShown<QPrintPreviewDialog>([&](QPrintPreviewDialog *preview) {
            title = preview->windowTitle();
            if (auto *pagesWidget = preview->findChild<QPrintPreviewWidget *>())
                pages = pagesWidget->pageCount();
            preview->reject();
        });
    });
    QVERIFY(output.Run(QStringLiteral("Harbour Open - Entrants List"), QStringLiteral("x.pdf"), {},
                       ThreeSheets));
    QCOMPARE(pages, 3);
    QCOMPARE(title, QStringLiteral("Print Preview - Harbour Open - Entrants List"));
    QCOMPARE(output.LastChoice(), OutputKind::Preview);
    QCOMPARE(prompts.Shown, QStringList());
}

void TestPrintOutput::checksBeforeAsking()
{
    // A list that cannot be printed is refused before the output is asked for.
    MeetDb::Session session;
    session.Gala.GalaType = QStringLiteral("Graded");
    ScriptedPrompts prompts;
    PrintOutput output(prompts);
    Windows::RunPrintEntrantsList(session, prompts, output);
    QCOMPARE(prompts.Messages, QStringList{Reports::EntrantsListNotApplicable});
    QVERIFY(!QApplication::activeModalWidget());
}

void TestPrintOutput::printListLoadsFirst()
{
    MeetDb::Session session;
    ScriptedPrompts prompts;
    Windows::PbMain window(session, prompts);
    window.show();
    int selections = 0;
    int prints = 0;
    bool loads = false;
    window.SetSelectCompetitionHandler([&] {
        ++selections;
        session.Gala.MeetDbOpen = loads;
        session.Gala.GalaName = QStringLiteral("Harbour Open");
        return loads;
    });
    window.SetPrintListHandler([&] { ++prints; });

    const auto press = [&] {
        QTest::mouseClick(window.PrintListButton(), Qt::LeftButton);
        return QStringLiteral("%1 %2").arg(selections).arg(prints);
    };
    // With no competition, the selection runs first; the list only follows a load, and once
    // loaded the list is printed straight away.
    QCOMPARE(press(), QStringLiteral("1 0"));
    loads = true;
    QCOMPARE(press(), QStringLiteral("2 1"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Harbour Open"));
    QCOMPARE(press(), QStringLiteral("2 2"));
}

QTEST_MAIN(TestPrintOutput)
#include "tst_printoutput.moc"
