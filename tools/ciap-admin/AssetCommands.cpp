// asset: complete, correct or create an asset, or turn a purchase's items into assets;
// exit: record or undo an asset's exit.
#include "AdminSupport.h"
#include "DocumentMapping.h"
#include "RegisterEditing.h"
#include "RegisterRules.h"
#include "TransactionGuard.h"

namespace ciap::admin {

using namespace ciap::server;

namespace {

const QStringList assetOptions{QStringLiteral("database"),
                               QStringLiteral("company"),
                               QStringLiteral("asset"),
                               QStringLiteral("registration"),
                               QStringLiteral("purchase"),
                               QStringLiteral("items"),
                               QStringLiteral("name"),
                               QStringLiteral("patrimony"),
                               QStringLiteral("type"),
                               QStringLiteral("entry-date"),
                               QStringLiteral("instalments"),
                               QStringLiteral("component-of"),
                               QStringLiteral("account"),
                               QStringLiteral("cost-centre"),
                               QStringLiteral("function"),
                               QStringLiteral("useful-life"),
                               QStringLiteral("item-code"),
                               QStringLiteral("unit"),
                               QStringLiteral("origin"),
                               QStringLiteral("difal"),
                               QStringLiteral("payment-doc"),
                               QStringLiteral("own"),
                               QStringLiteral("st"),
                               QStringLiteral("freight"),
                               QStringLiteral("participant"),
                               QStringLiteral("document-key"),
                               QStringLiteral("document-model"),
                               QStringLiteral("document-series"),
                               QStringLiteral("document-number"),
                               QStringLiteral("document-date"),
                               QStringLiteral("document-item"),
                               QStringLiteral("quantity")};

std::optional<QString> bounded(const AdminArguments& args, const QString& option, int width) {
    const auto value = args.optionalText(option);
    if (value && value->size() > width)
        throw UsageError(
            QStringLiteral("--%1 tem no máximo %2 caracteres.").arg(option).arg(width));
    return value;
}

AssetChanges changesOf(const AdminArguments& args) {
    AssetChanges c;
    c.name = bounded(args, QStringLiteral("name"), 50);
    c.patrimony = bounded(args, QStringLiteral("patrimony"), 30);
    if (const auto type = args.optionalText(QStringLiteral("type"))) {
        if (*type != QLatin1String("01") && *type != QLatin1String("09"))
            throw UsageError(QStringLiteral("--type é 01 ou 09."));
        c.appropriationType = *type;
    }
    c.entryDate = args.date(QStringLiteral("entry-date"));
    c.instalments = args.number(QStringLiteral("instalments"), 1, 999);
    if (args.has(QStringLiteral("component-of"))) {
        c.component = true;
        c.mainAsset = args.required(QStringLiteral("component-of"));
    } else if (args.has(QStringLiteral("not-component"))) {
        c.component = false;
        c.mainAsset = QString();
    }
    c.account = bounded(args, QStringLiteral("account"), 60);
    c.costCentre = bounded(args, QStringLiteral("cost-centre"), 60);
    c.function = bounded(args, QStringLiteral("function"), 200);
    c.usefulLife = args.number(QStringLiteral("useful-life"), 1, 999);
    c.item = bounded(args, QStringLiteral("item-code"), 60);
    c.unit = bounded(args, QStringLiteral("unit"), 6);
    if (const auto origin = args.optionalText(QStringLiteral("origin"))) {
        c.origin = origin->trimmed().toUpper();
        static const QStringList known{QStringLiteral("IM"), QStringLiteral("MC"),
                                       QStringLiteral("IA"), QStringLiteral("CI")};
        if (!known.contains(*c.origin))
            throw UsageError(QStringLiteral("--origin é IM, MC, IA ou CI."));
    }
    c.difalCents = args.cents(QStringLiteral("difal"));
    c.paymentDocument = bounded(args, QStringLiteral("payment-doc"), 60);
    c.ownCents = args.cents(QStringLiteral("own"));
    c.stCents = args.cents(QStringLiteral("st"));
    c.freightCents = args.cents(QStringLiteral("freight"));
    c.participant = bounded(args, QStringLiteral("participant"), 60);
    c.documentKey = args.optionalText(QStringLiteral("document-key"));
    c.documentModel = bounded(args, QStringLiteral("document-model"), 2);
    c.documentSeries = bounded(args, QStringLiteral("document-series"), 3);
    c.documentNumber = bounded(args, QStringLiteral("document-number"), 9);
    c.documentDate = args.date(QStringLiteral("document-date"));
    c.documentItem = args.number(QStringLiteral("document-item"), 1, 999);
    c.quantity = args.quantity(QStringLiteral("quantity"));
    return c;
}

qint64 cents(double value) {
    return qRound64(value * 100.0);
}

void show(const RegisterAsset& a, const EfdSettings& defaults, QTextStream& out) {
    const AssetRecord& r = a.record;
    out << "bem " << r.number << " - " << r.name << '\n'
        << "  inscrição " << r.registration << ", entrada " << formatDate(r.entry) << ", "
        << r.instalments << " parcelas, tipo " << r.appropriationType << '\n'
        << "  ICMS próprio " << formatCents(cents(r.ownIcms)) << ", ST "
        << formatCents(cents(r.stIcms)) << ", frete " << formatCents(cents(r.freightIcms))
        << ", diferencial de alíquota " << formatCents(cents(r.difalIcms)) << '\n';
    if (a.entry)
        out << "  entrada: modelo " << a.entry->model << ", série " << a.entry->series
            << ", número " << a.entry->number << ", item " << a.entry->item << ", quantidade "
            << DocumentMapping::quantityText(a.entry->quantity) << '\n';
    if (r.exitDate.isValid())
        out << "  saída " << formatDate(r.exitDate) << " (" << r.exitKind << ")"
            << (a.exit && !a.exit->key.isEmpty() ? QStringLiteral(", NF-e ") + a.exit->key
                                                 : QString())
            << '\n';
    const QStringList missing = RegisterRules::gaps(a, false, defaults);
    if (!missing.isEmpty())
        out << "  falta: " << missing.join(QStringLiteral(", ")) << '\n';
}

} // namespace

int assetCommand(const QStringList& arguments, AdminIo& io) {
    const AdminArguments args(arguments, assetOptions, {QStringLiteral("not-component")});
    const AssetChanges changes = changesOf(args);
    Database db = openDatabase(args);
    const QString company = existingCompany(args, *db.session);
    TransactionGuard tx(*db.session);
    RegisterEditing editing(*db.session);
    if (args.has(QStringLiteral("purchase"))) {
        const QStringList codes =
            editing.assetsFromPurchase(company, args.required(QStringLiteral("purchase")),
                                       args.numbers(QStringLiteral("items")));
        tx.commit();
        io.out << "bens criados: " << codes.join(QStringLiteral(", ")) << '\n';
        return 0;
    }
    RegisterAsset asset;
    if (args.has(QStringLiteral("asset"))) {
        asset = editing.change(company, args.required(QStringLiteral("asset")), changes);
    } else if (args.has(QStringLiteral("registration"))) {
        asset = editing.create(company, args.required(QStringLiteral("registration")), changes);
    } else {
        throw UsageError(QStringLiteral("Informe --asset (um bem cadastrado), --registration (um "
                                        "bem novo) ou --purchase (itens de uma compra)."));
    }
    tx.commit();
    show(asset, editing.defaultsOf(asset.company, asset.record.registration), io.out);
    return 0;
}

int exitCommand(const QStringList& arguments, AdminIo& io) {
    const AdminArguments args(arguments,
                              {QStringLiteral("database"), QStringLiteral("company"),
                               QStringLiteral("asset"), QStringLiteral("date"),
                               QStringLiteral("kind"), QStringLiteral("document"),
                               QStringLiteral("item"), QStringLiteral("participant")},
                              {QStringLiteral("clear")});
    const QString code = args.required(QStringLiteral("asset"));
    const bool clear = args.has(QStringLiteral("clear"));
    std::optional<QDate> date;
    QString kind;
    if (!clear) {
        date = args.date(QStringLiteral("date"));
        if (!date)
            throw UsageError(QStringLiteral("Informe --date."));
        kind = args.required(QStringLiteral("kind")).toUpper();
    }
    const int item = args.number(QStringLiteral("item"), 1, 990).value_or(0);
    const QString participant = args.text(QStringLiteral("participant")).trimmed();
    if (!participant.isEmpty() && !args.has(QStringLiteral("document")))
        throw UsageError(QStringLiteral("--participant é o comprador do documento de --document."));
    Database db = openDatabase(args);
    const QString company = existingCompany(args, *db.session);
    TransactionGuard tx(*db.session);
    RegisterEditing editing(*db.session);
    const RegisterAsset asset =
        clear ? editing.clearExit(company, code)
              : editing.recordExit(company, code, *date, kind,
                                   args.text(QStringLiteral("document")).trimmed(), item,
                                   participant);
    tx.commit();
    show(asset, editing.defaultsOf(asset.company, asset.record.registration), io.out);
    return 0;
}

} // namespace ciap::admin
