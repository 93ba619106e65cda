#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Reading PDFs back with poppler's pdftotext, so that reports are checked by what a reader of
// the file sees: the words and where they stand on the page. A missing pdftotext fails the
// running test with a message saying so (build.sh installs poppler-utils).

// One word of a page, its box in inches from the paper's top-left corner.
struct PdfWord
{
    int Page = 0; // 1-based
    QString Text;
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;
};

struct PdfContents
{
    bool Ok = false; // false when pdftotext is missing or failed (the test has been failed)
    int Pages = 0;
    QList<PdfWord> Words;
};

// The text of `pdf` as `pdftotext -layout` gives it, pages separated by form feeds; a null
// string on failure.
QString PdfLayoutText(const QByteArray &pdf);

// The words of `pdf` with their boxes (`pdftotext -bbox`).
PdfContents PdfWords(const QByteArray &pdf);

// The words of `contents` equal to `text`, in reading order.
QList<PdfWord> FindWords(const PdfContents &contents, const QString &text);
