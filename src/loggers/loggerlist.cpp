#include "loggers/loggerlist.h"

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
        if (m_fieldNumber > 0 && field.size() > LoggerList::kMaxFieldBytes) {
            field = field.first(keptBytes(field));
        }
        if (m_fieldNumber == 0) {
            // Checked in this order: a field holding both words is a logger.
            if (field.contains("FTPSERVER")) {
                m_kind = EntryKind::FtpServer;
            }
            if (field.contains("LOGGER")) {
                m_kind = EntryKind::Logger;
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
            targetRow(); // a logger line occupies its row even when it fills no cell
            ++m_targetRow;
        }
        m_fieldNumber = 0;
        return m_targetRow <= LoggerList::kMaxRows;
    }

    LoggerList m_list;
    EntryKind m_kind = EntryKind::None; // set by keyword lines only, kept across lines
    qsizetype m_fieldNumber = 0;
    std::size_t m_targetRow = 1;
};

} // namespace

LoggerList parseLoggerList(QByteArrayView text) {
    const ListEncoding encoding = detectListEncoding(text);
    if (text.startsWith(kUtf8ByteOrderMark)) {
        text = text.sliced(kUtf8ByteOrderMark.size());
    }
    return ListReader(encoding).read(text);
}
