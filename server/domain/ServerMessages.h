#pragma once

#include "LoadedAsset.h"

#include <QLocale>
#include <QString>
#include <QStringList>

namespace ciap::server {

// Every text the server sends to the user, in one place so that wording stays consistent.
class ServerMessages final {
public:
    static QString conflict() {
        return QStringLiteral(
            "O registro foi alterado por outro usuário. Recarregue a lista e tente novamente.");
    }
    static QString competenciaAppropriated() {
        return QStringLiteral("A competência está apropriada e não pode ser alterada. "
                              "Cancele a apropriação antes de alterá-la.");
    }
    static QString competenciaNotFound() {
        return QStringLiteral("Competência não encontrada. Recarregue a lista e tente novamente.");
    }
    static QString competenciaExists() {
        return QStringLiteral("Competência já cadastrada para Imposto e Empresa informados.");
    }
    static QString companyNotRegistered() { return QStringLiteral("Empresa não cadastrada."); }
    static QString taxNotRegistered() { return QStringLiteral("Imposto não cadastrado."); }
    static QString registrationNotRegistered() {
        return QStringLiteral("Inscrição Estadual não cadastrada para a empresa.");
    }
    static QString assetNotRegistered() {
        return QStringLiteral("Bem não cadastrado para a empresa e a inscrição estadual.");
    }
    static QString assetWithoutInstalment() {
        return QStringLiteral("Bem não possui parcela na competência informada.");
    }
    static QString alreadyAppropriated() {
        return QStringLiteral("A competência já está apropriada.");
    }
    static QString notAppropriated() {
        return QStringLiteral("A competência não está apropriada; não há apropriação a cancelar.");
    }
    static QString nothingToAppropriate() {
        return QStringLiteral(
            "A competência não tem bens carregados; carregue os bens antes de apropriar.");
    }
    static QString unknownCfop(const QString& cfop, const QString& invoice) {
        return QStringLiteral("CFOP %1 desconhecido (nota fiscal %2): não consta da tabela de "
                              "CFOPs de saída. Corrija a nota ou inclua o CFOP na tabela antes "
                              "de calcular o coeficiente.")
            .arg(cfop, invoice);
    }
    static QString unknownIcmsSituation(const QString& code, const QString& cfop,
                                        const QString& invoice) {
        return QStringLiteral("Situação tributária do ICMS \"%1\" desconhecida (CFOP %2, nota "
                              "fiscal %3): informe o CST ou o CSOSN do item.")
            .arg(code, cfop, invoice);
    }
    // One line of staleAssets(): the asset by code and name, and what changed.
    static QString staleAsset(const LoadedAsset& asset, Staleness why, qint64 nowCents) {
        const QLocale br(QLocale::Portuguese, QLocale::Brazil);
        const QString exit = asset.current.exitDate.toString(QStringLiteral("dd/MM/yyyy"));
        QString reason;
        switch (why) {
        case Staleness::OtherRegistration:
            reason = QStringLiteral("pertence agora a outra inscrição estadual");
            break;
        case Staleness::LeftBefore:
            reason = QStringLiteral("saiu em %1, antes da competência").arg(exit);
            break;
        case Staleness::LeftThisMonth:
            reason = QStringLiteral("saiu em %1 e o estado não admite a parcela do mês da saída")
                         .arg(exit);
            break;
        case Staleness::NoInstalment:
            reason = QStringLiteral("não tem mais parcela na competência");
            break;
        case Staleness::InstalmentChanged:
        case Staleness::Current:
            reason = QStringLiteral("parcela mudou de %1 para %2")
                         .arg(br.toString(double(asset.loadedCents) / 100.0, 'f', 2),
                              br.toString(double(nowCents) / 100.0, 'f', 2));
            break;
        }
        return QStringLiteral("%1 - %2: %3").arg(asset.current.number, asset.current.name, reason);
    }
    // At most ten lines are listed; the rest are counted.
    static QString staleAssets(const QStringList& lines) {
        constexpr int Listed = 10;
        QString text = QStringLiteral("Bens alterados no cadastro depois de carregados na "
                                      "competência:\n") +
                       lines.mid(0, Listed).join(QLatin1Char('\n'));
        if (lines.size() > Listed)
            text += QStringLiteral("\n... e mais %1 bens.").arg(lines.size() - Listed);
        return text + QStringLiteral("\nRecarregue os bens com \"Carregar Bens Parcelados\" na "
                                     "aba Bens da Competência antes de apropriar.");
    }
    static QString taxedAboveTotal() {
        return QStringLiteral(
            "Valor total de saídas deve ser maior ou igual ao valor de saídas tributadas.");
    }
    static QString negativeOutgoing() {
        return QStringLiteral("Os valores de saídas não podem ser negativos.");
    }
    static QString keyChangeWithAssets() {
        return QStringLiteral("A competência tem bens carregados: exclua os bens antes de "
                              "alterar o mês ou a inscrição estadual.");
    }
    static QString situationChange() {
        return QStringLiteral(
            "A situação da competência muda apenas por Apropriar ou Cancelar Apropriação.");
    }
    static QString identityChange() {
        return QStringLiteral(
            "Empresa e imposto de uma competência gravada não podem ser alterados.");
    }
    static QString sequenceNotIssued() {
        return QStringLiteral(
            "NRSEQCIAP não foi emitido pelo servidor para a empresa e o imposto.");
    }
    static QString databaseBusy() {
        return QStringLiteral("O banco de dados está ocupado. Tente novamente em instantes.");
    }
    static QString databaseReadOnly() {
        return QStringLiteral("Banco de dados somente leitura: o servidor não pode gravar. "
                              "Nada foi gravado; avise o suporte.");
    }
    static QString databaseFull() {
        return QStringLiteral("Banco de dados cheio: não há espaço para gravar. Nada foi "
                              "gravado; avise o suporte.");
    }
    static QString databaseFailure() {
        return QStringLiteral("Falha no banco de dados do servidor. Tente novamente; se o erro "
                              "persistir, avise o suporte.");
    }
    static QString internalFailure() {
        return QStringLiteral("Falha interna do servidor. Avise o suporte.");
    }
    static QString unauthorized() {
        return QStringLiteral("Acesso negado: token do servidor ausente ou incorreto.");
    }
    static QString tooManyConnections() {
        return QStringLiteral(
            "O servidor atingiu o limite de conexões. Tente novamente em instantes.");
    }
    static QString tlsRequired() {
        return QStringLiteral("O servidor de aplicação exige conexão segura (TLS). Configure a "
                              "conexão com TLS (ciap --tls, ou Server/Tls=true nas "
                              "configurações).");
    }
    static QString frameTooLarge(qint64 limitMiB) {
        return QStringLiteral("Mensagem maior que o limite de %1 MiB; conexão encerrada.")
            .arg(limitMiB);
    }
};

} // namespace ciap::server
