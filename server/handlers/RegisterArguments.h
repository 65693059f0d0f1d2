#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ciap::server {

class Params;
class Session;

// The arguments the register and import methods share, read and refused alike.
class RegisterArguments final {
public:
    // The company code, padded, of a registered company (else -32000).
    static QString company(const Params& p, int i, Session& session);
    // "S" or "N".
    static bool flag(const Params& p, int i);
    // "1,3": item numbers 1 to 990; empty for none.
    static QList<int> items(const Params& p, int i);
    // "7,8" or "0000000007, 0000000008": asset codes, padded; at least one.
    static QStringList assets(const Params& p, int i);
    // A whole number 1 to 990 (an item of a document) given as a number.
    static int item(const Params& p, int i);
};

} // namespace ciap::server
