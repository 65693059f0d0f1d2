#include "BookExport.h"

#include "CiapRules.h"
#include "EfdFormat.h"
#include "ExportMessages.h"
#include "ExportTarget.h"
#include "MonthRegisterStore.h"
#include "ReadSnapshot.h"
#include "RegisterStore.h"
#include "RegistryStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"
#include "TaxTablesStore.h"

#include <QHash>
#include <QMap>

namespace ciap::server {

namespace {

using book::BookAsset;
using book::BookLine;

// The month's appropriated competência: the one of the tax named, else the only one.
CompetenciaRow appropriatedCompetencia(const QList<CompetenciaRow>& all, const BookRequest& q) {
    const auto row = exportedCompetencia(all, q.month, q.tax);
    if (!row)
        throw ServiceError::rule(ExportMessages::bookWithoutCompetencia(q.month.text()));
    if (!row->appropriated())
        throw ServiceError::rule(ExportMessages::bookPending(q.month.text(), row->tax));
    return *row;
}

qint64 cents(double value) {
    return efd::EfdFormat::roundToCents(value);
}

qint64 coefficient(const CompetenciaRow& row, bool wholeBalance) {
    return wholeBalance ? book::CoefficientOne : efd::EfdFormat::roundToIndex8(row.coefficient);
}

std::optional<book::BookDocument> document(const std::optional<AssetDocument>& d) {
    if (!d)
        return std::nullopt;
    return book::BookDocument{d->model, d->series, d->number, d->key, d->date, d->participant};
}

BookAsset bookAsset(const RegisterAsset& r, const Month& month) {
    const AssetRecord& a = r.record;
    BookAsset b;
    b.code = a.number;
    b.name = a.name;
    b.patrimony = a.patrimony;
    b.entry = a.entry;
    b.entryDocument = document(r.entry);
    b.ownCents = cents(a.ownIcms);
    b.stCents = cents(a.stIcms);
    b.freightCents = cents(a.freightIcms);
    b.difalCents = cents(a.difalIcms);
    b.instalments = a.instalments;
    b.instalmentNumber = CiapRules::instalmentNumber(a.entry, month);
    b.exitDate = a.exitDate;
    b.exitKind = a.exitKind;
    b.exitDocument = document(r.exit);
    b.remainingCents = CiapRules::remainingCents(a, month);
    return b;
}

// The months before the book's, read once each for every asset's sheet.
class History {
public:
    History(Session& session, const CompetenciaRow& row, bool wholeBalance)
        : m_session(session)
        , m_row(row)
        , m_wholeBalance(wholeBalance) {}

    void addMonth(const Month& month, const QList<MonthAsset>& loaded) {
        Stored& s = m_months[month.index()];
        s.row = m_row;
        for (const MonthAsset& m : loaded)
            s.assets.insert(m.asset.record.number, m);
    }

    BookLine line(const RegisterAsset& asset, int number) {
        const Month month = Month::of(asset.record.entry).addMonths(number - 1);
        BookLine l;
        l.number = number;
        l.month = month.text();
        if (month > m_row.month) {
            l.state = BookLine::State::Later;
            return l;
        }
        if (asset.record.exitDate.isValid() && Month::of(asset.record.exitDate) < month) {
            l.state = BookLine::State::AfterExit;
            return l;
        }
        const Stored& s = stored(month);
        if (!s.row) {
            l.state = BookLine::State::NotStored;
        } else if (!s.row->appropriated()) {
            l.state = BookLine::State::Pending;
        } else if (const auto it = s.assets.constFind(asset.record.number);
                   it == s.assets.constEnd()) {
            l.state = BookLine::State::NotLoaded;
        } else {
            l.state = BookLine::State::Appropriated;
            l.coefficient = coefficient(*s.row, m_wholeBalance);
            l.instalmentCents = it->instalmentCents;
            l.creditedCents = it->appropriatedCents;
        }
        return l;
    }

private:
    struct Stored {
        std::optional<CompetenciaRow> row;
        QHash<QString, MonthAsset> assets;
    };

    const Stored& stored(const Month& month) {
        const auto found = m_months.constFind(month.index());
        if (found != m_months.constEnd())
            return *found;
        Stored& s = m_months[month.index()];
        MonthRegisterStore store(m_session);
        for (const CompetenciaRow& r :
             store.competencias(m_row.company, m_row.registration, month)) {
            if (r.tax != m_row.tax)
                continue;
            s.row = r;
            if (r.appropriated()) {
                for (const MonthAsset& m :
                     store.loadedAssets(r, MonthRegisterStore::Documents::OfTheMonth))
                    s.assets.insert(m.asset.record.number, m);
            }
        }
        return s;
    }

    Session& m_session;
    const CompetenciaRow& m_row;
    bool m_wholeBalance;
    QMap<int, Stored> m_months;
};

} // namespace

QString BookExport::fileName(const BookRequest& q, const QString& registration) {
    return QStringLiteral("livro-ciap-%1-%2-%3-%4%5.pdf")
        .arg(q.model == book::BookModel::C ? QStringLiteral("c") : QStringLiteral("d"), q.company,
             plainCode(registration))
        .arg(q.month.year())
        .arg(q.month.month(), 2, 10, QLatin1Char('0'));
}

book::CiapBook BookExport::run(const BookRequest& q) {
    const ReadSnapshot snapshot(m_session);
    const ExportTarget target = resolveExportTarget(m_session, q.company, q.registration);
    const QString& code = target.registration;
    const QString& companyName = target.companyName;
    const Registration& registration = target.details;
    MonthRegisterStore months(m_session);
    const CompetenciaRow row =
        appropriatedCompetencia(months.competencias(q.company, code, q.month), q);
    const auto tax = RegisterStore(m_session).tax(row.tax);
    const bool whole = tax && CiapRules::wholeBalance(tax->kind);

    book::CiapBook b;
    b.model = q.model;
    b.header = {q.company,      companyName, registration.cnpj,           code, registration.uf,
                q.month.text(), row.tax,     tax ? tax->name : QString(), whole};
    b.figures = {cents(row.taxed), cents(row.total), coefficient(row, whole), cents(row.balance),
                 cents(row.credit)};

    const QList<MonthAsset> loaded = months.loadedAssets(row);
    const QList<RegisterAsset> leaving = months.leavingUnloaded(row);
    History history(m_session, row, whole);
    history.addMonth(q.month, loaded);
    QList<const RegisterAsset*> sources;
    // Both lists come by code; the book lists the assets by code too.
    qsizetype l = 0;
    qsizetype u = 0;
    while (l < loaded.size() || u < leaving.size()) {
        const bool takeLoaded =
            u >= leaving.size() ||
            (l < loaded.size() && loaded[l].asset.record.number < leaving[u].record.number);
        if (takeLoaded) {
            const MonthAsset& m = loaded[l++];
            BookAsset a = bookAsset(m.asset, q.month);
            a.instalmentCents = m.instalmentCents;
            a.appropriatedCents = m.appropriatedCents;
            b.assets << a;
            sources << &m.asset;
        } else {
            BookAsset a = bookAsset(leaving[u], q.month);
            a.loaded = false;
            b.assets << a;
            sources << &leaving[u++];
        }
    }
    if (q.model == book::BookModel::D) {
        for (qsizetype i = 0; i < b.assets.size(); ++i) {
            for (int n = 1; n <= b.assets[i].instalments; ++n)
                b.assets[i].lines << history.line(*sources[i], n);
        }
    }
    return b;
}

} // namespace ciap::server
