#pragma once

namespace sound {

// Works in place on the summed voices of one instrument slot, on the audio
// thread, one block (about a millisecond) at a time. The effects chain of a
// slot plugs in here.
class BusProcessor {
public:
    virtual ~BusProcessor() = default;
    virtual void process(float* left, float* right, int frames) = 0;
    // False while the processor would leave the bus as it is: the mixer then
    // adds the slot's voices straight to the output. Audio thread.
    virtual bool active() const { return true; }
};

} // namespace sound
