#pragma once

#include "DataPacket.h"
#include "RpcTestClient.h"

#include <QDate>
#include <QVariantMap>

// The screen's calls as tests make them: building deltas as the client data set would.
class CiapApi final {
public:
    explicit CiapApi(RpcTestClient& client)
        : m_client(client) {}

    QString newSequence(const QString& company, const QString& tax, const QDate& month);
    // A competência row as the screen posts a new one.
    ciap::Delta insertion(const QString& company, const QString& tax, const QString& registration,
                          const QString& competencia, double total, double taxed,
                          const QString& sequence) const;
    // Inserts one and answers setCiap's reply.
    QJsonObject create(const QString& company, const QString& tax, const QString& registration,
                       const QString& competencia, double total = 0, double taxed = 0);
    QJsonObject apply(const ciap::Delta& delta);

    ciap::DataPacket list(const QString& company, const QString& tax,
                          const QString& registration = QStringLiteral("T"));
    // Index of the row for a month (and registration when given); -1 when absent.
    static int find(const ciap::DataPacket& packet, const QString& competencia,
                    const QString& registration = {});
    static QVariant value(const ciap::DataPacket& packet, int row, const QString& field);
    static ciap::Delta modification(const ciap::DataPacket& packet, int row,
                                    const QVariantMap& changes);
    static ciap::Delta deletion(const ciap::DataPacket& packet, int row);

    // The competência's figures as the list gives them.
    QJsonArray key(const ciap::DataPacket& packet, int row) const; // for the row-based calls
    QJsonObject load(const ciap::DataPacket& packet, int row, const QString& mode);
    // What a load answered ("OK", "N_PARCELAS", ...): the one cell of its packet.
    static QString loaded(const QJsonObject& reply);

private:
    RpcTestClient& m_client;
};
