#include "pattern.h"

#include <algorithm>
#include <cstring>

namespace livesdk_impl
{
    namespace
    {
        struct Rgb
        {
            uint8_t r, g, b;
        };

        const Rgb kBars[8] = {
            {255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
            {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0},
        };
        const Rgb kCameraCorner = {255, 128, 0};
        const Rgb kPlayedCorner = {128, 0, 255};
        const Rgb kMovingBlock = {128, 128, 128};
        const Rgb kBitOne = {255, 255, 255};
        const Rgb kBitZero = {0, 0, 0};
        const int kFrameBits = 24;

        void Fill(std::vector<uint8_t>& pixels, int width, int x0, int y0, int x1, int y1, Rgb colour)
        {
            for (int y = y0; y < y1; ++y)
            {
                uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x0) * 4];
                for (int x = x0; x < x1; ++x, p += 4)
                {
                    p[0] = colour.b;
                    p[1] = colour.g;
                    p[2] = colour.r;
                    p[3] = 255;
                }
            }
        }

        int BlockSize(int width, int height)
        {
            return std::max(4, std::min(width, height) / 8);
        }

        int BandHeight(int height)
        {
            return std::max(2, height / 16);
        }
    }

    void CTestPattern::DrawBase(int width, int height)
    {
        m_width = width;
        m_height = height;
        m_base.assign(static_cast<size_t>(width) * height * 4, 0);
        for (int i = 0; i < 8; ++i)
        {
            if (m_kind == CAMERA)
                Fill(m_base, width, i * width / 8, 0, (i + 1) * width / 8, height, kBars[i]);
            else
                Fill(m_base, width, 0, i * height / 8, width, (i + 1) * height / 8, kBars[i]);
        }
        const int block = BlockSize(width, height);
        Fill(m_base, width, 0, 0, block, block, m_kind == CAMERA ? kCameraCorner : kPlayedCorner);
    }

    void CTestPattern::Draw(std::vector<uint8_t>& pixels, int width, int height, uint32_t frame)
    {
        if (width != m_width || height != m_height)
            DrawBase(width, height);
        pixels = m_base;

        const int block = BlockSize(width, height);
        const int band = BandHeight(height);
        if (m_kind == CAMERA)
        {
            const int x = static_cast<int>((4ull * frame) % static_cast<unsigned>(width - block + 1));
            const int y = (height - block) / 2;
            Fill(pixels, width, x, y, x + block, y + block, kMovingBlock);
        }
        else
        {
            const int x = (width - block) / 2;
            const int y = block + static_cast<int>((4ull * frame) % static_cast<unsigned>(height - band - 2 * block + 1));
            Fill(pixels, width, x, y, x + block, y + block, kMovingBlock);
        }

        // Frame number, most significant bit in the leftmost cell.
        for (int i = 0; i < kFrameBits; ++i)
        {
            const bool one = (frame >> (kFrameBits - 1 - i)) & 1u;
            Fill(pixels, width, i * width / kFrameBits, height - band, (i + 1) * width / kFrameBits, height,
                 one ? kBitOne : kBitZero);
        }
    }
}
