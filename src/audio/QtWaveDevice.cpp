// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/QtWaveDevice.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QBuffer>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>

namespace kotar {

namespace {

// How often a render stream looks whether the server has played its whole buffer.
constexpr int kDrainPollMs = 20;
// A sink that has made no progress for this long while idle counts as finished.
constexpr int kStalledDoneMs = 1000;
// How long a stream's opening waits for the sound server to show it still answers: Qt would
// wait for ever on one that stopped answering since the last look.
constexpr std::chrono::milliseconds kAnswerLimit(500);

std::optional<QAudioFormat> ToQtFormat(const WaveFormat& format) {
    if (format.format_tag != kFormatPcm ||
        (format.bits_per_sample != 16 && format.bits_per_sample != 8))
        return std::nullopt;
    QAudioFormat qt;
    qt.setSampleRate(static_cast<int>(format.samples_per_sec));
    qt.setChannelCount(format.channels);
    qt.setSampleFormat(format.bits_per_sample == 16 ? QAudioFormat::Int16 : QAudioFormat::UInt8);
    return qt;
}

// The device whose id is the server's default name; Qt's own default otherwise.
QAudioDevice FindDevice(const QList<QAudioDevice>& devices, const std::string& name,
                        const QAudioDevice& fallback) {
    if (devices.isEmpty())
        return {};
    for (const QAudioDevice& device : devices) {
        if (device.id() == QByteArray::fromStdString(name))
            return device;
    }
    return fallback;
}

// Delivers the notifications of one stream later on the UI thread, dropping them when the
// stream was abandoned or its listener is gone.
class Notifier {
public:
    Notifier(QObject* context, WaveListener& listener)
        : context_(context), listener_(&listener), life_(listener.LifeToken()) {}

    void Post(std::function<void(WaveListener&)> call) {
        QMetaObject::invokeMethod(
            context_.data(),
            [alive = alive_, life = life_, listener = listener_, call = std::move(call)] {
                if (*alive && !life.expired())
                    call(*listener);
            },
            Qt::QueuedConnection);
    }
    void Abandon() { *alive_ = false; }
    QObject* context() const { return context_.data(); }

private:
    QPointer<QObject> context_;
    WaveListener* listener_;
    std::weak_ptr<int> life_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class CaptureStream : public WaveStream {
public:
    CaptureStream(QObject* context, WaveListener& listener, const QAudioDevice& device,
                  const QAudioFormat& format)
        : notifier_(context, listener), source_(std::make_unique<QAudioSource>(device, format)) {
        notifier_.Post([](WaveListener& l) { l.OnInputOpen(); });
    }
    ~CaptureStream() override {
        if (!closed_)
            notifier_.Abandon();
        source_->disconnect();
        source_->stop();
        // Its destructor runs a nested event loop: never inside the owner's destruction. The
        // device takes it meanwhile, so that it is gone before the sound system shuts down.
        source_->setParent(notifier_.context());
        source_.release()->deleteLater();
    }

    bool AddBuffer(WaveHeader& header) override {
        if (closed_)
            return false;
        header.done = false;
        header.bytes_recorded = 0;
        queue_.push_back(&header);
        return true;
    }
    void Start() override {
        if (closed_ || io_ != nullptr)
            return;
        io_ = source_->start();
        if (io_ != nullptr)
            QObject::connect(io_, &QIODevice::readyRead, source_.get(), [this] { Take(); });
    }
    std::uint32_t Position() const override { return position_bytes_; }
    void Pause() override {}
    void Reset() override {
        Take();
        source_->stop();
        io_ = nullptr;
        while (!queue_.empty())
            Return();
    }
    void Close() override {
        if (closed_)
            return;
        source_->disconnect();
        source_->stop();
        io_ = nullptr;
        queue_.clear();
        closed_ = true;
        notifier_.Post([](WaveListener& l) { l.OnInputClose(); });
    }

private:
    // Moves what the server captured into the queued buffers; without a buffer it is lost.
    void Take() {
        if (io_ == nullptr)
            return;
        // The source's device reports nothing in bytesAvailable(): read until it runs dry.
        for (;;) {
            if (queue_.empty()) {
                io_->readAll();
                return;
            }
            WaveHeader& header = *queue_.front();
            const qint64 room = header.buffer_length - header.bytes_recorded;
            const qint64 read =
                io_->read(reinterpret_cast<char*>(header.data + header.bytes_recorded), room);
            if (read <= 0)
                return;
            header.bytes_recorded += static_cast<std::uint32_t>(read);
            position_bytes_ += static_cast<std::uint32_t>(read);
            if (header.bytes_recorded == header.buffer_length)
                Return();
        }
    }
    void Return() {
        WaveHeader* header = queue_.front();
        queue_.pop_front();
        header->done = true;
        notifier_.Post([header](WaveListener& l) { l.OnInputData(*header); });
    }

    Notifier notifier_;
    std::unique_ptr<QAudioSource> source_;
    QIODevice* io_ = nullptr;
    std::deque<WaveHeader*> queue_;
    std::uint32_t position_bytes_ = 0;
    bool closed_ = false;
};

class RenderStream : public WaveStream {
public:
    RenderStream(QObject* context, WaveListener& listener, const QAudioDevice& device,
                 const QAudioFormat& format)
        : notifier_(context, listener),
          format_(format),
          sink_(std::make_unique<QAudioSink>(device, format)) {
        poll_.setInterval(kDrainPollMs);
        QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
        notifier_.Post([](WaveListener& l) { l.OnOutputOpen(); });
    }
    ~RenderStream() override {
        if (!closed_)
            notifier_.Abandon();
        poll_.stop();
        sink_->disconnect();
        sink_->stop();
        sink_->setParent(notifier_.context());
        sink_.release()->deleteLater();
    }

