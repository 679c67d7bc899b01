#include "loggers/loggerlist.h"

#include "loggers/target.h"

#include <algorithm>
#include <utility>

namespace {

enum class EntryKind { None, FtpServer, Logger };

bool isSeparator(char c) {
    return c == ',' || c == ':' || c == '\r';
}

// Walks the text once, keeping only positions: fields are slices of the text,
// copied out only when they land in a cell or an FTP field, so the cost stays
// linear however long a line is.
class ListReader {
public:
    explicit ListReader(ListEncoding encoding) { m_list.encoding = m_list.ftp.encoding = encoding; }

    LoggerList read(QByteArrayView text) {
        qsizetype lineStart = 0;
        qsizetype fieldStart = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\n') {
                // A field cut short by a bare line feed still counts; an empty
                // one (the usual CR LF case) is not a field at all.
                if (i > fieldStart) {
                    closeField(text.sliced(fieldStart, i - fieldStart));
                }
                lineStart = fieldStart = i + 1;
                if (!endLine()) {
                    noteLinesBeyondTheGrid(text.sliced(lineStart));
                    return std::move(m_list);
                }
            } else if (isSeparator(c)) {
                closeField(text.sliced(fieldStart, i - fieldStart));
                fieldStart = i + 1;
            }
        }
        // Text after the last line feed is read as if a line feed followed it.
        if (lineStart < text.size()) {
            if (fieldStart < text.size()) {
                closeField(text.sliced(fieldStart));
            }
            endLine();
        }
        return std::move(m_list);
    }

private:
    void closeField(QByteArrayView field) {
        m_lineHasText = m_lineHasText || !isBlank(field);
        if (m_fieldNumber > 0 && field.size() > LoggerList::kMaxFieldBytes) {
            field = field.first(keptBytes(field));
        }
        if (m_fieldNumber == 0) {
            // Checked in this order: a field holding both words is a logger.
            const bool ftp = field.contains("FTPSERVER");
            const bool logger = field.contains("LOGGER");
            if (ftp) {
                m_kind = EntryKind::FtpServer;
            }
            if (logger) {
                m_kind = EntryKind::Logger;
            }
            m_unknownKeyword = !ftp && !logger && !isBlank(field);
            if (m_unknownKeyword) {
                doubt(LoggerList::Doubt::Kind::UnknownKeyword, field,
                      m_kind == EntryKind::None ? LoggerList::Doubt::Effect::Ignored
                                                : LoggerList::Doubt::Effect::ContinuesTheEntry);
            }
        } else if (m_fieldNumber <= 3) {
            // Fields past the third have nowhere to go and are ignored.
            if (m_kind == EntryKind::Logger) {
                targetRow()[m_fieldNumber - 1] = field.toByteArray();
            } else if (m_kind == EntryKind::FtpServer) {
                QByteArray *const ftp[] = {&m_list.ftp.user, &m_list.ftp.password,
                                           &m_list.ftp.server};
                *ftp[m_fieldNumber - 1] = field.toByteArray();
            }
        }
        ++m_fieldNumber;
    }

    // A UTF-8 character the limit falls inside is left out whole: its bytes before the
    // limit alone would show as a broken character. A character has at most three
    // bytes after its first.
    qsizetype keptBytes(QByteArrayView field) const {
        qsizetype kept = LoggerList::kMaxFieldBytes;
        if (m_list.encoding == ListEncoding::Utf8) {
            for (int n = 0; n < 3 && (static_cast<unsigned char>(field[kept]) & 0xC0) == 0x80;
                 ++n) {
                --kept;
            }
        }
        return kept;
    }

    std::array<QByteArray, 3> &targetRow() {
        if (m_list.rows.size() < m_targetRow) {
            m_list.rows.resize(m_targetRow);
        }
        return m_list.rows[m_targetRow - 1];
    }

    // Returns false once the grid is full: nothing after that line is read.
    bool endLine() {
        if (m_kind == EntryKind::Logger) {
            // A logger line occupies its row even when it fills no cell.
            const std::array<QByteArray, 3> &row = targetRow();
            if (m_lineHasText && !m_unknownKeyword) {
                checkAddress(row);
            }
            ++m_targetRow;
        }
        m_fieldNumber = 0;
        m_unknownKeyword = false;
        m_lineHasText = false;
        ++m_line;
        return m_targetRow <= LoggerList::kMaxRows;
    }

    // A logger row the operator cannot connect to: no host, or a port that is no number.
    void checkAddress(const std::array<QByteArray, 3> &row) {
        if (isBlank(row[1])) {
            doubt(LoggerList::Doubt::Kind::EmptyHost, {});
        }
        // Decoded as the grid shows it, and judged by the rule Connect applies.
        if (!parsePort(decodeListText(row[2], m_list.encoding))) {
            doubt(LoggerList::Doubt::Kind::PortNotANumber, row[2]);
        }
    }

    // The lines after the 39th logger are not read; those that hold anything are told.
    void noteLinesBeyondTheGrid(QByteArrayView rest) {
        while (!rest.isEmpty()) {
            const qsizetype end = rest.indexOf('\n');
            const QByteArrayView line = end < 0 ? rest : rest.first(end);
            if (!isBlank(line)) {
                doubt(LoggerList::Doubt::Kind::BeyondTheGrid, {});
            }
            ++m_line;
            rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        }
    }

    void doubt(LoggerList::Doubt::Kind kind, QByteArrayView text,
               LoggerList::Doubt::Effect effect = LoggerList::Doubt::Effect::None) {
        if (static_cast<int>(m_list.doubts.size()) < LoggerList::kMaxDoubts) {
            m_list.doubts.push_back({m_line, kind, effect, text.toByteArray()});
        } else {
            ++m_list.unlistedDoubts;
        }
    }

    static bool isBlank(QByteArrayView text) {
        return std::all_of(text.begin(), text.end(),
                           [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
    }

    LoggerList m_list;
    EntryKind m_kind = EntryKind::None; // set by keyword lines only, kept across lines
    qsizetype m_fieldNumber = 0;
    std::size_t m_targetRow = 1;
    int m_line = 1;
    bool m_unknownKeyword = false; // the line's keyword field holds neither keyword
    bool m_lineHasText = false;    // a field of the line holds more than blanks
};

} // namespace

LoggerList parseLoggerList(QByteArrayView text) {
    const ListEncoding encoding = detectListEncoding(text);
    if (text.startsWith(kUtf8ByteOrderMark)) {
        text = text.sliced(kUtf8ByteOrderMark.size());
    }
    return ListReader(encoding).read(text);
}
