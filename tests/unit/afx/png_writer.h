#pragma once

// Writes small PNG files for tests: 8-bit RGB or RGBA, stored (uncompressed)
// deflate blocks, so a fixture needs nothing but the standard library.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace test_png {

inline uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline void PutBE32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

inline void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  PutBE32(out, static_cast<uint32_t>(body.size()));
  std::vector<uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBE32(out, Crc32(typed.data(), typed.size()));
}

// `pixels` holds width × height pixels, row by row, each R, G, B (and A).
inline bool WritePng(const std::string& path, int width, int height, bool alpha,
                     const std::vector<uint8_t>& pixels) {
  const size_t channels = alpha ? 4 : 3;
  if (pixels.size() != static_cast<size_t>(width) * height * channels) return false;
  std::vector<uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    const uint8_t* row = pixels.data() + static_cast<size_t>(y) * width * channels;
    raw.insert(raw.end(), row, row + width * channels);
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  for (size_t pos = 0; pos < raw.size() || pos == 0;) {
    size_t n = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
    if (n == 0) break;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  PutBE32(z, (b << 16) | a);

  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBE32(header, static_cast<uint32_t>(width));
  PutBE32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, static_cast<uint8_t>(alpha ? 6 : 2), 0, 0, 0});
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", z);
  PutChunk(file, "IEND", {});

  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}

// A picture of one colour.
inline bool WriteSolidPng(const std::string& path, int width, int height, uint8_t r, uint8_t g,
                          uint8_t b, int a = -1) {
  std::vector<uint8_t> pixels;
  for (int i = 0; i < width * height; ++i) {
    pixels.insert(pixels.end(), {r, g, b});
    if (a >= 0) pixels.push_back(static_cast<uint8_t>(a));
  }
  return WritePng(path, width, height, a >= 0, pixels);
}

}  // namespace test_png
