#pragma once

#include <QString>

#include <functional>
#include <memory>

class QPagedPaintDevice;

namespace ui {

// Paints a whole document, page after page, onto the device it is given.
using PaintDocument = std::function<void(QPagedPaintDevice& device)>;

// Every printout goes through here, so tests can take the pages instead of a
// printer and no test waits on a print dialog.
class PrintService {
public:
    virtual ~PrintService() = default;

    // Offers the document in a print preview; from there the user prints it
    // through the print dialog or saves it as PDF. paint runs for the preview
    // and again for the printer, and reports its own failures.
    virtual void preview(const QString& documentName, const PaintDocument& paint) = 0;

    // The service in use; Qt's preview unless something else was installed.
    static PrintService& instance();
    // Installs a service and returns the previous one.
    static std::unique_ptr<PrintService> install(std::unique_ptr<PrintService> service);
};

}  // namespace ui
