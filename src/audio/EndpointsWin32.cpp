// SPDX-License-Identifier: GPL-3.0-or-later
// Windows backend of the audio endpoints: the MMDevice API, the capture volume through
// IAudioEndpointVolume and the jack type from the capture endpoint's form factor.
#include <windows.h>
// clang-format off
#include <initguid.h>
#include <mmdeviceapi.h>
#include <endpointvolume.h>
#include <functiondiscoverykeys_devpkey.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <string>

#include "audio/EndpointsWin32.h"
#include "common/WideText.h"

namespace kotar {
namespace {

constexpr auto kProbeInterval = std::chrono::seconds(1);

// One COM interface pointer, released with its owner.
template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_ != nullptr)
            p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* operator->() const { return p_; }
    Interface* get() const { return p_; }
    Interface** out() { return &p_; }
    void** out_void() { return reinterpret_cast<void**>(&p_); }
    explicit operator bool() const { return p_ != nullptr; }

private:
    Interface* p_ = nullptr;
};

// COM for the calling thread while the object lives; a thread that already has COM in another
// apartment kind keeps it.
class ComScope {
public:
    explicit ComScope(DWORD apartment) {
        uninitialize_ = SUCCEEDED(::CoInitializeEx(nullptr, apartment));
    }
    ~ComScope() {
        if (uninitialize_)
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool uninitialize_ = false;
};

bool CreateEnumerator(ComPtr<IMMDeviceEnumerator>& enumerator) {
    return SUCCEEDED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                        __uuidof(IMMDeviceEnumerator), enumerator.out_void()));
}

// The default endpoint of a direction for the console role, when one is active.
bool DefaultEndpoint(IMMDeviceEnumerator& enumerator, EDataFlow flow, ComPtr<IMMDevice>& device) {
    if (FAILED(enumerator.GetDefaultAudioEndpoint(flow, eConsole, device.out())))
        return false;
    DWORD state = 0;
    return SUCCEEDED(device->GetState(&state)) && state == DEVICE_STATE_ACTIVE;
}

std::string IdOf(IMMDevice& device) {
    LPWSTR id = nullptr;
    if (FAILED(device.GetId(&id)) || id == nullptr)
        return {};
    std::string text = WideToUtf8(id);
    ::CoTaskMemFree(id);
    return text;
}

// An endpoint without a form factor counts as a microphone, as a source without ports does.
std::uint32_t FormFactorOf(IMMDevice& device) {
    std::uint32_t form_factor = UnknownFormFactor;
    ComPtr<IPropertyStore> properties;
    if (SUCCEEDED(device.OpenPropertyStore(STGM_READ, properties.out()))) {
        PROPVARIANT value;
        ::PropVariantInit(&value);
        if (SUCCEEDED(properties->GetValue(PKEY_AudioEndpoint_FormFactor, &value)) &&
            value.vt == VT_UI4)
            form_factor = value.ulVal;
        ::PropVariantClear(&value);
    }
    return form_factor;
}

bool VolumeControlOf(IMMDevice& device, ComPtr<IAudioEndpointVolume>& control) {
    return SUCCEEDED(
        device.Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr, control.out_void()));
}

EndpointState Query(IMMDeviceEnumerator& enumerator) {
    EndpointState state;
    state.answering = true;
    ComPtr<IMMDevice> capture;
    if (DefaultEndpoint(enumerator, eCapture, capture)) {
        state.input_id = IdOf(*capture.get());
        state.input = CaptureFacts(FormFactorOf(*capture.get()));
        ComPtr<IAudioEndpointVolume> control;
        float level = 0.0f;
        if (VolumeControlOf(*capture.get(), control) &&
            SUCCEEDED(control->GetMasterVolumeLevelScalar(&level)))
            state.input_volume = std::clamp(level, 0.0f, 1.0f);
    }
    ComPtr<IMMDevice> render;
    if (DefaultEndpoint(enumerator, eRender, render)) {
        state.output_id = IdOf(*render.get());
        state.output_exists = !state.output_id.empty();
    }
    return state;
}

