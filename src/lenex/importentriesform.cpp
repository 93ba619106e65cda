#include "lenex/importentriesform.h"

#include <QDir>
#include <QFileInfo>

#include "core/prompts.h"
#include "lenex/lenexfile.h"
#include "meetdb/session.h"

namespace Lenex {

ImportEntriesForm::ImportEntriesForm(MeetDb::Session &session, Core::Prompts &prompts)
    : m_session(session)
    , m_prompts(prompts)
{}

bool ImportEntriesForm::Open()
{
    // Said before the official looks for a file the meet cannot take.
    if (const QString refusal = MeetTakesNoLenexEntries(m_session); !refusal.isEmpty()) {
        m_prompts.Message(refusal);
        return false;
    }
    const QString start = QFileInfo(m_session.Gala.MeetDbPath).absolutePath();
    const QString path = m_prompts.BrowseExistingFileOfType(
        QStringLiteral("Open a Lenex entries file"), start, LenexFileFilter);
    return !path.isEmpty() && OpenFile(path);
}

bool ImportEntriesForm::OpenFile(const QString &path)
{
    Document document;
    QString error;
    if (!ReadLenexFile(path, document, &error)) {
        m_prompts.Message(error);
        return false;
    }
    m_folder = QFileInfo(path).absolutePath();
    return Load(document, QFileInfo(path).fileName());
}

bool ImportEntriesForm::Load(const Document &document, const QString &source)
{
    QString error;
    m_loaded = CheckLenexEntries(m_session, document, source, m_check, &error);
    if (!m_loaded) {
        m_prompts.Message(error);
        return false;
    }
    m_imported = false;
    return true;
}

bool ImportEntriesForm::Import()
{
    if (!CanImport())
        return false;
    QList<int> numbers;
    QString error;
    if (!WriteLenexEntries(m_session, m_check, &numbers, &error)) {
        m_prompts.Message(error);
        return false;
    }
    m_imported = true;
    m_prompts.Message(ImportedMessage(m_check, numbers));
    return true;
}

bool ImportEntriesForm::SaveReport()
{
    if (!m_loaded)
        return false;
    const QString suggested =
        QDir(m_folder.isEmpty() ? QFileInfo(m_session.Gala.MeetDbPath).absolutePath() : m_folder)
            .filePath(QFileInfo(m_check.Source).completeBaseName() + QStringLiteral("-report.txt"));
    const QString path = m_prompts.BrowseNewFile(QStringLiteral("Save Report"), suggested,
                                                 QStringLiteral("Text (*.txt)"));
    if (path.isEmpty())
        return false;
    QString error;
    if (!SaveEntriesReport(path, SummaryText(), &error)) {
        m_prompts.Message(error);
        return false;
    }
    return true;
}

} // namespace Lenex
