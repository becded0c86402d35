#include "ui/qt_dialogs.h"

#include <QMessageBox>
#include <QPushButton>

namespace kelvor::ui {

void QtDialogs::message_box(const std::string& text) {
    runner_.sync_views();
    QMessageBox box(QMessageBox::NoIcon, message_box_title, QString::fromStdString(text), QMessageBox::Ok,
                    parent_);
    box.setObjectName("MessageBox");
    box.setAccessibleName(QString::fromStdString(text));
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) {
        ok->setObjectName("OK");
        ok->setAccessibleDescription("OK");
    }
    box.exec();
}

} // namespace kelvor::ui
