#include "ui/profile_ui.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace kelvor::ui {

namespace {

struct Captions {
    const char* reference_item;
    const char* list;
    const char* panel;
    const char* name_title;
    const char* name_label;
};

constexpr Captions english{"Reference run (calibrate headphones)...", "Hearing level profile",
                           "Hearing levels (dB HL)", "Reference run", "Profile name (one per headphone):"};
constexpr Captions german{"Referenzmessung (Kopfhörer eichen)...", "Hörpegel-Profil", "Hörpegel (dB HL)",
                          "Referenzmessung", "Profilname (einer je Kopfhörer):"};

// Accessible name = caption, description = the control's own name.
void name_it(QObject* object, QWidget* widget, const char* name, const QString& caption) {
    object->setObjectName(QString::fromLatin1(name));
    if (widget != nullptr) {
        widget->setAccessibleDescription(QString::fromLatin1(name));
        widget->setAccessibleName(caption);
    }
}

} // namespace

ProfileUi::ProfileUi(profile::HearingProfiles& profiles, hearing::TMessung& messung,
                     const settings::Languages& languages, HandlerRunner& runner, QMainWindow* main_window,
                     QWidget* settings_dialog)
    : QObject(main_window), profiles_(profiles), messung_(messung), languages_(languages), runner_(runner),
      main_window_(main_window) {
    // The menu item goes at the end of the options menu.
    if (auto* options = main_window->menuBar()->findChild<QMenu*>(QStringLiteral("Parameterwahl1"))) {
        reference_item_ = options->addAction(QString::fromUtf8(english.reference_item));
        reference_item_->setObjectName(QStringLiteral("Referenzmessung1"));
        connect(
            reference_item_, &QAction::triggered, this, [this] { reference_run(); }, Qt::QueuedConnection);
    }

    // The list, in the dialog's right column below the port group.
    if (settings_dialog != nullptr) {
        auto* columns = qobject_cast<QBoxLayout*>(settings_dialog->layout());
        QBoxLayout* right = columns != nullptr && columns->count() > 1
                                ? qobject_cast<QBoxLayout*>(columns->itemAt(1)->layout())
                                : nullptr;
        if (right != nullptr) {
            list_box_ = new QGroupBox(settings_dialog);
            name_it(list_box_, list_box_, "Profile_Group", QString::fromUtf8(english.list));
            list_ = new QComboBox(list_box_);
            name_it(list_, list_, "Profile_List", QString::fromUtf8(english.list));
            auto* layout = new QVBoxLayout(list_box_);
            layout->setContentsMargins(4, 2, 4, 4);
            layout->addWidget(list_);
            right->insertWidget(1, list_box_);
            connect(list_, qOverload<int>(&QComboBox::activated), this, [this](int index) { chosen(index); });
        }
    }

    // The panel at the foot of the main window, hidden while no profile is chosen.
    panel_ = new QDockWidget(main_window);
    name_it(panel_, panel_, "Hearing_Levels_Panel", QString::fromUtf8(english.panel));
    panel_->setFeatures(QDockWidget::NoDockWidgetFeatures);
    panel_text_ = new QPlainTextEdit(panel_);
    name_it(panel_text_, panel_text_, "Hearing_Levels", QString::fromUtf8(english.panel));
    panel_text_->setReadOnly(true);
    panel_text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Fixed columns: a frequency over each ear's hearing level.
    panel_text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    panel_text_->setFixedHeight(panel_text_->fontMetrics().lineSpacing() * 4 + 12);
    panel_->setWidget(panel_text_);
    main_window->addDockWidget(Qt::BottomDockWidgetArea, panel_);
    panel_->hide();

    runner.add_view([this] { sync(); });
    sync();
}

void ProfileUi::sync() {
    if (syncing_) return;
    syncing_ = true;
    profiles_.use_german(languages_.german());
    const Captions& t = languages_.german() ? german : english;
    if (reference_item_ != nullptr) reference_item_->setText(QString::fromUtf8(t.reference_item));
    if (list_ != nullptr) {
        list_box_->setTitle(QString::fromUtf8(t.list));
        list_box_->setAccessibleName(QString::fromUtf8(t.list));
        list_->setAccessibleName(QString::fromUtf8(t.list));
        QStringList items;
        for (const auto& choice : profiles_.choices())
            items << QString::fromStdString(choice);
        QStringList now;
        for (int i = 0; i < list_->count(); ++i)
            now << list_->itemText(i);
        const QSignalBlocker block(list_);
        if (items != now) {
            list_->clear();
            list_->addItems(items);
        }
        list_->setCurrentIndex(profiles_.chosen());
    }
    panel_->setWindowTitle(QString::fromUtf8(t.panel));
    panel_->setAccessibleName(QString::fromUtf8(t.panel));
    panel_text_->setAccessibleName(QString::fromUtf8(t.panel));
    const std::string status = profiles_.status_text();
    if (panel_text_->toPlainText().toStdString() != status)
        panel_text_->setPlainText(QString::fromStdString(status));
    const bool show = !status.empty();
    if (show != panel_shown_) {
        // The window grows by the panel and shrinks back when it goes, so the controls above keep the
        // room their layout was made for.
        panel_shown_ = show;
        const int height = panel_->sizeHint().height();
        panel_->setVisible(show);
        if (!main_window_->isMaximized() && !main_window_->isFullScreen())
            main_window_->resize(main_window_->width(), main_window_->height() + (show ? height : -height));
    }

    // A profile chosen, made or left: the charts draw the other normal curve, once this sync is over.
    std::string normals = messung_.state().normals.profile_name;
    if (!normals.empty())
        for (const auto* ear : {&messung_.state().normals.left, &messung_.state().normals.right})
            for (const auto& entry : ear->norm.entries)
                normals += ";" + std::to_string(entry.level);
    if (normals != shown_normals_) {
        shown_normals_ = normals;
        QTimer::singleShot(0, this, [this] { runner_.run([this] { messung_.FormResize(); }); });
    }
    syncing_ = false;
}

void ProfileUi::chosen(int index) {
    runner_.run([this, index] { profiles_.choose(index); });
}

void ProfileUi::reference_run() {
    runner_.run([this] { profiles_.show_reference_intro(); });
    const Captions& t = languages_.german() ? german : english;
    const profile::Profile* current = profiles_.chosen_profile();
    // The name, asked in a dialog whose parts carry names of their own, as every control here does.
    QDialog input(main_window_);
    name_it(&input, &input, "Reference_Name_Dialog", QString::fromUtf8(t.name_title));
    input.setWindowTitle(QString::fromUtf8(t.name_title));
    auto* layout = new QVBoxLayout(&input);
    auto* label = new QLabel(QString::fromUtf8(t.name_label), &input);
    auto* edit = new QLineEdit(&input);
    name_it(edit, edit, "Reference_Name", QString::fromUtf8(t.name_label));
    label->setBuddy(edit);
    edit->setText(QString::fromStdString(current != nullptr ? current->name : std::string("Headphones")));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &input);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    name_it(ok, ok, "Reference_ok", ok->text());
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    name_it(cancel, cancel, "Reference_Cancel", cancel->text());
    connect(buttons, &QDialogButtonBox::accepted, &input, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &input, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    if (input.exec() != QDialog::Accepted) return;
    const std::string name = edit->text().trimmed().toStdString();
    runner_.run([this, name] {
        if (!profiles_.begin_reference_run(name)) return;
        // The run starts from empty records, so nothing of an earlier test goes into the reference.
        messung_.clear_liClick();
        messung_.clear_reClick();
        messung_.StartClick();
    });
}

} // namespace kelvor::ui
