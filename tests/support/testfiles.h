#pragma once

#include <initializer_list>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary folder for one test, removed afterwards, with helpers to lay files into it.
class TestDir
{
public:
    TestDir();

    QString Path() const { return m_dir.path(); }
    QString FilePath(const QString &name) const { return m_dir.filePath(name); }

    // Writes `bytes` to `name` (folders created as needed) and returns the full path.
    QString Write(const QString &name, const QByteArray &bytes) const;
    // Reads a file whole; an empty array when it cannot be read.
    static QByteArray Read(const QString &path);

private:
    QTemporaryDir m_dir;
};

// The path of a golden file under tests/data.
QString TestDataPath(const QString &name);

// Tables of one "row" column holding cells joined by '|': AddRows adds the column and one row
// per text, tagged with the text; RowCells splits the current row into its cells.
void AddRows(std::initializer_list<const char *> rows);
QStringList RowCells();
