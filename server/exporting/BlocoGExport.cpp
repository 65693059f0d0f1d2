#include "BlocoGExport.h"

#include "AssetStore.h"
#include "BlocoGMapping.h"
#include "ChartStore.h"
#include "CiapRules.h"
#include "DocumentStore.h"
#include "EfdLayout.h"
#include "EfdWriter.h"
#include "ExportMessages.h"
#include "ExportTarget.h"
#include "MonthRegisterStore.h"
#include "PurchaseStore.h"
#include "ReadSnapshot.h"
#include "RegisterStore.h"
#include "RegistryStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"
#include "TaxTablesStore.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace ciap::server {

namespace {

using efd::Problem;
using efd::Rule;

struct Context {
    QString company;
    CompetenciaRow row;
    ExitMonthInstalment choice = ExitMonthInstalment::Counts;
    EfdSettings settings;
};

Problem staleProblem(const MonthAsset& m, Staleness why, qint64 nowCents) {
    Problem p;
    p.rule = Rule::G110Instalments;
    p.reg = QStringLiteral("G125");
    p.asset = m.asset.record.number;
    p.field = QStringLiteral("VL_PARC_PASS");
    p.message =
        ServerMessages::staleAsset(LoadedAsset{m.asset.record, m.instalmentCents}, why, nowCents);
    p.hint = ExportMessages::staleHint();
    return p;
}

// The validator's hints speak of the register in general; here it is known which table
// lacks the code.
void refineHint(Problem& p, const QSet<QString>& accounts, const QSet<QString>& centres) {
    // "conta 9.9 não está no registro 0500", "centro de custo X não está no registro 0600"
    static const QRegularExpression absent(
        QStringLiteral("^(?:conta|centro de custo) (.+) não está no registro"));
    const auto missingCode = [&](const QSet<QString>& known) {
        const QRegularExpressionMatch m = absent.match(p.message);
        return m.hasMatch() && !known.contains(m.captured(1)) ? m.captured(1) : QString();
    };
    if (p.rule == Rule::RefAccount) {
        const QString code = missingCode(accounts);
        if (!code.isEmpty())
            p.hint = QStringLiteral("cadastre a conta %1 no plano de contas do ativo (ciap-admin "
                                    "account) ou corrija a conta do bem")
                         .arg(code);
    } else if (p.rule == Rule::RefCostCentre) {
        const QString code = missingCode(centres);
        if (!code.isEmpty())
            p.hint = QStringLiteral("cadastre o centro de custo %1 (ciap-admin cost-centre) ou "
                                    "corrija o centro de custo do bem")
                         .arg(code);
    } else if (p.rule == Rule::RefParticipant) {
        p.hint = QStringLiteral("cadastre o participante do documento (importe o documento ou "
                                "use ciap-admin participant)");
    } else if (p.reg == QLatin1String("G140") &&
               (p.field == QLatin1String("COD_ITEM") || p.field == QLatin1String("UNID"))) {
        p.hint = QStringLiteral("informe no cadastro do bem o código do item e a unidade");
    } else if (p.rule == Rule::ChangeDate && p.reg == QLatin1String("0500")) {
        p.hint = QStringLiteral("a data de inclusão da conta no plano de contas deve ser anterior "
                                "ao fim do mês (ciap-admin account --changed)");
    } else if (p.rule == Rule::ChangeDate && p.reg == QLatin1String("0600")) {
        p.hint = QStringLiteral("a data de inclusão do centro de custo deve ser anterior ao fim "
                                "do mês (ciap-admin cost-centre --changed)");
    }
}

class MonthBuilder {
public:
    MonthBuilder(Session& session, const Context& cx, efd::EfdFile& file, QList<Problem>& problems)
        : m_session(session)
        , m_cx(cx)
        , m_file(file)
        , m_problems(problems) {}

