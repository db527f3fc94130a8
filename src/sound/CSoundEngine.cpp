#include "CSoundEngine.h"

#include "CWave.h"
#include "EffectChain.h"
#include "PortAudioOutput.h"
#include "Prompter.h"
#include "WavWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

const std::array<const char*, 8> CSoundEngine::kInstrumentFolders = {
    "guitare acoustique", "guitare clean", "basse electrique", "batterie",
    "guitare electrique", "guitare classique", "piano", nullptr,
};

namespace {

int countOf(int instrument)
{
    return instrument >= 0 && instrument < 8 ? CSoundEngine::sampleCount[static_cast<std::size_t>(instrument)] : 0;
}

bool usableOutputFormat(const WaveFormat& f)
{
    return f.isSupportedEncoding() && f.samplesPerSec >= 8000 && f.samplesPerSec <= 192000;
}

} // namespace

CSoundEngine::CSoundEngine(const std::string& baseDirectory, Prompter* prompter,
                           const std::vector<std::string>& fallbackRoots)
    : root_(sound::resolveResourceRoot(baseDirectory, fallbackRoots)),
      prompter_(prompter),
      mixer_(std::make_unique<sound::Mixer>(44100, 2)),
      clock_(sound::PacingClock::steady())
{
    for (auto& code : slotCodes_)
        code.store(kFreeInstrument, std::memory_order_relaxed);
    format_ = WaveFormat::pcm(44100, 2, 16);
}

CSoundEngine::~CSoundEngine()
{
    Shutdown();
}

// ---------------------------------------------------------------- paths and messages

std::string CSoundEngine::folder(int instrument) const
{
    if (instrument < 0 || instrument >= 8 || !kInstrumentFolders[static_cast<std::size_t>(instrument)])
        return {};
    return root_ + "res/" + kInstrumentFolders[static_cast<std::size_t>(instrument)] + "/";
}

std::string CSoundEngine::samplePath(int instrument, int index) const
{
    char name[16];
    std::snprintf(name, sizeof name, "%.2d.wav", index);
    return folder(instrument) + name;
}

void CSoundEngine::report(const std::string& text) const
{
    if (prompter_)
        prompter_->showMessage(text);
}

std::string CSoundEngine::cannotOpen(const std::string& path) const
{
    return std::string(kCannotOpenSound) + path + kCheckInstallation;
}

void CSoundEngine::reportDeviceProblem()
{
    // Once per run: every later reload would otherwise repeat it.
    if (deviceMessageShown_)
        return;
    deviceMessageShown_ = true;
    std::string text = kDeviceProblem;
    if (!deviceError_.empty())
        text += "\n" + deviceError_;
    report(text);
}

namespace {

std::string audioChoice()
{
    const char* v = std::getenv("FRETLARK_AUDIO");
    return v ? v : "";
}

constexpr std::string_view kWavPrefix = "wav:";

} // namespace

CSoundEngine::Output CSoundEngine::outputFromEnvironment()
{
    const std::string choice = audioChoice();
    if (choice == "null" || (choice.starts_with(kWavPrefix) && choice.size() > kWavPrefix.size()))
        return Output::Null;
    if (choice == "none")
        return Output::None;
    return Output::Device;
}

std::string CSoundEngine::recordingFromEnvironment()
{
    const std::string choice = audioChoice();
    return choice.starts_with(kWavPrefix) ? choice.substr(kWavPrefix.size()) : std::string();
}

// ---------------------------------------------------------------- output

bool CSoundEngine::mayIdle() const
{
    return !held_.load(std::memory_order_seq_cst) &&
           mixer_->silentFrames() >= static_cast<std::int64_t>(kIdleGraceMs) * mixer_->rate() / 1000;
}

void CSoundEngine::Open(Output kind)
{
    closeOutput();
    kind_ = kind;
    hasDevice_ = false;
    deviceError_.clear();
    std::unique_ptr<sound::PortAudioOutput> device;
    if (kind == Output::None) {
        deviceError_ = "FRETLARK_AUDIO=none";
        return;
    }
    if (kind == Output::Device) {
        device = sound::PortAudioOutput::create(&deviceError_);
        if (!device)
            return;
    }
    hasDevice_ = true;

    const std::string path = root_ + "res/empty.wav";
    CWave reference;
    WaveFormat format;
    if (!reference.Open(path) || !reference.GetFormat(format) || !usableOutputFormat(format)) {
        report(cannotOpen(path));
        return;
    }
    format_ = format;
    mixer_->configure(static_cast<int>(format.samplesPerSec), format.channels);
    rebuildChains();

    sound::IdlePolicy policy = [this] { return mayIdle(); };
    if (kind == Output::Device) {
        // A device that refuses the stream is as good as none.
        if (!device->openStream(*mixer_, policy)) {
            deviceError_ = device->lastError();
            hasDevice_ = false;
            return;
        }
        output_ = std::move(device);
    } else if (kind == Output::Null) {
        auto null = std::make_unique<sound::NullOutput>(*mixer_, recording_.empty() ? policy : nullptr, clock_);
        if (!recording_.empty()) {
            // The recording keeps the real timeline: the output never sleeps.
            recorder_ = std::make_unique<sound::WavWriter>();
            if (recorder_->open(recording_, format_)) {
                null->setTap([w = recorder_.get()](const float* frames, int n) { w->write(frames, n); });
                null->start();
            } else {
                report(cannotOpen(recording_));
                recorder_.reset();
            }
        }
        output_ = std::move(null);
    }
    outputOpen_ = true;
}

