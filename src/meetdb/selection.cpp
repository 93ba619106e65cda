#include "meetdb/selection.h"

#include <QDir>

#include "core/prompts.h"
#include "core/textutil.h"
#include "meetdb/session.h"

namespace MeetDb {

namespace {
const QString InternalGalaFile = QStringLiteral("internal.ini");
const QString DefaultListCaption = QStringLiteral("Select from List");
} // namespace

IntSelectForm::IntSelectForm(Session &session, Core::Prompts &prompts)
    : m_session(session)
    , m_prompts(prompts)
    , m_knownShown(session.Settings.NatamarDbCount() > 0)
{}

QStringList IntSelectForm::DbList() const
{
    return m_session.Settings.GalaFileNames;
}

void IntSelectForm::KnownDatabase()
{
    m_session.Gala.UseMeetDb = true;
    m_closed = true;
}

void IntSelectForm::UnknownDatabase()
{
    const QString path =
        m_prompts.BrowseExistingFile(QStringLiteral("Open Natamar Database"), m_session.ProgramDir);
    if (path.isEmpty()) {
        m_prompts.Message(QStringLiteral("No Output File Specified"));
        return;
    }

    Core::SystemSettings &settings = m_session.Settings;
    if (Core::FileExists(path)) {
        // Listed so that the database choice can offer it again during this run.
        if (settings.NatamarDbCount() >= Core::MaxNatamarDbFiles)
            m_prompts.Message(QStringLiteral("Too Many Natamar Files"));
        else
            settings.NatamarDbFiles.append(path);
    }
    settings.NatamarDb = path;
    m_session.Gala.UseMeetDb = true;
    m_browsed = true;
    m_closed = true;
}

void IntSelectForm::MoreOptions()
{
    m_moreOptions = true;
}

void IntSelectForm::ListOfGalas()
{
    m_galaList = true;
}

void IntSelectForm::ChooseGala(int line)
{
    const Core::SystemSettings &settings = m_session.Settings;
    if (line < 1 || line > settings.GalaFileCount() || line > settings.GalaFilePaths.size())
        return;
    m_session.Gala.GalaParamFile = settings.GalaFilePaths.at(line - 1);
    m_closed = true;
}

void IntSelectForm::LatestInternalGala()
{
    m_session.Gala.GalaParamFile = QDir(m_session.ProgramDir).filePath(InternalGalaFile);
    m_closed = true;
}

NtSelectForm::NtSelectForm(Session &session)
    : m_session(session)
{}

QStringList NtSelectForm::NtList() const
{
    return m_session.Settings.NatamarDbFiles;
}

int NtSelectForm::CurrentLine() const
{
    return int(m_session.Settings.NatamarDbFiles.indexOf(m_session.Settings.NatamarDb)) + 1;
}

void NtSelectForm::Choose(int line)
{
    const QStringList &files = m_session.Settings.NatamarDbFiles;
    if (line < 1 || line > files.size())
        return;
    m_session.Settings.NatamarDb = files.at(line - 1);
    m_closed = true;
}

ListSelectForm::ListSelectForm(const QString &caption, const QStringList &lines)
    : m_caption(caption.isEmpty() ? DefaultListCaption : caption)
    , m_lines(lines)
{}

void ListSelectForm::Choose(int line)
{
    if (line < 1 || line > m_lines.size())
        return;
    m_choice = line;
    m_closed = true;
}

void ListSelectForm::Cancel()
{
    m_choice = 0;
    m_closed = true;
}

} // namespace MeetDb
