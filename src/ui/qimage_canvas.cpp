#include "ui/qimage_canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <vector>

namespace kelvor::ui {

namespace {

constexpr int dots_per_meter_96dpi = 3780; // 96 / 0.0254, which Qt reads back as 96 dpi
// Lines are cut a little beyond the image so their ends and caps never show at its edges.
constexpr double clip_margin = 16;

QColor to_qcolor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QRgb to_qrgb(Rgb c) {
    return qRgb(c.r, c.g, c.b);
}

void prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

} // namespace

QImageCanvas::QImageCanvas(std::function<QSize()> surface_size, std::function<void()> changed)
    : surface_size_(std::move(surface_size)), changed_(std::move(changed)) {}

bool QImageCanvas::ensure_surface() {
    if (image_.isNull()) {
        const QSize size = surface_size_();
        if (size.isEmpty()) return false;
        image_ = QImage(size, QImage::Format_RGB32);
        image_.setDotsPerMeterX(dots_per_meter_96dpi);
        image_.setDotsPerMeterY(dots_per_meter_96dpi);
        image_.fill(Qt::white);
        if (scale_ > 1) {
            display_ = QImage(size * scale_, QImage::Format_RGB32);
            display_.setDotsPerMeterX(dots_per_meter_96dpi);
            display_.setDotsPerMeterY(dots_per_meter_96dpi);
            display_.setDevicePixelRatio(scale_);
            display_.fill(Qt::white);
        }
    }
    return true;
}

void QImageCanvas::paint_both(const std::function<void(QPainter&)>& draw) {
    for (QImage* image : {&image_, &display_}) {
        if (image->isNull()) continue;
        QPainter painter(image);
        prepare(painter);
        draw(painter);
    }
}

void QImageCanvas::done() {
    if (changed_) changed_();
}

void QImageCanvas::line(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) {
    if (!ensure_surface()) return;
    chart::Segment s{double(x1), double(y1), double(x2), double(y2)};
    if (!chart::clip_segment(s, -clip_margin, -clip_margin, image_.width() + clip_margin,
                             image_.height() + clip_margin))
        return;
    const int width = pen_width();
    const QPen pen(to_qcolor(pen_colour()), width, Qt::SolidLine, width > 1 ? Qt::RoundCap : Qt::SquareCap,
                   Qt::RoundJoin);
    paint_both([&](QPainter& painter) {
        painter.setPen(pen);
        painter.drawLine(QPoint(qRound(s.x1), qRound(s.y1)), QPoint(qRound(s.x2), qRound(s.y2)));
    });
    done();
}

void QImageCanvas::rectangle(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) {
    if (!ensure_surface()) return;
    paint_both([&](QPainter& painter) {
        painter.setPen(QPen(to_qcolor(pen_colour()), pen_width()));
        painter.setBrush(to_qcolor(fill_colour()));
        // The box excludes its right and bottom edges; a one-pixel outline of QRect(x, y, w, h) covers x..x+w.
        painter.drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
    });
    done();
}

void QImageCanvas::ellipse(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) {
    if (!ensure_surface()) return;
    paint_both([&](QPainter& painter) {
        painter.setPen(QPen(to_qcolor(pen_colour()), pen_width()));
        painter.setBrush(to_qcolor(fill_colour()));
        // Symmetric about the box's centre, so a mark sits centred on its grid line.
        painter.drawEllipse(QRect(x1, y1, x2 - x1, y2 - y1));
    });
    done();
}

void QImageCanvas::flood_fill(chart::Px x, chart::Px y, Rgb border) {
    if (!ensure_surface()) return;
    fill_from(image_, x, y, border);
    // The same seed in the display image: the middle of the device pixels that make the logical one.
    if (!display_.isNull()) fill_from(display_, x * scale_ + scale_ / 2, y * scale_ + scale_ / 2, border);
    done();
}

void QImageCanvas::fill_from(QImage& image, int x, int y, Rgb border) {
    const int w = image.width();
    const int h = image.height();
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    const QRgb stop = to_qrgb(border) & RGB_MASK;
    const QRgb fill = to_qrgb(fill_colour());
    auto is_border = [&](int px, int py) {
        return (reinterpret_cast<const QRgb*>(image.constScanLine(py))[px] & RGB_MASK) == stop;
    };
    if (is_border(x, y)) return;
    // Scanline fill, four-connected; `seen` keeps pixels that already had the fill colour from being
    // visited again.
    std::vector<bool> seen(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), false);
    auto idx = [w](int px, int py) {
        return static_cast<std::size_t>(py) * static_cast<std::size_t>(w) + px;
    };
    std::vector<QPoint> stack{QPoint(x, y)};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        const int py = p.y();
        if (seen[idx(p.x(), py)] || is_border(p.x(), py)) continue;
        int left = p.x();
        while (left > 0 && !seen[idx(left - 1, py)] && !is_border(left - 1, py))
            --left;
        int right = p.x();
        while (right + 1 < w && !seen[idx(right + 1, py)] && !is_border(right + 1, py))
            ++right;
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(py));
        for (int px = left; px <= right; ++px) {
            row[px] = fill;
            seen[idx(px, py)] = true;
        }
        for (int ny : {py - 1, py + 1}) {
            if (ny < 0 || ny >= h) continue;
            bool in_run = false;
            for (int px = left; px <= right; ++px) {
                const bool open = !seen[idx(px, ny)] && !is_border(px, ny);
                if (open && !in_run) stack.emplace_back(px, ny);
                in_run = open;
            }
        }
    }
}

void QImageCanvas::text(chart::Px x, chart::Px y, const std::string& text) {
    if (text.empty() || !ensure_surface()) return;
    // A narrow face keeps neighbouring frequency labels apart at the larger sizes; without it any
    // sans-serif face will do.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setStretch(QFont::Condensed);
    // Glyphs are smoothed (in grey, over their opaque cell): they are drawn after the margin fill, and
    // small sizes are unreadable without it. Lines and shapes stay unsmoothed.
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setPointSize(font_size() > 0 ? font_size() : 1);
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    paint_both([&](QPainter& painter) {
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(font);
        const QFontMetrics metrics = painter.fontMetrics();
        // The text cell is opaque in the fill colour, its top-left corner at (x, y).
        painter.fillRect(QRect(x, y, metrics.horizontalAdvance(s), metrics.height()), to_qcolor(fill_colour()));
        painter.setPen(to_qcolor(colours::black));
        painter.drawText(QPoint(x, y + metrics.ascent()), s);
    });
    done();
}

} // namespace kelvor::ui
