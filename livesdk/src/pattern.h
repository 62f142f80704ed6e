#pragma once

// The moving test pictures of the simulated camera and of played streams.
// Both are 32-bit pixels (blue, green, red, alpha) without row padding; the
// layout is documented in livesdk/README.md so that a test can read the frame
// number and the orientation back out of a picture.

#include <cstdint>
#include <vector>

namespace livesdk_impl
{
    class CTestPattern
    {
    public:
        enum Kind
        {
            CAMERA,  // vertical colour bars, orange corner, block moving across
            PLAYED,  // horizontal colour bands, violet corner, block moving down
        };

        explicit CTestPattern(Kind kind) : m_kind(kind) {}

        // Draws picture number `frame` of a width x height picture into
        // pixels, resized to width * height * 4 bytes.
        void Draw(std::vector<uint8_t>& pixels, int width, int height, uint32_t frame);

    private:
        void DrawBase(int width, int height);

        Kind m_kind;
        int m_width = 0;
        int m_height = 0;
        std::vector<uint8_t> m_base;  // bars and corner, redrawn only when the size changes
    };
}
