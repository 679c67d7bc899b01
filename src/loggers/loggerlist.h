#pragma once

#include "loggers/listencoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <vector>

// Reads the bytes of loggers.txt into grid rows and the FTP server entry.
// Bytes are kept exactly as the file holds them (no decoding, no trimming);
// display code decodes them once, with decodeListText and the encoding found
// for the whole file (a UTF-8 byte-order mark is dropped before reading). The
// reader never fails: lines it cannot place are ignored, as the console has
// always done with this file.
// The account the loggers fetch new applications from, as the list file names it.
struct FtpAccount {
    QByteArray user;
    QByteArray password;
    QByteArray server;
    ListEncoding encoding = ListEncoding::Windows1252; // that of the file it came from
};

struct LoggerList {
    static constexpr int kMaxRows = 39; // grid rows 1..39
    // What one field keeps of the file: room for the longest host name (253 characters)
    // and more, yet never so much that a grid cell, a dialog or a message quoting it
    // could stall the window. Longer fields keep their first kMaxFieldBytes bytes, less
    // the start of a UTF-8 character the limit would split.
    static constexpr qsizetype kMaxFieldBytes = 256;
    // rows[i] is grid row i+1: {identifier, host, port}; cells never written stay empty.
    // rows.size() is the number of grid rows the file reached (<= 39); a blank line
    // after a logger line occupies a row, so rows may contain empty rows.
    std::vector<std::array<QByteArray, 3>> rows;
    FtpAccount ftp; // empty when there is no FTPSERVER entry
    ListEncoding encoding = ListEncoding::Windows1252;

    // A line that was read as the file says but is probably not what its writer meant;
    // the grid is filled as ever, the operator is only told.
    struct Doubt {
        enum class Kind {
            BeyondTheGrid,  // after the 39th logger: not read
            UnknownKeyword, // text is the keyword field
            EmptyHost,      // a logger with no host
            PortNotANumber, // text is the port field
        };
        enum class Effect { None, Ignored, ContinuesTheEntry }; // of an unknown keyword
        int line;                                               // from 1
        Kind kind;
        Effect effect;
        QByteArray text;
    };
    // The first doubtful lines, in file order, and how many more there were.
    static constexpr int kMaxDoubts = 20;
    std::vector<Doubt> doubts;
    int unlistedDoubts = 0;

    // A row the file wrote nothing into: no logger, though it occupies its grid row.
    static bool isEmptyRow(const std::array<QByteArray, 3> &row) {
        return row[0].isEmpty() && row[1].isEmpty() && row[2].isEmpty();
    }
};

LoggerList parseLoggerList(QByteArrayView text);
