#include "HostServices.h"

#include "BusyIndicator.h"
#include "DialogService.h"
#include "HostErrors.h"
#include "HostSettings.h"
#include "JsonRpc.h"
#include "PacketCodec.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <cstdlib>

void MensErro(const QString& text, bool abort) {
    DialogService::instance().showMessage(DialogKind::Error, text);
    if (abort)
        throw EAbort(text);
}

bool EmptyString(const QString& text) {
    return text.trimmed().isEmpty();
}

QString Ajusta(const QString& code, int width) {
    const QString trimmed = code.trimmed();
    // Padding nothing would invent a code ("00") the user never typed.
    if (trimmed.isEmpty() || trimmed.size() >= width)
        return trimmed;
    return trimmed.rightJustified(width, QLatin1Char('0'));
}

QDate PriDiaMes(const QDate& date) {
    return date.isValid() ? QDate(date.year(), date.month(), 1) : QDate();
}

double RoundDec(double value, int decimals) {
    if (!std::isfinite(value))
        return value;
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled))
        return value;
    // value * scale carries the binary error of value (2.675 is 2.67499999...): cut it to 15
    // significant digits, which is what the decimal the user typed had, before rounding.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", scaled);
    const double cleaned = std::strtod(buffer, nullptr);
    return std::round(cleaned) / scale; // std::round: half away from zero
}

void SetChildEnabled(QWidget* panel, bool enabled) {
    if (!panel)
        return;
    // Children switched off by someone else (a read-only name edit) stay off when the panel
    // is enabled again: only what this routine disabled is enabled back.
    static const char* const DisabledHere = "ciapDisabledBySetChildEnabled";
    const QList<QWidget*> children = panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (child->isWindow())
            continue;
        if (!enabled) {
            if (!child->testAttribute(Qt::WA_Disabled)) {
                child->setProperty(DisabledHere, true);
                child->setEnabled(false);
            }
        } else if (child->property(DisabledHere).toBool()) {
            child->setProperty(DisabledHere, QVariant());
            child->setEnabled(true);
        }
    }
}

namespace {

struct BusyState {
    int depth = 0;
    int shown = 0;
    bool cursorSet = false;
    QPointer<BusyIndicator> overlay;
};

BusyState& busy() {
    static BusyState state;
    return state;
}

} // namespace

void ActiveShowAvi(QWidget* window, int /*kind*/) {
    BusyState& b = busy();
    if (b.depth++ > 0)
        return;
    ++b.shown;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        b.cursorSet = true;
    }
    if (window)
        b.overlay = new BusyIndicator(window->window());
}

void DeactiveShowAvi() {
    BusyState& b = busy();
    if (b.depth == 0)
        return; // an extra hide on an error path must not unbalance the next show
    if (--b.depth > 0)
        return;
    if (b.cursorSet) {
        QGuiApplication::restoreOverrideCursor();
        b.cursorSet = false;
    }
    delete b.overlay.data();
}

bool busyIndicatorActive() {
    return busy().depth > 0;
}

int busyIndicatorShownCount() {
    return busy().shown;
}

QString WebURL() {
    return HostSettings::serverHost();
}

int WebPort() {
    return HostSettings::serverPort();
}

void setWebServer(const QString& host, int port) {
    HostSettings::overrideServer(host, port);
}

QString webToken() {
    return HostSettings::serverToken();
}

void setWebToken(const QString& token) {
    HostSettings::overrideToken(token);
}

bool webTls() {
    return HostSettings::serverTls();
}

QString webTlsCaFile() {
    return HostSettings::serverCaFile();
}

void setWebTls(bool on, const QString& caFile) {
    HostSettings::overrideTls(on, caFile);
}

namespace {

QVariant plainValue(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QVariant();
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toDouble();
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Array: {
        QVariantList list;
        const QJsonArray array = value.toArray();
        list.reserve(array.size());
        for (const QJsonValue& v : array)
            list.append(plainValue(v));
        return list;
    }
    case QJsonValue::Object:
        if (ciap::isPacketJson(value))
            return QVariant::fromValue(ciap::packetFromJson(value));
        throw ciap::ProtocolError(QStringLiteral("objeto que não é um pacote de dados"));
    }
    return QVariant();
}

QVariant invalidAnswer(const QString& detail, bool raise) {
    MensErro(QStringLiteral("Resposta inválida do servidor: %1").arg(detail), raise);
    return QVariant();
}

} // namespace

QVariant CheckResultServ(const QVariant& raw, bool raise, int /*flags*/) {
    if (raw.metaType() != QMetaType::fromType<ciap::RpcReply>())
        return invalidAnswer(raw.isValid() ? QStringLiteral("tipo %1").arg(raw.typeName())
                                           : QStringLiteral("nenhuma resposta"),
                             raise);
    const ciap::RpcReply reply = raw.value<ciap::RpcReply>();
    if (reply.isError) {
        const QString text =
            reply.errorMessage.trimmed().isEmpty()
                ? QStringLiteral("Erro no servidor de aplicação (código %1).").arg(reply.errorCode)
                : reply.errorMessage;
        MensErro(text, raise);
        return QVariant();
    }
    if (!reply.packetError.isEmpty())
        return invalidAnswer(reply.packetError, raise);
    if (reply.packet.isValid())
        return reply.packet;
    try {
        if (reply.result.isObject() && !ciap::isPacketJson(reply.result))
            return invalidAnswer(QStringLiteral("objeto sem \"fields\" e \"rows\""), raise);
        return plainValue(reply.result);
    } catch (const ciap::ProtocolError& e) {
        return invalidAnswer(e.message(), raise);
    }
}

bool Pesquisar(TDataSource* source, const QString& title, bool, bool) {
    return DialogService::instance().pick(title, source);
}
