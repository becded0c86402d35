#include "platform/printer_job.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/print_picture.h"

namespace kelvor::platform {

namespace {

constexpr const char* msg_no_printer = "No default printer is set up: nothing was printed.";

// Rows of the printed table are 60 device units apart, a fifth of an inch at 300 dpi: an 8 point face
// leaves a clear gap between rows, and in its condensed width the longest entry ("16000 Hz  48  dB")
// and each heading ("Messwerte rechts" has 270 units before its offset) end before the next column.
constexpr int report_font_points = 8;

QRect to_qrect(const host::PrintRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

} // namespace

PrinterJob::PrinterJob() = default;
PrinterJob::~PrinterJob() {
    if (painter_ && painter_->isActive()) painter_->end();
}

QFont PrinterJob::report_font() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setStretch(QFont::Condensed);
    font.setPointSize(report_font_points);
    return font;
}

bool PrinterJob::begin_document(const std::string& title) {
    canvas_.draw_on(nullptr);
    painter_.reset();
    printer_.reset();
    error_.clear();
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        error_ = msg_no_printer;
        return false;
    }
    printer_ = std::make_unique<QPrinter>(info, QPrinter::PrinterResolution);
    printer_->setResolution(printer_dpi);
    printer_->setColorMode(QPrinter::Color); // the curves are told apart by their colours
    printer_->setFullPage(false);            // device units start at the printable area's top-left corner
    printer_->setDocName(QString::fromStdString(title));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        error_ =
            "The printer \"" + info.printerName().toStdString() + "\" cannot be used: nothing was printed.";
        painter_.reset();
        printer_.reset();
        return false;
    }
    painter_->setFont(report_font());
    painter_->setPen(Qt::black);
    return true;
}

int PrinterJob::resolution_dpi() const {
    return printer_ ? printer_->resolution() : printer_dpi;
}

void draw_report_text(QPainter& painter, int x, int y, const std::string& text) {
    if (text.empty()) return;
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), s);
}

void draw_report_picture(QPainter& painter, const host::PrintRect& target, const host::PrintPicture* picture,
                         const host::PrintRect& source) {
    if (picture == nullptr || picture->image.isNull()) return;
    const QRect from = to_qrect(source).intersected(picture->image.rect());
    if (from.isEmpty()) return;
    painter.drawImage(to_qrect(target), picture->image, from);
}

void PrinterJob::text_out(int x, int y, const std::string& text) {
    if (painter_) draw_report_text(*painter_, x, y, text);
}

void PrinterJob::stretch_picture(const host::PrintRect& target, const host::PrintPicture* picture,
                                 const host::PrintRect& source) {
    if (painter_) draw_report_picture(*painter_, target, picture, source);
}

chart::Canvas* PrinterJob::page_canvas() {
    if (!painter_) return nullptr;
    canvas_.draw_on(painter_.get());
    return &canvas_;
}

bool PrinterJob::end_document() {
    canvas_.draw_on(nullptr);
    if (!painter_) return false;
    const bool ended = painter_->end();
    const bool failed = !ended || printer_->printerState() == QPrinter::Error;
    if (failed)
        error_ = "The printer \"" + printer_->printerName().toStdString() +
                 "\" failed: the document was not printed.";
    painter_.reset();
    printer_.reset();
    return !failed;
}

} // namespace kelvor::platform
