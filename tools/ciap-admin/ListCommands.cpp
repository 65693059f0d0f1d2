// assets, purchases, pending-exits: what the register holds and what the user still has to
// settle.
#include "AdminSupport.h"
#include "DocumentMapping.h"
#include "DocumentStore.h"
#include "PurchaseStore.h"
#include "RegisterEditing.h"
#include "TransactionGuard.h"

namespace ciap::admin {

using namespace ciap::server;

namespace {

qint64 credit(const AssetRecord& r) {
    return qRound64(r.ownIcms * 100.0) + qRound64(r.stIcms * 100.0) +
           qRound64(r.freightIcms * 100.0) + qRound64(r.difalIcms * 100.0);
}

int assets(const AdminArguments& args, AdminIo& io) {
    Database db = openDatabase(args);
    const QString company = existingCompany(args, *db.session);
    const bool lacking = args.has(QStringLiteral("lacking"));
    const QList<AssetGaps> all =
        RegisterEditing(*db.session)
            .gaps(company, args.text(QStringLiteral("registration")).trimmed(), !lacking);
    for (const AssetGaps& g : all) {
        const AssetRecord& r = g.asset.record;
        io.out << r.number << "  " << r.registration << "  " << formatDate(r.entry) << "  "
               << r.name << "  ICMS " << formatCents(credit(r)) << "  " << r.instalments << "x";
        if (r.exitDate.isValid())
            io.out << "  saída " << formatDate(r.exitDate) << ' ' << r.exitKind;
        io.out << '\n';
        if (lacking)
            io.out << "    falta: " << g.missing.join(QStringLiteral(", ")) << '\n';
    }
    io.out << (lacking ? "bens com pendências: " : "bens: ") << all.size() << '\n';
    return 0;
}

int purchases(const AdminArguments& args, AdminIo& io) {
    Database db = openDatabase(args);
    const QString company = existingCompany(args, *db.session);
    PurchaseStore store(*db.session);
    DocumentStore documents(*db.session);
    const QList<Purchase> list = store.list(company, !args.has(QStringLiteral("all")));
    for (const Purchase& p : list) {
        const auto other = documents.participant(company, p.participant);
        io.out << p.key << "  " << formatDate(p.entered) << "  inscrição " << p.registration
               << "  NF " << p.number << " série " << p.series << "  "
               << (other ? other->name : p.participant) << (p.cancelled ? "  CANCELADA" : "")
               << '\n';
        for (const PurchaseItem& i : store.items(p.key)) {
            io.out << "    item " << i.number << ": " << i.productCode << " " << i.description
                   << "  CFOP " << i.cfop << "  qtd " << DocumentMapping::quantityText(i.quantity)
                   << "  ICMS " << formatCents(i.icmsCents) << "  ST " << formatCents(i.stCents)
                   << "  frete " << formatCents(i.freightCents) << (i.asset ? "  (já é bem)" : "")
                   << '\n';
        }
    }
    io.out << "compras: " << list.size() << '\n';
    return 0;
}

int pendingExits(const AdminArguments& args, AdminIo& io) {
    Database db = openDatabase(args);
    const QString company = existingCompany(args, *db.session);
    if (args.has(QStringLiteral("dismiss"))) {
        const auto item = args.number(QStringLiteral("item"), 1, 990);
        if (!item)
            throw UsageError(QStringLiteral("Informe --item do item a dispensar."));
        TransactionGuard tx(*db.session);
        RegisterEditing(*db.session)
            .dismissPendingExit(company, args.required(QStringLiteral("dismiss")), *item);
        tx.commit();
        io.out << "saída pendente dispensada\n";
        return 0;
    }
    const QList<PendingExit> list = DocumentStore(*db.session).pendingExits(company);
    for (const PendingExit& e : list) {
        io.out << e.key << "  item " << e.item << "  " << formatDate(e.date) << "  inscrição "
               << e.registration << "  CFOP " << e.cfop << "  " << e.productCode << " "
               << e.description << "  qtd " << DocumentMapping::quantityText(e.quantity) << '\n'
               << "    " << e.reason;
        if (!e.candidates.isEmpty())
            io.out << "; candidatos: " << e.candidates.join(QStringLiteral(", "));
        io.out << '\n';
    }
    io.out << "saídas pendentes: " << list.size() << '\n';
    return 0;
}

} // namespace

int listCommand(const QString& command, const QStringList& arguments, AdminIo& io) {
    const QString database = QStringLiteral("database");
    const QString company = QStringLiteral("company");
    if (command == QLatin1String("assets"))
        return assets(AdminArguments(arguments, {database, company, QStringLiteral("registration")},
                                     {QStringLiteral("lacking")}),
                      io);
    if (command == QLatin1String("purchases"))
        return purchases(AdminArguments(arguments, {database, company}, {QStringLiteral("all")}),
                         io);
    return pendingExits(
        AdminArguments(arguments,
                       {database, company, QStringLiteral("dismiss"), QStringLiteral("item")}, {}),
        io);
}

} // namespace ciap::admin
