#pragma once

#include <QString>
#include <optional>

// The host and port of a grid row, read the way an operator typed them: blanks
// around them are not part of the address; anything else odd is refused.
struct Target {
    QString host;
    quint16 port = 0;
};

// A host name has at most 253 characters.
inline constexpr qsizetype kMaxHostChars = 253;

// Nullopt for an empty or over-long host, a host with control characters, or a port that
// parsePort() refuses.
std::optional<Target> parseTarget(const QString &hostText, const QString &portText);

// Nullopt unless the text, blanks around it aside, is a plain decimal number from 1 to 65535
// (a NUL or a sign included).
std::optional<quint16> parsePort(QStringView portText);
