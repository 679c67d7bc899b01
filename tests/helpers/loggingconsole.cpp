// The console without its window, for a test that kills the process writing the session log:
// turns the log on (starting tav.log afresh in the current folder), connects to the logger on
// 127.0.0.1 and the port given, and runs until it is stopped.
//
//   mirvane_logging_console PORT
#include "base/clock.h"
#include "base/prompter.h"
#include "console/console.h"

#include <QCoreApplication>

namespace {

// Answers every question Yes and shows nothing.
class YesPrompter final : public Prompter {
    void showInformation(const QString &, Icon, const QString &) override {}
    bool showQuestion(const QString &, const QString &) override { return true; }
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        return 2;
    }
    SteadyClock clock;
    YesPrompter prompter;
    Console console(prompter, clock, QString());
    console.perform(catalogue::Command::ActivateLog);
    console.connectTo({1, QStringLiteral("127.0.0.1"), QString::fromLatin1(argv[1]), false});
    return QCoreApplication::exec();
}
