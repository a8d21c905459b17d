#pragma once

// Internal to the database layer: the Firebird C API, loaded at run time.
#include <ibase.h>

#include <string>

namespace kestrin::firebird {

struct ClientLibrary {
    decltype(&isc_attach_database) attach_database;
    decltype(&isc_create_database) create_database;
    decltype(&isc_detach_database) detach_database;
    decltype(&isc_database_info) database_info;
    decltype(&isc_start_transaction) start_transaction;
    decltype(&isc_commit_transaction) commit_transaction;
    decltype(&isc_rollback_transaction) rollback_transaction;
    decltype(&isc_dsql_allocate_statement) dsql_allocate_statement;
    decltype(&isc_dsql_prepare) dsql_prepare;
    decltype(&isc_dsql_describe) dsql_describe;
    decltype(&isc_dsql_describe_bind) dsql_describe_bind;
    decltype(&isc_dsql_execute) dsql_execute;
    decltype(&isc_dsql_execute_immediate) dsql_execute_immediate;
    decltype(&isc_dsql_fetch) dsql_fetch;
    decltype(&isc_dsql_free_statement) dsql_free_statement;
    decltype(&isc_dsql_sql_info) dsql_sql_info;
    decltype(&isc_service_attach) service_attach;
    decltype(&isc_service_detach) service_detach;
    decltype(&isc_service_start) service_start;
    decltype(&isc_service_query) service_query;
    decltype(&fb_interpret) interpret;
    decltype(&fb_shutdown) shutdown;
    decltype(&isc_sqlcode) sqlcode;

    // Raises EDatabaseError with every line Firebird gives for a failed call.
    void Check(const ISC_STATUS* status) const;
};

// Loads the library once per path; it stays loaded because the engine keeps threads of its own.
const ClientLibrary& LoadClientLibrary(const std::string& path);

} // namespace kestrin::firebird
