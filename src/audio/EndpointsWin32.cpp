// Windows backend of the audio endpoints: the default capture and render endpoints of the
// MMDevice API, the capture volume through IAudioEndpointVolume and the jack type from the
// capture endpoint's form factor.
#include <windows.h>
// clang-format off
#include <initguid.h>
#include <mmdeviceapi.h>
#include <endpointvolume.h>
#include <functiondiscoverykeys_devpkey.h>
// clang-format on

#include <algorithm>

#include "audio/Endpoints.h"
#include "common/WideText.h"

namespace kotar {

const EndpointGuid kLineConnectorGuid = {0xE3, 0x1F, 0xF2, 0xDF, 0x0F, 0xF7, 0xD0, 0x11,
                                         0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96};
const EndpointGuid kMicrophoneGuid = {0xE1, 0x1B, 0xF2, 0xDF, 0x0F, 0xF7, 0xD0, 0x11,
                                      0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96};

std::optional<EndpointGuid> JackTypeOf(const SourceFacts& facts) {
    if (!facts.exists || facts.is_monitor)
        return std::nullopt;
    if (facts.has_active_port && facts.port_unplugged)
        return std::nullopt;
    if (facts.has_active_port && facts.port_is_line)
        return kLineConnectorGuid;
    return kMicrophoneGuid;
}

namespace {

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

// COM for the calling thread for the length of one question; a thread that already has COM in
// another apartment kind keeps it.
class ComScope {
public:
    ComScope() {
        const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        uninitialize_ = SUCCEEDED(hr);
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

// The default endpoint of a direction for the console role, when one is active.
bool DefaultEndpoint(EDataFlow flow, ComPtr<IMMDevice>& device) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                  __uuidof(IMMDeviceEnumerator), enumerator.out_void())))
        return false;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(flow, eConsole, device.out())))
        return false;
    DWORD state = 0;
    return SUCCEEDED(device->GetState(&state)) && state == DEVICE_STATE_ACTIVE;
}

std::optional<std::string> EndpointId(EDataFlow flow) {
    ComScope com;
    ComPtr<IMMDevice> device;
    if (!DefaultEndpoint(flow, device))
        return std::nullopt;
    LPWSTR id = nullptr;
    if (FAILED(device->GetId(&id)) || id == nullptr)
        return std::nullopt;
    std::string text = WideToUtf8(id);
    ::CoTaskMemFree(id);
    return text;
}

// Runs `use` on the capture endpoint's volume control; false when there is none.
template <class Use>
bool WithInputVolume(Use use) {
    ComScope com;
    ComPtr<IMMDevice> device;
    if (!DefaultEndpoint(eCapture, device))
        return false;
    ComPtr<IAudioEndpointVolume> volume;
    if (FAILED(device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                                volume.out_void())))
        return false;
    return use(*volume.get());
}

}  // namespace

std::optional<EndpointGuid> JackTypeOfFormFactor(int form_factor) {
    if (form_factor == LineLevel)
        return kLineConnectorGuid;
    return kMicrophoneGuid;
}

std::optional<std::string> DefaultSourceName() {
    return EndpointId(eCapture);
}

std::optional<std::string> DefaultSinkName() {
    return EndpointId(eRender);
}

std::optional<std::string> GetInputEndpoint() {
    return EndpointId(eCapture);
}

bool HasOutputDevice() {
    return EndpointId(eRender).has_value();
}

std::optional<std::string> GetInputVolumeControl() {
    std::optional<std::string> id = GetInputEndpoint();
    if (!id || !WithInputVolume([](IAudioEndpointVolume&) { return true; }))
        return std::nullopt;
    return id;
}

bool GetInputJackType(EndpointGuid& guid) {
    ComScope com;
    ComPtr<IMMDevice> device;
    if (!DefaultEndpoint(eCapture, device))
        return false;
    // An endpoint without a form factor is taken as a microphone, as a source without ports is.
    int form_factor = UnknownFormFactor;
    ComPtr<IPropertyStore> properties;
    if (SUCCEEDED(device->OpenPropertyStore(STGM_READ, properties.out()))) {
        PROPVARIANT value;
        ::PropVariantInit(&value);
        if (SUCCEEDED(properties->GetValue(PKEY_AudioEndpoint_FormFactor, &value)) &&
            value.vt == VT_UI4)
            form_factor = static_cast<int>(value.ulVal);
        ::PropVariantClear(&value);
    }
    const std::optional<EndpointGuid> jack = JackTypeOfFormFactor(form_factor);
    if (!jack)
        return false;
    guid = *jack;
    return true;
}

bool GetInputVolume(float& volume) {
    return WithInputVolume([&](IAudioEndpointVolume& control) {
        float level = 0.0f;
        if (FAILED(control.GetMasterVolumeLevelScalar(&level)))
            return false;
        volume = std::clamp(level, 0.0f, 1.0f);
        return true;
    });
}

bool SetInputVolume(float volume) {
    return WithInputVolume([&](IAudioEndpointVolume& control) {
        return SUCCEEDED(
            control.SetMasterVolumeLevelScalar(std::clamp(volume, 0.0f, 1.0f), nullptr));
    });
}

AudioEndpoints& SystemEndpoints() {
    static AudioEndpoints endpoints;
    return endpoints;
}

}  // namespace kotar
