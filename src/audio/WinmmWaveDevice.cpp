// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/WinmmWaveDevice.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "audio/SystemWaveDevice.h"

namespace kotar {

namespace {

// How long opening a stream waits for the endpoints to show that the system still answers: the
// audio driver under winmm may wait for ever on a sound server that has stopped answering.
constexpr std::chrono::milliseconds kAnswerLimit(500);

std::optional<WAVEFORMATEX> ToWinmmFormat(const WaveFormat& format) {
    if (format.format_tag != kFormatPcm || format.channels == 0 || format.samples_per_sec == 0 ||
        (format.bits_per_sample != 16 && format.bits_per_sample != 8))
        return std::nullopt;
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samples_per_sec;
    wave.wBitsPerSample = format.bits_per_sample;
    // Derived, not copied: winmm refuses a PCM format whose figures disagree.
    wave.nBlockAlign = static_cast<WORD>(format.channels * format.bits_per_sample / 8);
    wave.nAvgBytesPerSec = format.samples_per_sec * wave.nBlockAlign;
    return wave;
}

// What winmm's callback and the queued notifications share with one stream. The callback runs
// on a thread of winmm (or inside the winmm call that caused it) and may call no winmm
// function: it only queues the notification on the UI thread. Queued notifications keep the
// channel alive after the stream is gone.
class Channel : public std::enable_shared_from_this<Channel> {
public:
    Channel(QObject* context, WaveListener& listener)
        : context_(context), listener_(&listener), life_(listener.LifeToken()) {}

    // From winmm's callback.
    void Report(UINT message, const WAVEHDR* buffer) {
        if (!silenced_)
            Notify(message, buffer);
    }

    // Queues the notification of a winmm message.
    void Notify(UINT message, const WAVEHDR* buffer) {
        switch (message) {
            case WIM_OPEN:
                Post([](Channel&, WaveListener& l) { l.OnInputOpen(); });
                break;
            case WOM_OPEN:
                Post([](Channel&, WaveListener& l) { l.OnOutputOpen(); });
                break;
            case WIM_DATA:
            case WOM_DONE:
                if (!forgetting_)
                    Returned(reinterpret_cast<WaveHeader*>(buffer->dwUser), buffer->dwBytesRecorded,
                             message == WIM_DATA);
                break;
            case WIM_CLOSE:
                Post([](Channel&, WaveListener& l) { l.OnInputClose(); });
                break;
            case WOM_CLOSE:
                Post([](Channel&, WaveListener& l) { l.OnOutputClose(); });
                break;
            default:
                break;
        }
    }

    // A buffer is back: it is marked done and handed to the owner on the UI thread.
    void Returned(WaveHeader* header, DWORD bytes_recorded, bool input) {
        Post([header, bytes_recorded, input](Channel& channel, WaveListener& l) {
            header->done = true;
            if (input) {
                header->bytes_recorded = bytes_recorded;
                l.OnInputData(*header);
                return;
            }
            if (channel.playing == header) {
                channel.playing = nullptr;
                channel.last_position = header->buffer_length;
            }
            l.OnOutputDone(*header);
        });
    }

    // The stream was dropped without Close: nothing more reaches the owner.
    void Abandon() { abandoned_ = true; }
    // The stream is being closed: buffers winmm returns from now on are not reported.
    void Forget() { forgetting_ = true; }
    // Nothing winmm reports from now on is passed on.
    void Silence() { silenced_ = true; }

    // Render streams' state, read and written on the UI thread only: the buffer being played
    // and the position at which the last one ended.
    WaveHeader* playing = nullptr;
    std::uint32_t last_position = 0;

private:
    void Post(std::function<void(Channel&, WaveListener&)> call) {
        QMetaObject::invokeMethod(
            context_,
            [self = shared_from_this(), call = std::move(call)] {
                if (!self->abandoned_ && !self->life_.expired())
                    call(*self, *self->listener_);
            },
            Qt::QueuedConnection);
    }

