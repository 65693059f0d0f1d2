#pragma once

#include <QString>
#include <QStringList>

namespace ciap::server {

// What the export tells the user when a month cannot become a file at all.
class ExportMessages final {
public:
    static QString pending(const QString& month, const QString& tax) {
        return QStringLiteral("A competência %1 (imposto %2) está pendente: aproprie-a antes de "
                              "gerar o Bloco G. O arquivo leva os valores da apropriação.")
            .arg(month, tax);
    }
    static QString notAppropriated(const QString& month, int assets) {
        return QStringLiteral("Não há competência %1 apropriada para a inscrição, e %2 bem(ns) "
                              "têm parcela no mês: cadastre a competência, carregue os bens e "
                              "aproprie-a antes de gerar o Bloco G.")
            .arg(month)
            .arg(assets);
    }
    static QString severalTaxes(const QString& month, const QStringList& taxes) {
        return QStringLiteral("A inscrição tem mais de uma competência %1 apropriada (impostos "
                              "%2): informe o imposto do CIAP do ICMS.")
            .arg(month, taxes.join(QStringLiteral(", ")));
    }
    static QString taxWithoutCompetencia(const QString& month, const QString& tax) {
        return QStringLiteral("Não há competência %1 do imposto %2 para a inscrição.")
            .arg(month, tax);
    }
    static QString layoutUnknown(const QString& month) {
        return QStringLiteral("O Bloco G de %1 não pode ser gerado: esta versão conhece o leiaute "
                              "da EFD ICMS/IPI de 2024 a 2026 (versões 018 a 020).")
            .arg(month);
    }
    static QString staleHint() {
        return QStringLiteral("o cadastro do bem mudou depois da apropriação: cancele a "
                              "apropriação, carregue os bens de novo e aproprie a competência");
    }
};

} // namespace ciap::server
