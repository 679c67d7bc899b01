#pragma once

#include "console/ui/mainwindow.h"
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
QDialog *openDialog(Main &main, const char *name);

// A started console in a temporary working folder, with recorded boxes,
// a fake clock and a pump that drives it.
class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes loggers.txt before start() reads it.
    void writeLoggers(const QByteArray &bytes);
    void start();
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Mouse click on a grid cell (row 1..39).
    void clickCell(int row, int column);
    void trigger(const char *action);
    // A loopback peer as the logger of grid row `row`, selected and connected.
    void connectRow(int row = 1);

    QTemporaryDir m_dir;
    RecordingPrompter prompter;
    FakeClock clock;
    FakePump pump{clock};
    std::unique_ptr<Main> main;
    LoopbackPeer peer;
};
