#include "ui/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace kelvor::ui {

QPixmap render_picture(const char* resource, QSize size, qreal device_pixel_ratio) {
    QSvgRenderer renderer{QString::fromUtf8(resource)};
    if (!renderer.isValid() || size.isEmpty()) return {};
    QPixmap pixmap(size * device_pixel_ratio);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(device_pixel_ratio);
    return pixmap;
}

QIcon picture_icon(const char* resource, QSize size) {
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) {
        const QPixmap pixmap = render_picture(resource, size, ratio);
        if (!pixmap.isNull()) icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon program_icon() {
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QPixmap pixmap = render_picture(picture_program_icon, QSize(side, side));
        if (!pixmap.isNull()) icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace kelvor::ui
