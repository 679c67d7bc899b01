#include "loggers/loggerlist.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Row = std::array<QByteArray, 3>;
using Rows = std::vector<Row>;

// Literal bytes with embedded NULs kept (a plain const char * stops at the first NUL).
template <std::size_t N> QByteArray raw(const char (&s)[N]) {
    return QByteArray(s, static_cast<qsizetype>(N - 1));
}

std::string show(const QByteArray &bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            out += c;
        } else {
            static const char hex[] = "0123456789ABCDEF";
            out += "\\x";
            out += hex[b >> 4];
            out += hex[b & 0xF];
        }
    }
    return out + "\"";
}

std::string show(const LoggerList &list) {
    std::string out = "rows " + std::to_string(list.rows.size()) + ":";
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        out += "\n  " + std::to_string(i + 1) + ": " + show(list.rows[i][0]) + " " +
               show(list.rows[i][1]) + " " + show(list.rows[i][2]);
    }
    const auto name = [](ListEncoding e) {
        return e == ListEncoding::Utf8 ? std::string("UTF-8") : std::string("Windows-1252");
    };
    return out + "\n  ftp: " + show(list.ftp.user) + " " + show(list.ftp.password) + " " +
           show(list.ftp.server) + " (" + name(list.ftp.encoding) + ")\n  " + name(list.encoding);
}

::testing::AssertionResult sameList(const LoggerList &actual, const LoggerList &expected) {
    if (actual.rows == expected.rows && actual.ftp.user == expected.ftp.user &&
        actual.ftp.password == expected.ftp.password && actual.ftp.server == expected.ftp.server &&
        actual.encoding == expected.encoding && actual.ftp.encoding == expected.ftp.encoding) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "\nactual:   " << show(actual) << "\nexpected: " << show(expected);
}

LoggerList listOf(Rows rows, QByteArray user = {}, QByteArray pass = {}, QByteArray server = {},
                  ListEncoding encoding = ListEncoding::Windows1252) {
    LoggerList list;
    list.encoding = list.ftp.encoding = encoding;
    list.rows = std::move(rows);
    list.ftp.user = std::move(user);
    list.ftp.password = std::move(pass);
    list.ftp.server = std::move(server);
    return list;
}

QByteArray toBareLf(QByteArray text) {
    return text.replace("\r\n", "\n");
}

QByteArray loggerLine(int n) {
    return "LOGGER:L" + QByteArray::number(n) + ",10.0.0." + QByteArray::number(n) + "," +
           QByteArray::number(4000 + n) + "\r\n";
}

Row loggerRow(int n) {
    return {"L" + QByteArray::number(n), "10.0.0." + QByteArray::number(n),
            QByteArray::number(4000 + n)};
}

QByteArray loggerLines(int first, int last) {
    QByteArray text;
    for (int n = first; n <= last; ++n) {
        text += loggerLine(n);
    }
    return text;
}

Rows loggerRows(int first, int last) {
    Rows rows;
    for (int n = first; n <= last; ++n) {
        rows.push_back(loggerRow(n));
    }
    return rows;
}

