#include "ui/widget_capture.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPixmap>

#include "platform/print_picture.h"

namespace kelvor::ui {

host::WindowImage WidgetCapture::grab_client_area() {
    host::WindowImage out;
    if (widget_ == nullptr) return out;
    const QPixmap pixmap = widget_->grab();
    // One pixel of the picture per logical pixel of the window, also on a scaled screen.
    QImage image = pixmap.toImage();
    if (image.devicePixelRatio() != 1.0)
        image = image.scaled(widget_->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image.setDevicePixelRatio(1.0);
    auto picture = std::make_shared<host::PrintPicture>();
    picture->image = image;
    out.width = image.width();
    out.height = image.height();
    out.dots_per_inch = widget_->logicalDpiX();
    out.picture = std::move(picture);
    return out;
}

host::WriteResult WidgetCapture::save_bmp(const host::WindowImage& image, const std::string& name) {
    if (!image.picture || image.picture->image.isNull())
        return {host::WriteResult::Status::failed, "the window could not be captured"};
    // A true-colour screen gives a 24-bit bitmap, which is what Qt writes for a 32-bit image.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image.picture->image))
        return {host::WriteResult::Status::failed, writer.errorString().toStdString()};
    return files_.replace_file(name, std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

} // namespace kelvor::ui
