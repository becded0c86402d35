#include "platform/pdf_document_job.h"

#include <QPainter>
#include <QPdfWriter>
#include <langinfo.h>

#include "platform/printer_job.h"

namespace kelvor::platform {

namespace {

// Letter is 8.5 by 11 inches; the locale gives its paper in whole millimetres.
constexpr int letter_width_mm = 216;
constexpr int letter_height_mm = 279;

// Where the printable area begins, from each edge of the paper: what Qt gives a CUPS queue that has no
// driver of its own (0.14 inch). The layout's device units start there, so the file's pages lie on the
// paper as the printed ones do.
constexpr double page_margin_pt = 10.08;

// The printer's font, its letters drawn one by one: a ligature would come back from text extraction as
// one odd character.
QFont file_font() {
    QFont font = PrinterJob::report_font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

} // namespace

QPageSize::PageSizeId locale_paper() {
    const auto width = static_cast<int>(reinterpret_cast<std::intptr_t>(nl_langinfo(_NL_PAPER_WIDTH)));
    const auto height = static_cast<int>(reinterpret_cast<std::intptr_t>(nl_langinfo(_NL_PAPER_HEIGHT)));
    return width == letter_width_mm && height == letter_height_mm ? QPageSize::Letter : QPageSize::A4;
}

PdfDocumentJob::PdfDocumentJob() : canvas_(file_font()) {}
PdfDocumentJob::~PdfDocumentJob() {
    discard();
}

bool PdfDocumentJob::begin_document(const std::string& title) {
    error_.clear();
    if (painter_) {
        // A further document of the same report: its pages follow in the same file.
        if (!writer_->newPage()) {
            error_ = "The PDF file could not take another page.";
            return false;
        }
        page_open_ = true;
        return true;
    }
    buffer_.setData(QByteArray());
    if (!buffer_.open(QIODevice::WriteOnly)) {
        error_ = "No memory for the PDF file.";
        return false;
    }
    writer_ = std::make_unique<QPdfWriter>(&buffer_);
    writer_->setResolution(printer_dpi);
    writer_->setPageSize(QPageSize(locale_paper()));
    writer_->setPageMargins(QMarginsF(page_margin_pt, page_margin_pt, page_margin_pt, page_margin_pt),
                            QPageLayout::Point);
    writer_->setTitle(QString::fromStdString(title));
    writer_->setCreator(QStringLiteral("Kelvor"));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(writer_.get())) {
        error_ = "The PDF file could not be begun.";
        discard();
        return false;
    }
    painter_->setFont(file_font());
    painter_->setPen(Qt::black);
    page_open_ = true;
    return true;
}

int PdfDocumentJob::resolution_dpi() const {
    return printer_dpi;
}

void PdfDocumentJob::text_out(int x, int y, const std::string& text) {
    if (painter_ && page_open_) draw_report_text(*painter_, x, y, text);
}

void PdfDocumentJob::stretch_picture(const host::PrintRect& target, const host::PrintPicture* picture,
                                     const host::PrintRect& source) {
    if (painter_ && page_open_) draw_report_picture(*painter_, target, picture, source);
}

chart::Canvas* PdfDocumentJob::page_canvas() {
    if (!painter_ || !page_open_) return nullptr;
    canvas_.draw_on(painter_.get());
    return &canvas_;
}

bool PdfDocumentJob::end_document() {
    page_open_ = false;
    canvas_.draw_on(nullptr);
    return painter_ != nullptr;
}

bool PdfDocumentJob::finish(std::string& content) {
    if (!painter_) {
        error_ = "The PDF file has no page.";
        return false;
    }
    const bool ended = painter_->end();
    canvas_.draw_on(nullptr);
    painter_.reset();
    writer_.reset(); // writes nothing more
    buffer_.close();
    if (!ended) {
        error_ = "The PDF file could not be completed.";
        buffer_.setData(QByteArray());
        return false;
    }
    content.assign(buffer_.data().constData(), static_cast<std::size_t>(buffer_.data().size()));
    buffer_.setData(QByteArray());
    return true;
}

void PdfDocumentJob::discard() {
    if (painter_ && painter_->isActive()) painter_->end();
    canvas_.draw_on(nullptr);
    painter_.reset();
    writer_.reset();
    if (buffer_.isOpen()) buffer_.close();
    buffer_.setData(QByteArray());
    page_open_ = false;
}

} // namespace kelvor::platform
