// account, cost-centre: what the tax file needs that no document carries; bloco-g: a month's
// Bloco G of the EFD ICMS/IPI.
#include "AdminSupport.h"
#include "BlocoGExport.h"
#include "ChartStore.h"
#include "Keys.h"
#include "Month.h"
#include "ServiceError.h"
#include "TransactionGuard.h"

#include <QFile>
#include <QSaveFile>

namespace ciap::admin {

using namespace ciap::server;

namespace {

QString code(const AdminArguments& args) {
    const QString value = args.required(QStringLiteral("code")).trimmed();
    if (value.isEmpty() || value.size() > 60 || value.contains(QLatin1Char('|')))
        throw UsageError(QStringLiteral("--code tem de 1 a 60 caracteres, sem '|'."));
    return value;
}

QString name(const AdminArguments& args) {
    const QString value = args.required(QStringLiteral("name")).trimmed();
    if (value.isEmpty() || value.size() > 60 || value.contains(QLatin1Char('|')))
        throw UsageError(QStringLiteral("--name tem de 1 a 60 caracteres, sem '|'."));
    return value;
}

// What the file's validator would refuse anyway, refused while the user is still typing it.
int account(const AdminArguments& args, AdminIo& io) {
    AccountRecord a;
    a.code = code(args);
    a.name = name(args);
    a.nature = args.text(QStringLiteral("nature")).trimmed();
    if (a.nature.isEmpty())
        a.nature = QStringLiteral("01");
    if (a.nature.size() != 2 || !a.nature.front().isDigit() || !a.nature.back().isDigit())
        throw UsageError(QStringLiteral("--nature tem dois dígitos: 01 para contas do ativo."));
    a.synthetic = args.has(QStringLiteral("synthetic"));
    // The level of "1.2.3.01.001" is its number of parts, unless said otherwise.
    a.level = args.number(QStringLiteral("level"), 1, 99999)
                  .value_or(int(a.code.split(QLatin1Char('.'), Qt::SkipEmptyParts).size()));
    Database db = openDatabase(args);
    TransactionGuard tx(*db.session);
    ChartStore chart(*db.session);
    const auto stored = chart.account(a.code);
    a.changed = args.date(QStringLiteral("changed"))
                    .value_or(stored ? stored->changed : QDate::currentDate());
    chart.putAccount(a);
    tx.commit();
    io.out << "conta " << a.code << " - " << a.name << " (natureza " << a.nature << ", "
           << (a.synthetic ? "sintética" : "analítica") << ", nível " << a.level << ", incluída em "
           << formatDate(a.changed) << ")\n";
    if (a.nature != QLatin1String("01") || a.synthetic)
        io.out << "aviso: um bem só pode usar conta analítica do ativo (natureza 01)\n";
    return 0;
}

int costCentre(const AdminArguments& args, AdminIo& io) {
    CostCentreRecord c;
    c.code = code(args);
    c.name = name(args);
    Database db = openDatabase(args);
    TransactionGuard tx(*db.session);
    ChartStore chart(*db.session);
    const auto stored = chart.costCentre(c.code);
    c.changed = args.date(QStringLiteral("changed"))
                    .value_or(stored ? stored->changed : QDate::currentDate());
    chart.putCostCentre(c);
    tx.commit();
    io.out << "centro de custo " << c.code << " - " << c.name << " (incluído em "
           << formatDate(c.changed) << ")\n";
    return 0;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw ServiceError::rule(
            QStringLiteral("Não foi possível gravar %1: %2").arg(path, out.errorString()));
}

int blocoG(const AdminArguments& args, AdminIo& io) {
    BlocoGRequest q;
    q.company = companyCode(args);
    q.registration = args.required(QStringLiteral("registration")).trimmed();
    const auto month = Month::parse(args.required(QStringLiteral("month")).trimmed());
    if (!month)
        throw UsageError(QStringLiteral("--month deve ser um mês MM/AAAA, como 01/2024."));
    q.month = *month;
    if (args.has(QStringLiteral("tax"))) {
        const auto tax = Keys::pad(args.required(QStringLiteral("tax")), Keys::TaxWidth);
        if (!tax)
            throw UsageError(QStringLiteral("--tax tem no máximo dois caracteres."));
        q.tax = *tax;
    }
    const QString path = args.text(QStringLiteral("out")).trimmed();
    Database db = openDatabase(args);
    const BlocoGResult r = BlocoGExport(*db.session).run(q);
    if (!r.ok()) {
        io.err << "ciap-admin: o Bloco G de " << q.month.text()
               << " não foi gerado: " << r.problems.size()
               << " problema(s); corrija-os no cadastro e gere de novo.\n";
        for (const efd::Problem& p : r.problems)
            io.err << "  " << p.text() << '\n';
        return 1;
    }
    if (path.isEmpty()) {
        io.out.flush();
        if (io.raw)
            io.raw(r.bytes);
        else
            io.out << QString::fromLatin1(r.bytes);
        return 0;
    }
    writeFile(path, r.bytes);
    io.out << "Bloco G de " << q.month.text() << ", inscrição " << r.registration
           << (r.tax.isEmpty() ? QStringLiteral(", sem competência (sem movimento)")
                               : QStringLiteral(", imposto ") + r.tax)
           << ": " << r.lines << " linhas, " << r.movements << " movimentações (G125) em " << path
           << '\n';
    return 0;
}

} // namespace

int fiscalCommand(const QString& command, const QStringList& arguments, AdminIo& io) {
    const QString database = QStringLiteral("database");
    if (command == QLatin1String("account"))
        return account(AdminArguments(arguments,
                                      {database, QStringLiteral("code"), QStringLiteral("name"),
                                       QStringLiteral("nature"), QStringLiteral("level"),
                                       QStringLiteral("changed")},
                                      {QStringLiteral("synthetic")}),
                       io);
    if (command == QLatin1String("cost-centre"))
        return costCentre(AdminArguments(arguments,
                                         {database, QStringLiteral("code"), QStringLiteral("name"),
                                          QStringLiteral("changed")},
                                         {}),
                          io);
    return blocoG(
        AdminArguments(arguments,
                       {database, QStringLiteral("company"), QStringLiteral("registration"),
                        QStringLiteral("month"), QStringLiteral("tax"), QStringLiteral("out")},
                       {}),
        io);
}

} // namespace ciap::admin
