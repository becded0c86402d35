#include "ui/accessible_buttons.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QRadioButton>

namespace kelvor::ui {

namespace {

class CheckableButtonAccessible : public QAccessibleWidget {
  public:
    CheckableButtonAccessible(QAbstractButton* button, QAccessible::Role role)
        : QAccessibleWidget(button, role) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = button()->isChecked();
        s.pressed = button()->isDown();
        return s;
    }

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty()) text = button()->text().remove(QLatin1Char('&'));
        return text;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (clickable()) names.prepend(toggleAction());
        return names;
    }

    void doAction(const QString& action) override {
        if (action == toggleAction() || action == pressAction()) {
            // After the request has been answered, as Qt's own press does: a click handler may open a
            // modal message box, and the assistive technology would wait for its answer until the box
            // is closed.
            if (clickable() && button()->isEnabled())
                QMetaObject::invokeMethod(button(), &QAbstractButton::click, Qt::QueuedConnection);
            return;
        }
        QAccessibleWidget::doAction(action);
    }

  private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(object()); }
    // A lamp made of a radio button takes no clicks from the mouse, nor from here.
    bool clickable() const { return !button()->testAttribute(Qt::WA_TransparentForMouseEvents); }
};

} // namespace

QAccessibleInterface* accessible_checkable_button(const QString& class_name, QObject* object) {
    if (class_name == QLatin1String("QRadioButton"))
        if (auto* radio = qobject_cast<QRadioButton*>(object))
            return new CheckableButtonAccessible(radio, QAccessible::RadioButton);
    if (class_name == QLatin1String("QCheckBox"))
        if (auto* box = qobject_cast<QCheckBox*>(object))
            return new CheckableButtonAccessible(box, QAccessible::CheckBox);
    return nullptr;
}

void use_accessible_buttons() {
    QAccessible::installFactory(&accessible_checkable_button);
}

} // namespace kelvor::ui
