#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reading as bytes, with the reason as a value when it fails;
// the window turns reasons into operator messages.
struct FileRead {
    enum class Status { Ok, Missing, Unreadable };
    Status status = Status::Missing;
    QByteArray bytes;
    QString reason; // set when Unreadable
};

FileRead readWholeFile(const QString &path);
