// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
#include "jpeg_guard.h"

#include <algorithm>
#include <cstddef>

namespace {

// Buffered byte reader; at the end of the stream every read fails and the
// walk stops, as the decoder's reading does.
struct Reader {
    std::FILE* stream;
    std::size_t next;
    std::size_t end;
    unsigned char buffer[65536];
};

bool refill(Reader& in)
{
    in.next = 0;
    in.end = std::fread(in.buffer, 1, sizeof in.buffer, in.stream);
    return in.end > 0;
}

bool read_byte(Reader& in, int* out)
{
    if (in.next == in.end && !refill(in)) return false;
    *out = in.buffer[in.next++];
    return true;
}

bool read_u16(Reader& in, int* out)
{
    int hi = 0;
    int lo = 0;
    if (!read_byte(in, &hi) || !read_byte(in, &lo)) return false;
    *out = hi << 8 | lo;
    return true;
}

bool skip_bytes(Reader& in, long count)
{
    while (count > 0) {
        if (in.next == in.end && !refill(in)) return false;
        const std::size_t step = std::min(in.end - in.next, static_cast<std::size_t>(count));
        in.next += step;
        count -= static_cast<long>(step);
    }
    return true;
}

enum class Step { go_on, stop, refuse };

// After 0xFF: skips fill bytes and returns the marker code in *marker.
bool marker_after_ff(Reader& in, int* marker)
{
    int c = 0xFF;
    while (c == 0xFF) {
        if (!read_byte(in, &c)) return false;
    }
    *marker = c;
    return true;
}

// Finds the next marker, skipping bytes that are not 0xFF the way the decoder
// skips padding between segments.
bool next_marker(Reader& in, int* marker)
{
    int c = 0;
    do {
        if (!read_byte(in, &c)) return false;
    } while (c != 0xFF);
    return marker_after_ff(in, marker);
}

// Skips entropy-coded data: stuffed zeros and restart markers belong to the
// scan; any other marker ends it and is returned.
bool marker_after_scan(Reader& in, int* marker)
{
    for (;;) {
        int c = 0;
        if (!next_marker(in, &c)) return false;
        if (c != 0x00 && !(c >= 0xD0 && c <= 0xD7)) {
            *marker = c;
            return true;
        }
    }
}

// The decoder reads Huffman tables by their code counts, not by the segment
// length, so the walk does the same.
Step huffman_tables(Reader& in)
{
    int length = 0;
    if (!read_u16(in, &length)) return Step::stop;
    long left = length - 2;
    while (left > 0) {
        int kind = 0;
        if (!read_byte(in, &kind)) return Step::stop;
        if ((kind >> 4) > 1 || (kind & 15) > 3) return Step::stop;
        // At the end of the file the decoder reads zeros and goes on, so
        // counts cut short by the end still add up to what it will store.
        int codes = 0;
        for (int i = 0; i < 16; ++i) {
            int count = 0;
            read_byte(in, &count);
            codes += count;
        }
        if (codes > MAX_HUFFMAN_CODES) return Step::refuse;
        if (!skip_bytes(in, codes)) return Step::stop;
        left -= 17 + codes;
    }
    return left == 0 ? Step::go_on : Step::stop;
}

// Quantisation tables, likewise read by their precision.
Step quantisation_tables(Reader& in)
{
    int length = 0;
    if (!read_u16(in, &length)) return Step::stop;
    long left = length - 2;
    while (left > 0) {
        int kind = 0;
        if (!read_byte(in, &kind)) return Step::stop;
        const int precision = kind >> 4;
        if (precision > 1 || (kind & 15) > 3) return Step::stop;
        const int size = precision == 0 ? 64 : 128;
        if (!skip_bytes(in, size)) return Step::stop;
        left -= 1 + size;
    }
    return left == 0 ? Step::go_on : Step::stop;
}

Step sized_segment(Reader& in)
{
    int length = 0;
    if (!read_u16(in, &length) || length < 2) return Step::stop;
    return skip_bytes(in, length - 2) ? Step::go_on : Step::stop;
}

bool is_frame(int marker)
{
    return marker == 0xC0 || marker == 0xC1 || marker == 0xC2;
}

} // namespace

namespace {

bool walk_markers(std::FILE* stream, int& scans)
{
    Reader in;
    in.stream = stream;
    in.next = 0;
    in.end = 0;
    int c = 0;
    if (!read_byte(in, &c) || c != 0xFF) return true;
    if (!marker_after_ff(in, &c) || c != 0xD8) return true;

    bool framed = false;
    int marker = 0;
    bool have_marker = next_marker(in, &marker);
    while (have_marker) {
        Step step = Step::stop;
        if (marker == 0xC4) {
            step = huffman_tables(in);
        } else if (marker == 0xDB) {
            step = quantisation_tables(in);
        } else if ((marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE || marker == 0xDD) {
            step = sized_segment(in);
        } else if (is_frame(marker) && !framed) {
            framed = true;
            step = sized_segment(in);
        } else if (marker == 0xDC && framed) {
            step = sized_segment(in);
        } else if (marker == 0xDA && framed) {
            if (++scans > MAX_JPEG_SCANS) return false;
            step = sized_segment(in);
            if (step == Step::go_on) {
                have_marker = marker_after_scan(in, &marker);
                continue;
            }
        }
        // Anything else (the end of the image, a second frame, a marker the
        // decoder does not know) ends the decoder's reading too.
        if (step == Step::refuse) return false;
        if (step == Step::stop) return true;
        have_marker = next_marker(in, &marker);
    }
    return true;
}

} // namespace

bool jpeg_markers_safe(std::FILE* stream)
{
    int scans = 0;
    return walk_markers(stream, scans);
}

bool jpeg_markers_safe(std::FILE* stream, int* scans)
{
    *scans = 0;
    return walk_markers(stream, *scans);
}
