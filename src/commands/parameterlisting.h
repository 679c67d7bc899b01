#pragma once

#include "commands/parametertable.h"

#include <QByteArrayView>

// Whether the logger's answer to a parameter listing is being collected, and what it
// collected. A listing opens with the listing command and stays open, across the
// keep-alive and the dialogs' frames, until any other command ends it.
class ParameterListing {
public:
    // A new listing: collecting from now on, into an emptied table.
    void begin();
    // Stop collecting; what was collected stays for the parameter dialog.
    void end();
    // Forget what was collected (a new connection); collecting or not is left as it is.
    void clear();
    bool isOpen() const { return m_open; }
    // One complete operation line of the reply stream; collected only while open.
    void take(QByteArrayView line);
    const ParameterTable &table() const { return m_table; }

private:
    ParameterTable m_table;
    bool m_open = false;
};
