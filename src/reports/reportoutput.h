#pragma once

#include <functional>

#include <QByteArray>
#include <QString>

#include "reports/printer.h"

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

namespace Core {
struct SystemSettings;
}

/*
 * Where a drawn report goes. A report is a function that draws on a Printer; these put it on a
 * PDF file, a PDF held in memory or any paged device (the windows hand in the QPrinter of the
 * print dialog or of the print preview). Every device is set up alike (A4, a quarter-inch
 * unprintable border, a resolution that is a multiple of 72 so that font sizes come out exact),
 * so the PDF file is the page the printer would give.
 */
namespace Reports {

// The heading, regular and fixed families set at start-up; the defaults where one is unset.
ReportFonts ReportFontsFrom(const Core::SystemSettings &settings);

using ReportBody = std::function<void(Printer &)>;

// Device pixels per inch for PDF output (and asked of printers that accept it).
inline constexpr int ReportResolution = 1440;

void PreparePdfWriter(QPdfWriter &writer, const QString &title);
void PreparePrinter(QPrinter &printer, const QString &title);

// Draws `body` on `device` and ends the document, even when `body` throws. Returns false with
// `error` set when the device could not start the document or `body` threw (its message).
bool DrawReport(QPagedPaintDevice &device, const ReportFonts &fonts, const ReportBody &body,
                QString *error);

// Writes the report to the PDF file `path`. The PDF is written under a temporary name beside it
// and renamed only when complete, so a failed report leaves an earlier file of that name as it
// was and never a half-written one.
bool WritePdfReport(const QString &path, const QString &title, const ReportFonts &fonts,
                    const ReportBody &body, QString *error);

// The report as PDF bytes, for tests and benchmarks; empty when drawing failed.
QByteArray PdfReport(const QString &title, const ReportFonts &fonts, const ReportBody &body);

} // namespace Reports
