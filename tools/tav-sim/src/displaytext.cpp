#include "displaytext.h"

namespace {

bool isC1Lead(QByteArrayView bytes, qsizetype i) {
    return static_cast<unsigned char>(bytes[i]) == 0xc2 && i + 1 < bytes.size() &&
           static_cast<unsigned char>(bytes[i + 1]) >= 0x80 &&
           static_cast<unsigned char>(bytes[i + 1]) <= 0x9f;
}

void appendEscaped(QByteArray &out, unsigned char u) {
    const char *hex = "0123456789abcdef";
    out += "\\x";
    out += hex[u >> 4];
    out += hex[u & 15];
}

} // namespace

QByteArray escapedText(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto u = static_cast<unsigned char>(bytes[i]);
        if (isC1Lead(bytes, i)) {
            appendEscaped(out, u);
            appendEscaped(out, static_cast<unsigned char>(bytes[++i]));
        } else if (u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == '\\') {
            appendEscaped(out, u);
        } else {
            out += static_cast<char>(u);
        }
    }
    return out;
}

QByteArray notShown(qsizetype count) {
    if (count <= 0) {
        return {};
    }
    return " ... (+" + QByteArray::number(count) + " bytes)";
}
