#pragma once

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <optional>

// Cuts outgoing text into the pieces that are written one by one, to show the console a
// network that splits replies anywhere. Fixed-size pieces, or random sizes from a seed so a
// failing run can be repeated. With neither, the text stays one piece.
class ReplyChunker {
public:
    static constexpr int kDefaultRandomMax = 32; // largest random piece without a fixed size

    // size: fixed piece size (0 = off); with a seed, the largest random size (0 = default).
    explicit ReplyChunker(int size = 0, std::optional<quint32> seed = std::nullopt);

    bool cuts() const { return m_size > 0 || m_random.has_value(); }
    // Size of the next piece (0 when it does not cut), drawn in the order the pieces go out.
    // A piece at the end of a reply may be shorter: the size is used up all the same.
    qsizetype nextPieceSize();
    QList<QByteArray> split(const QByteArray &text);

private:
    int m_size = 0;
    std::optional<QRandomGenerator> m_random;
};
