#include "platform/ui/printing.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace ui {

namespace {

class QtPrintService : public PrintService {
public:
    void preview(const QString& documentName, const PaintDocument& paint) override
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(documentName);
        QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
        dialog.setWindowTitle(documentName);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [&paint](QPrinter* target) { paint(*target); });
        dialog.exec();
    }
};

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
