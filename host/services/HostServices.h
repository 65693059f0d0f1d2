#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

class QWidget;
class TDataSource;

// Shows the text as an error through the dialog service; with abort set, then throws EAbort.
void MensErro(const QString& text, bool abort = true);

bool EmptyString(const QString& text);          // empty or only blanks
QString Ajusta(const QString& code, int width); // left-pads with '0' to the width (trimmed first)
QDate PriDiaMes(const QDate& date);
double RoundDec(double value, int decimals); // half away from zero
void SetChildEnabled(QWidget* panel, bool enabled);

// Busy indicator around server work. Counted, so nested use is safe; observable by tests.
void ActiveShowAvi(QWidget* window, int kind);
void DeactiveShowAvi();
bool busyIndicatorActive();
int busyIndicatorShownCount(); // how many times it was switched on since start (tests)

// How code shows the busy indicator: for as long as the scope lasts, taken away again on every
// way out of it, an exception included.
class BusyScope final {
public:
    explicit BusyScope(QWidget* window) { ActiveShowAvi(window, 1); }
    ~BusyScope() { DeactiveShowAvi(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

// Application server address, read from the host settings at every call.
QString WebURL();
int WebPort();
void setWebServer(const QString& host, int port); // host application / tests
QString webToken();                               // shared token for non-loopback servers
void setWebToken(const QString& token);
bool webTls();          // connect with TLS
QString webTlsCaFile(); // the only CA to trust; empty: the system's
void setWebTls(bool on, const QString& caFile = {});

// Raw answer of TNetConnection::Call → data: a server error is shown and raised (EAbort);
// a packet gives QVariant(DataPacket); an array QVariantList; anything else as is.
// A malformed answer is an error like any other.
QVariant CheckResultServ(const QVariant& raw, bool raise, int flags);

// Modal search over the rows of the data source (title "List title|text when empty"); true
// when the user picked a row, which is then the current row. The two flags are kept for the
// callers' sake and change nothing.
bool Pesquisar(TDataSource* source, const QString& title, bool, bool);
