#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>

// The parameters a logger reported in its last listing: names and values in
// the order they arrived, kept as the bytes received. Slot count() is the one
// the next listed line fills; past 200 lines the last slot is overwritten.
class ParameterTable {
public:
    static constexpr int kSlots = 201; // slots 0..200
    // Far above any real parameter: a longer name or value is not collected, so a listing
    // of huge lines cannot fill memory or make the parameter dialog slow to open.
    static constexpr qsizetype kMaxFieldBytes = 4096;

    // Starts a new listing: count back to 0 and every slot emptied, so a
    // shorter listing never shows names or values left over from a longer one.
    void restart();
    // Takes one operation line of a listing; lines that are not "name:value"
    // (or are the listing's own header, or have a name or value longer than
    // kMaxFieldBytes) are ignored.
    void fill(QByteArrayView line);
    int count() const { return m_count; }
    // Slot 0..200; an empty array for any other index.
    const QByteArray &name(int slot) const;
    const QByteArray &value(int slot) const;

private:
    std::array<QByteArray, kSlots> m_names;
    std::array<QByteArray, kSlots> m_values;
    int m_count = 0;
};
