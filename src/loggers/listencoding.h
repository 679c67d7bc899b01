#pragma once

#include <QByteArrayView>
#include <QString>

// How loggers.txt spells its characters. Lists made on the loggers' Windows PCs are
// Windows-1252; editors elsewhere save UTF-8. Pure ASCII reads the same either way.
enum class ListEncoding { Windows1252, Utf8 };

// The mark some editors put at the start of a UTF-8 file; it belongs to no field.
inline constexpr QByteArrayView kUtf8ByteOrderMark("\xEF\xBB\xBF");

// UTF-8 when the text starts with the byte-order mark (which then decides, even if a
// broken sequence follows: that shows as U+FFFD), or when it is strictly valid UTF-8
// and holds at least one multi-byte character; Windows-1252 otherwise. Text in the
// code page with bytes above 0x7F is almost never valid UTF-8 by chance.
ListEncoding detectListEncoding(QByteArrayView text);

// The bytes of one field as display text: the one place list bytes are decoded.
QString decodeListText(QByteArrayView bytes, ListEncoding encoding);
