#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "core/startup.h"
#include "meetdb/session.h"
#include "reports/entrantslist.h"
#include "support/modal.h"
#include "support/pdftext.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"
#include "windows/printoutput.h"

using Windows::OutputChoice;
using Windows::OutputKind;
using Windows::PrintOutput;

namespace {

// Ticks PDF file (or Preview) in the output choice window and presses OK.
void Choose(OutputKind kind)
{
    WhenShown<OutputChoice>([kind](OutputChoice *choice) {
        (kind == OutputKind::Preview ? choice->PreviewOption() : choice->PdfOption())
            ->setChecked(true);
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

    void pdfFile_data()
    {
        QTest::addColumn<QString>("chosen"); // NAME stands for the suggested path
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("suggested name")        << "NAME"                  << "";
        QTest::newRow("file dialog cancelled") << ""                      << "";
        QTest::newRow("missing folder")        << "NAME/missing/list.pdf" << "cannot be written";
        // clang-format on
    }

    void pdfFile()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, message);
        TestDir dir;
        ScriptedPrompts prompts;
        PrintOutput output(prompts);
        const QString path = dir.FilePath(QStringLiteral("list.pdf"));
        const bool written = chosen == "NAME";
        QString suggested;
        output.SetPdfPathChooser([&](const QString &offered) {
            suggested = offered;
            return chosen.replace(QStringLiteral("NAME"), path);
        });
        Choose(OutputKind::PdfFile);
        QCOMPARE(output.Run("Entrants", "entrants-X.pdf", {}, ThreeSheets), written);
        // The first time the file is offered in the home folder.
        QCOMPARE(suggested, QDir::home().filePath(QStringLiteral("entrants-X.pdf")));
        // The choice is offered first next time, whatever became of the file.
        QCOMPARE(output.LastChoice(), OutputKind::PdfFile);
        QCOMPARE(QFileInfo::exists(path), written);
        QCOMPARE(prompts.Messages.size(), message.isEmpty() ? 0 : 1);
        QVERIFY(message.isEmpty() || prompts.Messages[0].contains(message));
        if (written) {
            QCOMPARE(PdfWords(TestDir::Read(path)).Pages, 3);
            QCOMPARE(prompts.Statuses, QStringList{"The report was written to " + path});
            // The next report offers PDF first.
            WhenShown<OutputChoice>([](OutputChoice *choice) {
                QCOMPARE(choice->Choice(), OutputKind::PdfFile);
                choice->reject();
            });
            QVERIFY(!output.Run("Entrants", "again.pdf", {}, ThreeSheets));
        }
    }

    void previewShowsThePages()
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
        QVERIFY(output.Run("Harbour Open - Entrants List", "x.pdf", {}, ThreeSheets));
        QCOMPARE(pages, 3);
        QCOMPARE(title, QStringLiteral("Print Preview - Harbour Open - Entrants List"));
        QCOMPARE(prompts.Shown, QStringList());
    }

    // A list that cannot be printed is refused before the output is asked for.
    void checksBeforeAsking()
    {
        MeetDb::Session session;
        session.Gala.GalaType = QStringLiteral("Graded");
        ScriptedPrompts prompts;
        PrintOutput output(prompts);
        Windows::RunPrintEntrantsList(session, prompts, output);
        QCOMPARE(prompts.Messages, QStringList{Reports::EntrantsListNotApplicable});
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestPrintOutput)
#include "tst_printoutput.moc"
