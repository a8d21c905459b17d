#include "firebird/ClientLibrary.h"

#include "firebird/DatabaseError.h"
#include "firebird/EngineShutdown.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

namespace kestrin::firebird {
namespace {

template <typename Function>
void Bind(void* handle, const char* name, Function& target, const std::string& path) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        throw EDatabaseError("Entry point " + std::string(name) + " not found in " + path);
    }
    target = reinterpret_cast<Function>(symbol);
}

} // namespace

void ClientLibrary::Check(const ISC_STATUS* status) const {
    if (status[0] != 1 || status[1] == 0) {
        return;
    }
    const long code = sqlcode(status);
    std::string message;
    const ISC_STATUS* cursor = status;
    char line[1024];
    while (interpret(line, sizeof line, &cursor) > 0) {
        if (!message.empty()) {
            message += '\n';
        }
        message += line;
    }
    throw EDatabaseError(message.empty() ? "Unknown database error" : message, code);
}

namespace {

std::map<std::string, std::unique_ptr<ClientLibrary>>& LoadedLibraries() {
    static std::map<std::string, std::unique_ptr<ClientLibrary>> loaded;
    return loaded;
}

} // namespace

// The engine's own threads are stopped before the process ends, so nothing runs while it exits.
void ShutDownEngines() {
    for (const auto& [path, library] : LoadedLibraries()) {
        library->shutdown(0, fb_shutrsn_exit_called);
    }
}

EngineShutdown::~EngineShutdown() {
    ShutDownEngines();
}

const ClientLibrary& LoadClientLibrary(const std::string& path) {
    static std::mutex guard;
    std::map<std::string, std::unique_ptr<ClientLibrary>>& loaded = LoadedLibraries();
    const std::lock_guard lock(guard);
    if (auto found = loaded.find(path); found != loaded.end()) {
        return *found->second;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        throw EDatabaseError("Cannot load the database client library " + path + ": " +
                             (reason != nullptr ? reason : "unknown reason"));
    }
    auto library = std::make_unique<ClientLibrary>();
    Bind(handle, "isc_attach_database", library->attach_database, path);
    Bind(handle, "isc_create_database", library->create_database, path);
    Bind(handle, "isc_detach_database", library->detach_database, path);
    Bind(handle, "isc_database_info", library->database_info, path);
    Bind(handle, "isc_start_transaction", library->start_transaction, path);
    Bind(handle, "isc_commit_transaction", library->commit_transaction, path);
    Bind(handle, "isc_rollback_transaction", library->rollback_transaction, path);
    Bind(handle, "isc_dsql_allocate_statement", library->dsql_allocate_statement, path);
    Bind(handle, "isc_dsql_prepare", library->dsql_prepare, path);
    Bind(handle, "isc_dsql_describe", library->dsql_describe, path);
    Bind(handle, "isc_dsql_describe_bind", library->dsql_describe_bind, path);
    Bind(handle, "isc_dsql_execute", library->dsql_execute, path);
    Bind(handle, "isc_dsql_execute_immediate", library->dsql_execute_immediate, path);
    Bind(handle, "isc_dsql_fetch", library->dsql_fetch, path);
    Bind(handle, "isc_dsql_free_statement", library->dsql_free_statement, path);
    Bind(handle, "isc_dsql_sql_info", library->dsql_sql_info, path);
    Bind(handle, "isc_service_attach", library->service_attach, path);
    Bind(handle, "isc_service_detach", library->service_detach, path);
    Bind(handle, "isc_service_start", library->service_start, path);
    Bind(handle, "isc_service_query", library->service_query, path);
    Bind(handle, "fb_interpret", library->interpret, path);
    Bind(handle, "fb_shutdown", library->shutdown, path);
    Bind(handle, "isc_sqlcode", library->sqlcode, path);
    if (loaded.empty()) {
        std::atexit(ShutDownEngines);
    }
    return *loaded.emplace(path, std::move(library)).first->second;
}

} // namespace kestrin::firebird
