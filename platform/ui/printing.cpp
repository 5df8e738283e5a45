#include "platform/ui/printing.h"

#include <QAction>
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

#include <algorithm>

namespace ui {

namespace {

class QtPrintService : public PrintService {
public:
    void preview(const QString& documentName, const PaintDocument& paint, const QString& pdfPath) override
    {
        QPrinter printer(QPrinter::HighResolution);
        PreparePrinter(printer, documentName, pdfPath);
        QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
        dialog.setWindowTitle(documentName);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [&paint](QPrinter* target) { paint(*target); });
        FitPreviewToWidth(dialog);
        // Tall enough to read a page without scrolling much.
        if (const QScreen* screen = dialog.screen()) {
            const QRect room = screen->availableGeometry();
            dialog.resize(std::min(room.width() * 9 / 10, 1000), room.height() * 9 / 10);
        }
        dialog.exec();
    }
};

}  // namespace

void PreparePrinter(QPrinter& printer, const QString& documentName, const QString& pdfPath)
{
    printer.setDocName(documentName);
    if (pdfPath.isEmpty())
        return;
    // The print dialog offers this file for "Print to File"; choosing a
    // printer there prints on paper as ever.
    printer.setOutputFileName(pdfPath);
    const QString printerName = QPrinterInfo::defaultPrinterName();
    if (!printerName.isEmpty())
        printer.setPrinterName(printerName);
}

void FitPreviewToWidth(QPrintPreviewDialog& dialog)
{
    // Through the dialog's own action, so its tool bar shows the choice.
    if (auto* fitWidth = dialog.findChild<QAction*>(QStringLiteral("fitWidthAction"))) {
        fitWidth->trigger();
        return;
    }
    if (auto* preview = dialog.findChild<QPrintPreviewWidget*>())
        preview->fitToWidth();
}

namespace {

std::unique_ptr<PrintService>& current()
{
    static std::unique_ptr<PrintService> service;
    return service;
}

}  // namespace

PrintService& PrintService::instance()
{
    auto& s = current();
    if (!s)
        s = std::make_unique<QtPrintService>();
    return *s;
}

std::unique_ptr<PrintService> PrintService::install(std::unique_ptr<PrintService> service)
{
    auto previous = std::move(current());
    current() = std::move(service);
    return previous;
}

}  // namespace ui
