#include "CSoundEngine.h"

#include "CAccord.h"
#include "CTabDoc.h"
#include "CWave.h"
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
    report(kDeviceProblem);
}

CSoundEngine::Output CSoundEngine::outputFromEnvironment()
{
    const char* v = std::getenv("FRETLARK_AUDIO");
    const std::string choice = v ? v : "";
    if (choice == "null")
        return Output::Null;
    if (choice == "none")
        return Output::None;
    return Output::Device;
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
    std::unique_ptr<sound::PortAudioOutput> device;
    if (kind == Output::None)
        return;
    if (kind == Output::Device) {
        device = sound::PortAudioOutput::create();
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

    auto policy = [this] { return mayIdle(); };
    if (kind == Output::Device) {
        // A device that refuses the stream is as good as none.
        if (!device->openStream(*mixer_, policy)) {
            hasDevice_ = false;
            return;
        }
        output_ = std::move(device);
    } else if (kind == Output::Null) {
        output_ = std::make_unique<sound::NullOutput>(*mixer_, policy, clock_);
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
        mixer_->setBusProcessor(s, nullptr);
    }
    std::array<std::vector<std::shared_ptr<const sound::SampleData>>, 8> decoded;
    // The ring addresses 16 slots; a score never uses more than its ten tracks.
    for (int slot = 0; slot < std::min(slotCount, kSlotLimit); ++slot) {
        const int code = slotInstrument[static_cast<std::size_t>(slot)];
        if (code < 0 || code >= 8)
            continue;
        if (!loadSlotSamples(slot, code, decoded))
            return false;
    }
    bankReady_ = true;
    return true;
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
    if (slot >= kSlotLimit)
        return;
    mixer_->setBusProcessor(slot, nullptr);
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

// ---------------------------------------------------------------- note to sample

int CSoundEngine::SampleIndexFor(int instrument, const CNote& note, const std::array<int, 6>& tuning, int capo,
                                 int string)
{
    if (note.fret == model::kEmptyFret || string < 0 || string >= 6)
        return kNoSample;
    const int n = countOf(instrument);
    if (n == 0)
        return kNoSample;
    if (instrument == model::kDrums)
        return note.fret >= 0 && note.fret < n ? note.fret : kNoSample;
    if (note.fret == model::kDeadFret)
        return n - 1;
    std::int64_t index = static_cast<std::int64_t>(tuning[static_cast<std::size_t>(5 - string)]) + note.fret;
    if (note.fret <= 24)
        index += capo;
    // Too high for the instrument: played as many octaves lower as needed.
    if (index >= n - 1)
        index -= 12 * ((index - (n - 1)) / 12 + 1);
    return index >= 0 ? static_cast<int>(index) : kNoSample;
}

int CSoundEngine::SampleIndex(const CTabDoc& doc, const CAccord& beat, int string, int track) const
{
    if (track < 0 || track >= model::kMaxTracks)
        return kNoSample;
    const CArray<CMesure>& measures = doc.tracks[static_cast<std::size_t>(track)];
    if (measures.IsEmpty())
        return kNoSample;
    // The instrument is that of the measure holding the beat: a track may
    // change instrument from one measure to the next.
    int slot = measures[0].instrumentSlot;
    const std::less<const CAccord*> before;
    for (const CMesure& m : measures) {
        const std::vector<CAccord>& beats = m.beats.raw();
        if (!beats.empty() && !before(&beat, beats.data()) && before(&beat, beats.data() + beats.size())) {
            slot = m.instrumentSlot;
            break;
        }
    }
    return SampleIndexFor(doc.instrumentOfSlot(slot), beat.notes[string < 0 || string >= 6 ? 0 : string],
                          doc.tuning[static_cast<std::size_t>(track)], doc.capo[static_cast<std::size_t>(track)],
                          string);
}
