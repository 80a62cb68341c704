#include "ops/DeviceDialogHooks.h"

#include "audio/PlayDlg.h"
#include "link/PortSetDlg.h"
#include "ops/AudioFileTransferDlg.h"
#include "ops/MaintenanceOperationsDlg.h"

namespace kotar {

void AddDeviceDialogHooks(KotarDlgHooks& hooks, ProfileFile& ini, Prompter& prompter,
                          AudioEndpoints& endpoints) {
    if (!hooks.open_write_read) {
        hooks.open_write_read = [&ini, &prompter, &endpoints](QWidget* parent,
                                                              const std::string& property_name,
                                                              int data_kind, SlotList& slots) {
            CAudioFileTransferDlg dialog(ini, prompter, property_name, data_kind, slots, parent);
            dialog.SetPlayer([&prompter, &endpoints](QWidget* owner, const std::string& wav_path,
                                                     const std::string& text) {
                CPlayDlg play(owner, prompter, endpoints, wav_path, text, true);
                play.exec();
            });
            dialog.exec();
        };
    }
    if (!hooks.open_port_settings) {
        hooks.open_port_settings = [&ini](QWidget* parent) {
            CPortSetDlg dialog(ini, CPortSetDlg::PresentPortNames(ini), parent);
            dialog.exec();
        };
    }
    if (!hooks.open_maintenance) {
        hooks.open_maintenance = [&ini, &prompter](QWidget* parent,
                                                   const std::string& start_directory) {
            CMaintenanceOperationsDlg dialog(ini, prompter, parent);
            dialog.SetStartDirectory(start_directory);
            dialog.exec();
        };
    }
}

}  // namespace kotar