Rows operator+(Rows a, const Rows &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Case {
    const char *name;
    QByteArray text; // CR LF line ends throughout
    LoggerList expected;
};

// Files written the usual way, with CR LF line ends. Their bare-LF twins and
// their copies without the final line feed are checked against the same results.
std::vector<Case> crlfCases() {
    return {
        {"well formed",
         "FTPSERVER:user,pass,ftp.example.com\r\nLOGGER:A,1.2.3.4,4001\r\n"
         "LOGGER:B,host.b,4002\r\n",
         listOf({{"A", "1.2.3.4", "4001"}, {"B", "host.b", "4002"}}, "user", "pass",
                "ftp.example.com")},
        {"only an FTPSERVER line", "FTPSERVER:u,p,s\r\n", listOf({}, "u", "p", "s")},
        {"blank line after a logger line occupies an empty row",
         "LOGGER:A,1.2.3.4,4001\r\n\r\nLOGGER:B,h,5\r\n",
         listOf({{"A", "1.2.3.4", "4001"}, {}, {"B", "h", "5"}})},
        {"blank lines at the end still occupy rows", "LOGGER:A,h,1\r\n\r\n\r\n",
         listOf({{"A", "h", "1"}, {}, {}})},
        {"keyword-less line after a logger line fills the next row from its field 1",
         "LOGGER:A,h,1\r\nX:B,h2,2\r\nC,h3,3\r\n",
         listOf({{"A", "h", "1"}, {"B", "h2", "2"}, {"h3", "3", ""}})},
        {"keyword line alone occupies an empty row", "LOGGER\r\nx:A,h,1\r\n",
         listOf({{}, {"A", "h", "1"}})},
        {"keyword with characters around it", "xxLOGGERyy:A,h,1\r\n# LOGGER 2 :B,g,2\r\n",
         listOf({{"A", "h", "1"}, {"B", "g", "2"}})},
        {"keyword with characters around it for FTP", "my FTPSERVER entry:u,p,s\r\n",
         listOf({}, "u", "p", "s")},
        {"lower or mixed case keywords do not count",
         "logger:A,h,1\r\nLogger:B,h,2\r\nftpserver:u,p,s\r\nFtpServer:u,p,s\r\n", listOf({})},
        {"a field holding both keywords is a logger", "FTPSERVER LOGGER:A,h,1\r\n",
         listOf({{"A", "h", "1"}})},
        {"both keywords in the other order is a logger too", "LOGGERFTPSERVER:A,h,1\r\n",
         listOf({{"A", "h", "1"}})},
        {"keyword only counts in field 0", "x:LOGGER,h,1\r\nx:u,FTPSERVER,s\r\n", listOf({})},
        {"spaces and tabs stay part of a value",
         "LOGGER:A, 1.2.3.4, 4001\r\n LOGGER\t: B ,\th\t,2 \r\n",
         listOf({{"A", " 1.2.3.4", " 4001"}, {" B ", "\th\t", "2 "}})},
        {"colon inside a value splits it", "LOGGER:A,host:8080,4001\r\n",
         listOf({{"A", "host", "8080"}})},
        {"carriage return inside a line is a separator", "LOGGER:A\rh\r1\r\n",
         listOf({{"A", "h", "1"}})},
        {"empty fields are written empty", "LOGGER:,,4001\r\nLOGGER:B\r\n",
         listOf({{"", "", "4001"}, {"B", "", ""}})},
        {"second FTPSERVER line overwrites only the fields it carries",
         "FTPSERVER:u1,p1,s1\r\nFTPSERVER:u2\r\n", listOf({}, "u2", "p1", "s1")},
        {"second FTPSERVER line with two fields", "FTPSERVER:u1,p1,s1\r\nFTPSERVER:u2,p2\r\n",
         listOf({}, "u2", "p2", "s1")},
        {"second FTPSERVER line that carries an empty field clears it",
         "FTPSERVER:u1,p1,s1\r\nFTPSERVER:,p2\r\n", listOf({}, "", "p2", "s1")},
        {"keyword-less line after FTPSERVER overwrites the FTP fields",
         "FTPSERVER:u1,p1,s1\r\nnothing:u2,p2,s2\r\n", listOf({}, "u2", "p2", "s2")},
        {"keyword-less line after FTPSERVER with fewer fields",
         "FTPSERVER:u1,p1,s1\r\nnothing:u2\r\n", listOf({}, "u2", "p1", "s1")},
        {"blank line after FTPSERVER changes nothing and takes no row",
         "FTPSERVER:u,p,s\r\n\r\n\r\nLOGGER:A,h,1\r\n", listOf({{"A", "h", "1"}}, "u", "p", "s")},
        {"FTPSERVER between loggers takes no row",
         "LOGGER:A,h,1\r\nFTPSERVER:u,p,s\r\nLOGGER:B,g,2\r\n",
         listOf({{"A", "h", "1"}, {"B", "g", "2"}}, "u", "p", "s")},
        {"keyword-less line after loggers then FTPSERVER goes to FTP",
         "LOGGER:A,h,1\r\nFTPSERVER:u,p,s\r\nx:v,q,t\r\n",
         listOf({{"A", "h", "1"}}, "v", "q", "t")},
        {"lines before any keyword are ignored", "A,h,1\r\nheader line\r\n\r\nLOGGER:B,h,2\r\n",
         listOf({{"B", "h", "2"}})},
        {"logger fields past the third are ignored",
         "LOGGER:A,h,1,extra,more:yet\r\nLOGGER:B,g,2\r\n",
         listOf({{"A", "h", "1"}, {"B", "g", "2"}})},
        {"FTP fields past the third are ignored", "FTPSERVER:u,p,s,x,y\r\n",
         listOf({}, "u", "p", "s")},
        {"line of separators only after a logger", "LOGGER:A,h,1\r\n,,,\r\n:\r\n",
         listOf({{"A", "h", "1"}, {"", "", ""}, {"", "", ""}})},
        {"39 loggers then FTPSERVER: FTP line not read", loggerLines(1, 39) + "FTPSERVER:u,p,s\r\n",
         listOf(loggerRows(1, 39))},
        {"40 loggers: the 40th is not shown", loggerLines(1, 40), listOf(loggerRows(1, 39))},
        {"FTPSERVER first then 39 loggers", "FTPSERVER:u,p,s\r\n" + loggerLines(1, 39),
         listOf(loggerRows(1, 39), "u", "p", "s")},
        {"FTPSERVER in the middle of 39 loggers",
         loggerLines(1, 20) + "FTPSERVER:u,p,s\r\n" + loggerLines(21, 39),
         listOf(loggerRows(1, 39), "u", "p", "s")},
        {"FTPSERVER in the middle of 45 loggers",
         loggerLines(1, 20) + "FTPSERVER:u,p,s\r\n" + loggerLines(21, 45),
         listOf(loggerRows(1, 39), "u", "p", "s")},
        {"keyword-less line after 38 loggers takes row 39",
         loggerLines(1, 38) + "x:A,h,1\r\nFTPSERVER:u,p,s\r\n",
         listOf(loggerRows(1, 38) + Rows{{"A", "h", "1"}})},
        {"blank line counts towards the 39 rows",
         loggerLines(1, 20) + "\r\n" + loggerLines(21, 40) + "FTPSERVER:u,p,s\r\n",
         listOf(loggerRows(1, 20) + Rows{{}} + loggerRows(21, 38))},
    };
}

void PrintTo(const Case &c, std::ostream *os) {
    *os << c.name;
}

class LoggerListCases : public ::testing::TestWithParam<Case> {};

TEST_P(LoggerListCases, CrLfFile) {
    EXPECT_TRUE(sameList(parseLoggerList(GetParam().text), GetParam().expected));
}

TEST_P(LoggerListCases, BareLfTwinGivesTheSameResult) {
    const QByteArray lf = toBareLf(GetParam().text);
    EXPECT_TRUE(sameList(parseLoggerList(lf), GetParam().expected));
}

TEST_P(LoggerListCases, MissingFinalLineFeedGivesTheSameResult) {
    const QByteArray &text = GetParam().text;
    ASSERT_TRUE(text.endsWith('\n'));
    EXPECT_TRUE(sameList(parseLoggerList(text.chopped(1)), GetParam().expected));
    // Without CRs the last line loses its only terminator; a blank last line
    // then vanishes altogether, so only cut lines that have text.
    const QByteArray lf = toBareLf(text);
    if (!lf.endsWith("\n\n")) {
        EXPECT_TRUE(sameList(parseLoggerList(lf.chopped(1)), GetParam().expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, LoggerListCases, ::testing::ValuesIn(crlfCases()),
                         [](const ::testing::TestParamInfo<Case> &info) {
                             std::string name;
                             for (const char *p = info.param.name; *p; ++p) {
                                 const char c = *p;
                                 const bool alnum = (c >= 'a' && c <= 'z') ||
                                                    (c >= 'A' && c <= 'Z') ||
                                                    (c >= '0' && c <= '9');
                                 name += alnum ? c : '_';
                             }
                             return name;
                         });

TEST(LoggerList, FilesWithoutEntries) {
    const char *const texts[] = {"", "\n", "\r\n", "\n\n\r\n\r", "\r", ",:,", "just text"};
    for (const char *text : texts) {
        SCOPED_TRACE(show(QByteArray(text)));
        EXPECT_TRUE(sameList(parseLoggerList(text), listOf({})));
    }
}

TEST(LoggerList, BareLineFeedStillFillsThePort) {
    EXPECT_TRUE(
        sameList(parseLoggerList("LOGGER:A,1.2.3.4,4001\n"), listOf({{"A", "1.2.3.4", "4001"}})));
    EXPECT_TRUE(sameList(parseLoggerList("FTPSERVER:u,p,ftp.example.com\n"),
                         listOf({}, "u", "p", "ftp.example.com")));
}

TEST(LoggerList, FinalLineWithoutLineFeedIsRead) {
    const struct {
        const char *text;
        LoggerList expected;
    } cases[] = {
        {"LOGGER:A,h,1\r\nLOGGER:B,g,2", listOf({{"A", "h", "1"}, {"B", "g", "2"}})},
        {"LOGGER:A,h,1\r\nLOGGER:B,g,2\r", listOf({{"A", "h", "1"}, {"B", "g", "2"}})},
        {"LOGGER:A,h,1\r\nLOGGER:B,g,", listOf({{"A", "h", "1"}, {"B", "g", ""}})},
        {"LOGGER:A,h,1", listOf({{"A", "h", "1"}})},
        {"LOGGER", listOf({{}})},
        {"FTPSERVER:u,p,s", listOf({}, "u", "p", "s")},
        // A lone CR after a logger line is a blank line: it occupies a row.
        {"LOGGER:A,h,1\r\n\r", listOf({{"A", "h", "1"}, {}})},
        // Nothing after the last line feed: no extra row.
        {"LOGGER:A,h,1\n", listOf({{"A", "h", "1"}})},
        {"no keyword at all", listOf({})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(sameList(parseLoggerList(c.text), c.expected));
    }
}

TEST(LoggerList, EmptyPendingFieldAtBareLineFeedIsNoField) {
    // With CR LF the CR closes an empty third field and clears the password;
    // with a bare LF the empty text before it is not a field, so the earlier
    // password stays.
    EXPECT_TRUE(sameList(parseLoggerList("FTPSERVER:u1,p1,s1\r\nFTPSERVER:u2,\r\n"),
                         listOf({}, "u2", "", "s1")));
    EXPECT_TRUE(sameList(parseLoggerList("FTPSERVER:u1,p1,s1\nFTPSERVER:u2,\n"),
                         listOf({}, "u2", "p1", "s1")));
    // A CR LF line gains no fourth field from the empty text between CR and LF:
    // the keyword-less line overwrites exactly three FTP fields and no more.
    EXPECT_TRUE(sameList(parseLoggerList("FTPSERVER:u,p,s\r\nx:a\r\n"), listOf({}, "a", "p", "s")));
}

TEST(LoggerList, MixedLineEnds) {
    const QByteArray text = "FTPSERVER:u,p,s\nLOGGER:A,h,1\r\nLOGGER:B,g,2\n\nLOGGER:C,f,3\r\n"
                            "\r\nLOGGER:D,e,4";
    EXPECT_TRUE(sameList(
        parseLoggerList(text),
        listOf({{"A", "h", "1"}, {"B", "g", "2"}, {}, {"C", "f", "3"}, {}, {"D", "e", "4"}}, "u",
               "p", "s")));
}

TEST(LoggerList, EightBitBytesAreKeptExactly) {
    const QByteArray text = raw("FTPSERVER:us\xF1r,p\0ss,\xFF\x80\r\nLOGGER:Pe\xF1"
                                "a\x80,h\0st,\xFF\0\r\n");
    EXPECT_TRUE(
        sameList(parseLoggerList(text), listOf({{raw("Pe\xF1"
                                                     "a\x80"),
                                                 raw("h\0st"), raw("\xFF\0")}},
                                               raw("us\xF1r"), raw("p\0ss"), raw("\xFF\x80"))));

    // NUL inside the keyword field does not hide the keyword.
    EXPECT_TRUE(sameList(parseLoggerList(raw("\0LOGGER\0:A,h,1\r\n")), listOf({{"A", "h", "1"}})));

    // Every byte other than the three separators and the line feed belongs to
    // the value, including NUL, the other control bytes and 0x80..0xFF.
    QByteArray every;
    for (int b = 0; b < 256; ++b) {
        if (b != ',' && b != ':' && b != '\r' && b != '\n') {
            every.append(static_cast<char>(b));
        }
    }
    ASSERT_EQ(every.size(), 252);
    const LoggerList list = parseLoggerList("LOGGER:" + every + "," + every + "\r\n");
    EXPECT_TRUE(sameList(list, listOf({{every, every, ""}})));
}

TEST(LoggerList, TextBeyond32766CharactersIsRead) {
    QByteArray text;
    while (text.size() <= 40000) {
        text += "comment line before the list\r\n";
    }
    text += "FTPSERVER:u,p,s\r\nLOGGER:A,h,1\r\n";
    EXPECT_TRUE(sameList(parseLoggerList(text), listOf({{"A", "h", "1"}}, "u", "p", "s")));
}

TEST(LoggerList, HundredThousandLines) {
    // Keyword-less lines are walked to the end; the logger after them is read.
    QByteArray text;
    for (int i = 0; i < 100000; ++i) {
        text += "comment " + QByteArray::number(i) + ",a:b,c\r\n";
    }
    text += "LOGGER:A,h,1\r\n";
    EXPECT_TRUE(sameList(parseLoggerList(text), listOf({{"A", "h", "1"}})));

    // 100,000 FTP lines: the last one wins field by field.
    QByteArray ftp;
    for (int i = 0; i < 100000; ++i) {
        ftp += "FTPSERVER:u" + QByteArray::number(i) + ",p" + QByteArray::number(i) + "\n";
    }
    ftp += "FTPSERVER:,,server";
    EXPECT_TRUE(sameList(parseLoggerList(ftp), listOf({}, "", "", "server")));
    EXPECT_TRUE(sameList(parseLoggerList(ftp.chopped(19)), listOf({}, "u99999", "p99999", "")));

    // 100,000 logger lines: only the first 39 reach the grid.
    QByteArray loggers;
    for (int n = 1; n <= 100000; ++n) {
        loggers += loggerLine(n);
    }
    EXPECT_TRUE(sameList(parseLoggerList(loggers), listOf(loggerRows(1, 39))));
}

TEST(LoggerList, OneHugeLineWithoutLineEnd) {
    // Fields keep their first 256 bytes, whatever the file holds.
    const QByteArray id(8 * 1024 * 1024, 'x');
    const QByteArray kept = id.first(LoggerList::kMaxFieldBytes);
    EXPECT_TRUE(sameList(parseLoggerList("LOGGER:" + id + ",h" + id + ",1"),
                         listOf({{kept, "h" + kept.chopped(1), "1"}})));
    EXPECT_TRUE(
        sameList(parseLoggerList("FTPSERVER:" + id + ",p,s\r\n"), listOf({}, kept, "p", "s")));

    // A huge keyword field with the keyword at its very end.
    EXPECT_TRUE(sameList(parseLoggerList(id + "LOGGER:A,h,1"), listOf({{"A", "h", "1"}})));

    // A million fields on one line: the first three are kept, the rest ignored.
    QByteArray fields = "FTPSERVER";
    fields.reserve(8 * 1000000);
    for (int i = 0; i < 1000000; ++i) {
        fields += ",f" + QByteArray::number(i);
    }
    EXPECT_TRUE(sameList(parseLoggerList(fields), listOf({}, "f0", "f1", "f2")));

    // One huge line of no kind at all is read and changes nothing.
    EXPECT_TRUE(sameList(parseLoggerList(id), listOf({})));
}

// The same names saved by a Linux editor (UTF-8) and by the Windows PCs (one byte each).
const QByteArray kUtf8List = "FTPSERVER:se\xC3\xB1or,p,ftp.example.net\r\n"
                             "LOGGER:Estaci\xC3\xB3n,h,1\r\nLOGGER:Z\xC3\xBCrich,g,2\r\n";
const QByteArray kWindowsList = "FTPSERVER:se\xF1or,p,ftp.example.net\r\n"
                                "LOGGER:Estaci\xF3n,h,1\r\nLOGGER:Z\xFCrich,g,2\r\n";

TEST(LoggerListEncoding, Utf8WithOrWithoutByteOrderMark) {
    const LoggerList expected = listOf({{"Estaci\xC3\xB3n", "h", "1"}, {"Z\xC3\xBCrich", "g", "2"}},
                                       "se\xC3\xB1or", "p", "ftp.example.net", ListEncoding::Utf8);
    for (const QByteArray &text : {kUtf8List, "\xEF\xBB\xBF" + kUtf8List}) {
        SCOPED_TRACE(show(text));
        const LoggerList list = parseLoggerList(text);
        EXPECT_TRUE(sameList(list, expected));
        EXPECT_EQ(decodeListText(list.rows[0][0], list.encoding), QStringLiteral("Estación"));
        EXPECT_EQ(decodeListText(list.rows[1][0], list.encoding), QStringLiteral("Zürich"));
        EXPECT_EQ(decodeListText(list.ftp.user, list.ftp.encoding), QStringLiteral("señor"));
    }
    // The mark decides even when a broken sequence follows; that one shows as U+FFFD.
    const LoggerList marked = parseLoggerList("\xEF\xBB\xBFLOGGER:Estaci\xF3n,h,1\r\n");
    EXPECT_TRUE(
        sameList(marked, listOf({{"Estaci\xF3n", "h", "1"}}, {}, {}, {}, ListEncoding::Utf8)));
    EXPECT_EQ(decodeListText(marked.rows[0][0], marked.encoding), QStringLiteral("Estaci\uFFFDn"));
}

TEST(LoggerListEncoding, WindowsListReadsAsBefore) {
    const LoggerList list = parseLoggerList(kWindowsList);
    EXPECT_TRUE(sameList(list, listOf({{"Estaci\xF3n", "h", "1"}, {"Z\xFCrich", "g", "2"}},
                                      "se\xF1or", "p", "ftp.example.net")));
    EXPECT_EQ(decodeListText(list.rows[0][0], list.encoding), QStringLiteral("Estación"));
    EXPECT_EQ(decodeListText(list.ftp.user, list.ftp.encoding), QStringLiteral("señor"));
    EXPECT_EQ(decodeListText("\x80\x81\xFF", list.encoding), QStringLiteral("\u20AC\u0081\u00FF"));
}

TEST(LoggerListEncoding, OneBrokenSequenceMakesTheFileWindows1252) {
    // Each flaw in an otherwise UTF-8 file; the bytes are kept as they are.
    const char *const flaws[] = {// overlong forms
                                 "\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF", "\xF0\x8F\xBF\xBF",
                                 // surrogates
                                 "\xED\xA0\x80", "\xED\xBF\xBF",
                                 // beyond U+10FFFF, or no lead byte at all
                                 "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "\x80",
                                 // cut short
                                 "\xE2\x82", "\xE2\x82x", "\xF0\x9F\x98"};
    for (const char *flaw : flaws) {
        SCOPED_TRACE(show(flaw));
        const QByteArray text = "LOGGER:Estaci\xC3\xB3n," + QByteArray(flaw) + ",1";
        EXPECT_TRUE(sameList(parseLoggerList(text), listOf({{"Estaci\xC3\xB3n", flaw, "1"}})));
    }
    // The limits themselves are UTF-8.
    for (const char *edge : {"\xC2\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xF4\x8F\xBF\xBF"}) {
        SCOPED_TRACE(show(edge));
        EXPECT_EQ(parseLoggerList("LOGGER:A," + QByteArray(edge)).encoding, ListEncoding::Utf8);
    }
}

TEST(LoggerListEncoding, LimitNeverSplitsAUtf8Character) {
    const QByteArray characters[] = {"\xC3\xB3", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    for (const QByteArray &ch : characters) {
        for (qsizetype at = LoggerList::kMaxFieldBytes - ch.size(); at < LoggerList::kMaxFieldBytes;
             ++at) {
            SCOPED_TRACE(show(ch) + " at " + std::to_string(at));
            const QByteArray field = QByteArray(at, 'a') + ch + "zz";
            const qsizetype kept =
                at + ch.size() <= LoggerList::kMaxFieldBytes ? at + ch.size() : at;
            EXPECT_TRUE(
                sameList(parseLoggerList("LOGGER:A," + field),
                         listOf({{"A", field.first(kept), ""}}, {}, {}, {}, ListEncoding::Utf8)));
            // In a Windows-1252 file each byte is a character: the limit is exact.
            EXPECT_TRUE(sameList(parseLoggerList("LOGGER:\xFF," + field),
                                 listOf({{"\xFF", field.first(LoggerList::kMaxFieldBytes), ""}})));
        }
    }
}

} // namespace

// Lines read as the file says but probably not meant so: each told with its line number, the
// grid filled as ever.
TEST(LoggerListDoubts, EachDoubtfulLineIsToldWithItsNumber) {
    using Kind = LoggerList::Doubt::Kind;
    using Effect = LoggerList::Doubt::Effect;
    QByteArray text = "# a list\r\n"                  // 1: before any keyword: ignored
                      "FTPSERVER:u,p,s\r\n"           // 2
                      "LOGGER:Weir,10.0.0.1,40x1\r\n" // 3: the port is no number
                      "LOGGER:Pump,,4001\r\n"         // 4: no host
                      "LOGER:Typo,10.0.0.3,4003\r\n"  // 5: continues the logger above
                      "\r\n"                          // 6: a blank row, as ever
                      "LOGGER:Short,10.0.0.4\r\n";    // 7: no port
    for (int i = 8; i <= 43; ++i) {                   // rows 6..39, then two more
        text +=
            "LOGGER:L" + QByteArray::number(i) + ",10.0.1." + QByteArray::number(i) + ",4001\r\n";
    }
    text += "\r\nFTPSERVER:late,p,s\r\n"; // 44 blank; 45 not read
    const LoggerList list = parseLoggerList(text);
    EXPECT_EQ(list.rows.size(), 39u);
    EXPECT_EQ(list.rows[2][0], "Typo"); // the grid is filled as it always was
    EXPECT_EQ(list.ftp.user, "u");
    struct Expected {
        int line;
        Kind kind;
        Effect effect;
        QByteArray text;
    };
    const std::vector<Expected> expected = {
        {1, Kind::UnknownKeyword, Effect::Ignored, "# a list"},
        {3, Kind::PortNotANumber, Effect::None, "40x1"},
        {4, Kind::EmptyHost, Effect::None, ""},
        {5, Kind::UnknownKeyword, Effect::ContinuesTheEntry, "LOGER"},
        {7, Kind::PortNotANumber, Effect::None, ""},
        {42, Kind::BeyondTheGrid, Effect::None, ""},
        {43, Kind::BeyondTheGrid, Effect::None, ""},
        {45, Kind::BeyondTheGrid, Effect::None, ""},
    };
    ASSERT_EQ(list.doubts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list.doubts[i].line, expected[i].line);
        EXPECT_EQ(list.doubts[i].kind, expected[i].kind);
        EXPECT_EQ(list.doubts[i].effect, expected[i].effect);
        EXPECT_EQ(list.doubts[i].text, expected[i].text);
    }

    // A file of nothing but doubtful lines lists the first ones and counts the rest.
    const LoggerList noisy = parseLoggerList(QByteArray("junk\n").repeated(1000));
    EXPECT_EQ(noisy.doubts.size(), static_cast<std::size_t>(LoggerList::kMaxDoubts));
    EXPECT_EQ(noisy.unlistedDoubts, 1000 - LoggerList::kMaxDoubts);
}
