#pragma once
// The program's own pictures (ear, headphone and arrow buttons, the program icon), SVGs compiled into
// the program and drawn at the size they are shown.
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace kelvor::ui {

// Resource names of the pictures.
constexpr const char* picture_headphones = ":/pictures/headphones.svg";
constexpr const char* picture_ear_left = ":/pictures/ear_left.svg";
constexpr const char* picture_ear_right = ":/pictures/ear_right.svg";
constexpr const char* picture_arrow_left = ":/pictures/arrow_left.svg";
constexpr const char* picture_arrow_right = ":/pictures/arrow_right.svg";
constexpr const char* picture_arrow_up = ":/pictures/arrow_up.svg";
constexpr const char* picture_arrow_down = ":/pictures/arrow_down.svg";
// The same file is installed as the desktop's icon of the program.
constexpr const char* picture_program_icon = ":/pictures/kelvor.svg";

// The picture drawn at `size` logical pixels for a screen of `device_pixel_ratio`; a null pixmap when
// the resource is missing.
QPixmap render_picture(const char* resource, QSize size, qreal device_pixel_ratio = 1.0);
// The picture as an icon, drawn at `size` and at twice that for high-density screens.
QIcon picture_icon(const char* resource, QSize size);
// The program icon at the sizes desktops ask for.
QIcon program_icon();

} // namespace kelvor::ui
