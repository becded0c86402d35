#include "ui/history_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kelvor::ui {

HistoryWindow::HistoryWindow(history::KeptTestsWindow& logic, HandlerRunner& runner, QWidget* parent)
    : QWidget(parent, Qt::Window), logic_(logic), runner_(runner) {
    history::KeptTestsControls& c = logic_.controls();
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(window_font());
    binding_.bind(c.Kept_Tests_Form, this);
    const BindOptions in_layout{.place = false};

    auto* intro = new QLabel(this);
    intro->setWordWrap(true);
    binding_.bind(c.Kept_Intro, intro, in_layout);

    auto* list = new QTreeWidget(this);
    list->header()->setStretchLastSection(true);
    binding_.bind(c.Kept_List, list, in_layout);

    // The change in words: long lines wrap, so nothing hides to the right.
    auto* change = new QPlainTextEdit(this);
    change->setReadOnly(true);
    change->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    change->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    binding_.bind(c.Kept_Change, change, in_layout);

    auto* close = new QPushButton(this);
    binding_.bind(c.Kept_Close, close, in_layout);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(list, 1);
    layout->addWidget(change, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    binding_.connect_commands(history::kept_tests_commands(logic_), runner_);
    const Bounds& b = c.Kept_Tests_Form.bounds;
    resize(b.width, b.height);
    move(b.left, b.top);
    runner_.add_view([this] { sync(); });
    sync();
}

void HistoryWindow::closeEvent(QCloseEvent* event) {
    runner_.run([this] { logic_.FormClose(); });
    event->accept();
}

void HistoryWindow::sync() {
    binding_.mirror();
    const bool visible = logic_.controls().Kept_Tests_Form.visible;
    if (isHidden() == visible) setVisible(visible);
}

} // namespace kelvor::ui
