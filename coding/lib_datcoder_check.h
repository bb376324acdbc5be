// Check values of the payload message (CRC-8/MAXIM, CRC-16/ARC, CRC-32) and the XOR fold used as a
// font-description hash.
#pragma once

#include <cstdint>
#include <string_view>

// Mode 1 CRC-8, 2 CRC-16, 3 CRC-32 of the whole string; any other mode gives 0 without reading it.
uint32_t ComputeCheck(std::string_view data, uint8_t mode);

// Register after the bytes; chain calls by passing the previous result as the initial value.
uint8_t Crc8(std::string_view data, uint8_t initial);
uint16_t Crc16(std::string_view data, uint16_t initial);
// Returns the complemented register, so a chained call passes ~previous.
uint32_t Crc32(std::string_view data, uint32_t initial);

// XOR of the string's little-endian 32-bit words; a 1-3 byte tail sits in the low bytes of a zero word.
uint32_t XorFold(std::string_view data);
