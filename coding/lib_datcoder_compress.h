// Payload compressors: LZHUF (mode 1) and the SIXPACK windowed LZ with adaptive Huffman (mode 2).
// Both give a bare bit stream; the message carries the uncompressed length in front of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Mode 0 gives data unchanged, 1 LzhCompress, 2 LzWindowCompress, any other mode the first length
// bytes of data. length is reduced to data.size() when larger.
std::string CompressText(std::string_view data, uint32_t& length, uint8_t mode);

// Compresses the first length bytes (length is first reduced to data.size(); the used value stays in
// length). Codes need not fit 16 bits: the stream is complete however deep the tree grows.
std::string LzhCompress(std::string_view data, uint32_t& length);

// Compresses the first length bytes; afterwards length holds the compressed length.
std::string LzWindowCompress(std::string_view data, uint32_t& length);