void CSoundEngine::closeOutput()
{
    held_ = false;
    if (output_) {
        output_->stop();
        output_.reset();
    }
    if (recorder_) {
        recorder_->close();
        recorder_.reset();
    }
    outputOpen_ = false;
}

void CSoundEngine::StartOutput()
{
    held_ = true;
    mixer_->noteActivity();
    if (output_)
        output_->start();
}

void CSoundEngine::StopOutput()
{
    // The output renders the last fades and falls asleep by itself once
    // silent; stopping it here would cut them off with a click.
    held_ = false;
}

void CSoundEngine::Shutdown()
{
    closeOutput();
    mixer_->setTickCallback({});
    for (int s = 0; s < kSlotLimit; ++s)
        mixer_->setBusProcessor(s, nullptr);
    ReleaseBank();
    hasDevice_ = false;
}

template <typename F>
void CSoundEngine::command(F&& action)
{
    // From the tick the audio thread is already running; from any other
    // thread the output may be asleep and must hear about the work.
    const bool elsewhere = !sound::Mixer::onAudioThread();
    if (elsewhere)
        mixer_->noteActivity();
    action();
    if (elsewhere && output_)
        output_->start();
}

double CSoundEngine::audioClockMs() const
{
    return mixer_->clockMs();
}

bool CSoundEngine::isOutputRunning() const
{
    return output_ && output_->running();
}

void CSoundEngine::setTickCallback(TickCallback callback)
{
    mixer_->setTickCallback(std::move(callback));
}

void CSoundEngine::setBusProcessor(int slot, sound::BusProcessor* processor)
{
    mixer_->setBusProcessor(slot, processor);
}

std::vector<float> CSoundEngine::renderOffline(int frames)
{
    if (kind_ != Output::Offline || !outputOpen_ || frames <= 0)
        return {};
    std::vector<float> out(static_cast<std::size_t>(frames) * static_cast<std::size_t>(mixer_->channels()));
    mixer_->render(out.data(), frames);
    return out;
}

bool CSoundEngine::renderToWav(const std::string& path, std::int64_t maxFrames, const std::function<bool()>& finished)
{
    if (kind_ != Output::Offline || !outputOpen_)
        return false;
    sound::WavWriter writer;
    if (!writer.open(path, format_))
        return false;
    const int chunk = std::max(1, mixer_->rate() / 100);
    std::vector<float> buffer(static_cast<std::size_t>(chunk) * static_cast<std::size_t>(mixer_->channels()));
    bool ok = true;
    for (std::int64_t done = 0; done < maxFrames && ok;) {
        const int n = static_cast<int>(std::min<std::int64_t>(chunk, maxFrames - done));
        mixer_->render(buffer.data(), n);
        float peak = 0;
        for (std::size_t i = 0; i < static_cast<std::size_t>(n) * static_cast<std::size_t>(mixer_->channels()); ++i)
            peak = std::max(peak, std::fabs(buffer[i]));
        lastChunkPeak_ = peak;
        ok = writer.write(buffer.data(), n);
        done += n;
        if (finished && finished())
            break;
    }
    return writer.close() && ok;
}

// ---------------------------------------------------------------- bank

int CSoundEngine::instrumentOfSlot(int slot) const
{
    if (slot < 0 || slot >= kSlotLimit || slot >= slotTableCount_)
        return kFreeInstrument;
    return slotCodes_[static_cast<std::size_t>(slot)].load(std::memory_order_relaxed);
}

bool CSoundEngine::hasBuffer(int slot, int index) const
{
    if (slot == kMetronomeSlot)
        return (index == kClickAccent || index == kClickBeat) && mixer_->hasSample(slot, index);
    return index >= 0 && index < countOf(instrumentOfSlot(slot)) && mixer_->hasSample(slot, index);
}

