#pragma once

#include <QString>
#include <QStringList>

namespace ciap::server {

// Every text the import and the register's editing give the user, in one place.
class ImportMessages final {
public:
    static QString party(const QString& role, const QString& id, const QString& ie) {
        return QStringLiteral("%1 CNPJ/CPF %2, IE %3")
            .arg(role, id.isEmpty() ? QStringLiteral("-") : id,
                 ie.isEmpty() ? QStringLiteral("-") : ie);
    }
    static QString notOurs(const QString& what, const QStringList& parties) {
        return QStringLiteral("%1 não pertence a nenhuma inscrição estadual cadastrada (%2). "
                              "Cadastre a inscrição com o CNPJ e a IE do documento antes de "
                              "importá-lo.")
            .arg(what, parties.join(QStringLiteral("; ")));
    }
    static QString ambiguousRegistration(const QString& id, const QString& ie,
                                         const QStringList& found) {
        return QStringLiteral("O CNPJ %1 com a IE %2 corresponde a mais de uma inscrição "
                              "cadastrada (%3): corrija o cadastro antes de importar.")
            .arg(id, ie, found.join(QStringLiteral(", ")));
    }
    static QString thirdPartyEntry(const QString& key) {
        return QStringLiteral("A NF-e %1 é uma nota de entrada (tpNF 0) emitida por terceiro com "
                              "a empresa como destinatária: não é entrada nem saída que a empresa "
                              "escriture com ela; não foi importada.")
            .arg(key);
    }
    static QString consumerInvoice(const QString& key) {
        return QStringLiteral("A NFC-e %1 (modelo 65) não é documento de compra de bem do ativo "
                              "imobilizado; não foi importada.")
            .arg(key);
    }
    static QString missingItems(const QString& key, const QStringList& items) {
        return QStringLiteral("A NF-e %1 não tem o(s) item(ns) %2 pedido(s) como bens; nada "
                              "foi importado dela.")
            .arg(key, items.join(QStringLiteral(", ")));
    }
    static QString outgoingNumberTaken(const QString& model, const QString& series,
                                       const QString& number, const QString& registration,
                                       const QString& other) {
        return QStringLiteral("A nota fiscal de saída modelo %1, série %2, número %3 da inscrição "
                              "%4 já está cadastrada%5.")
            .arg(model, series, number, registration,
                 other.isEmpty() ? QStringLiteral(" sem chave de acesso")
                                 : QStringLiteral(" com outra chave (%1)").arg(other));
    }
    static QString freightNotTaken(const QString& key, const QString& party) {
        return QStringLiteral("O tomador do CT-e %1 (%2) não é uma inscrição estadual cadastrada: "
                              "só o tomador do serviço credita o ICMS do frete.")
            .arg(key, party);
    }
    static QString freightKind(const QString& key, int type) {
        const QString kind = type == 1   ? QStringLiteral("complementar")
                             : type == 2 ? QStringLiteral("de anulação")
                                         : QStringLiteral("substituto");
        return QStringLiteral("O CT-e %1 é %2: só o CT-e normal é importado. Lance à mão o ICMS "
                              "desse frete no bem a que se refere.")
            .arg(key, kind);
    }
    static QString eventNotLinked(const QString& key) {
        return QStringLiteral("O cancelamento da NF-e %1 foi registrado sem vínculo com a nota "
                              "(situação 136): não a cancela; não foi importado.")
            .arg(key);
    }

    // Outgoing items with an asset-exit CFOP that name no asset clearly.
    static QString noAssetNamed() {
        return QStringLiteral("nenhum bem da inscrição corresponde ao item (código de patrimônio "
                              "como código do produto, ou a chave da NF-e de entrada citada nas "
                              "informações adicionais com o mesmo produto)");
    }
    static QString assetCountDiffers(int found, const QString& quantity) {
        return QStringLiteral("%1 bem(ns) correspondem ao item de quantidade %2: informe quais "
                              "saíram")
            .arg(found)
            .arg(quantity);
    }

