#pragma once

#include <QByteArrayView>
#include <QtEndian>

#include <cstdint>

// Readers of the little-endian numbers that zip packages and Word 97 files are made of. The caller
// has checked that the bytes are there.
namespace LittleEndian {
inline std::uint16_t u16(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

inline std::uint32_t u32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}
} // namespace LittleEndian
