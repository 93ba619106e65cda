#include "support/pdftext.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTest>

namespace {

// Runs pdftotext with `options` on `pdf`; returns its standard output, or a null string after
// failing the test.
QString RunPdftotext(const QByteArray &pdf, const QStringList &options)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (program.isEmpty()) {
        QTest::qFail("pdftotext is not installed (Debian package poppler-utils)", __FILE__,
                     __LINE__);
        return {};
    }
    QTemporaryFile file;
    if (!file.open() || file.write(pdf) != pdf.size() || !file.flush()) {
        QTest::qFail("cannot write the PDF to a temporary file", __FILE__, __LINE__);
        return {};
    }
    QProcess process;
    process.start(program, QStringList(options) << file.fileName() << QStringLiteral("-"));
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        const QByteArray why = "pdftotext failed: " + process.readAllStandardError();
        QTest::qFail(why.constData(), __FILE__, __LINE__);
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString Unescape(QString text)
{
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

} // namespace

QString PdfLayoutText(const QByteArray &pdf)
{
    return RunPdftotext(pdf, {QStringLiteral("-layout")});
}

PdfContents PdfWords(const QByteArray &pdf)
{
    PdfContents contents;
    const QString html = RunPdftotext(pdf, {QStringLiteral("-bbox")});
    if (html.isNull())
        return contents;
    static const QRegularExpression item(QStringLiteral(
        R"re(<page\b|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">(.*?)</word>)re"));
    constexpr double PointsPerInch = 72.0;
    for (auto it = item.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++contents.Pages;
            continue;
        }
        PdfWord word;
        word.Page = contents.Pages;
        word.Left = m.captured(1).toDouble() / PointsPerInch;
        word.Top = m.captured(2).toDouble() / PointsPerInch;
        word.Right = m.captured(3).toDouble() / PointsPerInch;
        word.Bottom = m.captured(4).toDouble() / PointsPerInch;
        word.Text = Unescape(m.captured(5));
        contents.Words.append(word);
    }
    contents.Ok = true;
    return contents;
}

QList<PdfWord> FindWords(const PdfContents &contents, const QString &text)
{
    QList<PdfWord> found;
    for (const PdfWord &word : contents.Words)
        if (word.Text == text)
            found.append(word);
    return found;
}
