#pragma once

#include <cstdint>
#include <vector>

namespace tavelo::testing {

// Measures rendered interleaved stereo (left channel) at the given rate.
double frequency_of(const std::vector<std::int16_t>& stereo, int rate);
// Milliseconds from the first to the last frame louder than `threshold`.
double sounding_milliseconds(const std::vector<std::int16_t>& stereo, int rate,
                             int threshold = 200);
int peak_of(const std::vector<std::int16_t>& stereo);
// Where each sound begins, in milliseconds from the start: a sound is louder than `threshold`
// and ends after 10 ms below it.
std::vector<double> onset_milliseconds(const std::vector<std::int16_t>& stereo, int rate,
                                       int threshold = 200);
// The amplitude of one frequency in the left channel (Goertzel), whatever else sounds with it.
double amplitude_at(const std::vector<std::int16_t>& stereo, int rate, double frequency);

}  // namespace tavelo::testing
