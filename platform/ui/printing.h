#pragma once

#include <QString>

#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPrinter;
class QPrintPreviewDialog;

namespace ui {

// Paints a whole document, page after page, onto the device it is given.
using PaintDocument = std::function<void(QPagedPaintDevice& device)>;

// Every printout goes through here, so tests can take the pages instead of a
// printer and no test waits on a print dialog.
class PrintService {
public:
    virtual ~PrintService() = default;

    // Offers the document in a print preview, as wide as the window; from
    // there the user prints it through the print dialog or saves it as PDF,
    // by default as pdfPath (when given). paint runs for the preview and again
    // for the printer, and reports its own failures.
    virtual void preview(const QString& documentName, const PaintDocument& paint, const QString& pdfPath = QString()) = 0;

    // The service in use; Qt's preview unless something else was installed.
    static PrintService& instance();
    // Installs a service and returns the previous one.
    static std::unique_ptr<PrintService> install(std::unique_ptr<PrintService> service);
};

// The print preview's set-up: the file pdfPath offered for "Print to File",
// while a printer of the workstation stays the first choice; the page shown
// as wide as the window.
void PreparePrinter(QPrinter& printer, const QString& documentName, const QString& pdfPath);
void FitPreviewToWidth(QPrintPreviewDialog& dialog);

}  // namespace ui
