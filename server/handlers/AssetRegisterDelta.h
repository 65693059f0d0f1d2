#pragma once

#include "DataPacket.h"

namespace ciap::server {

class Session;

// Applies saveAssets' delta: each modified row names an asset that must still be as the client
// read it (every stored field of its old values equal to the row listAssets would give now,
// else the change is refused as a conflict, never applied over another user's), and what the
// user changed becomes the register's editing (RegisterEditing): the hand-entered fields, and
// the exit. Expects the caller's TransactionGuard.
class AssetRegisterDelta final {
public:
    explicit AssetRegisterDelta(Session& session)
        : m_session(session) {}

    void apply(const Delta& delta);

private:
    void applyChange(const QList<FieldDef>& fields, const DeltaChange& change, int index);

    Session& m_session;
};

} // namespace ciap::server
