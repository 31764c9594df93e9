// The colour arithmetic shared by the conversions and the scaler's output stages.
#pragma once
#include <cstdint>

namespace krvx {

constexpr float kByteScale = 0.00390625f;             // 1/256
constexpr float kWordScale = 1.5259021896696422e-5f;  // 1/65535
constexpr float k13BitScale = 0.00012208521f;         // 1/8191
constexpr float kChromaRange = 1.1383928f;            // 255/224
constexpr float kLumaRange = 1.1643835f;              // 255/219
constexpr float kLumaFloor = 0.0627451f;              // 16/255

// Full-range RGB to Y, U, V (no offset). The red weight of U is stored with its sign; every other
// negative weight is stored as a magnitude, its sign written in the expressions below:
// U = u0 r - u1 g + u2 b (u0 < 0), V = v0 r - v1 g - v2 b.
constexpr float kRgbToY[3] = {0.298173f, 0.585569f, 0.116258f};
constexpr float kRgbToU[3] = {-0.168759f, 0.331418f, 0.500177f};
constexpr float kRgbToV[3] = {0.500177f, 0.417323f, 0.082854f};

// Writes V, U, Y of a float RGB pixel to out[0..2].
inline void RgbFloatToVuya(float r, float g, float b, float* out) {
    out[0] = kRgbToV[0] * r - kRgbToV[1] * g - kRgbToV[2] * b;
    out[1] = kRgbToU[0] * r - kRgbToU[1] * g + kRgbToU[2] * b;
    out[2] = kRgbToY[0] * r + kRgbToY[1] * g + kRgbToY[2] * b;
}

// BT.709 to BT.601 on a float Y, Cb, Cr triple.
inline void Rematrix709To601(float& y, float& cb, float& cr) {
    const float luma = y + 0.099603f * cb + 0.191027f * cr;
    const float blue = 0.990013f * cb - 0.109279f * cr;
    const float red = 0.983392f * cr - 0.072404f * cb;
    y = luma;
    cb = blue;
    cr = red;
}

}  // namespace krvx