// Passes the system's device notifications (on its own thread) on as refresh requests. A COM
// object is released through Release, never deleted through its interface, which has no
// virtual destructor for that reason.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class DeviceNotifications final : public IMMNotificationClient {
public:
    explicit DeviceNotifications(MmDeviceEndpoints& owner) : owner_(owner) {}

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // owned by Run
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
            *object = static_cast<IMMNotificationClient*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return Changed(); }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return Changed(); }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return Changed(); }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole, LPCWSTR) override {
        return Changed();
    }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override {
        return Changed();
    }

private:
    HRESULT Changed() {
        owner_.Refresh();
        return S_OK;
    }

    MmDeviceEndpoints& owner_;
    std::atomic<ULONG> references_{1};
};
#pragma GCC diagnostic pop

}  // namespace

SourceFacts CaptureFacts(std::uint32_t form_factor) {
    SourceFacts facts;
    facts.exists = true;
    facts.has_active_port = form_factor == LineLevel;
    facts.port_is_line = form_factor == LineLevel;
    return facts;
}

MmDeviceEndpoints::MmDeviceEndpoints() : thread_([this] { Run(); }) {}

MmDeviceEndpoints::~MmDeviceEndpoints() {
    {
        std::lock_guard lock(wake_mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

std::uint64_t MmDeviceEndpoints::Refresh() {
    std::uint64_t request = 0;
    {
        std::lock_guard lock(wake_mutex_);
        request = ++requested_;
    }
    wake_.notify_all();
    return request;
}

void MmDeviceEndpoints::Run() {
    ComScope com(COINIT_MULTITHREADED);
    ComPtr<IMMDeviceEnumerator> enumerator;
    DeviceNotifications notifications(*this);
    bool registered = false;
    for (;;) {
        std::uint64_t serving = 0;
        {
            std::lock_guard lock(wake_mutex_);
            serving = requested_;
        }
        if (!enumerator && CreateEnumerator(enumerator))
            registered =
                SUCCEEDED(enumerator->RegisterEndpointNotificationCallback(&notifications));
        // Without an enumerator the sound system does not answer; it is asked again later.
        Publish(enumerator ? Query(*enumerator.get()) : EndpointState{});
        std::unique_lock lock(wake_mutex_);
        served_ = serving;
        wake_.notify_all();
        wake_.wait_for(lock, kProbeInterval, [this] { return stop_ || requested_ > served_; });
        if (stop_)
            break;
    }
    if (registered)
        enumerator->UnregisterEndpointNotificationCallback(&notifications);
}

bool MmDeviceEndpoints::SetVolume(float volume) {
    volume = std::clamp(volume, 0.0f, 1.0f);
    ComScope com(COINIT_APARTMENTTHREADED);
    ComPtr<IMMDeviceEnumerator> enumerator;
    ComPtr<IMMDevice> capture;
    ComPtr<IAudioEndpointVolume> control;
    if (!CreateEnumerator(enumerator) || !DefaultEndpoint(*enumerator.get(), eCapture, capture) ||
        !VolumeControlOf(*capture.get(), control) ||
        FAILED(control->SetMasterVolumeLevelScalar(volume, nullptr)))
        return false;
    EndpointState shown = State();
    shown.input_volume = volume;
    Publish(shown);
    Refresh();
    return true;
}

bool MmDeviceEndpoints::ConfirmAnswering(std::chrono::milliseconds limit) {
    const std::uint64_t request = Refresh();
    std::unique_lock lock(wake_mutex_);
    return wake_.wait_for(lock, limit, [&] { return served_ >= request; }) && State().answering;
}

CachedEndpoints& SystemEndpoints() {
    static MmDeviceEndpoints endpoints;
    return endpoints;
}

}  // namespace kotar
