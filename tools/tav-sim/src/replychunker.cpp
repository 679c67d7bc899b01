#include "replychunker.h"

ReplyChunker::ReplyChunker(int size, std::optional<quint32> seed) : m_size(size) {
    if (seed) {
        m_random.emplace(*seed);
    }
}

QList<QByteArray> ReplyChunker::split(const QByteArray &text) {
    if (text.isEmpty()) {
        return {};
    }
    if (!cuts()) {
        return {text};
    }
    QList<QByteArray> pieces;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype size = nextPieceSize();
        pieces.append(text.mid(at, size));
        at += size;
    }
    return pieces;
}

qsizetype ReplyChunker::nextPieceSize() {
    if (m_random) {
        const int most = m_size > 0 ? m_size : kDefaultRandomMax;
        return static_cast<qsizetype>(m_random->bounded(1, most + 1));
    }
    return m_size;
}
