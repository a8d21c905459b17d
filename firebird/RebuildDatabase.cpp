#include "firebird/RebuildDatabase.h"

#include "firebird/ClientLibrary.h"
#include "firebird/DatabaseError.h"

#include <cstdio>

namespace kestrin::firebird {
namespace {

void AppendShort(std::string& block, char item, const std::string& value) {
    block.push_back(item);
    block.push_back(static_cast<char>(value.size() & 0xFF));
    block.push_back(static_cast<char>((value.size() >> 8) & 0xFF));
    block += value;
}

void AppendByteLength(std::string& block, char item, const std::string& value) {
    block.push_back(item);
    block.push_back(static_cast<char>(value.size()));
    block += value;
}

// One attachment to the embedded engine's service manager.
class Service {
public:
    Service(const ClientLibrary& library, const std::string& user, const std::string& password)
        : library_(library) {
        std::string block{static_cast<char>(isc_spb_version),
                          static_cast<char>(isc_spb_current_version)};
        AppendByteLength(block, isc_spb_user_name, user);
        AppendByteLength(block, isc_spb_password, password);
        AppendByteLength(block, isc_spb_config, "Providers=Engine12");
        // File names are UTF-8 whatever the process locale, which may not hold their letters.
        AppendByteLength(block, isc_spb_utf8_filename, "");
        ISC_STATUS_ARRAY status{};
        library_.service_attach(status, 0, "service_mgr", &handle_,
                                static_cast<unsigned short>(block.size()), block.data());
        library_.Check(status);
    }
    ~Service() {
        ISC_STATUS_ARRAY status{};
        library_.service_detach(status, &handle_);
    }
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Starts the action and waits for its end, reading its output on the way.
    void Run(const std::string& action) {
        ISC_STATUS_ARRAY status{};
        library_.service_start(status, &handle_, nullptr,
                               static_cast<unsigned short>(action.size()), action.data());
        library_.Check(status);
        const char items[] = {isc_info_svc_line};
        char output[8192];
        for (;;) {
            library_.service_query(status, &handle_, nullptr, 0, nullptr, sizeof items, items,
                                   sizeof output, output);
            library_.Check(status);
            if (output[0] != isc_info_svc_line) {
                throw EDatabaseError("Unexpected answer from the database service");
            }
            const int length = static_cast<unsigned char>(output[1]) |
                               (static_cast<unsigned char>(output[2]) << 8);
            if (length == 0) {
                return;
            }
        }
    }

private:
    const ClientLibrary& library_;
    isc_svc_handle handle_ = 0;
};

} // namespace

void RebuildDatabase(const std::string& libraryName, const std::string& database,
                     const std::string& rebuilt, const std::string& user,
                     const std::string& password, const std::function<void()>& afterBackup) {
    const ClientLibrary& library = LoadClientLibrary(libraryName);
    const std::string backup = rebuilt + ".fbk";
    std::string backupAction(1, static_cast<char>(isc_action_svc_backup));
    AppendShort(backupAction, isc_spb_dbname, database);
    AppendShort(backupAction, isc_spb_bkp_file, backup);
    // The backup reads the rows as they stand; clearing the old versions on the way would only
    // cost time, as the restore leaves them behind anyway.
    backupAction.push_back(static_cast<char>(isc_spb_options));
    for (int shift = 0; shift < 32; shift += 8) {
        backupAction.push_back(static_cast<char>((isc_spb_bkp_no_garbage_collect >> shift) & 0xFF));
    }
    std::string restoreAction(1, static_cast<char>(isc_action_svc_restore));
    AppendShort(restoreAction, isc_spb_bkp_file, backup);
    AppendShort(restoreAction, isc_spb_dbname, rebuilt);
    restoreAction.push_back(static_cast<char>(isc_spb_options));
    for (int shift = 0; shift < 32; shift += 8) {
        restoreAction.push_back(static_cast<char>((isc_spb_res_create >> shift) & 0xFF));
    }
    try {
        Service service(library, user, password);
        service.Run(backupAction);
        if (afterBackup) {
            afterBackup();
        }
        service.Run(restoreAction);
    } catch (...) {
        std::remove(backup.c_str());
        std::remove(rebuilt.c_str()); // a partial restore
        throw;
    }
    std::remove(backup.c_str());
}

} // namespace kestrin::firebird