void CSoundEngine::ReleaseBank()
{
    mixer_->clearAll();
    // An empty bank cannot play: playback waits for the next load.
    bankReady_ = false;
}

bool CSoundEngine::loadSlotSamples(int slot, int instrument,
                                   std::array<std::vector<std::shared_ptr<const sound::SampleData>>, 8>& decoded)
{
    auto& cache = decoded[static_cast<std::size_t>(instrument)];
    const int n = countOf(instrument);
    std::vector<std::uint8_t> buffer(kBufferBytes);
    for (int index = 0; index < n; ++index) {
        if (static_cast<int>(cache.size()) <= index) {
            // Every slot of an instrument shares the buffers decoded for the first.
            const std::string path = samplePath(instrument, index);
            CWave wave;
            WaveFormat format;
            std::shared_ptr<const sound::SampleData> sample;
            if (wave.Open(path) && wave.GetFormat(format)) {
                const std::uint32_t count = wave.ReadData(buffer.data(), kBufferBytes);
                sample = sound::makeSample(format, buffer.data(), count, kBufferBytes);
            }
            if (!sample) {
                report(cannotOpen(path));
                return false;
            }
            cache.push_back(std::move(sample));
        }
        mixer_->install(slot, index, cache[static_cast<std::size_t>(index)]);
    }
    return true;
}

bool CSoundEngine::LoadBank(std::span<const int> slotInstrument, int slotCount)
{
    ReleaseBank();
    if (!hasDevice_) {
        reportDeviceProblem();
        return false;
    }
    slotCount = std::clamp(slotCount, 0, static_cast<int>(slotInstrument.size()));
    slotTableCount_ = slotCount;
    for (int s = 0; s < kSlotLimit; ++s) {
        slotCodes_[static_cast<std::size_t>(s)].store(
            s < slotCount ? slotInstrument[static_cast<std::size_t>(s)] : kFreeInstrument, std::memory_order_relaxed);
        // A full reload leaves every slot without effects.
        clearEffects(s);
    }
    std::array<std::vector<std::shared_ptr<const sound::SampleData>>, 8> decoded;
    // The ring addresses 16 slots, the last of them the metronome's; a score
    // rarely uses more than its ten tracks.
    for (int slot = 0; slot < std::min(slotCount, kScoreSlotLimit); ++slot) {
        const int code = slotInstrument[static_cast<std::size_t>(slot)];
        if (code < 0 || code >= 8)
            continue;
        if (!loadSlotSamples(slot, code, decoded))
            return false;
    }
    loadMetronome();
    bankReady_ = true;
    return true;
}

void CSoundEngine::loadMetronome()
{
    // Without its clicks the metronome stays silent; the music still plays.
    std::vector<std::uint8_t> buffer(kBufferBytes);
    for (int index : {kClickAccent, kClickBeat}) {
        char name[16];
        std::snprintf(name, sizeof name, "%.2d.wav", index);
        CWave wave;
        WaveFormat format;
        if (!wave.Open(root_ + "res/" + kMetronomeFolder + "/" + name) || !wave.GetFormat(format))
            continue;
        const std::uint32_t count = wave.ReadData(buffer.data(), kBufferBytes);
        if (auto sample = sound::makeSample(format, buffer.data(), count, kBufferBytes))
            mixer_->install(kMetronomeSlot, index, std::move(sample));
    }
}

void CSoundEngine::LoadSlot(int slot, std::span<const int> slotInstrument)
{
    if (!hasDevice_) {
        reportDeviceProblem();
        return;
    }
    if (slot < 0 || slot >= static_cast<int>(slotInstrument.size()))
        return;
    const int count = std::min(std::max(slotTableCount_.load() + 1, slot + 1), static_cast<int>(slotInstrument.size()));
    for (int s = 0; s < std::min(count, kSlotLimit); ++s)
        slotCodes_[static_cast<std::size_t>(s)].store(slotInstrument[static_cast<std::size_t>(s)],
                                                     std::memory_order_relaxed);
    slotTableCount_ = count;
    if (slot >= kScoreSlotLimit)
        return;
    clearEffects(slot);
    mixer_->clearSlot(slot);
    const int code = slotInstrument[static_cast<std::size_t>(slot)];
    if (code < 0 || code >= 8)
        return;
    std::array<std::vector<std::shared_ptr<const sound::SampleData>>, 8> decoded;
    if (!loadSlotSamples(slot, code, decoded)) {
        bankReady_ = false;
        return;
    }
    bankReady_ = true;
}

// ---------------------------------------------------------------- voices

bool CSoundEngine::isReady() const
{
    return bankReady_ && outputOpen_;
}

