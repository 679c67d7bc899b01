// tavctl: one command on many TAV loggers at once, one result per logger. See --help or
// the manual page.

#include "tavctl/program.h"

#include <QCoreApplication>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVCTL_VERSION));
    return tavctl::runProgram(QCoreApplication::arguments());
}
