// SPDX-License-Identifier: GPL-3.0-or-later
// Windows side of the port list: COM numbers are the system's own ("\\.\COMn"); the present
// ports are the registry's map of serial devices (HARDWARE\DEVICEMAP\SERIALCOMM), named by
// the friendly names of the "Ports" device class where the system has one.
#include <windows.h>
// clang-format off
#include <setupapi.h>
#include <devguid.h>
#include <cfgmgr32.h>
// clang-format on

#include <map>

#include "common/WideText.h"
#include "link/PortList.h"

namespace kotar {
namespace {

// The friendly names of the enabled devices of the "Ports" class, by port name ("COM3").
std::map<std::wstring, std::string> FriendlyNamesByPort() {
    std::map<std::wstring, std::string> names;
    HDEVINFO devices =
        ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return names;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        ULONG status = 0;
        ULONG problem = 0;
        if (::CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) == CR_SUCCESS &&
            problem == CM_PROB_DISABLED)
            continue;
        HKEY key =
            ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        wchar_t port[64] = {};
        DWORD port_bytes = sizeof port - sizeof(wchar_t);
        const bool has_port =
            ::RegQueryValueExW(key, L"PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(port),
                               &port_bytes) == ERROR_SUCCESS;
        ::RegCloseKey(key);
        wchar_t friendly[512] = {};
        if (has_port &&
            ::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                                reinterpret_cast<BYTE*>(friendly),
                                                sizeof friendly - sizeof(wchar_t), nullptr))
            names[port] = WideToUtf8(friendly);
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return names;
}

}  // namespace

std::string NativeDevicePath(int port_number) {
    if (port_number <= 0)
        return {};
    return "\\\\.\\COM" + std::to_string(port_number);
}

std::vector<PortEntry> ListPorts(const ProfileFile* ini) {
    std::vector<PortEntry> found;
    HKEY map = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &map) != ERROR_SUCCESS)
        return WithPortsSection(std::move(found), ini);
    const std::map<std::wstring, std::string> friendly = FriendlyNamesByPort();
    for (DWORD i = 0;; ++i) {
        wchar_t device[256] = {};
        DWORD device_length = 255;
        wchar_t port[64] = {};
        DWORD port_bytes = sizeof port - sizeof(wchar_t);
        DWORD type = 0;
        const LSTATUS rc = ::RegEnumValueW(map, i, device, &device_length, nullptr, &type,
                                           reinterpret_cast<BYTE*>(port), &port_bytes);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const std::string port_name = WideToUtf8(port);
        const int number = PortNumberOfFriendlyName("(" + port_name + ")");
        if (number <= 0)
            continue;
        // Without a friendly name the device's own name stands in ("\Device\Serial0").
        const auto named = friendly.find(port);
        std::string name =
            named != friendly.end() ? named->second : WideToUtf8(device) + " (" + port_name + ")";
        if (PortNumberOfFriendlyName(name) != number)
            name += " (" + port_name + ")";
        found.push_back(PortEntry{number, name, NativeDevicePath(number)});
    }
    ::RegCloseKey(map);
    return WithPortsSection(std::move(found), ini);
}

}  // namespace kotar
