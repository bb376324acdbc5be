// Values pinned to what the code once produced (message bytes, picture hashes, stream digests) live in
// tests/data/golden/<set>.txt as "key = value" lines ('#' begins a comment line). Run the tests with
// CLIENT_REGENERATE_GOLDEN=1 to record the values the code produces now instead of comparing them,
// then review the change to tests/data before committing it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The file of a set (the Windows build reads it through drive Z:).
std::string GoldenPath(std::string_view set);

// The value stored for key; nullopt when the set or the key is missing.
std::optional<std::string> GoldenValue(std::string_view set, std::string_view key);

// actual against the stored value; while regenerating, records actual and holds.
testing::AssertionResult MatchesGolden(std::string_view set, std::string_view key, std::string_view actual);

// Bytes as upper-case hexadecimal pairs, and a 32-bit value as 8 of them: the form golden values take.
std::string HexOf(std::string_view bytes);
std::string HexOf(uint32_t value);