    // The register's editing.
    static QString assetNotFound(const QString& code) {
        return QStringLiteral("Bem %1 não cadastrado para a empresa.").arg(code);
    }
    static QString registrationNotFound(const QString& code) {
        return QStringLiteral("Inscrição estadual %1 não cadastrada para a empresa.").arg(code);
    }
    static QString participantNotFound(const QString& id) {
        return QStringLiteral("Participante %1 não cadastrado para a empresa.").arg(id);
    }
    static QString purchaseNotFound(const QString& key) {
        return QStringLiteral("A NF-e %1 não está entre as compras importadas da empresa.")
            .arg(key);
    }
    static QString purchaseCancelled(const QString& key) {
        return QStringLiteral("A NF-e %1 está cancelada: seus itens não viram bens.").arg(key);
    }
    static QString purchaseItemNotFound(const QString& key, int item) {
        return QStringLiteral("A NF-e %1 não tem o item %2.").arg(key).arg(item);
    }
    static QString purchaseItemIsAsset(const QString& key, int item) {
        return QStringLiteral("O item %2 da NF-e %1 já virou bem.").arg(key).arg(item);
    }
    static QString nothingToTurn(const QString& key) {
        return QStringLiteral("Todos os itens da NF-e %1 já viraram bens.").arg(key);
    }
    static QString figuresFromDocument(const QString& key) {
        return QStringLiteral("O ICMS próprio, o ICMS-ST e o frete do bem vêm dos documentos "
                              "importados (NF-e %1) e não são alterados à mão; só o diferencial "
                              "de alíquota é informado.")
            .arg(key);
    }
    static QString negativeAmount() {
        return QStringLiteral("Os valores de ICMS não podem ser negativos.");
    }
    static QString mainAssetInvalid(const QString& code) {
        return QStringLiteral("O bem principal %1 deve ser outro bem da empresa, cadastrado e que "
                              "não seja componente.")
            .arg(code);
    }
    static QString originInvalid(const QString& origin, bool component) {
        return QStringLiteral("Tipo de entrada \"%1\" inválido para %2: um componente entra como "
                              "IA; um bem como IM (compra), MC (do estoque) ou CI (conclusão de "
                              "bem construído com seus componentes).")
            .arg(origin, component ? QStringLiteral("um componente") : QStringLiteral("um bem"));
    }
    static QString componentWithoutMain() {
        return QStringLiteral("Um componente precisa do código do bem principal.");
    }
    static QString hasComponents(const QString& code) {
        return QStringLiteral("O bem %1 é o bem principal de componentes e não pode virar "
                              "componente.")
            .arg(code);
    }
    static QString exitBeforeEntry() {
        return QStringLiteral("A data de saída não pode ser anterior à data de entrada do bem.");
    }
    static QString badExitKind() {
        return QStringLiteral("Tipo de saída inválido: use V (venda ou transferência), P (perda, "
                              "roubo ou deterioração) ou O (outra saída).");
    }
    static QString badKey(const QString& key) {
        return QStringLiteral("Chave de acesso inválida: %1 (44 posições com o dígito verificador "
                              "correto).")
            .arg(key);
    }
    static QString exitDocumentCancelled(const QString& key) {
        return QStringLiteral("A NF-e %1 está cancelada e não documenta a saída do bem.").arg(key);
    }
    static QString noExit(const QString& code) {
        return QStringLiteral("O bem %1 não tem saída registrada.").arg(code);
    }
    static QString pendingExitNotFound(const QString& key, int item) {
        return QStringLiteral("Não há saída pendente do item %2 da NF-e %1.").arg(key).arg(item);
    }
    static QString newAssetNeeds() {
        return QStringLiteral("Para cadastrar um bem informe a inscrição estadual, o nome e a "
                              "data de entrada.");
    }
    static QString storageInterrupted(const QString& text) {
        return QStringLiteral("Importação interrompida por falha no banco de dados: %1").arg(text);
    }
    static QString rowRefused(const QString& what) {
        return QStringLiteral("o banco de dados recusou um valor do documento (%1); nada foi "
                              "importado dele")
            .arg(what);
    }
    static QString notWritten() {
        return QStringLiteral("não gravado: o banco de dados falhou antes de concluir o lote");
    }
};

} // namespace ciap::server
