#include "tavctl/report.h"

#include "base/text8.h"
#include "tavctl/texts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavctl {
namespace {

QString terminalSafe(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        // C0, DEL and C1: a terminal would act on them.
        if (ch.category() == QChar::Other_Control) {
            out += QStringLiteral("\\x%1").arg(static_cast<int>(ch.unicode()), 2, 16,
                                               QLatin1Char('0'));
        } else {
            out += ch;
        }
    }
    return out;
}

QString address(const LoggerEntry &logger) {
    if (logger.target) {
        return QStringLiteral("%1:%2").arg(logger.target->host).arg(logger.target->port);
    }
    return logger.hostText + QLatin1Char(':') + logger.portText;
}

QJsonValue port(const LoggerEntry &logger) {
    return logger.target ? QJsonValue(logger.target->port) : QJsonValue();
}

QJsonArray lines(const std::vector<ReplyText> &texts, bool trace, bool operation) {
    QJsonArray out;
    for (const ReplyText &text : texts) {
        if (text.operation ? operation : trace) {
            out.append(text8::toDisplay(text.text));
        }
    }
    return out;
}

QByteArray compact(const QJsonObject &object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

QByteArray terminalBlock(const LoggerResult &result) {
    QString out = terminalSafe(result.logger.identifier) + QStringLiteral("  ") +
                  terminalSafe(address(result.logger)) + QStringLiteral("  ") +
                  (result.ok ? texts::kOk : result.error);
    if (result.connectMs) {
        out += QStringLiteral("  ") + texts::connectedIn(*result.connectMs);
    }
    out += QLatin1Char('\n');
    for (const auto *texts : {&result.greeting, &result.reply, &result.goodbye}) {
        for (const ReplyText &text : *texts) {
            out += text.operation ? QStringLiteral("  > ") : QStringLiteral("    ");
            out += terminalSafe(text8::toDisplay(text.text)) + QLatin1Char('\n');
        }
    }
    if (result.linesNotKept > 0) {
        out +=
            QStringLiteral("    ") + texts::linesNotKept(result.linesNotKept) + QLatin1Char('\n');
    }
    return out.toUtf8();
}

QByteArray jsonLine(const LoggerResult &result, bool parameters) {
    QJsonObject object{
        {QStringLiteral("logger"), result.logger.identifier},
        {QStringLiteral("host"),
         result.logger.target ? result.logger.target->host : result.logger.hostText},
        {QStringLiteral("port"), port(result.logger)},
        {QStringLiteral("ok"), result.ok},
        {QStringLiteral("error"), result.ok ? QJsonValue() : QJsonValue(result.error)},
        {QStringLiteral("connect_ms"),
         result.connectMs ? QJsonValue(*result.connectMs) : QJsonValue()},
        {QStringLiteral("greeting"), lines(result.greeting, true, true)},
        {QStringLiteral("trace"), lines(result.reply, true, false)},
        {QStringLiteral("operation"), lines(result.reply, false, true)},
        {QStringLiteral("goodbye"), lines(result.goodbye, true, true)},
    };
    if (result.linesNotKept > 0) {
        object.insert(QStringLiteral("lines_not_kept"), result.linesNotKept);
    }
    if (parameters) {
        QJsonArray pairs;
        for (const auto &[name, value] : result.parameters) {
            pairs.append(QJsonObject{{QStringLiteral("name"), text8::toDisplay(name)},
                                     {QStringLiteral("value"), text8::toDisplay(value)}});
        }
        object.insert(QStringLiteral("parameters"), pairs);
    }
    return compact(object);
}

QByteArray loggerTable(const std::vector<LoggerEntry> &loggers, bool json) {
    QByteArray out;
    qsizetype width = 0;
    for (const LoggerEntry &logger : loggers) {
        width = std::max(width, terminalSafe(logger.identifier).size());
    }
    for (const LoggerEntry &logger : loggers) {
        if (json) {
            out += compact({{QStringLiteral("logger"), logger.identifier},
                            {QStringLiteral("host"), logger.hostText},
                            {QStringLiteral("port"), port(logger)}});
        } else {
            out += (terminalSafe(logger.identifier).leftJustified(width) + QStringLiteral("  ") +
                    terminalSafe(logger.hostText) + QStringLiteral("  ") +
                    terminalSafe(logger.portText) + QLatin1Char('\n'))
                       .toUtf8();
        }
    }
    return out;
}

} // namespace tavctl
