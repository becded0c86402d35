#pragma once
// What a picture handed to the printer (or saved as a bitmap file) holds on this platform: an image.
#include <QImage>

#include "core/host/print_job.h"

namespace kelvor::host {

struct PrintPicture {
    QImage image;
};

} // namespace kelvor::host
