#include "commands/parametertable.h"

namespace {

const QByteArray kEmpty;

bool inRange(int slot) {
    return slot >= 0 && slot < ParameterTable::kSlots;
}

} // namespace

void ParameterTable::restart() {
    m_count = 0;
    for (int i = 0; i < kSlots; ++i) {
        m_names[i].clear();
        m_values[i].clear();
    }
}

void ParameterTable::fill(QByteArrayView line) {
    // The logger announces a listing with a header line; it is not a parameter
    // even though it may hold a colon.
    if (line.contains(QByteArrayView("Parameters")) ||
        line.contains(QByteArrayView("Received ask parameters"))) {
        return;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon < 0 || colon > kMaxFieldBytes || line.size() - colon - 1 > kMaxFieldBytes) {
        return;
    }
    m_names[m_count] = line.first(colon).toByteArray();
    m_values[m_count] = line.sliced(colon + 1).toByteArray();
    if (m_count < kSlots - 1) {
        ++m_count;
    }
}

const QByteArray &ParameterTable::name(int slot) const {
    return inRange(slot) ? m_names[slot] : kEmpty;
}

const QByteArray &ParameterTable::value(int slot) const {
    return inRange(slot) ? m_values[slot] : kEmpty;
}
