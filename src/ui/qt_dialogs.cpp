#include "ui/qt_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

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

bool QtDialogs::question(const std::string& text, const std::string& first, const std::string& second) {
    runner_.sync_views();
    QMessageBox box(QMessageBox::NoIcon, message_box_title, qt_text(text), QMessageBox::NoButton, parent_);
    box.setObjectName("QuestionBox");
    box.setAccessibleName(qt_text(text));
    QPushButton* yes = box.addButton(qt_text(first), QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(qt_text(second), QMessageBox::RejectRole);
    yes->setObjectName("First");
    yes->setAccessibleDescription("First");
    no->setObjectName("Second");
    no->setAccessibleDescription("Second");
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

std::optional<std::string> QtNamePrompt::ask(host::NamePromptControls& c) {
    runner_.sync_views();
    ControlBinding binding; // outlives the dialog, whose widgets it watches
    QDialog dialog(parent_);
    binding.bind(c.form, &dialog, {.place = false});
    auto* label = new QLabel(qt_text(c.name.caption), &dialog);
    auto* edit = new QLineEdit(&dialog);
    binding.bind(c.name, edit, {.place = false});
    label->setBuddy(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    binding.bind(c.ok, buttons->button(QDialogButtonBox::Ok), {.place = false});
    binding.bind(c.cancel, buttons->button(QDialogButtonBox::Cancel), {.place = false});
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    binding.mirror();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return edit->text().trimmed().toStdString();
}

} // namespace kelvor::ui
