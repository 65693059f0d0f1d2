// Purchases whose items become assets, exits to settle or dismiss, and the current asset's
// documents and what it still lacks.
#include "AssetRegisterWindow.h"
#include "DialogService.h"
#include "FiscalServer.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "LocaleFormat.h"
#include "RegisterFormat.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TPageControl.h"

#include <QInputDialog>
#include <QPlainTextEdit>

namespace {

QString text(const TClientDataSet* ds, const char* name) {
    return ds->FieldByName(QLatin1String(name))->AsString();
}

QString money(const TClientDataSet* ds, const char* name) {
    return RegisterFormat::centsText(qRound64(ds->FieldByName(QLatin1String(name))->AsFloat()));
}

QString orDash(const QString& s) {
    return s.isEmpty() ? QStringLiteral("-") : s;
}

} // namespace

QStringList AssetRegisterWindow::turnIntoAssets() {
    const QString key = text(cdsPurchases, "CHNFE");
    const QString item = text(cdsPurchases, "NRITEM");
    const QVariant answer = [&] {
        const BusyScope busy(this);
        return server->call(QStringLiteral("assetsFromPurchase"), {m_company, key, item});
    }();
    QStringList codes;
    for (const QVariant& code : answer.toList())
        codes << code.toString();
    reloadKeepingAsset();
    if (!codes.isEmpty())
        cdsAssets->Locate(QStringLiteral("CDBEMATIVO"), codes.first(), false);
    return codes;
}

void AssetRegisterWindow::turnIntoAssetsClick() {
    if (!cdsPurchases->Active() || cdsPurchases->IsEmpty())
        return;
    if (text(cdsPurchases, "IDBEM") == QLatin1String("S"))
        MensErro(QStringLiteral("O item %1 da NF-e %2 já virou bem.")
                     .arg(text(cdsPurchases, "NRITEM"), text(cdsPurchases, "NRDOCUMENTO")));
    if (DialogService::instance().askYesNo(
            DialogKind::Confirmation,
            QStringLiteral("Transformar em bens do ativo o item %1 (%2) da NF-e %3? Um item de "
                           "quantidade inteira vira um bem por unidade.")
                .arg(text(cdsPurchases, "NRITEM"), text(cdsPurchases, "DSPRODUTO"),
                     text(cdsPurchases, "NRDOCUMENTO"))) != DialogAnswer::Yes)
        return;
    const QStringList codes = turnIntoAssets();
    DialogService::instance().showMessage(
        DialogKind::Information, QStringLiteral("Bens criados: %1. Complete-os na aba Bens.")
                                     .arg(codes.join(QStringLiteral(", "))));
}

void AssetRegisterWindow::settle(const QString& assets) {
    {
        const BusyScope busy(this);
        server->call(QStringLiteral("settlePendingExit"),
                     {m_company, text(cdsPendingExits, "CHNFE"),
                      cdsPendingExits->FieldByName(QStringLiteral("NRITEM"))->AsFloat(), assets});
    }
    reloadKeepingAsset();
}

void AssetRegisterWindow::settleClick() {
    if (!cdsPendingExits->Active() || cdsPendingExits->IsEmpty())
        return;
    bool ok = false;
    const QString assets = QInputDialog::getText(
        this, QStringLiteral("Resolver Saída"),
        QStringLiteral("Bens que saíram com o item %1 da NF-e (códigos separados por vírgula):")
            .arg(text(cdsPendingExits, "NRITEM")),
        QLineEdit::Normal, text(cdsPendingExits, "DSCANDIDATOS"), &ok);
    if (!ok)
        return;
    if (EmptyString(assets))
        MensErro(QStringLiteral("Informe o código de ao menos um bem."));
    settle(assets);
}

void AssetRegisterWindow::dismissClick() {
    if (!cdsPendingExits->Active() || cdsPendingExits->IsEmpty())
        return;
    if (DialogService::instance().askYesNo(
            DialogKind::Confirmation,
            QStringLiteral("Dispensar a saída pendente do item %1? Use quando o item não foi "
                           "saída de nenhum bem do ativo.")
                .arg(text(cdsPendingExits, "NRITEM"))) != DialogAnswer::Yes)
        return;
    {
        const BusyScope busy(this);
        server->call(QStringLiteral("dismissPendingExit"),
                     {m_company, text(cdsPendingExits, "CHNFE"),
                      cdsPendingExits->FieldByName(QStringLiteral("NRITEM"))->AsFloat()});
    }
    reloadKeepingAsset();
}

