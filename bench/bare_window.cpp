// The floor for the start-up figure: Qt's application and one empty window of the main window's size,
// started by kelvor_bench_startup beside the program.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(623, 425);
    window.show();
    return app.exec();
}
