#include "commands/parameterlisting.h"

void ParameterListing::begin() {
    m_table.restart();
    m_open = true;
}

void ParameterListing::end() {
    m_open = false;
}

void ParameterListing::clear() {
    m_table.restart();
}

void ParameterListing::take(QByteArrayView line) {
    if (m_open) {
        m_table.fill(line);
    }
}
