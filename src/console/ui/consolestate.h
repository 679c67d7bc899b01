#pragma once

#include <QByteArray>
#include <QtGlobal>

// The console's shared state, named as operators' procedures and the
// loggers' documentation name it. Plain data: the main window owns it.
struct ConsoleState {
    // Public to the dialogs.
    QByteArray ftp_user;
    QByteArray ftp_pass;
    QByteArray ftp_server;
    qint16 sw_option = 0; // 1 while a parameter listing is awaited
    // Private to the main window's handlers.
    QByteArray loggers_text;
    qint16 sel_row = 0; // selected grid row, 0 = none
    bool Log_Active = false;
    double Log_Bytes = 0;
    bool sw_abort = false;
    qint16 wait_count = 0;
};
