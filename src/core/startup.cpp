#include "core/startup.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QStringList>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "core/sysparams.h"
#include "core/textutil.h"

namespace Core {

void StartUp(const QString &programDir, SystemSettings &settings, GalaState &gala, Prompts &prompts)
{
    gala.ProgramMode = ProgramModeEntries;

    settings.NatamarDbFiles.clear();
    ReadSystemParams(programDir, settings, prompts);

    // A natamardb line in pbsystem.ini is the club's own choice and wins over the file beside
    // the program, even when the named file is missing.
    if (settings.NatamarDbCount() == 0) {
        const QString defaultDb = QDir(programDir).filePath(DefaultNatamarDbName);
        if (FileExists(defaultDb)) {
            settings.NatamarDbFiles = QStringList{defaultDb};
            settings.NatamarDb = defaultDb;
        }
    }

    SetPrintFontNames(settings);
}

QString OfferMeetDb(const QString &path, SystemSettings &settings, Prompts &prompts)
{
    const QFileInfo file(path);
    if (!file.isFile()) {
        prompts.Message(QStringLiteral("The meet database %1 does not exist.")
                            .arg(QDir::toNativeSeparators(path)));
        return {};
    }
    const QString fullPath = file.absoluteFilePath();
    settings.NatamarDbFiles.removeAll(fullPath);
    settings.NatamarDbFiles.prepend(fullPath);
    while (settings.NatamarDbCount() > MaxNatamarDbFiles)
        settings.NatamarDbFiles.removeLast();
    settings.NatamarDb = fullPath;
    return QStringLiteral("%1 is offered first under \"Select Competition\", \"Known Natamar "
                          "Database\".")
        .arg(QDir::toNativeSeparators(fullPath));
}

void SetPrintFontNames(SystemSettings &settings)
{
    settings.FontSans = PrintFontSans;
    settings.FontSerif = PrintFontSerif;
    settings.FontFixed = PrintFontFixed;
    settings.FontScript = PrintFontScript;
}

void InstallFontSubstitutions()
{
    struct Substitution
    {
        QString Family;
        QStringList Installed; // first one present wins
    };
    // Liberation Sans, Serif and Mono share the widths of the families they stand for, so
    // columns laid out in inches keep their fit. The script face only decorates headings; any
    // rounded sans serif will do, with DejaVu Sans as the last resort that is always installed.
    // Arial Narrow, Tahoma and OCRB are asked for by some printed pages as well.
    const Substitution substitutions[] = {
        {PrintFontSans, {QStringLiteral("Liberation Sans")}},
        {PrintFontSerif, {QStringLiteral("Liberation Serif")}},
        {PrintFontFixed, {QStringLiteral("Liberation Mono")}},
        {PrintFontScript,
         {QStringLiteral("Comic Neue"), QStringLiteral("Comic Sans MS"),
          QStringLiteral("DejaVu Sans")}},
        {QStringLiteral("Arial Narrow"), {QStringLiteral("Liberation Sans Narrow")}},
        {QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans")}},
        {QStringLiteral("OCRB"), {QStringLiteral("OCR B"), QStringLiteral("DejaVu Sans")}},
    };
    for (const Substitution &s : substitutions) {
        // Replace rather than append, so that calling this twice leaves one list.
        QFont::removeSubstitutions(s.Family);
        QFont::insertSubstitutions(s.Family, s.Installed);
    }
}

} // namespace Core