QString AssetRegisterWindow::detailsText() const {
    if (!cdsAssets->Active() || cdsAssets->IsEmpty())
        return QStringLiteral("Informe a empresa (e, se quiser, a inscrição estadual) e tecle "
                              "Enter ou Carregar.");
    const TClientDataSet* a = cdsAssets;
    QStringList lines;
    lines << QStringLiteral("Bem %1 - %2").arg(text(a, "CDBEMATIVO"), text(a, "NMBEMATIVO"));
    lines << QStringLiteral("Crédito: próprio %1 + ST %2 + frete %3 + diferencial de alíquota %4 "
                            "= %5, em %6 parcelas de %7")
                 .arg(money(a, "VRICMSPROPRIOCENT"), money(a, "VRICMSSTCENT"),
                      money(a, "VRICMSFRETECENT"), money(a, "VRICMSDIFALCENT"),
                      money(a, "VRCREDITOCENT"), text(a, "NRPARCELAS"), money(a, "VRPARCELACENT"));
    if (!text(a, "NRDOCUMENTOENT").isEmpty() || !text(a, "CHDOCUMENTOENT").isEmpty()) {
        lines << QStringLiteral("Entrada: modelo %1, série %2, nº %3 de %4, item %5 (%6 %7), "
                                "quantidade %8; %9 %10")
                     .arg(orDash(text(a, "CDMODELOENT")), orDash(text(a, "NRSERIEENT")),
                          orDash(text(a, "NRDOCUMENTOENT")),
                          orDash(dateToStr(
                              a->FieldByName(QStringLiteral("DTDOCUMENTOENT"))->AsDateTime())),
                          orDash(text(a, "NRITEMENT")), text(a, "CDPRODUTOENT"),
                          text(a, "DSPRODUTOENT"), orDash(text(a, "QTAPLICADAENT")),
                          text(a, "IDEMITENTEENT") == QLatin1String("0")
                              ? QStringLiteral("emissão própria, participante")
                              : QStringLiteral("emitente"),
                          orDash(text(a, "NMPARTICIPANTEENT").isEmpty()
                                     ? text(a, "CDPARTICIPANTEENT")
                                     : text(a, "NMPARTICIPANTEENT") + QStringLiteral(" (") +
                                           text(a, "CDPARTICIPANTEENT") + QLatin1Char(')')));
        if (!text(a, "CHDOCUMENTOENT").isEmpty())
            lines << QStringLiteral("    chave %1").arg(text(a, "CHDOCUMENTOENT"));
    } else {
        lines << QStringLiteral("Entrada: sem documento");
    }
    const QDate exit = a->FieldByName(QStringLiteral("DTSAIDA"))->AsDateTime();
    if (exit.isValid()) {
        const QString kind = text(a, "IDTPSAIDA");
        QString line =
            QStringLiteral("Saída em %1 (%2 - %3)")
                .arg(dateToStr(exit), kind,
                     kind == QLatin1String("V")   ? QStringLiteral("venda ou transferência")
                     : kind == QLatin1String("P") ? QStringLiteral("perda")
                                                  : QStringLiteral("outra saída"));
        if (!text(a, "CHDOCUMENTOSAI").isEmpty())
            line += QStringLiteral(": NF-e nº %1, item %2, chave %3")
                        .arg(orDash(text(a, "NRDOCUMENTOSAI")), orDash(text(a, "NRITEMSAI")),
                             text(a, "CHDOCUMENTOSAI"));
        lines << line;
    }
    const QString missing = text(a, "DSPENDENCIAS");
    if (missing.isEmpty()) {
        lines << QStringLiteral("Completo para o arquivo fiscal.");
    } else {
        lines << QStringLiteral("Falta para o arquivo fiscal:");
        for (const QString& m : missing.split(QStringLiteral("; ")))
            lines << QStringLiteral("  - ") + m;
    }
    return lines.join(QLatin1Char('\n'));
}

void AssetRegisterWindow::updateDetails() {
    assetDetails->setPlainText(detailsText());
    dtsPadraoStateChange(dtsPadrao);
}
