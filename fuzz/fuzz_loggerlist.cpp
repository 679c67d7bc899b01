// Fuzzes the list-file reader: it must never crash, must agree with a plain
// line-by-line reading of the same bytes, must fill the grid the same way
// whether the lines end in CR LF or in bare LF, and must never cut a valid
// UTF-8 file's field inside a character.
#include "loggers/loggerlist.h"

#include "fuzzcheck.h"

#include <QList>
#include <QStringDecoder>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using fuzzcheck::require;
using fuzzcheck::show;

bool isSeparator(char c) {
    return c == ',' || c == ':' || c == '\r';
}

// Qt's own decoder as the judge of valid UTF-8: it refuses overlong forms, surrogates
// and code points above U+10FFFF, as the reader's check must.
bool isValidUtf8(const QByteArray &bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes); // decoding happens here, on conversion
    return !decoder.hasError();
}

ListEncoding expectedEncoding(const QByteArray &text) {
    if (text.startsWith("\xEF\xBB\xBF")) {
        return ListEncoding::Utf8;
    }
    const bool highBytes =
        std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
    return highBytes && isValidUtf8(text) ? ListEncoding::Utf8 : ListEncoding::Windows1252;
}

// The first kMaxFieldBytes bytes; in a UTF-8 file less the bytes of a character the
// limit would split (up to three of them, the most a character has before its last).
QByteArray capped(const QByteArray &field, ListEncoding encoding) {
    const qsizetype max = LoggerList::kMaxFieldBytes;
    QByteArray kept = field.left(max);
    if (encoding == ListEncoding::Utf8 && field.size() > max) {
        while (kept.size() > max - 3 &&
               (static_cast<unsigned char>(field[kept.size()]) & 0xC0) == 0x80) {
            kept.chop(1);
        }
    }
    return kept;
}

// The reading rules applied the slow, obvious way: split into lines, split each
// line into fields, then place the fields. The last piece of text counts as a
// line when it is not empty, and a line's last field counts when it is not empty
// (CR LF and bare LF files then agree); all else as the reader documents it.
LoggerList referenceParse(QByteArray text) {
    enum class Kind { None, Ftp, Logger };
    LoggerList list;
    list.encoding = list.ftp.encoding = expectedEncoding(text);
    if (text.startsWith("\xEF\xBB\xBF")) {
        text.remove(0, 3); // the mark belongs to no field
    }
    Kind kind = Kind::None;
    std::size_t target = 1;
    QList<QByteArray> lines = text.split('\n');
    if (lines.last().isEmpty()) {
        lines.removeLast();
    }
    for (const QByteArray &line : lines) {
        QList<QByteArray> fields;
        QByteArray current;
        for (const char c : line) {
            if (isSeparator(c)) {
                fields.append(current);
                current.clear();
            } else {
                current.append(c);
            }
        }
        if (!current.isEmpty()) {
            fields.append(current);
        }
        for (qsizetype n = 0; n < fields.size(); ++n) {
            if (n > 0) {
                fields[n] = capped(fields[n], list.encoding);
            }
            if (n == 0) {
                if (fields[0].contains("FTPSERVER")) {
                    kind = Kind::Ftp;
                }
                if (fields[0].contains("LOGGER")) {
                    kind = Kind::Logger;
                }
            } else if (n <= 3 && kind == Kind::Logger) {
                if (list.rows.size() < target) {
                    list.rows.resize(target);
                }
                list.rows[target - 1][n - 1] = fields[n];
            } else if (n <= 3 && kind == Kind::Ftp) {
                QByteArray *const ftp[] = {&list.ftp.user, &list.ftp.password, &list.ftp.server};
                *ftp[n - 1] = fields[n];
            }
        }
        if (kind == Kind::Logger) {
            if (list.rows.size() < target) {
                list.rows.resize(target);
            }
            ++target;
        }
        if (target > static_cast<std::size_t>(LoggerList::kMaxRows)) {
            break;
        }
    }
    return list;
}

