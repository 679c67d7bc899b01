#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <memory>

namespace tavctl {

// One logger's transcript file: every frame sent and every piece received, in order, each
// on a line of its own with its time. Bytes outside printable ASCII are written as \xNN (a
// backslash as \\), so the file is plain text and still holds every byte exactly.
class Transcript {
public:
    // Starts the file afresh; nullptr with the reason when it cannot be written.
    static std::unique_ptr<Transcript> create(const QString &path, QString &error);

    void sent(const QDateTime &at, QByteArrayView frame);
    void received(const QDateTime &at, QByteArrayView bytes);
    void note(const QDateTime &at, const QString &text);

private:
    void write(const QDateTime &at, QByteArrayView direction, QByteArrayView text);

    QFile m_file;
};

QByteArray escapedBytes(QByteArrayView bytes);

} // namespace tavctl
