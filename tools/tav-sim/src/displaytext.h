#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Bytes from the console and names from the command line as the simulator prints them on a
// terminal: nothing in them may steer it, and a long run shows as its start and a count.

// Control bytes, DEL, the C1 controls 80 to 9F (which 8-bit terminals obey as they obey ESC;
// 9B is a CSI) and the backslash as \xNN, as are both bytes of a C1 control written in UTF-8
// (C2 80 to C2 9F), which UTF-8 terminals obey. Other 8-bit bytes stay as they are: they are
// the console's code page text, and scripts read them back byte for byte.
QByteArray escapedText(QByteArrayView bytes);

// " ... (+N bytes)" for the part of a run that is not shown; nothing when count is 0.
QByteArray notShown(qsizetype count);