bool CSoundEngine::postable(int slot, int index) const
{
    return hasBuffer(slot, index);
}

void CSoundEngine::PostStart(int slot, int index)
{
    PostStartAt(slot, index, 0);
}

void CSoundEngine::PostStartAt(int slot, int index, int bytePosition)
{
    if (!postable(slot, index) || bytePosition < 0)
        return;
    command([&] { mixer_->post(slot, index, bytePosition); });
}

void CSoundEngine::PostStop(int slot, int index)
{
    if (!postable(slot, index))
        return;
    command([&] { mixer_->post(slot, index, sound::Mixer::kPendingStop); });
}

void CSoundEngine::StartNow(int slot, int index, int bytePosition)
{
    if (!postable(slot, index) || bytePosition < 0)
        return;
    command([&] { mixer_->startNow(slot, index, bytePosition); });
}

void CSoundEngine::StopNow(int slot, int index)
{
    if (!postable(slot, index))
        return;
    mixer_->stopNow(slot, index);
}

void CSoundEngine::StopAll()
{
    mixer_->stopAll();
}

void CSoundEngine::SetFrequency(int slot, int index, int hertz)
{
    if (postable(slot, index))
        mixer_->setFrequency(slot, index, hertz);
}

void CSoundEngine::SetVolume(int slot, int index, int level)
{
    if (level < -10000)
        level = -10000;
    else if (level > 0)
        level = -400;
    // Every voice plays 4 dB below the level asked for.
    if (postable(slot, index))
        mixer_->setLevel(slot, index, level - 400);
}

void CSoundEngine::SetPan(int slot, int index, int pan)
{
    if (postable(slot, index))
        mixer_->setPan(slot, index, pan);
}

void CSoundEngine::Release(int slot, int index, int ms)
{
    if (postable(slot, index))
        mixer_->releaseNow(slot, index, ms);
}

void CSoundEngine::SustainFrom(int slot, int index, int bytePosition)
{
    if (postable(slot, index) && bytePosition >= 0)
        command([&] { mixer_->sustainNow(slot, index, bytePosition); });
}

void CSoundEngine::SetTone(int slot, int index, int hertz)
{
    if (postable(slot, index))
        mixer_->setTone(slot, index, hertz);
}

int CSoundEngine::bufferVolume(int slot, int index) const
{
    return mixer_->level(slot, index);
}

int CSoundEngine::bufferFrequency(int slot, int index) const
{
    return mixer_->frequency(slot, index);
}

int CSoundEngine::bufferPan(int slot, int index) const
{
    return mixer_->pan(slot, index);
}

int CSoundEngine::bufferPosition(int slot, int index) const
{
    return mixer_->position(slot, index);
}

// ---------------------------------------------------------------- effects

void CSoundEngine::clearEffects(int slot)
{
    const auto s = static_cast<std::size_t>(slot);
    effectParams_[s] = sound::SlotEffects{};
    if (chains_[s])
        chains_[s]->publish(effectParams_[s]);
    // Also takes off a processor someone else put there.
    mixer_->setBusProcessor(slot, chains_[s].get());
}

void CSoundEngine::rebuildChains()
{
    // Delay lines are sized for the output rate: a new rate needs new chains.
    for (int slot = 0; slot < kSlotLimit; ++slot) {
        auto& chain = chains_[static_cast<std::size_t>(slot)];
        if (!chain)
            continue;
        if (chain->rate() != mixer_->rate()) {
            mixer_->setBusProcessor(slot, nullptr);
            chain = std::make_unique<sound::EffectChain>(mixer_->rate());
            chain->publish(effectParams_[static_cast<std::size_t>(slot)]);
        }
        mixer_->setBusProcessor(slot, chain.get());
    }
}

sound::SlotEffects CSoundEngine::ReadEffectParams(int slot) const
{
    if (slot < 0 || slot >= kSlotLimit)
        return {};
    return effectParams_[static_cast<std::size_t>(slot)];
}

void CSoundEngine::ApplyEffects(int slot, const sound::SlotEffects& settings)
{
    if (slot < 0 || slot >= kSlotLimit)
        return;
    const auto s = static_cast<std::size_t>(slot);
    effectParams_[s] = settings.clampedCopy();
    if (!chains_[s]) {
        if (!effectParams_[s].anyOn())
            return;
        // Built here, never on the audio thread.
        chains_[s] = std::make_unique<sound::EffectChain>(mixer_->rate());
        chains_[s]->publish(effectParams_[s]);
        mixer_->setBusProcessor(slot, chains_[s].get());
        return;
    }
    chains_[s]->publish(effectParams_[s]);
    mixer_->setBusProcessor(slot, chains_[s].get());
    mixer_->noteActivity();
}
