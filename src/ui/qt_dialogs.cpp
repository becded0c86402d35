#include "ui/qt_dialogs.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/control_binding.h"

namespace kelvor::ui {

void QtDialogs::message_box(const std::string& text) {
    runner_.sync_views();
    QMessageBox box(QMessageBox::NoIcon, message_box_title, qt_text(text), QMessageBox::Ok, parent_);
    box.setObjectName("MessageBox");
    box.setAccessibleName(qt_text(text));
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) {
        ok->setObjectName("OK");
        ok->setAccessibleDescription("OK");
    }
    box.exec();
}

} // namespace kelvor::ui
