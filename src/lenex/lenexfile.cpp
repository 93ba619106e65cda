#include "lenex/lenexfile.h"

namespace Lenex {

// Placeholders until the reader and writer land: every call refuses.

bool ReadLenexFile(const QString &path, Document &document, QString *error)
{
    document = {};
    if (error)
        *error = path + QStringLiteral(": Lenex files cannot be read yet");
    return false;
}

bool ReadLenexXml(const QByteArray &, const QString &name, Document &document, QString *error)
{
    return ReadLenexFile(name, document, error);
}

QByteArray LenexXml(const Document &)
{
    return {};
}

bool WriteLenexFile(const QString &path, const Document &, QString *error)
{
    if (error)
        *error = path + QStringLiteral(": Lenex files cannot be written yet");
    return false;
}

QString EntryTimeFromSwimTime(const QString &)
{
    return {};
}

QString SwimTimeFromEntryTime(const QString &)
{
    return QStringLiteral("NT");
}

} // namespace Lenex
