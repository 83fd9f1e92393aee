#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHashFunctions>
#include <cstdint>
#include <vector>

namespace zelk::exchange {

// Many short keys with a number each in little memory (a million transaction numbers
// in about 40 MB): the keys' bytes one after another, and an open-addressed index.
class KeyTable {
public:
    // The key as the books compare keys: UTF-8 with the ASCII letters in upper case.
    static QByteArray fold(QByteArrayView utf8) {
        QByteArray key(utf8.data(), utf8.size());
        for (char& c : key)
            if (c >= 'a' && c <= 'z')
                c = char(c - ('a' - 'A'));
        return key;
    }

    // The value of a folded key, or nullptr.
    const std::int32_t* find(QByteArrayView key) const {
        if (m_slots.empty())
            return nullptr;
        for (size_t s = slotOf(key);; s = (s + 1) & (m_slots.size() - 1)) {
            const std::uint32_t e = m_slots[s];
            if (e == 0)
                return nullptr;
            if (keyOf(e - 1) == key)
                return &m_values[e - 1];
        }
    }
    // The value of a key not yet folded (folded on the way, without a copy when short).
    const std::int32_t* findFolding(QByteArrayView key) const {
        char buffer[128];
        if (key.size() > qsizetype(sizeof buffer))
            return find(fold(key));
        for (qsizetype i = 0; i < key.size(); ++i) {
            const char c = key[i];
            buffer[i] = c >= 'a' && c <= 'z' ? char(c - ('a' - 'A')) : c;
        }
        return find(QByteArrayView(buffer, key.size()));
    }
    // Whether a key not yet folded is `folded`.
    static bool sameKey(QByteArrayView key, QByteArrayView folded) {
        if (key.size() != folded.size())
            return false;
        for (qsizetype i = 0; i < key.size(); ++i) {
            const char c = key[i];
            if ((c >= 'a' && c <= 'z' ? char(c - ('a' - 'A')) : c) != folded[i])
                return false;
        }
        return true;
    }
    // Adds a folded key; false (and nothing changed) when it is there already.
    bool insert(QByteArrayView key, std::int32_t value) {
        if (find(key))
            return false;
        if ((m_values.size() + 1) * 2 > m_slots.size())
            grow();
        m_bytes.append(key);
        m_ends.push_back(std::uint64_t(m_bytes.size()));
        m_values.push_back(value);
        place(std::uint32_t(m_values.size()));
        return true;
    }
    size_t size() const { return m_values.size(); }

private:
    QByteArrayView keyOf(size_t i) const {
        const std::uint64_t begin = i == 0 ? 0 : m_ends[i - 1];
        return QByteArrayView(m_bytes.constData() + begin, qsizetype(m_ends[i] - begin));
    }
    size_t slotOf(QByteArrayView key) const { return qHash(key, 0) & (m_slots.size() - 1); }
    void place(std::uint32_t entry) {
        size_t s = slotOf(keyOf(entry - 1));
        while (m_slots[s] != 0)
            s = (s + 1) & (m_slots.size() - 1);
        m_slots[s] = entry;
    }
    void grow() {
        m_slots.assign(m_slots.empty() ? 1024 : m_slots.size() * 2, 0);
        for (std::uint32_t e = 1; e <= m_values.size(); ++e)
            place(e);
    }

    QByteArray m_bytes;
    std::vector<std::uint64_t> m_ends;
    std::vector<std::int32_t> m_values;
    std::vector<std::uint32_t> m_slots; // entry + 1; 0: empty
};

} // namespace zelk::exchange
