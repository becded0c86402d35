#include "ui/chart_image.h"

#include <QMouseEvent>
#include <QPainter>

namespace kelvor::ui {

ChartImage::ChartImage(QWidget* parent)
    : QWidget(parent), canvas_([this] { return QSize(width(), height()); }, [this] { update(); }) {}

const host::PrintPicture* ChartImage::picture() const {
    if (canvas_.image().isNull()) return nullptr;
    picture_.image = canvas_.image();
    return &picture_;
}

void ChartImage::paintEvent(QPaintEvent*) {
    if (canvas_.image().isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), canvas_.image());
}

void ChartImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace kelvor::ui
