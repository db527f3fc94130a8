#pragma once

#include "ISoundEngine.h"
#include "Mixer.h"
#include "NullOutput.h"
#include "SoundPaths.h"
#include "WaveFormat.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CNote;
class Prompter;

namespace sound {
class AudioOutput;
}

// The program's connection to the sound hardware: the sample bank (one
// buffer of 85000 bytes per instrument slot and sample index), the command
// ring the playback pass posts to, the voice parameters, and the output the
// mixer renders to (the default audio device, a null device, or a WAV file).
class CSoundEngine : public ISoundEngine {
public:
    enum class Output {
        Device,  // the default device through PortAudio
        Null,    // paced in real time, no hardware
        Offline, // rendered on request (renderOffline, renderToWav)
        None,    // no audio device at all
    };

    static constexpr int kBufferBytes = 85000;
    static constexpr int kNoSample = 52;
    static constexpr int kSlotLimit = sound::Mixer::kSlots;
    static constexpr int kFreeInstrument = 255;
    // Samples per instrument code 0..7 (7 has none).
    static constexpr std::array<int, 8> sampleCount{52, 52, 44, 30, 52, 52, 52, 0};
    static const std::array<const char*, 8> kInstrumentFolders;

    static constexpr const char* kDeviceProblem =
        "Un problème est survenu au cours de l'initialisaton de DirectSound.\nVérifiez votre version de DirectX, ce "
        "logiciel requiet la version 9 ou supérieure de DirectX";
    static constexpr const char* kCannotOpenSound = "Le fichier son suivant ne peut pas être ouvert : ";
    static constexpr const char* kCheckInstallation = "\nVérifiez votre installation de Fretlark";

    // The bank is looked for under baseDirectory, then under the fallbacks.
    // Messages go to `prompter` (may be null).
    CSoundEngine(const std::string& baseDirectory, Prompter* prompter,
                 const std::vector<std::string>& fallbackRoots = sound::defaultFallbackRoots());
    ~CSoundEngine() override;
    CSoundEngine(const CSoundEngine&) = delete;
    CSoundEngine& operator=(const CSoundEngine&) = delete;

    // Opens the output; the format comes from res/empty.wav. With no device
    // the engine stays closed and the first LoadBank says so.
    void Open(Output kind = Output::Device);
    // Releases the bank, then loads every slot below slotCount whose code is
    // below 8, stopping at the first file that fails (with its message).
    bool LoadBank(std::span<const int> slotInstrument, int slotCount);
    // Loads one more slot (a track was added).
    void LoadSlot(int slot, std::span<const int> slotInstrument);
    void ReleaseBank();
    // Stops the output and releases everything; Open may follow again.
    void Shutdown();

    // ---- ISoundEngine ----
    bool isReady() const override;
    void PostStart(int slot, int index) override;
    void PostStartAt(int slot, int index, int bytePosition) override;
    void PostStop(int slot, int index) override;
    void StartNow(int slot, int index, int bytePosition) override;
    void StopNow(int slot, int index) override;
    void StopAll() override;
    void SetFrequency(int slot, int index, int hertz) override;
    void SetVolume(int slot, int index, int level) override;
    void SetPan(int slot, int index, int pan) override;
    void Release(int slot, int index, int ms) override;
    void SustainFrom(int slot, int index, int bytePosition) override;
    void SetTone(int slot, int index, int hertz) override;
    int SampleIndex(const CTabDoc& doc, const CAccord& beat, int string, int track) const override;
    void setTickCallback(TickCallback callback) override;
    void StartOutput() override;
    void StopOutput() override;

    // The note-to-index rule for a note of `instrument` on `string` (0 =
    // highest) with the track's tuning (lowest string first) and capo.
    static int SampleIndexFor(int instrument, const CNote& note, const std::array<int, 6>& tuning, int capo,
                              int string);

    // ---- state ----
    bool hasDevice() const { return hasDevice_; }
    bool isOpen() const { return outputOpen_; }
    bool isBankLoaded() const { return bankReady_; }
    const WaveFormat& outputFormat() const { return format_; }
    // Folder that holds res/ (ends with '/').
    const std::string& resourceRoot() const { return root_; }
    // folders[code]: the instrument's sample folder, "" for codes without samples.
    std::string folder(int instrument) const;
    std::string samplePath(int instrument, int index) const;
    int instrumentOfSlot(int slot) const;
    bool hasBuffer(int slot, int index) const;
    // The settings a buffer has now (device values, after SetVolume's offset).
    int bufferVolume(int slot, int index) const;
    int bufferFrequency(int slot, int index) const;
    int bufferPan(int slot, int index) const;
    // Byte position a buffer plays at, -1 when silent.
    int bufferPosition(int slot, int index) const;
    double audioClockMs() const;
    // Whether an output is pulling audio now (it sleeps while idle).
    bool isOutputRunning() const;
    void setBusProcessor(int slot, sound::BusProcessor* processor);
    // The clock a null output paces itself with (before Open).
    void setPacingClock(std::shared_ptr<sound::PacingClock> clock) { clock_ = std::move(clock); }

    // ---- offline output ----
    // Renders interleaved frames in the output format; empty unless opened Offline.
    std::vector<float> renderOffline(int frames);
    // Renders to a WAV file until `finished` says so or maxFrames are written.
    bool renderToWav(const std::string& path, std::int64_t maxFrames, const std::function<bool()>& finished = {});
    // Highest absolute sample of the last chunk renderToWav wrote.
    float lastChunkPeak() const { return lastChunkPeak_; }

    // FRETLARK_AUDIO=null|none|device chooses the output; Device otherwise.
    static Output outputFromEnvironment();

    // A sleeping output wakes when work arrives; it falls asleep after this
    // long without sound unless StartOutput holds it.
    static constexpr int kIdleGraceMs = 3000;

private:
    bool loadSlotSamples(int slot, int instrument,
                         std::array<std::vector<std::shared_ptr<const sound::SampleData>>, 8>& decoded);
    void report(const std::string& text) const;
    void reportDeviceProblem();
    std::string cannotOpen(const std::string& path) const;
    void closeOutput();
    bool postable(int slot, int index) const;
    template <typename F>
    void command(F&& action);
    bool mayIdle() const;

    std::string root_;
    Prompter* prompter_;
    std::unique_ptr<sound::Mixer> mixer_;
    std::unique_ptr<sound::AudioOutput> output_;
    std::shared_ptr<sound::PacingClock> clock_;
    Output kind_ = Output::None;
    WaveFormat format_;
    // Read by the playback pass on the audio thread too.
    std::atomic<bool> hasDevice_{false};
    std::atomic<bool> outputOpen_{false};
    std::atomic<bool> bankReady_{false};
    std::atomic<bool> held_{false};
    std::array<std::atomic<int>, kSlotLimit> slotCodes_;
    std::atomic<int> slotTableCount_{0};
    bool deviceMessageShown_ = false;
    float lastChunkPeak_ = 0;
};
