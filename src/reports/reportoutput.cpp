#include "reports/reportoutput.h"

#include <exception>

#include <QBuffer>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include "core/settings.h"

namespace Reports {

namespace {

QPageLayout ReportPageLayout()
{
    // A laser printer cannot print the outer quarter inch or so of a sheet; the PDF keeps the
    // same border so that its pages match the printed ones.
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch);
}

} // namespace

ReportFonts ReportFontsFrom(const Core::SystemSettings &settings)
{
    ReportFonts fonts;
    if (!settings.FontSans.isEmpty())
        fonts.Heading = settings.FontSans;
    if (!settings.FontSerif.isEmpty())
        fonts.Regular = settings.FontSerif;
    if (!settings.FontFixed.isEmpty())
        fonts.Fixed = settings.FontFixed;
    return fonts;
}

void PreparePdfWriter(QPdfWriter &writer, const QString &title)
{
    writer.setResolution(ReportResolution);
    writer.setPageLayout(ReportPageLayout());
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("openmeet"));
}

void PreparePrinter(QPrinter &printer, const QString &title)
{
    // A printer driver may refuse this resolution and keep its own; text is measured on the
    // device either way, so only the rounding of font sizes differs.
    printer.setResolution(ReportResolution);
    printer.setPageLayout(ReportPageLayout());
    printer.setDocName(title);
    printer.setCreator(QStringLiteral("openmeet"));
}

bool DrawReport(QPagedPaintDevice &device, const ReportFonts &fonts, const ReportBody &body,
                QString *error)
{
    QString failure;
    {
        Printer printer(device, fonts);
        try {
            body(printer);
        } catch (const std::exception &e) {
            failure = QString::fromLocal8Bit(e.what());
            if (failure.isEmpty())
                failure = QStringLiteral("The report stopped with an error");
        }
        // Also ends a report that stopped half-way, so the device is left with a whole
        // document.
        printer.EndDoc();
        if (failure.isEmpty() && !printer.DeviceOk())
            failure = QStringLiteral("The report could not be started on the output device");
    }
    if (error)
        *error = failure;
    return failure.isEmpty();
}

bool WritePdfReport(const QString &path, const QString &title, const ReportFonts &fonts,
                    const ReportBody &body, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    QString failure;
    bool drawn = false;
    {
        QPdfWriter writer(&file);
        PreparePdfWriter(writer, title);
        drawn = DrawReport(writer, fonts, body, &failure);
    }
    if (!drawn) {
        file.cancelWriting();
        if (error)
            *error = QStringLiteral("%1 was not written: %2").arg(path, failure);
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QByteArray PdfReport(const QString &title, const ReportFonts &fonts, const ReportBody &body)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        PreparePdfWriter(writer, title);
        if (!DrawReport(writer, fonts, body, nullptr))
            return {};
    }
    return bytes;
}

} // namespace Reports
