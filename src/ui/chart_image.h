#pragma once
// An image control that shows a chart surface unscaled from its top-left corner, cut to its own size.
#include <QWidget>

#include "core/chart/canvas.h"
#include "core/common/control_state.h"
#include "platform/print_picture.h"
#include "ui/qimage_canvas.h"

namespace kelvor::ui {

class ChartImage : public QWidget, public chart::ImageControl {
    Q_OBJECT
  public:
    explicit ChartImage(QWidget* parent = nullptr);

    // The chart's size is the control state's when one is followed (the window logic sizes the charts
    // before the widgets follow), otherwise the widget's own.
    void follow(const Control* control) { control_ = control; }
    int width() const override { return control_ ? control_->bounds.width : QWidget::width(); }
    int height() const override { return control_ ? control_->bounds.height : QWidget::height(); }
    chart::Canvas& canvas() override { return canvas_; }
    // The whole surface (also beyond the control's size); null before the first drawing.
    const QImage& image() const { return canvas_.image(); }
    const host::PrintPicture* picture() const override;

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    const Control* control_ = nullptr;
    QImageCanvas canvas_;
    mutable host::PrintPicture picture_; // shares the surface's pixels until the next drawing
};

} // namespace kelvor::ui
