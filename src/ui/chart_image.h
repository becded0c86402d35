#pragma once
// An image control that shows a chart surface unscaled from its top-left corner, cut to its own size.
#include <QWidget>

#include "core/chart/canvas.h"
#include "ui/qimage_canvas.h"

namespace kelvor::ui {

class ChartImage : public QWidget, public chart::ImageControl {
    Q_OBJECT
public:
    explicit ChartImage(QWidget* parent = nullptr);

    int width() const override { return QWidget::width(); }
    int height() const override { return QWidget::height(); }
    chart::Canvas& canvas() override { return canvas_; }
    // The whole surface (also beyond the control's size); null before the first drawing.
    const QImage& image() const { return canvas_.image(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImageCanvas canvas_;
};

} // namespace kelvor::ui
