#include "firebird/Transaction.h"

#include "firebird/ClientLibrary.h"
#include "firebird/Database.h"

namespace kestrin::firebird {

Transaction::Transaction(Database& database) : database_(database) {
    database_.Register(this);
}

Transaction::~Transaction() {
    Abandon();
    database_.Unregister(this);
}

void Transaction::StartTransaction() {
    if (Active()) {
        return;
    }
    const ClientLibrary& library = database_.Library();
    static const char kParameters[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_nowait,
                                       isc_tpb_read_committed, isc_tpb_rec_version};
    ISC_STATUS_ARRAY status{};
    isc_tr_handle handle = 0;
    library.start_transaction(status, &handle, 1, &database_.handle_,
                              static_cast<unsigned short>(sizeof kParameters), kParameters);
    library.Check(status);
    handle_ = handle;
}

void Transaction::Commit() {
    const ClientLibrary& library = database_.Library();
    ISC_STATUS_ARRAY status{};
    library.commit_transaction(status, &handle_);
    library.Check(status);
    handle_ = 0;
    database_.TransactionEnded(this);
}

void Transaction::Abandon() noexcept {
    if (handle_ == 0) {
        return;
    }
    if (database_.Connected()) {
        ISC_STATUS_ARRAY status{};
        database_.library_->rollback_transaction(status, &handle_);
    }
    handle_ = 0;
    database_.TransactionEnded(this);
}

} // namespace kestrin::firebird
