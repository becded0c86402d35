#include "platform/page_canvas.h"

#include <QPainter>
#include <QPen>

namespace kelvor::platform {

namespace {

QColor to_qcolor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// Saves the painter's state for one operation and sets the canvas's pen and fill on it.
class Operation {
  public:
    Operation(QPainter& painter, const chart::Canvas& canvas) : painter_(painter) {
        painter_.save();
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.setPen(QPen(to_qcolor(canvas.pen_colour()), canvas.pen_width(), Qt::SolidLine, Qt::RoundCap,
                             Qt::RoundJoin));
        painter_.setBrush(to_qcolor(canvas.fill_colour()));
    }
    ~Operation() { painter_.restore(); }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

  private:
    QPainter& painter_;
};

} // namespace

void PageCanvas::line(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) {
    if (painter_ == nullptr) return;
    Operation op(*painter_, *this);
    painter_->drawLine(QPoint(x1, y1), QPoint(x2, y2));
}

void PageCanvas::rectangle(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) {
    if (painter_ == nullptr) return;
    Operation op(*painter_, *this);
    // Filled to its edges, the outline centred on them: a box in the outline's colour is exactly its box.
    painter_->drawRect(QRectF(x1, y1, x2 - x1, y2 - y1));
}

void PageCanvas::ellipse(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) {
    if (painter_ == nullptr) return;
    Operation op(*painter_, *this);
    painter_->drawEllipse(QRectF(x1, y1, x2 - x1, y2 - y1));
}

void PageCanvas::text(chart::Px x, chart::Px y, const std::string& text) {
    if (painter_ == nullptr || text.empty()) return;
    Operation op(*painter_, *this);
    QFont font = font_;
    font.setPointSize(font_size());
    painter_->setFont(font);
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics = painter_->fontMetrics();
    painter_->setPen(Qt::NoPen);
    painter_->drawRect(QRect(x, y, metrics.horizontalAdvance(s), metrics.height()));
    painter_->setPen(Qt::black);
    painter_->drawText(QPoint(x, y + metrics.ascent()), s);
}

} // namespace kelvor::platform
