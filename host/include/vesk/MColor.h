// A colour: red, green, blue and alpha in single precision.
#ifndef VESK_MCOLOR_H
#define VESK_MCOLOR_H

// Channels are not clamped; a new colour is black with alpha 1.
class MColor {
public:
    MColor() {}
    MColor(float red, float green, float blue, float alpha = 1.0f) : r(red), g(green), b(blue), a(alpha) {}
    bool operator==(const MColor& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const MColor& o) const { return !(*this == o); }

    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;
};

#endif
