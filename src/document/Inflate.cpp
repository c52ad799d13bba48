#include "Inflate.h"

#include <zlib.h>

Inflated Inflate(QByteArrayView data, bool raw)
{
    Inflated result;
    z_stream stream{};
    if ((raw ? inflateInit2(&stream, -MAX_WBITS) : inflateInit(&stream)) != Z_OK)
        return result;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    stream.avail_in = uInt(data.size());
    unsigned long sum = crc32_z(0, nullptr, 0);
    Bytef chunk[64 * 1024];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = chunk;
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = sizeof chunk - stream.avail_out;
        sum = crc32_z(sum, chunk, produced);
        result.size += produced;
        // Input used up before the end of the compressed data: it is cut short.
        if (status == Z_BUF_ERROR || (status == Z_OK && produced == 0))
            break;
    }
    result.whole = status == Z_STREAM_END;
    result.trailing = stream.avail_in;
    result.crc = std::uint32_t(sum);
    inflateEnd(&stream);
    return result;
}
