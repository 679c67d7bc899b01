#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// The wire, loggers.txt and tav.log carry one byte per character. These two
// functions are the only place where such bytes become display text and back,
// through the Windows-1252 code page (the ANSI page of the PCs the loggers
// were commissioned with).
namespace text8 {

// Every byte maps to exactly one character; the five bytes Windows-1252
// leaves undefined map to the C1 control of the same value, as Windows does,
// so nothing received is ever lost or merged.
QString toDisplay(QByteArrayView bytes);

struct Encoded {
    QByteArray bytes;
    // The first character that has no byte in the code page; bytes is empty then.
    std::optional<QChar> unmappable;
    bool ok() const { return !unmappable.has_value(); }
};

// Operator text to wire bytes. Refuses (rather than replaces) a character
// the code page cannot carry: a substituted '?' could change a command line.
Encoded fromDisplay(const QString &text);

} // namespace text8
