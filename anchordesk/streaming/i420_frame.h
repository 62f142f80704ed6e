#pragma once

#include <cstdint>

// One planar YUV 4:2:0 picture that owns its three planes: luma `width`
// bytes per row, U and V `width / 2` bytes per row and half as many rows.
// Sizes are expected to be even; plane sizes use integer division.
struct I420Frame {
    uint8_t* y = nullptr;
    uint8_t* u = nullptr;
    uint8_t* v = nullptr;
    int width = 0;
    int height = 0;

    // Allocates the planes (contents undefined). A size that is not positive
    // gives a frame without planes.
    I420Frame(int frameWidth, int frameHeight);
    ~I420Frame();
    I420Frame(const I420Frame&) = delete;
    I420Frame& operator=(const I420Frame&) = delete;

    int LumaSize() const { return width * height; }
    int ChromaSize() const { return (width / 2) * (height / 2); }

    // Black: luma 0, both chroma planes 128.
    void FillBlack();
};
