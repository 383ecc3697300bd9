#include "loader_program.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return pxu::runLoader(app, app.arguments().mid(1));
}
