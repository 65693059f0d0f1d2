// Editing the register: which cells the user may change, the checks before a save, the save
// as a delta the server holds against what it has, and the exit of an asset.
#include "AssetRegisterWindow.h"
#include "DialogService.h"
#include "ExitDialog.h"
#include "FiscalServer.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "RegisterFormat.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"

namespace {

bool editing(const TClientDataSet* ds) {
    return ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert;
}

bool changed(const TField* f) {
    return f->Value() != f->OldValue() && !(f->IsNull() && !f->OldValue().isValid());
}

} // namespace

bool AssetRegisterWindow::columnEditable(const QString& name) const {
    static const QStringList never{QStringLiteral("CDBEMATIVO"),    QStringLiteral("QTPENDENCIAS"),
                                   QStringLiteral("CDINSCESTA"),    QStringLiteral("VRCREDITOCENT"),
                                   QStringLiteral("VRPARCELACENT"), QStringLiteral("DTSAIDA"),
                                   QStringLiteral("IDTPSAIDA")};
    // What the imported documents say is not typed over.
    static const QStringList fromDocuments{
        QStringLiteral("VRICMSPROPRIOCENT"), QStringLiteral("VRICMSSTCENT"),
        QStringLiteral("VRICMSFRETECENT"),   QStringLiteral("CDPARTICIPANTEENT"),
        QStringLiteral("CDMODELOENT"),       QStringLiteral("NRSERIEENT"),
        QStringLiteral("NRDOCUMENTOENT"),    QStringLiteral("CHDOCUMENTOENT"),
        QStringLiteral("DTDOCUMENTOENT"),    QStringLiteral("NRITEMENT"),
        QStringLiteral("QTAPLICADAENT")};
    if (name.isEmpty() || never.contains(name) || !cdsAssets->Active() || cdsAssets->IsEmpty())
        return false;
    if (fromDocuments.contains(name))
        return field("IDENTRADAIMPORTADA")->AsString() != QLatin1String("S");
    return true;
}

void AssetRegisterWindow::assetsColumnEnter() {
    const TField* selected = dbgPadrao->SelectedField();
    dbgPadrao->SetOption(TDBGrid::dgEditing,
                         columnEditable(selected ? selected->FieldName() : QString()));
}

void AssetRegisterWindow::assetsBeforePost(TClientDataSet&) {
    const auto fail = [this](const char* name, const QString& text) {
        dbgPadrao->FocusField(QLatin1String(name));
        MensErro(text);
    };
    if (EmptyString(field("NMBEMATIVO")->AsString()))
        fail("NMBEMATIVO", QStringLiteral("Informe o nome do bem."));
    TField* main = field("CDBEMPRINCIPAL");
    if (changed(main) && !EmptyString(main->AsString())) {
        // Naming a main asset makes the asset its component.
        main->SetAsString(Ajusta(main->AsString(), 10));
        field("IDTPBEM")->SetAsString(QStringLiteral("2"));
    }
    if (field("IDTPBEM")->AsString() == QLatin1String("2") && EmptyString(main->AsString()))
        fail("CDBEMPRINCIPAL", QStringLiteral("Um componente precisa do código do bem principal."));
    if (field("IDTPBEM")->AsString() == QLatin1String("1"))
        main->Clear();
    const auto whole = [&](const char* name, bool required) {
        const TField* f = field(name);
        const double v = f->AsFloat();
        if ((f->IsNull() && required) || (!f->IsNull() && (v < 1 || v > 999 || v != int(v))))
            fail(name,
                 QStringLiteral("%1 deve ser um número inteiro de 1 a 999.").arg(f->DisplayName()));
    };
    whole("NRPARCELAS", true);
    whole("NRVIDAUTIL", false);
    const TField* key = field("CHDOCUMENTOENT");
    if (changed(key) && !key->IsNull() && !RegisterFormat::isAccessKey(key->AsString()))
        fail("CHDOCUMENTOENT", QStringLiteral("Chave de acesso inválida: confira as 44 posições "
                                              "e o dígito verificador."));
    // The amount paid, or its collection document, answers the rate differential.
    if (field("IDDIFALPENDENTE")->AsString() == QLatin1String("S") &&
        (changed(field("VRICMSDIFALCENT")) ||
         (changed(field("NRDOCARRECADACAO")) && !field("NRDOCARRECADACAO")->IsNull())))
        field("IDDIFALPENDENTE")->SetAsString(QStringLiteral("N"));
}

void AssetRegisterWindow::assetsAfterPost(TClientDataSet& dataSet) {
    if (dataSet.ChangeCount() > 0) {
        const std::exception_ptr failure = runShowingFailure([&] {
            const BusyScope busy(this);
            server->call(QStringLiteral("saveAssets"), {dataSet.DeltaVariant()});
        });
        if (failure) {
            // Not stored: the row goes back to editing with what the user typed, and out of
            // the change log, so that the next save sends only what is saved then.
            dataSet.ReopenPost();
            std::rethrow_exception(failure);
        }
        dataSet.MergeChangeLog();
    }
    // The server's row: what the change completed, derived figures, what is still lacking.
    reloadKeepingAsset();
}

void AssetRegisterWindow::assetsAfterCancel(TClientDataSet&) {
    updateDetails();
}

void AssetRegisterWindow::registerExitClick() {
    if (!cdsAssets->Active() || cdsAssets->IsEmpty() || editing(cdsAssets))
        return;
    ExitDialog dialog(field("CDBEMATIVO")->AsString(), field("DTENTRADA")->AsDateTime(), this);
    dialog.setExit(field("DTSAIDA")->AsDateTime(), field("IDTPSAIDA")->AsString(),
                   field("CHDOCUMENTOSAI")->AsString(), int(field("NRITEMSAI")->AsFloat()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    recordExit(dialog.date(), dialog.kind(), dialog.key(), dialog.item());
}

void AssetRegisterWindow::recordExit(const QDate& date, const QString& kind, const QString& key,
                                     int item) {
    if (!key.isEmpty() && !RegisterFormat::isAccessKey(key))
        MensErro(QStringLiteral("Chave de acesso inválida: confira as 44 posições e o dígito "
                                "verificador."));
    cdsAssets->Edit();
    field("DTSAIDA")->SetAsDateTime(date);
    field("IDTPSAIDA")->SetAsString(kind);
    field("CHDOCUMENTOSAI")->SetAsString(key);
    if (item > 0)
        field("NRITEMSAI")->SetAsFloat(item);
    else
        field("NRITEMSAI")->Clear();
    try {
        cdsAssets->Post();
    } catch (...) {
        // The exit was refused: nothing of it stays in the row.
        if (editing(cdsAssets))
            cdsAssets->Cancel();
        throw;
    }
}

void AssetRegisterWindow::clearExitClick() {
    if (!cdsAssets->Active() || cdsAssets->IsEmpty() || field("DTSAIDA")->IsNull())
        return;
    if (DialogService::instance().askYesNo(
            DialogKind::Confirmation,
            QStringLiteral("Desfazer a saída do bem %1? O bem volta a constar como em uso.")
                .arg(field("CDBEMATIVO")->AsString())) != DialogAnswer::Yes)
        return;
    cdsAssets->Edit();
    for (const char* name : {"DTSAIDA", "IDTPSAIDA", "CHDOCUMENTOSAI", "NRITEMSAI"})
        field(name)->Clear();
    try {
        cdsAssets->Post();
    } catch (...) {
        if (editing(cdsAssets))
            cdsAssets->Cancel();
        throw;
    }
}
