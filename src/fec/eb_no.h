#pragma once
// The channel quality figure of a decoded frame, from its count of channel symbol errors.
namespace orv {

// Eb/No in dB for `count` wrong hard decisions among the 5200 symbols of a frame: exactly 20 for
// none; the error rate is capped at 0.3 (about -3.9 dB). The rate is taken as that after the
// differential detection, which doubles the symbol errors of the channel.
float EbNoFromChannelErrors(int count);

// x with ApproxErfc(x) = y, by Newton's method from an approximate start; 10 for y = 0 and 0 where
// no start exists.
float InverseErfc(float y);

// The complementary error function to about 1e-7 (Abramowitz and Stegun 7.1.26).
float ApproxErfc(float x);

}  // namespace orv
