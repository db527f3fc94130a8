#include "Autosave.h"

#include "CTabDoc.h"
#include "TbfFormat.h"

#include <chrono>

Autosave::Autosave(CTabDoc& doc, recovery::Store& store, std::int64_t intervalMs, std::string version)
    : doc_(doc), store_(store), schedule_(intervalMs), version_(std::move(version)),
      writer_(std::make_unique<recovery::BackgroundWriter>(store))
{
}

Autosave::~Autosave()
{
    writer_.reset(); // finishes what was asked
}

bool Autosave::modified() const
{
    return doc_.isSaved == 0;
}

void Autosave::tick(std::int64_t now)
{
    if (!store_.claimed())
        return;
    const bool changed = modified();
    if (!changed && copyAsked_) {
        writer_->remove();
        copyAsked_ = false;
        lastBytes_.clear();
        schedule_.reset();
        return;
    }
    if (!schedule_.due(changed, now))
        return;
    schedule_.written(now);
    // Only this thread changes the score, so it is read here without the
    // score lock (taking it would make playback skip a pass); the bytes are
    // the copy the worker writes while typing goes on.
    std::string bytes;
    try {
        bytes = tbf::write(doc_);
    } catch (const CannotWrite& e) {
        lastError_ = e.what();
        return;
    }
    if (copyAsked_ && bytes == lastBytes_)
        return;
    recovery::Info info;
    info.originalPath = doc_.pathName;
    info.savedAt = std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
    info.version = version_;
    lastBytes_ = bytes;
    writer_->write(std::move(bytes), std::move(info));
    copyAsked_ = true;
}

void Autosave::discard()
{
    if (copyAsked_)
        writer_->remove();
    copyAsked_ = false;
    lastBytes_.clear();
    schedule_.reset();
}

void Autosave::adopted()
{
    copyAsked_ = true;
    lastBytes_.clear();
}

void Autosave::flush()
{
    writer_->flush();
}
