#include "tavctl/paramsfile.h"

#include "base/filereader.h"
#include "tavctl/texts.h"

#include <QSaveFile>
#include <QSet>

namespace tavctl {
namespace {

// Leaves room for a suffix and the extension in the usual 255-byte limit.
constexpr qsizetype kMaxNameBytes = 200;

bool unsafe(QChar ch) {
    return ch.category() == QChar::Other_Control || QStringView(u"/\\:*?\"<>|").contains(ch);
}

} // namespace

std::optional<QString> writeParamsFile(const QString &path,
                                       const std::vector<ParameterPair> &pairs) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    for (const auto &[name, value] : pairs) {
        file.write(name + ':' + value + '\n');
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

ParamsRead readParamsFile(const QString &path) {
    const FileRead read = readWholeFile(path);
    if (read.status == FileRead::Status::Missing) {
        return {{}, texts::noSuchFile(path)};
    }
    if (read.status == FileRead::Status::Unreadable) {
        return {{}, texts::cannotRead(path, read.reason)};
    }
    ParamsRead out;
    const QList<QByteArray> lines = read.bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.isEmpty()) {
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) {
            return {{}, texts::badParamsLine(path, static_cast<int>(i) + 1)};
        }
        out.pairs.emplace_back(line.first(colon), line.sliced(colon + 1));
    }
    return out;
}

QStringList safeFileNames(const std::vector<LoggerEntry> &loggers) {
    QStringList names;
    QSet<QString> taken;
    for (const LoggerEntry &logger : loggers) {
        QString name;
        for (const QChar ch : logger.identifier) {
            name += unsafe(ch) ? QChar(u'_') : ch;
        }
        while (name.toUtf8().size() > kMaxNameBytes ||
               (!name.isEmpty() && name.back().isHighSurrogate())) {
            name.chop(1);
        }
        if (name.startsWith(u'.')) {
            name[0] = u'_';
        }
        if (name.isEmpty()) {
            name = QStringLiteral("row%1").arg(logger.row);
        }
        if (taken.contains(name)) {
            name += QStringLiteral("-row%1").arg(logger.row);
        }
        taken.insert(name);
        names << name;
    }
    return names;
}

} // namespace tavctl
