#include "streaming/i420_frame.h"

#include <cstring>

I420Frame::I420Frame(int frameWidth, int frameHeight)
{
    if (frameWidth <= 0 || frameHeight <= 0)
        return;
    width = frameWidth;
    height = frameHeight;
    try {
        y = new uint8_t[static_cast<size_t>(LumaSize())];
        u = new uint8_t[static_cast<size_t>(ChromaSize())];
        v = new uint8_t[static_cast<size_t>(ChromaSize())];
    } catch (...) {
        delete[] y;
        delete[] u;
        throw;
    }
}

I420Frame::~I420Frame()
{
    delete[] y;
    delete[] u;
    delete[] v;
}

void I420Frame::FillBlack()
{
    if (!y)
        return;
    std::memset(y, 0, static_cast<size_t>(LumaSize()));
    std::memset(u, 128, static_cast<size_t>(ChromaSize()));
    std::memset(v, 128, static_cast<size_t>(ChromaSize()));
}
