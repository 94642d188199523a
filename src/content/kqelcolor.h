// The colour value of the scene model.
#ifndef QELSDK_CONTENT_KQELCOLOR_H
#define QELSDK_CONTENT_KQELCOLOR_H

namespace qelsdk_600 {

// Red, green, blue and alpha as doubles, each meant to lie in [0, 1] (alpha 0
// transparent, 1 opaque). The constructor with values, Set and assignment
// clamp every component into [0, 1] silently; the members are public and a
// direct write bypasses the clamping (IsValid then tells). Copy construction
// keeps the components as they stand. Trivially copyable.
class KQelColor {
public:
    // Opaque white: (1, 1, 1, 1).
    KQelColor() : mRed(1.0), mGreen(1.0), mBlue(1.0), mAlpha(1.0) {}
    // Each argument clamped to [0, 1].
    KQelColor(double pRed, double pGreen, double pBlue, double pAlpha);
    KQelColor(const KQelColor& pOther) = default;

    // Each argument clamped to [0, 1], in the order red, green, blue, alpha.
    void Set(double pRed, double pGreen, double pBlue, double pAlpha);
    // True when every component lies in [0, 1], bounds included (a NaN does
    // not).
    bool IsValid() const;

    // Set with the other colour's components: an out-of-range source is
    // clamped on the way.
    KQelColor& operator=(const KQelColor& pOther);
    // Exact comparison of the four components; a NaN component makes two
    // colours unequal, even a colour and itself.
    bool operator==(const KQelColor& pOther) const;
    bool operator!=(const KQelColor& pOther) const { return !(*this == pOther); }

    double mRed;
    double mGreen;
    double mBlue;
    double mAlpha;
};

}  // namespace qelsdk_600

#endif