    QObject* context_;
    WaveListener* listener_;
    std::weak_ptr<int> life_;
    std::atomic<bool> abandoned_{false};
    std::atomic<bool> forgetting_{false};
    std::atomic<bool> silenced_{false};
};

void CALLBACK WinmmCallback(HDRVR, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
    reinterpret_cast<Channel*>(instance)->Report(message, reinterpret_cast<WAVEHDR*>(param1));
}

// The two directions of winmm under one set of names.
struct InputApi {
    using Handle = HWAVEIN;
    static constexpr UINT kClosed = WIM_CLOSE;
    static MMRESULT Open(Handle* handle, const WAVEFORMATEX& format, Channel& channel) {
        return ::waveInOpen(handle, WAVE_MAPPER, &format,
                            reinterpret_cast<DWORD_PTR>(&WinmmCallback),
                            reinterpret_cast<DWORD_PTR>(&channel), CALLBACK_FUNCTION);
    }
    static MMRESULT Prepare(Handle h, WAVEHDR& b) { return ::waveInPrepareHeader(h, &b, sizeof b); }
    static MMRESULT Unprepare(Handle h, WAVEHDR& b) {
        return ::waveInUnprepareHeader(h, &b, sizeof b);
    }
    static MMRESULT Queue(Handle h, WAVEHDR& b) { return ::waveInAddBuffer(h, &b, sizeof b); }
    static MMRESULT Reset(Handle h) { return ::waveInReset(h); }
    static MMRESULT Close(Handle h) { return ::waveInClose(h); }
    static MMRESULT Position(Handle h, MMTIME& t) { return ::waveInGetPosition(h, &t, sizeof t); }
};

struct OutputApi {
    using Handle = HWAVEOUT;
    static constexpr UINT kClosed = WOM_CLOSE;
    static MMRESULT Open(Handle* handle, const WAVEFORMATEX& format, Channel& channel) {
        return ::waveOutOpen(handle, WAVE_MAPPER, &format,
                             reinterpret_cast<DWORD_PTR>(&WinmmCallback),
                             reinterpret_cast<DWORD_PTR>(&channel), CALLBACK_FUNCTION);
    }
    static MMRESULT Prepare(Handle h, WAVEHDR& b) {
        return ::waveOutPrepareHeader(h, &b, sizeof b);
    }
    static MMRESULT Unprepare(Handle h, WAVEHDR& b) {
        return ::waveOutUnprepareHeader(h, &b, sizeof b);
    }
    static MMRESULT Queue(Handle h, WAVEHDR& b) { return ::waveOutWrite(h, &b, sizeof b); }
    static MMRESULT Reset(Handle h) { return ::waveOutReset(h); }
    static MMRESULT Close(Handle h) { return ::waveOutClose(h); }
    static MMRESULT Position(Handle h, MMTIME& t) { return ::waveOutGetPosition(h, &t, sizeof t); }
};

// One open winmm stream: its handle, the winmm headers of the owner's buffers, and the closing
// common to both directions.
template <class Api>
class WinmmStream : public WaveStream {
public:
    WinmmStream(QObject* context, WaveListener& listener, const WAVEFORMATEX& format)
        : channel_(std::make_shared<Channel>(context, listener)), format_(format) {
        if (Api::Open(&handle_, format, *channel_) != MMSYSERR_NOERROR)
            handle_ = nullptr;
    }
    ~WinmmStream() override {
        if (handle_ == nullptr)
            return;
        channel_->Abandon();
        Release();
    }
    WinmmStream(const WinmmStream&) = delete;
    WinmmStream& operator=(const WinmmStream&) = delete;

    bool opened() const { return handle_ != nullptr; }

    void Reset() override {
        if (handle_ != nullptr)
            Api::Reset(handle_);
    }
    void Close() override {
        if (handle_ != nullptr)
            Release();
    }

protected:
    // Prepares and queues the owner's buffer; false when winmm still holds it or refuses it.
    bool Queue(WaveHeader& header) {
        if (handle_ == nullptr)
            return false;
        WAVEHDR& buffer = buffers_[&header];
        // A buffer that winmm returned is prepared again: the owner may have moved its data.
        if ((buffer.dwFlags & WHDR_PREPARED) != 0 &&
            Api::Unprepare(handle_, buffer) != MMSYSERR_NOERROR)
            return false;
        buffer = WAVEHDR{};
        buffer.lpData = reinterpret_cast<LPSTR>(header.data);
        buffer.dwBufferLength = header.buffer_length;
        buffer.dwUser = reinterpret_cast<DWORD_PTR>(&header);
        if (Api::Prepare(handle_, buffer) != MMSYSERR_NOERROR)
            return false;
        header.done = false;
        header.bytes_recorded = 0;
        if (Api::Queue(handle_, buffer) != MMSYSERR_NOERROR) {
            Api::Unprepare(handle_, buffer);
            return false;
        }
        return true;
    }

    // The device's position in bytes since it was opened or last reset.
    std::uint32_t DevicePosition() const {
        if (handle_ == nullptr)
            return 0;
        MMTIME time{};
        time.wType = TIME_BYTES;
        if (Api::Position(handle_, time) != MMSYSERR_NOERROR)
            return 0;
        // A driver may answer in another unit than the one asked for.
        switch (time.wType) {
            case TIME_BYTES:
                return time.u.cb;
            case TIME_SAMPLES:
                return time.u.sample * format_.nBlockAlign;
            case TIME_MS:
                return static_cast<std::uint32_t>(std::uint64_t{time.u.ms} *
                                                  format_.nSamplesPerSec / 1000) *
                       format_.nBlockAlign;
            default:
                return 0;
        }
    }

