#pragma once
// An image of the main window's client area (the window paints itself into it), for printing and for
// saving as a bitmap file.
#include <memory>
#include <string>

#include "core/host/files.h"
#include "core/host/print_job.h"

namespace kelvor::host {

struct WindowImage {
    std::shared_ptr<const PrintPicture> picture; // null when nothing could be captured
    int width = 0;                               // pixels
    int height = 0;
    int dots_per_inch = 96; // the screen's pixels per inch
};

class WindowCapture {
  public:
    virtual ~WindowCapture() = default;
    virtual WindowImage grab_client_area() = 0;
    // Writes the image as a Windows bitmap file `name` in the working folder, in the screen's colour
    // depth, replacing an existing file.
    virtual WriteResult save_bmp(const WindowImage& image, const std::string& name) = 0;
};

} // namespace kelvor::host
