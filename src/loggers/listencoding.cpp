#include "loggers/listencoding.h"

#include "base/text8.h"

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Walks the text as UTF-8 and stops at the first byte that breaks it: overlong forms,
// surrogates and anything above U+10FFFF count as broken. Sets multiByte when a
// character of more than one byte was seen.
bool isStrictUtf8(QByteArrayView text, bool &multiByte) {
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // Sequence length and the range its second byte must fall in (which rules
        // out the overlong forms, the surrogates and what lies beyond U+10FFFF).
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (size - i < length) {
            return false;
        }
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < low || second > high) {
            return false;
        }
        for (int k = 2; k < length; ++k) {
            if (!isContinuation(static_cast<unsigned char>(text[i + k]))) {
                return false;
            }
        }
        multiByte = true;
        i += length;
    }
    return true;
}

} // namespace

ListEncoding detectListEncoding(QByteArrayView text) {
    if (text.startsWith(kUtf8ByteOrderMark)) {
        return ListEncoding::Utf8;
    }
    bool multiByte = false;
    return isStrictUtf8(text, multiByte) && multiByte ? ListEncoding::Utf8
                                                      : ListEncoding::Windows1252;
}

QString decodeListText(QByteArrayView bytes, ListEncoding encoding) {
    switch (encoding) {
    case ListEncoding::Utf8:
        return QString::fromUtf8(bytes);
    case ListEncoding::Windows1252:
        break;
    }
    return text8::toDisplay(bytes);
}
