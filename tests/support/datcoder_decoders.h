// Decoders of the payload transforms, as an outside reader of the symbols would run them; tests
// prove round trips with them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// LZHUF: the stream does not end itself, so the reader needs the original length.
std::optional<std::string> LzhDecompress(std::string_view stream, size_t length);
// SIXPACK: runs to the end symbol; nullopt when the stream ends before it or refers outside.
std::optional<std::string> SixpackDecompress(std::string_view stream);
// Scrambles: the first 4 bytes are the seed.
std::optional<std::string> AdditiveUnscramble(std::string_view scrambled);
std::optional<std::string> ClassUnscramble(std::string_view scrambled, const std::string& classTable);