    void run(bool wholeBalance) {
        MonthRegisterStore months(m_session);
        const QList<MonthAsset> loaded =
            months.loadedAssets(m_cx.row, MonthRegisterStore::Documents::OfTheMonth);
        const QList<RegisterAsset> leaving = months.leavingUnloaded(m_cx.row);
        // Both lists come by code; the file lists the assets by code too.
        qsizetype l = 0;
        qsizetype u = 0;
        while (l < loaded.size() || u < leaving.size()) {
            const bool takeLoaded =
                u >= leaving.size() ||
                (l < loaded.size() && loaded[l].asset.record.number < leaving[u].record.number);
            if (takeLoaded) {
                const MonthAsset& m = loaded[l++];
                checkCurrent(m);
                add(m.asset, true);
            } else {
                add(leaving[u++], false);
            }
        }
        describeMainAssets();
        describeDocuments();
        m_file.ciap = efd::CiapMovements::ciap(BlocoGMapping::figures(m_cx.row, wholeBalance),
                                               m_file.movements);
    }

private:
    void checkCurrent(const MonthAsset& m) {
        const Staleness why =
            CiapRules::staleness(LoadedAsset{m.asset.record, m.instalmentCents},
                                 m_cx.row.registration, m_cx.row.month, m_cx.choice);
        if (why != Staleness::Current)
            m_problems << staleProblem(
                m, why, CiapRules::instalmentCents(m.asset.record, m_cx.row.month, m_cx.choice));
    }

    // An asset that leaves in the month without having been loaded reports its movements but
    // credits nothing: the month's balance does not hold it.
    void add(const RegisterAsset& asset, bool credited) {
        const efd::AssetFacts facts = BlocoGMapping::facts(asset, m_cx.row.month);
        QList<efd::Movement> lines;
        try {
            lines = efd::CiapMovements::forAsset(facts, m_cx.row.month.firstDay(),
                                                 BlocoGMapping::exitChoice(m_cx.choice));
        } catch (const efd::EfdError& e) {
            Problem p;
            p.rule = Rule::G125Values;
            p.reg = QStringLiteral("G125");
            p.asset = asset.record.number;
            p.message = e.text();
            p.hint = QStringLiteral("corrija o cadastro do bem");
            m_problems << p;
            return;
        }
        if (lines.isEmpty())
            return;
        if (!credited) {
            for (efd::Movement& line : lines)
                line.instalment.reset();
        }
        for (const efd::Movement& line : lines) {
            for (const efd::Document& d : line.documents) {
                m_participants.insert(d.participant);
                if (!d.items.isEmpty())
                    m_itemAssets << asset;
            }
        }
        m_file.movements << lines;
        m_file.assets << BlocoGMapping::fixedAsset(asset, m_cx.settings);
        m_described.insert(asset.record.number);
        if (asset.details.component && !asset.details.mainAsset.isEmpty())
            m_mainAssets.insert(asset.details.mainAsset);
    }

    // A component's main asset is described in 0300 whether or not it moves this month.
    void describeMainAssets() {
        AssetStore assets(m_session);
        QList<QString> pending(m_mainAssets.begin(), m_mainAssets.end());
        std::sort(pending.begin(), pending.end());
        for (const QString& code : pending) {
            if (m_described.contains(code))
                continue;
            if (const auto main = assets.find(m_cx.company, code)) {
                m_file.assets << BlocoGMapping::fixedAsset(*main, m_cx.settings);
                m_described.insert(code);
            }
        }
    }

    void describeDocuments() {
        DocumentStore documents(m_session);
        QList<QString> ids(m_participants.begin(), m_participants.end());
        std::sort(ids.begin(), ids.end());
        for (const QString& id : ids) {
            if (const auto p = documents.participant(m_cx.company, id))
                m_file.participants << BlocoGMapping::participant(*p);
        }
        PurchaseStore purchases(m_session);
        QSet<QString> items;
        QSet<QString> units;
        for (const RegisterAsset& a : m_itemAssets) {
            if (!a.details.unit.isEmpty() && !units.contains(a.details.unit)) {
                units.insert(a.details.unit);
                m_file.units << BlocoGMapping::unit(a.details.unit);
            }
            if (a.details.item.isEmpty() || items.contains(a.details.item))
                continue;
            items.insert(a.details.item);
            QString ncm;
            if (a.entry && !a.entry->key.isEmpty()) {
                for (const PurchaseItem& i : purchases.items(a.entry->key)) {
                    if (i.number == a.entry->item)
                        ncm = i.ncm;
                }
            }
            m_file.items << BlocoGMapping::item(a, ncm);
        }
    }

