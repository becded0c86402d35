#pragma once
// Print jobs on the system's default printer (CUPS) through QPrinter, at 300 dots per inch: the printed
// layout's device units were made for that resolution. No print dialog is shown.
#include <QFont>
#include <memory>

#include "core/host/print_job.h"
#include "platform/page_canvas.h"

class QPainter;
class QPrinter;

namespace kelvor::platform {

constexpr int printer_dpi = 300;

// The report's texts and pictures in device units on any painter: the printer's and the PDF file's
// pages are drawn alike.
void draw_report_text(QPainter& painter, int x, int y, const std::string& text);
void draw_report_picture(QPainter& painter, const host::PrintRect& target, const host::PrintPicture* picture,
                         const host::PrintRect& source);

class PrinterJob final : public host::PrintJob {
  public:
    PrinterJob();
    ~PrinterJob() override;

    bool begin_document(const std::string& title) override;
    int resolution_dpi() const override;
    void text_out(int x, int y, const std::string& text) override;
    void stretch_picture(const host::PrintRect& target, const host::PrintPicture* picture,
                         const host::PrintRect& source) override;
    chart::Canvas* page_canvas() override;
    bool end_document() override;
    std::string error_text() const override { return error_; }

    // The font of every printed text.
    static QFont report_font();

  private:
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    PageCanvas canvas_{report_font()};
    std::string error_;
};

} // namespace kelvor::platform
