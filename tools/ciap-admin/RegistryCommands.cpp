// company, registration, tax, state, participant: each creates the row or updates it.
#include "AccessKey.h"
#include "AdminSupport.h"
#include "ChartStore.h"
#include "DocumentStore.h"
#include "Keys.h"
#include "RegisterStore.h"
#include "RegistryStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"
#include "TransactionGuard.h"

#include <QHash>

namespace ciap::admin {

using namespace ciap::server;

namespace {

// The IBGE codes of the states: the first two digits of their municipalities' codes.
const QHash<QString, int>& stateCodes() {
    static const QHash<QString, int> codes{
        {QStringLiteral("RO"), 11}, {QStringLiteral("AC"), 12}, {QStringLiteral("AM"), 13},
        {QStringLiteral("RR"), 14}, {QStringLiteral("PA"), 15}, {QStringLiteral("AP"), 16},
        {QStringLiteral("TO"), 17}, {QStringLiteral("MA"), 21}, {QStringLiteral("PI"), 22},
        {QStringLiteral("CE"), 23}, {QStringLiteral("RN"), 24}, {QStringLiteral("PB"), 25},
        {QStringLiteral("PE"), 26}, {QStringLiteral("AL"), 27}, {QStringLiteral("SE"), 28},
        {QStringLiteral("BA"), 29}, {QStringLiteral("MG"), 31}, {QStringLiteral("ES"), 32},
        {QStringLiteral("RJ"), 33}, {QStringLiteral("SP"), 35}, {QStringLiteral("PR"), 41},
        {QStringLiteral("SC"), 42}, {QStringLiteral("RS"), 43}, {QStringLiteral("MS"), 50},
        {QStringLiteral("MT"), 51}, {QStringLiteral("GO"), 52}, {QStringLiteral("DF"), 53}};
    return codes;
}

QString stateOption(const AdminArguments& args) {
    const QString uf = args.required(QStringLiteral("uf")).toUpper();
    if (!stateCodes().contains(uf))
        throw UsageError(QStringLiteral("--uf %1 não é a sigla de um estado, como SP.").arg(uf));
    return uf;
}

// Digits and, from 2026, letters; the punctuation people write it with is dropped.
QString plainCode(const QString& text) {
    QString out;
    for (QChar c : text.toUpper()) {
        if (c.isLetterOrNumber())
            out += c;
    }
    return out;
}

QString boundedText(const AdminArguments& args, const QString& option, int width) {
    const QString value = args.required(option);
    if (value.size() > width)
        throw UsageError(
            QStringLiteral("--%1 tem no máximo %2 caracteres.").arg(option).arg(width));
    return value;
}

int company(const AdminArguments& args, AdminIo& io) {
    const QString code = companyCode(args, QStringLiteral("code"));
    const QString name = boundedText(args, QStringLiteral("name"), 40);
    Database db = openDatabase(args, true);
    TransactionGuard tx(*db.session);
    RegistryStore(*db.session).putCompany(code, name);
    tx.commit();
    io.out << "empresa " << code << " - " << name << '\n';
    return 0;
}

int tax(const AdminArguments& args, AdminIo& io) {
    const auto code = Keys::pad(args.required(QStringLiteral("code")), Keys::TaxWidth);
    if (!code)
        throw UsageError(QStringLiteral("--code tem no máximo dois caracteres."));
    const QString name = boundedText(args, QStringLiteral("name"), 30);
    const QString kind = boundedText(args, QStringLiteral("kind"), 2);
    Database db = openDatabase(args, true);
    TransactionGuard tx(*db.session);
    RegistryStore(*db.session).putTax({*code, name, kind});
    tx.commit();
    io.out << "imposto " << *code << " - " << name << " (tipo " << kind << ")\n";
    return 0;
}

int registration(const AdminArguments& args, AdminIo& io) {
    const QString ie = boundedText(args, QStringLiteral("ie"), Keys::RegistrationWidth);
    std::optional<QString> cnpj;
    if (args.has(QStringLiteral("cnpj"))) {
        cnpj = plainCode(args.required(QStringLiteral("cnpj")));
        if (!documents::isValidCnpj(*cnpj))
            throw UsageError(QStringLiteral("--cnpj %1 não é um CNPJ válido (dígitos "
                                            "verificadores).")
                                 .arg(args.text(QStringLiteral("cnpj"))));
    }
    std::optional<QString> uf;
    if (args.has(QStringLiteral("uf")))
        uf = stateOption(args);
    std::optional<QString> municipality;
    if (args.has(QStringLiteral("municipality"))) {
        municipality = args.required(QStringLiteral("municipality"));
        const bool digits =
            municipality->size() == 7 && std::all_of(municipality->begin(), municipality->end(),
                                                     [](QChar c) { return c.isDigit(); });
        if (!digits)
            throw UsageError(QStringLiteral("--municipality deve ser o código IBGE do município, "
                                            "com sete dígitos."));
    }
    std::optional<QString> profile;
    if (args.has(QStringLiteral("profile"))) {
        profile = args.required(QStringLiteral("profile")).trimmed().toUpper();
        if (*profile != QLatin1String("A") && *profile != QLatin1String("B") &&
            *profile != QLatin1String("C"))
            throw UsageError(QStringLiteral("--profile é o perfil da EFD: A, B ou C."));
    }
    std::optional<bool> industrial;
    if (args.has(QStringLiteral("activity"))) {
        const QString a = args.required(QStringLiteral("activity")).trimmed();
        if (a != QLatin1String("0") && a != QLatin1String("1"))
            throw UsageError(QStringLiteral("--activity é 0 (industrial ou equiparado) ou 1 "
                                            "(outras)."));
        industrial = a == QLatin1String("0");
    }
    Database db = openDatabase(args);
    const QString company = existingCompany(args, *db.session);
    TransactionGuard tx(*db.session);
    RegistryStore registry(*db.session);
    ChartStore chart(*db.session);
    // Defaults name what is registered, so that a typo is caught now rather than in the file.
    const auto account = args.optionalText(QStringLiteral("account"));
    if (account && !account->isEmpty() && !chart.account(*account))
        throw ServiceError::rule(QStringLiteral("Conta %1 não cadastrada: cadastre-a com "
                                                "\"ciap-admin account\".")
                                     .arg(*account));
    const auto centre = args.optionalText(QStringLiteral("cost-centre"));
    if (centre && !centre->isEmpty() && !chart.costCentre(*centre))
        throw ServiceError::rule(QStringLiteral("Centro de custo %1 não cadastrado: cadastre-o "
                                                "com \"ciap-admin cost-centre\".")
                                     .arg(*centre));
    const auto stored = registry.registration(company, ie);
    Registration r = stored.value_or(Registration{company, ie, {}, {}, {}, 48});
    r.cnpj = cnpj.value_or(r.cnpj);
    r.uf = uf.value_or(r.uf);
    r.municipality = municipality.value_or(r.municipality);
    if (r.cnpj.isEmpty() || r.uf.isEmpty() || r.municipality.isEmpty())
        throw UsageError(QStringLiteral("Uma inscrição nova precisa de --cnpj, --uf e "
                                        "--municipality."));
    if (r.municipality.left(2).toInt() != stateCodes().value(r.uf))
        throw UsageError(QStringLiteral("O município %1 não é do estado %2 (os dois primeiros "
                                        "dígitos do código IBGE são os do estado).")
                             .arg(r.municipality, r.uf));
    registry.putRegistration(r);
    EfdSettings settings = chart.settings(company, r.code).value_or(EfdSettings{});
    settings.account = account.value_or(settings.account);
    settings.costCentre = centre.value_or(settings.costCentre);
    settings.profile = profile.value_or(settings.profile);
    settings.industrial = industrial.value_or(settings.industrial);
    chart.putSettings(company, r.code, settings);
    tx.commit();
    io.out << "inscrição " << r.code << " da empresa " << company << ": CNPJ " << r.cnpj << ", "
           << r.uf << ", município " << r.municipality << '\n'
           << "  EFD: perfil " << settings.profile << ", atividade "
           << (settings.industrial ? "0 (industrial)" : "1 (outras)") << ", conta padrão "
           << (settings.account.isEmpty() ? QStringLiteral("-") : settings.account)
           << ", centro de custo padrão "
           << (settings.costCentre.isEmpty() ? QStringLiteral("-") : settings.costCentre) << '\n';
    return 0;
}

int state(const AdminArguments& args, AdminIo& io) {
    const QString uf = stateOption(args);
    const auto instalments = args.number(QStringLiteral("instalments"), 1, 999);
    std::optional<bool> exitMonth;
    if (args.has(QStringLiteral("exit-month"))) {
        const QString v = args.required(QStringLiteral("exit-month")).toUpper();
        if (v != QLatin1String("S") && v != QLatin1String("N"))
            throw UsageError(QStringLiteral("--exit-month é S (o mês da saída tem parcela) ou N."));
        exitMonth = v == QLatin1String("S");
    }
    if (!instalments && !exitMonth)
        throw UsageError(QStringLiteral("Informe --instalments ou --exit-month."));
    Database db = openDatabase(args, true);
    TransactionGuard tx(*db.session);
    RegistryStore(*db.session).putState(uf, instalments, exitMonth);
    tx.commit();
    io.out << "estado " << uf << " gravado\n";
    return 0;
}

int participant(const AdminArguments& args, AdminIo& io) {
    Participant p;
    p.name = boundedText(args, QStringLiteral("name"), 100);
    if (args.has(QStringLiteral("cnpj"))) {
        p.cnpj = plainCode(args.required(QStringLiteral("cnpj")));
        if (!documents::isValidCnpj(p.cnpj))
            throw UsageError(
                QStringLiteral("--cnpj não é um CNPJ válido (dígitos verificadores)."));
        p.id = p.cnpj;
    } else if (args.has(QStringLiteral("cpf"))) {
        p.cpf = plainCode(args.required(QStringLiteral("cpf")));
        if (!documents::isValidCpf(p.cpf))
            throw UsageError(QStringLiteral("--cpf não é um CPF válido (dígitos verificadores)."));
        p.id = p.cpf;
    } else if (args.has(QStringLiteral("foreign-id"))) {
        p.id = QStringLiteral("EX") + args.required(QStringLiteral("foreign-id"));
    } else {
        throw UsageError(QStringLiteral("Informe --cnpj, --cpf ou --foreign-id."));
    }
    p.ie = args.text(QStringLiteral("ie")).trimmed();
    p.uf = args.has(QStringLiteral("uf")) ? stateOption(args) : QString();
    p.municipality = args.text(QStringLiteral("municipality")).trimmed();
    p.street = args.text(QStringLiteral("address")).trimmed();
    p.number = args.text(QStringLiteral("number")).trimmed();
    p.complement = args.text(QStringLiteral("complement")).trimmed();
    p.district = args.text(QStringLiteral("district")).trimmed();
    p.country = args.has(QStringLiteral("country")) ? args.text(QStringLiteral("country")).trimmed()
                                                    : QStringLiteral("1058");
    p.asOf = QDate::currentDate();
    Database db = openDatabase(args);
    const QString company = existingCompany(args, *db.session);
    TransactionGuard tx(*db.session);
    DocumentStore(*db.session).putParticipant(company, p);
    tx.commit();
    io.out << "participante " << p.id << " - " << p.name << '\n';
    return 0;
}

} // namespace

int registryCommand(const QString& command, const QStringList& arguments, AdminIo& io) {
    const QString database = QStringLiteral("database");
    if (command == QLatin1String("company"))
        return company(AdminArguments(arguments,
                                      {database, QStringLiteral("code"), QStringLiteral("name")},
                                      {}),
                       io);
    if (command == QLatin1String("tax"))
        return tax(AdminArguments(arguments,
                                  {database, QStringLiteral("code"), QStringLiteral("name"),
                                   QStringLiteral("kind")},
                                  {}),
                   io);
    if (command == QLatin1String("registration"))
        return registration(
            AdminArguments(arguments,
                           {database, QStringLiteral("company"), QStringLiteral("ie"),
                            QStringLiteral("cnpj"), QStringLiteral("uf"),
                            QStringLiteral("municipality"), QStringLiteral("account"),
                            QStringLiteral("cost-centre"), QStringLiteral("profile"),
                            QStringLiteral("activity")},
                           {}),
            io);
    if (command == QLatin1String("state"))
        return state(AdminArguments(arguments,
                                    {database, QStringLiteral("uf"), QStringLiteral("instalments"),
                                     QStringLiteral("exit-month")},
                                    {}),
                     io);
    return participant(
        AdminArguments(arguments,
                       {database, QStringLiteral("company"), QStringLiteral("cnpj"),
                        QStringLiteral("cpf"), QStringLiteral("foreign-id"), QStringLiteral("name"),
                        QStringLiteral("ie"), QStringLiteral("uf"), QStringLiteral("municipality"),
                        QStringLiteral("address"), QStringLiteral("number"),
                        QStringLiteral("complement"), QStringLiteral("district"),
                        QStringLiteral("country")},
                       {}),
        io);
}

} // namespace ciap::admin
