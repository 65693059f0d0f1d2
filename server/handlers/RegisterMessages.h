#pragma once

#include <QString>

namespace ciap::server {

// The texts the register and import methods add to those of the importer and the register's
// editing (ImportMessages) and of the screen's methods (ServerMessages).
class RegisterMessages final {
public:
    static QString fieldNotEditable(const QString& field) {
        return QStringLiteral("O campo %1 não é alterado no cadastro de bens: vem dos documentos "
                              "ou é calculado.")
            .arg(field);
    }
    static QString onlyModifications() {
        return QStringLiteral("O cadastro de bens só grava alterações de bens existentes.");
    }
    static QString identityChange() {
        return QStringLiteral("A empresa e o código do bem não podem ser alterados.");
    }
    static QString nameRequired() { return QStringLiteral("Informe o nome do bem."); }
    static QString entryDateRequired() {
        return QStringLiteral("Informe a data de entrada do bem.");
    }
    static QString badAppropriationType() {
        return QStringLiteral("O tipo de apropriação é 01 ou 09.");
    }
    static QString badAssetKind() {
        return QStringLiteral("O tipo do bem é 1 (bem) ou 2 (componente).");
    }
    static QString mainAssetOfAsset() {
        return QStringLiteral("Só um componente (tipo 2) tem bem principal.");
    }
    static QString outOfRange(const QString& field, int low, int high) {
        return QStringLiteral("%1 deve ser um número inteiro de %2 a %3.")
            .arg(field)
            .arg(low)
            .arg(high);
    }
    static QString badCents(const QString& field) {
        return QStringLiteral("%1 deve ser um valor em reais com até dois decimais, não negativo.")
            .arg(field);
    }
    static QString tooLong(const QString& field, int size) {
        return QStringLiteral("%1 tem no máximo %2 caracteres.").arg(field).arg(size);
    }
    static QString difalStillPending() {
        return QStringLiteral("O diferencial de alíquota já informado não volta a ficar pendente; "
                              "corrija o valor pago.");
    }
    static QString exitDateRequired() {
        return QStringLiteral("Informe a data da saída, ou limpe o tipo da saída para desfazê-la.");
    }
    static QString exitKindRequired() {
        return QStringLiteral("Informe o tipo da saída: V (venda ou transferência), P (perda, "
                              "roubo ou deterioração) ou O (outra saída).");
    }
    static QString exitDocumentWithoutExit() {
        return QStringLiteral("O documento de saída só é informado com a data e o tipo da saída.");
    }
};

} // namespace ciap::server
