#include "tavctl/transcript.h"

#include "base/filereader.h"

namespace tavctl {

QByteArray escapedBytes(QByteArrayView bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (u >= 0x20 && u < 0x7f) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0xf];
        }
    }
    return out;
}

std::unique_ptr<Transcript> Transcript::create(const QString &path, QString &error) {
    auto transcript = std::make_unique<Transcript>();
    if (const auto failure =
            openRegularFile(transcript->m_file, path, QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = *failure;
        return nullptr;
    }
    return transcript;
}

void Transcript::sent(const QDateTime &at, QByteArrayView frame) {
    write(at, "->", escapedBytes(frame));
}

void Transcript::received(const QDateTime &at, QByteArrayView bytes) {
    write(at, "<-", escapedBytes(bytes));
}

void Transcript::note(const QDateTime &at, const QString &text) {
    write(at, "==", escapedBytes(text.toUtf8()));
}

void Transcript::write(const QDateTime &at, QByteArrayView direction, QByteArrayView text) {
    QByteArray line = at.toUTC().toString(Qt::ISODateWithMs).toLatin1();
    line += ' ';
    line += direction;
    line += ' ';
    line += text;
    line += '\n';
    m_file.write(line);
}

} // namespace tavctl