std::string describe(const LoggerList &list) {
    std::string out = "rows " + std::to_string(list.rows.size()) + ":";
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        out += "\n  " + std::to_string(i + 1) + ": " + show(list.rows[i][0]) + " " +
               show(list.rows[i][1]) + " " + show(list.rows[i][2]);
    }
    const auto name = [](ListEncoding e) { return e == ListEncoding::Utf8 ? "UTF-8" : "1252"; };
    return out + "\n  ftp: " + show(list.ftp.user) + " " + show(list.ftp.password) + " " +
           show(list.ftp.server) + " (" + name(list.ftp.encoding) + ")\n  " + name(list.encoding);
}

bool sameList(const LoggerList &a, const LoggerList &b) {
    return a.rows == b.rows && a.ftp.user == b.ftp.user && a.ftp.password == b.ftp.password &&
           a.ftp.server == b.ftp.server && a.encoding == b.encoding &&
           a.ftp.encoding == b.ftp.encoding;
}

bool holdsNoSeparator(const QByteArray &value) {
    for (const char c : value) {
        if (isSeparator(c) || c == '\n') {
            return false;
        }
    }
    return true;
}

void checkShape(const LoggerList &list, const QByteArray &input) {
    require(list.rows.size() <= static_cast<std::size_t>(LoggerList::kMaxRows),
            "more grid rows than the grid has",
            [&] { return show(input) + "\n" + describe(list); });
    for (const auto &row : list.rows) {
        for (const QByteArray &cell : row) {
            require(holdsNoSeparator(cell), "a grid cell holds a separator or line feed",
                    [&] { return show(input) + "\n" + describe(list); });
        }
    }
    for (const QByteArray *field : {&list.ftp.user, &list.ftp.password, &list.ftp.server}) {
        require(holdsNoSeparator(*field), "an FTP field holds a separator or line feed",
                [&] { return show(input) + "\n" + describe(list); });
    }
    // Cut or not, every field of a valid UTF-8 file is whole characters.
    if (isValidUtf8(input)) {
        for (const auto &row : list.rows) {
            for (const QByteArray &cell : row) {
                require(isValidUtf8(cell), "a UTF-8 grid cell ends inside a character",
                        [&] { return show(input) + "\n" + describe(list); });
            }
        }
        for (const QByteArray *field : {&list.ftp.user, &list.ftp.password, &list.ftp.server}) {
            require(isValidUtf8(*field), "a UTF-8 FTP field ends inside a character",
                    [&] { return show(input) + "\n" + describe(list); });
        }
    }
}

// The same file with bare LF line ends. The CR of a CR LF closes one more,
// empty, field at the end of the line. In the grid that field lands in a cell no
// other line writes, so the grid must not change. In the FTP fields it overwrites
// what an earlier line set, so there the CR LF file may hold an empty field where
// the LF file keeps the earlier value, and nothing else.
void checkLineEnds(const QByteArray &crlf, const LoggerList &crlfList) {
    const QByteArray lf = QByteArray(crlf).replace("\r\n", "\n");
    const LoggerList lfList = parseLoggerList(lf);
    checkShape(lfList, lf);
    const auto detail = [&] {
        return show(crlf) + "\nCR LF: " + describe(crlfList) + "\nLF:    " + describe(lfList);
    };
    require(lfList.rows == crlfList.rows, "CR LF and bare LF line ends fill the grid differently",
            detail);
    const QByteArray *const crlfFtp[] = {&crlfList.ftp.user, &crlfList.ftp.password,
                                         &crlfList.ftp.server};
    const QByteArray *const lfFtp[] = {&lfList.ftp.user, &lfList.ftp.password, &lfList.ftp.server};
    for (int i = 0; i < 3; ++i) {
        require(*crlfFtp[i] == *lfFtp[i] || crlfFtp[i]->isEmpty(),
                "CR LF and bare LF line ends give different FTP values", detail);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const LoggerList list = parseLoggerList(input);
    checkShape(list, input);

    const LoggerList expected = referenceParse(input);
    require(sameList(list, expected), "reader and line-by-line reading differ", [&] {
        return show(input) + "\nreader:    " + describe(list) +
               "\nreference: " + describe(expected);
    });

    // Line ends checked both ways: the input's CR LFs made bare, and its every LF made CR LF.
    checkLineEnds(input, list);
    const QByteArray crlf = QByteArray(input).replace("\n", "\r\n");
    const LoggerList crlfList = parseLoggerList(crlf);
    checkShape(crlfList, crlf);
    checkLineEnds(crlf, crlfList);
    return 0;
}
