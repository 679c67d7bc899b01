#include "console/filereader.h"

#include <QFile>
#include <QFileInfo>

FileRead readWholeFile(const QString &path) {
    FileRead result;
    const QFileInfo info(path);
    if (!info.exists()) {
        return result;
    }
    QFile file(path);
    // Binary: CR LF stays two bytes, nothing is converted.
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = FileRead::Status::Unreadable;
        result.reason = file.errorString();
        return result;
    }
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = FileRead::Status::Unreadable;
        result.reason = file.errorString();
        result.bytes.clear();
        return result;
    }
    result.status = FileRead::Status::Ok;
    return result;
}
