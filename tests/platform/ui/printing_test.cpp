#include "platform/ui/printing.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>

#include <gtest/gtest.h>

TEST(PrintPreview, OpensAtPageWidthAndOffersTheGivenPdfFile)
{
    QPrinter printer(QPrinter::HighResolution);
    ui::PreparePrinter(printer, QStringLiteral("Buchungen"), QStringLiteral("/tmp/Velmorant/Buchungen 07.12.2026.pdf"));
    EXPECT_EQ(printer.docName(), QStringLiteral("Buchungen"));
    EXPECT_EQ(printer.outputFileName(), QStringLiteral("/tmp/Velmorant/Buchungen 07.12.2026.pdf"));
    // A printer of the workstation stays the first choice.
    EXPECT_EQ(printer.printerName(), QPrinterInfo::defaultPrinterName());

    QPrintPreviewDialog dialog(&printer);
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    ASSERT_NE(preview, nullptr);
    ASSERT_NE(preview->zoomMode(), QPrintPreviewWidget::FitToWidth);
    ui::FitPreviewToWidth(dialog);
    EXPECT_EQ(preview->zoomMode(), QPrintPreviewWidget::FitToWidth);

    QPrinter plain(QPrinter::HighResolution);
    ui::PreparePrinter(plain, QStringLiteral("Liste"), QString());
    EXPECT_EQ(plain.outputFileName(), QString());
}