    const WAVEFORMATEX& format() const { return format_; }
    typename Api::Handle handle() const { return handle_; }
    Channel& channel() { return *channel_; }
    const Channel& channel() const { return *channel_; }

private:
    // Stops the device, takes back every buffer unreported and closes it (winmm reports the
    // close).
    void Release() {
        channel_->Forget();
        Api::Reset(handle_);
        for (auto& [header, buffer] : buffers_) {
            if ((buffer.dwFlags & WHDR_PREPARED) != 0)
                Api::Unprepare(handle_, buffer);
        }
        buffers_.clear();
        if (Api::Close(handle_) != MMSYSERR_NOERROR) {
            // A handle that would not close may still call back into its channel: the channel
            // is kept for good, and no longer listens to it. The owner still gets its close.
            static std::vector<std::shared_ptr<Channel>> kept;
            kept.push_back(channel_);
            channel_->Silence();
            channel_->Notify(Api::kClosed, nullptr);
        }
        handle_ = nullptr;
    }

    std::shared_ptr<Channel> channel_;
    WAVEFORMATEX format_;
    typename Api::Handle handle_ = nullptr;
    // winmm keeps the address of a queued header: one per owner's buffer, never moved.
    std::map<WaveHeader*, WAVEHDR> buffers_;
};

class CaptureStream final : public WinmmStream<InputApi> {
public:
    using WinmmStream::WinmmStream;

    bool AddBuffer(WaveHeader& header) override { return Queue(header); }
    void Start() override {
        if (opened())
            ::waveInStart(handle());
    }
    std::uint32_t Position() const override { return DevicePosition(); }
    void Pause() override {}
};

class RenderStream final : public WinmmStream<OutputApi> {
public:
    using WinmmStream::WinmmStream;

    // One buffer at a time, so that the position is that of the buffer being played.
    bool AddBuffer(WaveHeader& header) override {
        if (!opened() || channel().playing != nullptr)
            return false;
        if (paused_) {
            ::waveOutRestart(handle());
            paused_ = false;
        }
        start_ = DevicePosition();
        channel().playing = &header;
        if (header.buffer_length == 0) {
            header.done = false;
            channel().Returned(&header, 0, false);
            return true;
        }
        if (!Queue(header)) {
            channel().playing = nullptr;
            return false;
        }
        return true;
    }
    void Start() override {}
    std::uint32_t Position() const override {
        const WaveHeader* playing = channel().playing;
        if (playing == nullptr)
            return channel().last_position;
        const std::uint32_t now = DevicePosition();
        const std::uint32_t played = now > start_ ? now - start_ : 0;
        const std::uint32_t block = std::max<std::uint32_t>(format().nBlockAlign, 1);
        return std::min(played, playing->buffer_length) / block * block;
    }
    void Pause() override {
        if (opened() && channel().playing != nullptr) {
            ::waveOutPause(handle());
            paused_ = true;
        }
    }
    void Reset() override {
        if (channel().playing == nullptr)
            return;
        channel().last_position = Position();
        channel().playing = nullptr;
        WinmmStream::Reset();
    }

private:
    std::uint32_t start_ = 0;
    bool paused_ = false;
};

}  // namespace

std::unique_ptr<WaveStream> WinmmWaveDevice::OpenInput(const WaveFormat& format,
                                                       WaveListener& listener) {
    const auto wave_format = ToWinmmFormat(format);
    if (!wave_format || !endpoints_.ConfirmAnswering(kAnswerLimit) ||
        !endpoints_.State().RealInput())
        return nullptr;
    auto stream = std::make_unique<CaptureStream>(this, listener, *wave_format);
    if (!stream->opened())
        return nullptr;
    return stream;
}

std::unique_ptr<WaveStream> WinmmWaveDevice::OpenOutput(const WaveFormat& format,
                                                        WaveListener& listener) {
    const auto wave_format = ToWinmmFormat(format);
    if (!wave_format || !endpoints_.ConfirmAnswering(kAnswerLimit) || !endpoints_.State().Output())
        return nullptr;
    auto stream = std::make_unique<RenderStream>(this, listener, *wave_format);
    if (!stream->opened())
        return nullptr;
    return stream;
}

std::unique_ptr<WaveDevice> MakeSystemWaveDevice(CachedEndpoints& endpoints) {
    return std::make_unique<WinmmWaveDevice>(endpoints);
}

}  // namespace kotar
