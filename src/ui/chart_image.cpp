#include "ui/chart_image.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

namespace kelvor::ui {

ChartImage::ChartImage(QWidget* parent)
    : QWidget(parent), canvas_([this] { return QSize(width(), height()); }, [this] { update(); }) {
    // On a high-resolution screen the chart is drawn again at the screen's pixel ratio for display.
    canvas_.set_display_scale(qCeil(devicePixelRatioF()));
}

const host::PrintPicture* ChartImage::picture() const {
    if (canvas_.image().isNull()) return nullptr;
    picture_.image = canvas_.image();
    return &picture_;
}

void ChartImage::paintEvent(QPaintEvent*) {
    if (canvas_.image().isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), canvas_.display_image());
}

void ChartImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace kelvor::ui
