#pragma once

#include <QByteArrayView>

#include <cstdint>

/// What unpacking compressed data gave, without keeping the bytes themselves.
struct Inflated
{
    /// The compressed data ran to its end and its own checks (a zlib stream's checksum) held.
    bool whole = false;
    /// Compressed bytes left over after the end.
    std::uint64_t trailing = 0;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
};

/// Unpacks \a data, raw deflate data when \a raw (as zip entries hold it), else a zlib stream (as PDF
/// streams hold it), counting the bytes it gives and their CRC-32.
Inflated Inflate(QByteArrayView data, bool raw);
