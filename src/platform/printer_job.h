#pragma once
// Print jobs on the system's default printer (CUPS) through QPrinter, at 300 dots per inch: the printed
// layout's device units were made for that resolution. No print dialog is shown.
#include <QFont>
#include <memory>

#include "core/host/print_job.h"

class QPainter;
class QPrinter;

namespace kelvor::platform {

constexpr int printer_dpi = 300;

class PrinterJob final : public host::PrintJob {
  public:
    PrinterJob();
    ~PrinterJob() override;

    bool begin_document(const std::string& title) override;
    int resolution_dpi() const override;
    void text_out(int x, int y, const std::string& text) override;
    void stretch_picture(const host::PrintRect& target, const host::PrintPicture* picture,
                         const host::PrintRect& source) override;
    bool end_document() override;
    std::string error_text() const override { return error_; }

    // The font of every printed text.
    static QFont report_font();

  private:
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    std::string error_;
};

} // namespace kelvor::platform
