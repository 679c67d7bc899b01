#pragma once

#include "app/mainwindow.h"
#include "console/console.h"
#include "link/ui/statusstrip.h"
#include "loggers/ui/loggergrid.h"
#include "replies/ui/replylist.h"
#include "replies/ui/replystatusbox.h"
#include "support/fakes.h"
#include "support/loopbackpeer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class QCheckBox;
class QDialog;
class QLabel;
class QProgressBar;
class QListWidget;

// The texts of a list's entries, oldest first.
QStringList entries(const QListWidget &list);
// A file's bytes, or "<unreadable>".
QByteArray fileBytes(const QString &path);
// The colour a grid row's first cell is painted in: what the operator sees of the marks.
QColor markColour(const LoggerGrid &grid, int row);
// The visible window of that object name among the console's dialogs, if any.
QDialog *openDialog(QWidget &main, const char *name);

// A started console, window and all, in a temporary working folder, with recorded boxes and
// a fake clock that only the test moves.
class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes loggers.txt before start() reads it.
    void writeLoggers(const QByteArray &bytes);
    void start();
    QString workDir() const { return m_workDir.isEmpty() ? m_dir.path() : m_workDir; }
    QString path(const QString &name) const { return workDir() + QLatin1Char('/') + name; }

    // The window's parts, found as the operator finds them.
    LoggerGrid &grid() const;
    ReplyList &traceList() const;
    ReplyList &operationList() const;
    ReplyStatusBox &replyStatus() const;
    QLabel &countdown() const;
    QProgressBar &waitProgress() const;
    QLabel &logCaption() const;
    QCheckBox &displaySwitch() const;
    QColor markColour(int row) const { return ::markColour(grid(), row); }

    // Mouse click on a grid cell (row 1..39).
    void clickCell(int row, int column);
    // Chooses the menu entry with that objectName.
    void trigger(const char *action);
    // A loopback peer as the logger of grid row `row`, selected and connected.
    void connectRow(int row = 1);
    // Waits (in real time: the link comes up by itself) until the connection's wait is over.
    bool waitEnded(int ms = 3000);
    // Sends bytes as the logger and waits until the console has read and shown them all.
    void reply(const QByteArray &bytes, int ms = 3000);
    // Nothing the peer sent is still on its way to the console or waiting to be read.
    bool allRead();
    // Moves the clock on, a tenth at a time, until no wait or pause of the connection runs;
    // false if that takes more than `most` tenths.
    bool runSteps(qint64 most = 2000);

    QTemporaryDir m_dir;
    QString m_workDir; // the console's folder when not m_dir; set before start()
    FakeClock clock;   // before the console: the timers on it go first
    RecordingPrompter prompter;
    std::unique_ptr<Console> console;
    std::unique_ptr<MainWindow> main;
    LoopbackPeer peer;
};
