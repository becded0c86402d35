#pragma once
// The main window's image: its client-area widget painted into a picture (QWidget::grab), at the
// screen's logical resolution; saved as "screen.bmp" through a temporary file that replaces the old one
// only when complete.
#include <QPointer>
#include <QWidget>

#include "core/host/files.h"
#include "core/host/window_capture.h"

namespace kelvor::ui {

class WidgetCapture final : public host::WindowCapture {
  public:
    // `files` writes the bitmap file into the working folder.
    explicit WidgetCapture(host::Files& files, QWidget* client_area = nullptr)
        : files_(files), widget_(client_area) {}
    void set_widget(QWidget* client_area) { widget_ = client_area; }

    host::WindowImage grab_client_area() override;
    host::WriteResult save_bmp(const host::WindowImage& image, const std::string& name) override;

  private:
    host::Files& files_;
    QPointer<QWidget> widget_;
};

} // namespace kelvor::ui
