#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;

// Owns the one TCP connection to a logger. "Connected" is asked here and
// nowhere else; the link never talks to the operator.
class Link final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Link)

public:
    static constexpr qint64 kReadBufferBytes = 4 * 1024 * 1024;

    explicit Link(QObject *parent = nullptr);
    ~Link() override;

    // Only the connected state counts; resolving, connecting and a half-closed
    // socket all count as not connected.
    bool isConnected() const;
    // Neither connected nor closed: a pending attempt, or a peer that went away.
    bool isStale() const;
    QAbstractSocket::SocketState state() const;

    // Starts a connection (host names are resolved) and returns at once.
    void connectTo(const QString &host, quint16 port);
    // One write per frame, pushed out at once. False when not connected or
    // when the socket refused the bytes.
    bool send(const QByteArray &frame);
    // Back to the closed state at once, whatever the state was; what was
    // already written is pushed out first.
    void close();

    // What has arrived stays readable after the link closes or starts anew, until read.
    bool hasData() const;
    // Copies up to maxSize bytes of it into the caller's buffer, so a reader that keeps its
    // buffer costs no allocation per read; returns how many (0 when nothing waits).
    qint64 read(char *into, qint64 maxSize);
    // Bytes have reached this machine that the socket has not taken in yet: more will be
    // readable after the event loop's next turn. False where the system cannot tell.
    bool moreOnTheWay() const;

Q_SIGNALS:
    void readyRead();
    void connected();
    // The socket left a connected or pending state (either side closed it).
    void closed();

private:
    // Moves what the socket holds into m_held before the socket drops it.
    void keepWhatArrived();

    QTcpSocket *m_socket;
    QByteArray m_held;
    qsizetype m_heldAt = 0;
};
