#pragma once

#include <QByteArray>

// What a logger sends back for one frame, and what it does to the link afterwards.
struct Reply {
    enum class After {
        Stay,    // keep the connection
        Close,   // close the connection shortly after the reply (goodbye)
        Restart, // close shortly after the reply and stay unreachable for a while
        Drop,    // a fault, never the model's answer: the link breaks right after the bytes
    };

    QByteArray text; // lines ended by CR LF; operation text inside braces
    After after = After::Stay;

    bool operator==(const Reply &other) const = default;
};
