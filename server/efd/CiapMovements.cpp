#include "CiapMovements.h"

#include "EfdProblem.h"

namespace ciap::efd {

namespace {

MovementKind entryKind(AssetOrigin origin) {
    switch (origin) {
    case AssetOrigin::Purchase:
        return MovementKind::IM;
    case AssetOrigin::FromStock:
        return MovementKind::MC;
    case AssetOrigin::Component:
        return MovementKind::IA;
    case AssetOrigin::Completion:
        return MovementKind::CI;
    }
    return MovementKind::IM;
}

MovementKind exitMovement(ExitKind kind) {
    switch (kind) {
    case ExitKind::Sale:
        return MovementKind::AT;
    case ExitKind::Loss:
        return MovementKind::PE;
    case ExitKind::Other:
    case ExitKind::None:
        break;
    }
    return MovementKind::OT;
}

int monthIndex(const QDate& d) {
    return d.year() * 12 + d.month() - 1;
}

void checkFacts(const AssetFacts& a) {
    const QString who = QStringLiteral("Bem %1: ").arg(a.code);
    if (a.code.isEmpty())
        throw EfdError(QStringLiteral("Bem sem código individualizado."));
    if (!a.entry.isValid())
        throw EfdError(who + QStringLiteral("informe a data de entrada."));
    if (a.instalments < 1 || a.instalments > 999)
        throw EfdError(who + QStringLiteral("o número de parcelas deve estar entre 1 e 999."));
    if (a.icms.own < 0 || a.icms.st < 0 || a.icms.freight < 0 || a.icms.difal < 0)
        throw EfdError(who + QStringLiteral("valores de ICMS não podem ser negativos."));
    if (a.exitKind != ExitKind::None && (!a.exit.isValid() || a.exit < a.entry))
        throw EfdError(who + QStringLiteral("a data de saída deve ser igual ou posterior à "
                                            "data de entrada."));
}

} // namespace

Cents CiapMovements::instalmentValue(const IcmsParts& icms, int instalments) {
    return instalments > 0 ? icms.total() / instalments : 0;
}

int CiapMovements::instalmentNumber(const QDate& entry, const QDate& month) {
    return monthIndex(month) - monthIndex(entry) + 1;
}

QList<Movement> CiapMovements::forAsset(const AssetFacts& asset, const QDate& month,
                                        ExitMonthInstalment choice) {
    checkFacts(asset);
    const int number = instalmentNumber(asset.entry, month);
    const bool leaves = asset.exitKind != ExitKind::None;
    if (number < 1 || number > asset.instalments)
        return {};
    if (leaves && monthIndex(asset.exit) < monthIndex(month))
        return {};
    const bool leavesNow = leaves && monthIndex(asset.exit) == monthIndex(month);
    const QDate first(month.year(), month.month(), 1);

    Movement entry;
    entry.asset = asset.code;
    entry.icms = asset.icms;
    if (number == 1) {
        entry.kind = entryKind(asset.origin);
        entry.date = asset.entry;
        entry.documents = asset.entryDocuments;
    } else {
        entry.kind = MovementKind::SI;
        entry.date = first;
    }
    if (number == 1 || !leavesNow || choice == ExitMonthInstalment::Counts)
        entry.instalment = Instalment{number, instalmentValue(asset.icms, asset.instalments)};

    QList<Movement> lines{entry};
    if (leavesNow) {
        Movement exit;
        exit.asset = asset.code;
        exit.kind = exitMovement(asset.exitKind);
        exit.date = asset.exit;
        exit.documents = asset.exitDocuments;
        lines << exit;
    } else if (number == asset.instalments) {
        // The asset leaves the CIAP once the month's last instalment is appropriated.
        Movement end;
        end.asset = asset.code;
        end.kind = MovementKind::BA;
        end.date = first.addMonths(1).addDays(-1);
        lines << end;
    }
    return lines;
}

QList<Movement> CiapMovements::forMonth(const QList<AssetFacts>& assets, const QDate& month,
                                        ExitMonthInstalment choice) {
    QList<Movement> lines;
    lines.reserve(assets.size());
    for (const AssetFacts& a : assets)
        lines << forAsset(a, month, choice);
    return lines;
}

Ciap CiapMovements::ciap(const MonthFigures& figures, const QList<Movement>& movements) {
    Ciap c;
    c.start = figures.start;
    c.end = figures.end;
    c.instalmentSum = figures.balance;
    c.taxedOutgoing = figures.taxedOutgoing;
    c.totalOutgoing = figures.totalOutgoing;
    c.outgoingIndex = figures.outgoingIndex;
    c.credit = figures.credit;
    for (const Movement& m : movements) {
        if (m.kind == MovementKind::SI && m.icms)
            c.openingBalance += m.icms->total();
        for (const OtherCredit& o : m.otherCredits)
            c.otherCredits += o.appropriated;
    }
    return c;
}

} // namespace ciap::efd