    bool AddBuffer(WaveHeader& header) override {
        if (closed_ || header_ != nullptr)
            return false;
        header.done = false;
        header_ = &header;
        last_progress_ = 0;
        stalled_ms_ = 0;
        if (header.buffer_length == 0) {
            Return();
            return true;
        }
        bytes_ = QByteArray::fromRawData(reinterpret_cast<const char*>(header.data),
                                         static_cast<qsizetype>(header.buffer_length));
        buffer_.close();
        buffer_.setBuffer(&bytes_);
        buffer_.open(QIODevice::ReadOnly);
        sink_->start(&buffer_);
        poll_.start();
        return true;
    }
    void Start() override {}
    std::uint32_t Position() const override {
        if (header_ == nullptr)
            return last_position_;
        return PlayedBytes();
    }
    void Pause() override {
        if (header_ != nullptr)
            sink_->suspend();
    }
    void Reset() override {
        if (header_ == nullptr)
            return;
        last_position_ = PlayedBytes();
        poll_.stop();
        sink_->stop();
        Return();
    }
    void Close() override {
        if (closed_)
            return;
        poll_.stop();
        sink_->stop();
        header_ = nullptr;
        closed_ = true;
        notifier_.Post([](WaveListener& l) { l.OnOutputClose(); });
    }

private:
    std::uint32_t PlayedBytes() const {
        // What the server has played, not how far the QIODevice was read (that runs ahead).
        const qint64 played = format_.bytesForDuration(sink_->processedUSecs());
        const qint64 length = header_ != nullptr ? header_->buffer_length : 0;
        return static_cast<std::uint32_t>(std::clamp<qint64>(played & ~qint64{1}, 0, length));
    }
    void Poll() {
        if (header_ == nullptr)
            return;
        const std::uint32_t played = PlayedBytes();
        // A sink turns idle while its last 120-160 ms are still queued: it is finished only
        // when the processed time covers the whole buffer (one frame of rounding allowed).
        const bool covered =
            played + static_cast<std::uint32_t>(format_.bytesPerFrame()) >= header_->buffer_length;
        if (sink_->state() == QAudio::IdleState && !covered) {
            stalled_ms_ = played == last_progress_ ? stalled_ms_ + kDrainPollMs : 0;
        }
        last_progress_ = played;
        if (covered || stalled_ms_ >= kStalledDoneMs) {
            last_position_ = header_->buffer_length;
            poll_.stop();
            sink_->stop();
            Return();
        }
    }
    void Return() {
        WaveHeader* header = header_;
        header_ = nullptr;
        header->done = true;
        notifier_.Post([header](WaveListener& l) { l.OnOutputDone(*header); });
    }

    Notifier notifier_;
    QAudioFormat format_;
    std::unique_ptr<QAudioSink> sink_;
    QByteArray bytes_;
    QBuffer buffer_;
    QTimer poll_;
    WaveHeader* header_ = nullptr;
    std::uint32_t last_position_ = 0;
    std::uint32_t last_progress_ = 0;
    int stalled_ms_ = 0;
    bool closed_ = false;
};

}  // namespace

std::unique_ptr<WaveStream> QtWaveDevice::OpenInput(const WaveFormat& format,
                                                    WaveListener& listener) {
    const auto qt_format = ToQtFormat(format);
    const auto name = endpoints_.State().RealInput();
    if (!qt_format || !name || !endpoints_.ConfirmAnswering(kAnswerLimit))
        return nullptr;
    const QAudioDevice device =
        FindDevice(QMediaDevices::audioInputs(), *name, QMediaDevices::defaultAudioInput());
    if (device.isNull() || !device.isFormatSupported(*qt_format))
        return nullptr;
    return std::make_unique<CaptureStream>(this, listener, device, *qt_format);
}

std::unique_ptr<WaveStream> QtWaveDevice::OpenOutput(const WaveFormat& format,
                                                     WaveListener& listener) {
    const auto qt_format = ToQtFormat(format);
    const auto name = endpoints_.State().Output();
    if (!qt_format || !name || !endpoints_.ConfirmAnswering(kAnswerLimit))
        return nullptr;
    const QAudioDevice device =
        FindDevice(QMediaDevices::audioOutputs(), *name, QMediaDevices::defaultAudioOutput());
    if (device.isNull() || !device.isFormatSupported(*qt_format))
        return nullptr;
    return std::make_unique<RenderStream>(this, listener, device, *qt_format);
}

std::unique_ptr<WaveDevice> MakeSystemWaveDevice(CachedEndpoints& endpoints) {
    return std::make_unique<QtWaveDevice>(endpoints);
}

}  // namespace kotar