    Session& m_session;
    const Context& m_cx;
    efd::EfdFile& m_file;
    QList<Problem>& m_problems;
    QSet<QString> m_described;
    QSet<QString> m_mainAssets;
    QSet<QString> m_participants;
    QList<RegisterAsset> m_itemAssets;
};

} // namespace

BlocoGResult BlocoGExport::run(const BlocoGRequest& q) {
    if (efd::EfdLayout::layoutVersion(q.month.lastDay()).isEmpty())
        throw ServiceError::rule(ExportMessages::layoutUnknown(q.month.text()));
    const ReadSnapshot snapshot(m_session);
    const ExportTarget target = resolveExportTarget(m_session, q.company, q.registration);
    const QString& code = target.registration;
    const QString& companyName = target.companyName;
    const Registration& registration = target.details;
    RegisterStore registers(m_session);
    ChartStore chart(m_session);

    Context cx;
    cx.company = q.company;
    cx.settings = chart.settings(q.company, code).value_or(EfdSettings{});
    cx.choice = TaxTablesStore(m_session).exitMonthInstalment(q.company, code);

    const auto row = exportedCompetencia(
        MonthRegisterStore(m_session).competencias(q.company, code, q.month), q.month, q.tax);
    if (row && !row->appropriated())
        throw ServiceError::rule(ExportMessages::pending(q.month.text(), row->tax));
    if (!row) {
        // A month without a competência is a month without CIAP only when no asset of the
        // registration has an instalment in it.
        int owed = 0;
        for (const AssetRecord& a : registers.assetsInPlay(q.company, code, q.month)) {
            if (CiapRules::instalmentCents(a, q.month, cx.choice) > 0)
                ++owed;
        }
        if (owed > 0)
            throw ServiceError::rule(ExportMessages::notAppropriated(q.month.text(), owed));
    }

    efd::EfdFile file;
    file.establishment =
        BlocoGMapping::establishment(companyName, registration, cx.settings, q.month);
    QList<Problem> problems;
    if (row) {
        cx.row = *row;
        const auto tax = registers.tax(row->tax);
        MonthBuilder(m_session, cx, file, problems).run(tax && CiapRules::wholeBalance(tax->kind));
    }
    QSet<QString> accountCodes;
    for (const AccountRecord& a : chart.accounts()) {
        file.accounts << BlocoGMapping::account(a);
        accountCodes.insert(a.code);
    }
    QSet<QString> centreCodes;
    for (const CostCentreRecord& c : chart.costCentres()) {
        file.costCentres << BlocoGMapping::costCentre(c);
        centreCodes.insert(c.code);
    }

    const efd::WriteResult written = efd::EfdWriter::write(file);
    for (Problem p : written.problems) {
        refineHint(p, accountCodes, centreCodes);
        problems << p;
    }

    BlocoGResult result;
    result.registration = code;
    result.tax = row ? row->tax : QString();
    result.movements = int(file.movements.size());
    result.fileName = QStringLiteral("bloco-g-%1-%2-%3%4.txt")
                          .arg(q.company, plainCode(code))
                          .arg(q.month.year())
                          .arg(q.month.month(), 2, 10, QLatin1Char('0'));
    result.problems = problems;
    if (result.ok()) {
        result.bytes = written.bytes;
        result.lines = int(written.bytes.count('\n'));
    }
    return result;
}

} // namespace ciap::server
