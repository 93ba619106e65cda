#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

TestDir::TestDir()
{
    m_dir.setAutoRemove(true);
}

QString TestDir::Write(const QString &name, const QByteArray &bytes) const
{
    const QString path = m_dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

QByteArray TestDir::Read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString TestDataPath(const QString &name)
{
    return QStringLiteral(OPENMEET_TEST_DATA "/") + name;
}

void AddRows(std::initializer_list<const char *> rows)
{
    QTest::addColumn<QString>("row");
    for (const char *row : rows)
        QTest::newRow(row) << QString::fromUtf8(row);
}

QStringList RowCells()
{
    QFETCH(QString, row);
    return row.split(u'|');
}
