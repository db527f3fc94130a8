#pragma once

namespace sound {

// Keeps the master output inside full scale however many voices sound. Below
// the threshold the signal passes untouched; above it an envelope (1 ms
// attack, 150 ms release) lowers the gain, and a tanh knee rounds off any
// peak the envelope is too slow for, so the output never exceeds 1.0.
class SoftLimiter {
public:
    // The bank leaves the mix its headroom; the limiter only catches what
    // rises above -0.9 dBFS.
    static constexpr float kThreshold = 0.9f;

    explicit SoftLimiter(int rate);
    void process(float* left, float* right, int frames);
    void reset() { envelope_ = 0; }

    static float softClip(float x);

private:
    float envelope_ = 0;
    float attack_;
    float release_;
};

} // namespace sound
