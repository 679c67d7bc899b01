#pragma once

#include "commands/ui/commandcontroller.h"
#include "console/link.h"
#include "console/ui/mainwindow.h"
#include "console/ui/statusstrip.h"
#include "loggers/ui/loggergrid.h"
#include "replies/replypath.h"
#include "replies/ui/replylist.h"
#include "replies/ui/replystatusbox.h"
#include "support/fakes.h"
#include "support/loopbackpeer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class QDialog;
class QListWidget;

// The texts of a list's entries, oldest first.
QStringList entries(const QListWidget &list);
// A file's bytes, or "<unreadable>".
QByteArray fileBytes(const QString &path);
// The visible window of that object name among the console's dialogs, if any.
QDialog *openDialog(MainWindow &main, const char *name);

// A started console in a temporary working folder, with recorded boxes and a fake
// clock that moves a tenth of a second at every tick, so waits and pauses run through
// in moments.
class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes loggers.txt before start() reads it.
    void writeLoggers(const QByteArray &bytes);
    void start();
    QString workDir() const { return m_workDir.isEmpty() ? m_dir.path() : m_workDir; }
    QString path(const QString &name) const { return workDir() + QLatin1Char('/') + name; }

    // Mouse click on a grid cell (row 1..39).
    void clickCell(int row, int column);
    // Chooses the menu entry with that objectName.
    void trigger(const char *action);
    // A loopback peer as the logger of grid row `row`, selected and connected.
    void connectRow(int row = 1);
    // Until no wait or pause of the connection runs.
    bool settled(int ms = 10000);

    QTemporaryDir m_dir;
    QString m_workDir; // the console's folder when not m_dir; set before start()
    RecordingPrompter prompter;
    FakeClock clock;
    std::unique_ptr<MainWindow> main;
    LoopbackPeer peer;
};
