#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// Unpacks a raw deflate stream (RFC 1951, as Python's zlib writes it with
// wbits -15): the texts are stored packed in the exe. None when the stream
// is damaged or does not unpack to exactly size bytes; it never writes more.
std::optional<std::string> Inflate(std::span<const std::uint8_t> packed, std::size_t size);
