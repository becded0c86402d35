#pragma once
// The printed report's pages as a PDF file, made without any printer or print server: QPdfWriter at the
// printer's 300 dots per inch, on A4 paper unless the locale's paper is Letter, with the printer's
// font. The text stays text (a reader can select and search it) and its words keep their letters: no
// ligatures, so "Offset" is found as written.
#include <QBuffer>
#include <QPageSize>
#include <memory>

#include "core/host/print_job.h"
#include "platform/page_canvas.h"

class QPainter;
class QPdfWriter;

namespace kelvor::platform {

// A4, or Letter where the locale's paper (LC_PAPER) is Letter.
QPageSize::PageSizeId locale_paper();

class PdfDocumentJob final : public host::DocumentJob {
  public:
    PdfDocumentJob();
    ~PdfDocumentJob() override;

    bool begin_document(const std::string& title) override;
    int resolution_dpi() const override;
    void text_out(int x, int y, const std::string& text) override;
    void stretch_picture(const host::PrintRect& target, const host::PrintPicture* picture,
                         const host::PrintRect& source) override;
    chart::Canvas* page_canvas() override;
    bool end_document() override;
    std::string error_text() const override { return error_; }

    bool finish(std::string& content) override;
    void discard() override;

  private:
    QBuffer buffer_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    bool page_open_ = false;
    std::string error_;
    PageCanvas canvas_;
};

} // namespace kelvor::platform
