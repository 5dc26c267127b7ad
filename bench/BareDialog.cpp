// The yardstick for start-up: a bare Qt Widgets dialog with one label and one button,
// run modally the way the tool runs its dialog.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Bare dialog")));
    layout->addWidget(new QPushButton(QStringLiteral("OK")));
    dialog.exec();
    return 0;
}
