#include "AdminCommands.h"

#include "AdminSupport.h"

#include "Keys.h"
#include "Migrations.h"
#include "RegisterStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"
#include "StorageError.h"
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace ciap::admin {

using namespace ciap::server;

namespace {

QString storageText(const StorageError& e) {
    if (e.busy())
        return ServerMessages::databaseBusy();
    if (e.readOnly())
        return QStringLiteral("Banco de dados somente leitura: nada foi gravado.");
    if (e.full())
        return QStringLiteral("Banco de dados cheio: não há espaço para gravar; nada foi gravado.");
    const QString detail =
        e.driverText().trimmed().isEmpty()
            ? QString()
            : QStringLiteral(" (detalhe do banco: %1)").arg(e.driverText().trimmed());
    if (e.label() == QLatin1String("open"))
        return QStringLiteral("Não foi possível abrir o banco de dados.") + detail;
    return QStringLiteral("Falha no banco de dados; nada foi gravado.") + detail;
}

} // namespace

QString usage() {
    return QStringLiteral(
        "Uso: ciap-admin COMANDO --database BANCO [opções]\n"
        "\n"
        "Mantém o cadastro do CIAP direto no banco de dados, com o mesmo código e as mesmas\n"
        "migrações do servidor. BANCO é um arquivo SQLite (criado com o esquema se não existir)\n"
        "ou postgresql://usuário@servidor[:porta]/banco[?schema=NOME].\n"
        "\n"
        "Cadastros (cada um cria ou altera):\n"
        "  company      --code CC --name NOME\n"
        "  registration --company CC --ie IE --cnpj CNPJ --uf UF --municipality IBGE7\n"
        "               [--account CONTA] [--cost-centre CENTRO] [--profile A|B|C]\n"
        "               [--activity 0|1]     conta e centro de custo padrão dos bens, perfil\n"
        "                                    e atividade do registro 0000 da EFD\n"
        "  tax          --code CC --name NOME --kind KK\n"
        "  state        --uf UF [--instalments N] [--exit-month S|N]\n"
        "  participant  --company CC (--cnpj X | --cpf X | --foreign-id X) --name NOME\n"
        "               [--ie IE] [--uf UF] [--municipality IBGE7] [--address RUA] [--number N]\n"
        "               [--complement C] [--district BAIRRO] [--country CÓDIGO]\n"
        "  account      --code CONTA --name NOME [--nature 01] [--synthetic] [--level N]\n"
        "               [--changed DD/MM/AAAA]   conta do ativo no plano de contas (EFD 0500)\n"
        "  cost-centre  --code CENTRO --name NOME [--changed DD/MM/AAAA]   (EFD 0600)\n"
        "\n"
        "Documentos:\n"
        "  import       [--assets] [--items N,...] ARQUIVO_OU_PASTA...\n"
        "               NF-e 4.00, CT-e 3.00/4.00 e cancelamentos de NF-e (.xml; pastas com\n"
        "               subpastas). Sem --assets a NF-e de fornecedor fica como compra, cujos\n"
        "               itens viram bens depois com \"asset --purchase\". A última linha é\n"
        "               \"imported N, duplicates D, refused R\"; sai com 1 se algum foi recusado.\n"
        "\n"
        "Bens:\n"
        "  asset        --company CC --asset CÓDIGO [campos]       completa ou corrige um bem\n"
        "  asset        --company CC --registration IE --name NOME --entry-date DD/MM/AAAA\n"
        "               [campos]                                   cadastra um bem à mão\n"
        "  asset        --company CC --purchase CHAVE [--items N,...]\n"
        "                                                          itens de uma compra viram bens\n"
        "     campos: --name --patrimony --type 01|09 --entry-date DD/MM/AAAA --instalments N\n"
        "             --component-of CÓDIGO | --not-component  --account CONTA\n"
        "             --cost-centre CENTRO --function TEXTO --useful-life MESES\n"
        "             --item-code CÓDIGO --unit UN --difal VALOR --payment-doc NÚMERO\n"
        "             --origin IM|MC|IA|CI (como entrou no CIAP: compra, do estoque,\n"
        "             componente, conclusão de bem construído; padrão IM, IA p/ componente)\n"
        "             e, para bem sem NF-e importada: --own VALOR --st VALOR --freight VALOR\n"
        "             --participant ID --document-key CHAVE --document-model MM\n"
        "             --document-series S --document-number N --document-date DD/MM/AAAA\n"
        "             --document-item N --quantity Q\n"
        "  exit         --company CC --asset CÓDIGO --date DD/MM/AAAA --kind V|P|O\n"
        "               [--document CHAVE [--item N] [--participant ID]]  registra a saída\n"
        "  exit         --company CC --asset CÓDIGO --clear        desfaz a saída\n"
        "\n"
        "Listas:\n"
        "  assets        --company CC [--registration IE] [--lacking]\n"
        "                os bens; com --lacking só os que ainda não têm tudo o que o arquivo\n"
        "                da EFD pede, e o que falta a cada um\n"
        "  purchases     --company CC [--all]   compras com itens que ainda não viraram bens\n"
        "  pending-exits --company CC [--dismiss CHAVE --item N]\n"
        "                itens de saída de bem que não indicam o bem com clareza\n"
        "\n"
        "EFD ICMS/IPI:\n"
        "  bloco-g       --company CC --registration IE --month MM/AAAA [--tax CC]\n"
        "                [--out ARQUIVO]\n"
        "                o Bloco G do mês apropriado, com os registros do Bloco 0 que ele\n"
        "                usa e o Bloco 9 (ISO-8859-1, CRLF); sem --out, na saída padrão. Se o\n"
        "                cadastro tiver problemas, nada é gravado: todos vão para a saída de\n"
        "                erros e a saída é 1.\n"
        "\n"
        "Valores em reais: 1234,56 ou 1.234,56 ou 1234.56. Saída 0: feito; 1: recusado ou\n"
        "falhou; 2: linha de comando inválida.\n");
}

Database openDatabase(const AdminArguments& args, bool create) {
    const QString location = args.required(QStringLiteral("database"));
    Database db;
    db.config = DatabaseConfig::fromLocation(location);
    if (db.config->backend() == DatabaseConfig::Backend::Sqlite && !create) {
        QString path = location;
        if (path.startsWith(QLatin1String("sqlite:")))
            path = path.mid(7);
        if (!QFileInfo::exists(path))
            throw ServiceError::rule(QStringLiteral("O banco de dados %1 não existe. Um banco "
                                                    "novo nasce com \"ciap-admin company\".")
                                         .arg(path));
    }
    db.session = std::make_unique<Session>(*db.config, QStringLiteral("ciap-admin"));
    if (db.config->backend() == DatabaseConfig::Backend::Postgres) {
        // PostgreSQL's notices ("schema already exists, skipping") belong in a server's log,
        // not on the user's terminal.
        QSqlQuery quiet(db.session->database());
        if (!quiet.exec(QStringLiteral("SET client_min_messages = warning")))
            throw StorageError(QStringLiteral("open"), quiet.lastError());
    }
    Migrations::apply(*db.session);
    return db;
}

QString companyCode(const AdminArguments& args, const QString& option) {
    const auto code = Keys::pad(args.required(option), Keys::CompanyWidth);
    if (!code)
        throw UsageError(QStringLiteral("--%1 tem no máximo dois caracteres.").arg(option));
    return *code;
}

QString existingCompany(const AdminArguments& args, Session& session) {
    const QString code = companyCode(args);
    if (!RegisterStore(session).companyName(code))
        throw ServiceError::rule(ServerMessages::companyNotRegistered());
    return code;
}

QString formatCents(qint64 cents) {
    const bool negative = cents < 0;
    const qint64 value = negative ? -cents : cents;
    QString units = QString::number(value / 100);
    for (qsizetype at = units.size() - 3; at > 0; at -= 3)
        units.insert(at, QLatin1Char('.'));
    return (negative ? QStringLiteral("-") : QString()) + units + QLatin1Char(',') +
           QStringLiteral("%1").arg(value % 100, 2, 10, QLatin1Char('0'));
}

QString formatDate(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QStringLiteral("-");
}

int run(const QStringList& arguments, AdminIo& io) {
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help") ||
        arguments.first() == QLatin1String("-h") || arguments.first() == QLatin1String("help")) {
        (arguments.isEmpty() ? io.err : io.out) << usage();
        return arguments.isEmpty() ? 2 : 0;
    }
    const QString command = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (rest.contains(QLatin1String("--help"))) {
        io.out << usage();
        return 0;
    }
    try {
        if (command == QLatin1String("company") || command == QLatin1String("registration") ||
            command == QLatin1String("tax") || command == QLatin1String("state") ||
            command == QLatin1String("participant"))
            return registryCommand(command, rest, io);
        if (command == QLatin1String("import"))
            return importCommand(rest, io);
        if (command == QLatin1String("asset"))
            return assetCommand(rest, io);
        if (command == QLatin1String("exit"))
            return exitCommand(rest, io);
        if (command == QLatin1String("account") || command == QLatin1String("cost-centre") ||
            command == QLatin1String("bloco-g"))
            return fiscalCommand(command, rest, io);
        if (command == QLatin1String("assets") || command == QLatin1String("purchases") ||
            command == QLatin1String("pending-exits"))
            return listCommand(command, rest, io);
        throw UsageError(QStringLiteral("Comando desconhecido: %1.").arg(command));
    } catch (const UsageError& e) {
        io.err << "ciap-admin: " << e.text() << "\nVeja ciap-admin --help.\n";
        return 2;
    } catch (const ConfigError&) {
        io.err << "ciap-admin: --database inválido: não é um arquivo SQLite nem uma URL "
                  "postgresql://usuário@servidor[:porta]/banco[?schema=nome] válida.\n";
        return 2;
    } catch (const ServiceError& e) {
        io.err << "ciap-admin: " << e.message() << '\n';
        return 1;
    } catch (const StorageError& e) {
        io.err << "ciap-admin: " << storageText(e) << '\n';
        return 1;
    }
}

} // namespace ciap::admin
